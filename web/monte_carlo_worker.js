// The Monte Carlo worker: the page's loader (kestrane.js) comes before this in
// the worker's script. It gets the module's bytes once, then one request at a
// time; it says how far each run is between blocks of draws, and the reading
// with its Monte Carlo at the end. Cancelling a run ends the worker itself.
'use strict';

// The core, once the module's bytes are instantiated; a request that comes
// sooner waits for it.
let workerCore = null;
// Progress is said at most this often, in milliseconds: often enough for the
// bar to move smoothly, rarely enough not to flood the page with messages.
const progressEvery = 50;

onmessage = async ({ data }) => {
  if (data.bytes) {
    workerCore = loadKestrane(data.bytes);
    return;
  }
  const core = await workerCore;
  const begun = core.monteCarloBegin(data.request);
  if (begun.error !== null) {
    postMessage({ reading: begun });
    return;
  }
  postMessage({ progress: 0 });
  let said = performance.now();
  for (let progress = 0; progress < 1;) {
    progress = core.monteCarloStep();
    if (performance.now() - said >= progressEvery) {
      said = performance.now();
      postMessage({ progress });
    }
  }
  postMessage({ reading: core.monteCarloFinish() });
};
