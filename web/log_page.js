// A logger's CSV file corrected in the page: read a slice at a time from the
// file and corrected by the same code as kestrane-cli's in a Worker (see
// log_worker.js), so that the page stays live, with a progress bar and a
// Cancel button; then offered to save. The page holds the corrected log, never
// a second copy of the file.
'use strict';

// "readings.csv" gives "readings-corrected.csv"; a name with no extension gets ".csv".
function correctedName(name) {
  const dot = name.lastIndexOf('.');
  return dot > 0 ? `${name.slice(0, dot)}-corrected${name.slice(dot)}` : `${name}-corrected.csv`;
}

// The log corrector's words for kestrane-cli's options, in the page's own: the
// page finds the delimiter itself and has no control to give another.
const logPageWords = [
  [/: if the log has another, give --delimiter$/, ': the page finds only these by itself, so save the log with one of them between its columns'],
  [/: give --delimiter (\S+)$/, ': the page finds only comma, semicolon and tab by itself, so save the log with one of them between its columns'],
];
const inPageWords = (text) => logPageWords.reduce((t, [words, page]) => t.replace(words, page), text);

class LogCorrection {
  constructor(document, page) {
    this.document = document;
    this.page = page;
    this.input = document.getElementById('log-file');
    this.progress = document.getElementById('log-progress');
    this.cancelButton = document.getElementById('log-cancel');
    this.status = document.getElementById('log-status');
    this.link = document.getElementById('log-download');
    this.preview = document.getElementById('log-preview');
    this.worker = null;
    // The second half's worker, while a large log is corrected.
    this.helper = null;
    // The file being corrected.
    this.running = null;
  }

  // Wires the file control, dropping a file anywhere on the page and Cancel;
  // bytes are the module's, for the worker.
  ready(document, bytes) {
    this.bytes = bytes;
    this.input.disabled = false;
    // The value is cleared once read, so that choosing the same file again corrects it again.
    this.input.addEventListener('change', () => {
      const file = this.input.files[0];
      this.input.value = '';
      if (file) this.correct(file);
    });
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      const file = event.dataTransfer?.files[0];
      if (file) this.correct(file);
    });
    this.cancelButton.addEventListener('click', () => this.cancel());
  }

  // A new worker of the page's loader and log_worker.js, given the module's bytes.
  newWorker() {
    return kestraneWorker(this.document, 'log-worker', this.bytes);
  }

  // Corrects one file with the page's units and decimal mark, in the worker
  // (a large one in two halves at once, the second in a helper worker started
  // for it); the summary or the reason it could not be, and the corrected log to save.
  correct(file) {
    if (this.running) return;
    const settings = addressOf(this.page.form, this.page.readingOptions());
    this.worker ??= this.newWorker();
    this.forgetDownload();
    this.say(`Correcting ${file.name}…`, false);
    this.changed = false;
    this.setRunning(file);
    const done = [0, 0];
    const showDone = (which, bytes) => {
      done[which] = bytes;
      this.progress.value = Math.min(1, (done[0] + done[1]) / file.size);
    };
    this.worker.onmessage = ({ data }) => {
      if (data.read) LogCorrection.readFor(this.worker, file, data.read);
      else if (data.done !== undefined) showDone(0, data.done);
      else if (data.corrected) this.corrected(file, data.corrected);
      else this.unread(file, data.error);
    };
    this.worker.onerror = (event) => {
      event.preventDefault();
      this.unread(file, event.message);
    };
    const size = file.size;
    if (size < LogCorrection.halvedFrom) {
      this.worker.postMessage({ size, settings, part: 'whole' });
      return;
    }
    const { port1, port2 } = new MessageChannel();
    const helper = this.newWorker();
    helper.onmessage = ({ data }) => (data.read ? LogCorrection.readFor(helper, file, data.read) : showDone(1, data.done));
    helper.onerror = this.worker.onerror;
    helper.postMessage({ size, settings, part: 'second', port: port2 }, [port2]);
    this.worker.postMessage({ size, settings, part: 'first', port: port1 }, [port1]);
    this.helper = helper;
  }

  // The bytes [from, to) of the file a worker asked for, handed over to it
  // without a copy; or why they could not be read. A worker cannot read the
  // file itself in every browser (WebKit refuses it).
  static readFor(worker, file, { id, from, to }) {
    file.slice(from, to).arrayBuffer().then(
      (slice) => worker.postMessage({ id, slice }, [slice]),
      (error) => worker.postMessage({ id, unread: error.message }));
  }

  // A log this large is corrected in two halves at once: a smaller one is
  // done before a second worker would have started.
  static halvedFrom = 8 << 20;

  // A small file is done before a bar or a button would be seen. The bar
  // starts empty with each file; the helper ends with its file.
  setRunning(file) {
    this.running = file;
    if (!file) this.endHelper();
    const shown = file !== null && file.size >= 1 << 20;
    this.progress.hidden = !shown;
    if (file) this.progress.value = 0;
    this.cancelButton.hidden = !shown;
  }

  corrected(file, { blob, start, report }) {
    this.setRunning(null);
    this.say(report.failure ? `${file.name}: ${inPageWords(report.failure)}` : report.summary, !!report.failure);
    if (this.changed) this.say(LogCorrection.changedWords, false);
    else if (!report.failure) this.offer(blob, correctedName(file.name), start);
  }

  // The file could not be read or corrected: the worker is ended, whatever state it was left in.
  unread(file, message) {
    this.endWorker();
    this.setRunning(null);
    this.say(`${file.name} could not be read: ${message}`, true);
  }

  endWorker() {
    this.worker.terminate();
    this.worker = null;
  }

  endHelper() {
    this.helper?.terminate();
    this.helper = null;
  }

  // Stops a correction at once: its worker ends, and the next file starts another.
  cancel() {
    const file = this.running;
    if (!file) return;
    this.endWorker();
    this.setRunning(null);
    this.say(`The correction of ${file.name} was cancelled.`, false);
    this.input.focus();
  }

  say(text, failed) {
    this.status.textContent = text;
    this.status.classList.toggle('failed', failed);
  }

  // A change of the units, decimal mark or an uncertainty after a log was
  // corrected: the corrected log offered was not corrected with these, so it is withdrawn.
  withdraw() {
    this.changed = true;
    if (this.running || this.link.hidden) return;
    this.forgetDownload();
    this.say(LogCorrection.changedWords, false);
  }

  static changedWords = 'The units or the decimal mark changed since the log was corrected: choose it again to correct it with these.';

  // The corrected log to save, and its first lines to see before saving it.
  offer(blob, name, start) {
    this.preview.textContent = new TextDecoder().decode(start).split('\n').slice(0, LogCorrection.previewLines).join('\n');
    this.preview.hidden = false;
    this.link.href = URL.createObjectURL(blob);
    this.link.download = name;
    this.link.textContent = `Save ${name}`;
    this.link.hidden = false;
  }

  static previewLines = 6;

  forgetDownload() {
    this.preview.hidden = true;
    if (this.link.href) URL.revokeObjectURL(this.link.href);
    this.link.removeAttribute('href');
    this.link.hidden = true;
  }
}

if (typeof module === 'object') module.exports = { correctedName, inPageWords };
