// Monte Carlo on the page: the draws (auto, or a number), the interval and
// the seed; a run in a Worker, so the page stays live, with a progress bar and
// a Cancel button; its block of lines as kestrane-cli's text prints them.
// The Worker is built from the page's own loader and a Blob: the page stays
// one file that fetches nothing.
'use strict';

class MonteCarloSection {
  constructor(document) {
    this.document = document;
    this.draws = document.getElementById('mc-draws');
    this.interval = document.getElementById('mc-interval');
    this.seed = document.getElementById('mc-seed');
    this.runButton = document.getElementById('mc-run');
    this.cancelButton = document.getElementById('mc-cancel');
    this.progress = document.getElementById('mc-progress');
    this.status = document.getElementById('mc-status');
    this.text = document.getElementById('mc-text');
    this.worker = null;
    this.running = false;
  }

  // Wires the buttons: run calls back into the page, which calculates first.
  ready(form, bytes, run) {
    this.bytes = bytes;
    this.interval.replaceChildren(...form.intervals.map((name) => new Option(name)));
    this.runButton.addEventListener('click', run);
    this.cancelButton.addEventListener('click', () => this.cancel());
    this.runButton.disabled = false;
  }

  // The run asked for: {draws ("auto" or a number), interval, seed} in the address's words.
  request() {
    const draws = this.draws.value.trim() === '' ? 'auto' : this.draws.value.trim();
    const interval = this.interval.selectedIndex > 0 ? this.interval.value : undefined;
    return { draws, interval, seed: this.seed.value.trim() || undefined };
  }

  // From the address: {draws, interval, seed}.
  apply({ draws, interval, seed }) {
    this.draws.value = draws === 'auto' ? '' : draws;
    if (interval !== undefined) this.interval.value = interval;
    this.seed.value = seed ?? '';
  }

  // A new worker of the page's loader and this file's companion, given the module's bytes.
  startWorker() {
    this.worker = kestraneWorker(this.document, 'monte-carlo-worker', this.bytes);
  }

  // Runs a request; done(reading) gets the reading with its Monte Carlo, or its refusal.
  run(request, done) {
    this.clear();
    if (!this.worker) this.startWorker();
    this.running = true;
    this.setRunning(true);
    this.say('Monte Carlo is drawing\u2026');
    this.worker.onmessage = ({ data }) => {
      if (data.progress !== undefined) {
        this.progress.value = data.progress;
        return;
      }
      this.finished();
      done(data.reading);
    };
    this.worker.onerror = (event) => {
      this.finished();
      this.say(`Monte Carlo could not run (${event.message}).`);
    };
    this.worker.postMessage({ request });
  }

  setRunning(running) {
    this.progress.hidden = !running;
    this.progress.value = 0;
    this.cancelButton.hidden = !running;
    this.runButton.disabled = running;
  }

  finished() {
    this.running = false;
    this.setRunning(false);
  }

  // Stops a run at once: its worker ends, and the next run starts another.
  cancel() {
    if (!this.running) return;
    this.worker.terminate();
    this.worker = null;
    this.finished();
    this.say('Monte Carlo was cancelled.');
    this.runButton.focus();
  }

  say(text) {
    this.status.textContent = text;
  }

  // The block of a run's lines in the page's mark; none clears it.
  show(monteCarlo, mark) {
    const lines = monteCarlo ? [].concat(monteCarlo.text).join('\n').split('\n').filter((l) => l !== '') : [];
    this.text.textContent = lines.map((line) => inMark(line, mark)).join('\n');
    this.text.hidden = lines.length === 0;
    this.say('');
  }

  // A calculation or a change of the inputs: a running run is stopped, the last one's lines gone.
  clear() {
    if (this.running) this.cancel();
    this.show(null, '.');
  }
}
