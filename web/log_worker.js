// The log's worker: the page's loader (kestrane.js) comes before this in the
// worker's script. It gets the module's bytes once, then one log at a time:
// the file itself and its settings in the address's words. It reads the file
// in large slices, the next one read while this one is corrected, says how
// many bytes are done between slices, and ends with the corrected log as a
// Blob and its report. Cancelling a log ends the worker itself.
'use strict';

// The core, once the module's bytes are instantiated; a log that comes sooner waits for it.
let logCore = null;
// Slices of the file this large: few enough calls into the module that their
// cost is nothing beside the correction, small enough for the bar to move.
const sliceBytes = 2 << 20;
// Progress is said at most this often, in milliseconds.
const logProgressEvery = 50;
// How much of the corrected log comes back to be shown before it is saved.
const previewBytes = 4096;

// A first block holding a NUL byte is not a text log (a spreadsheet's own file, an image, ...).
const looksBinary = (bytes) => bytes.subarray(0, 4096).includes(0);

// The corrected log of a file, {blob, start (its first bytes), report}; the
// corrector is ended however the correction ends.
async function correctFile(core, file, settings) {
  const log = core.log(settings);
  try {
    return await correctAll(log, file);
  } catch (error) {
    log.end();
    throw error;
  }
}

// Each slice's corrected bytes go into a Blob of their own straight from the
// module's memory, the one copy they need; the whole log is a Blob of those.
async function correctAll(log, file) {
  const parts = [];
  let start = null;
  const keep = (bytes) => {
    if (bytes.length === 0) return;
    if (start === null) start = bytes.slice(0, previewBytes);
    parts.push(new Blob([bytes]));
  };
  let said = performance.now();
  let next = file.slice(0, sliceBytes).arrayBuffer();
  for (let at = 0; at < file.size; at += sliceBytes) {
    const slice = new Uint8Array(await next);
    if (at + sliceBytes < file.size) next = file.slice(at + sliceBytes, at + 2 * sliceBytes).arrayBuffer();
    if (at === 0 && looksBinary(slice)) throw new Error('it is not a text log (it holds NUL bytes)');
    keep(log.pushed(slice));
    if (performance.now() - said >= logProgressEvery) {
      said = performance.now();
      postMessage({ done: at + slice.length });
    }
  }
  keep(log.finished());
  const report = log.end();
  return { blob: new Blob(parts, { type: 'text/csv' }), start: start ?? new Uint8Array(), report };
}

onmessage = async ({ data }) => {
  if (data.bytes) {
    logCore = loadKestrane(data.bytes);
    return;
  }
  try {
    postMessage({ corrected: await correctFile(await logCore, data.file, data.settings) });
  } catch (error) {
    postMessage({ error: error.message });
  }
};
