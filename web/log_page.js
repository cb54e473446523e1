// A logger's CSV file corrected in the page: read a chunk at a time from the
// file, corrected by the same code as kestrane-cli's, and offered to save. The
// page holds the corrected log, never a second copy of the file.
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

// A first block holding a NUL byte is not a text log (a spreadsheet's own file, an image, ...).
const looksBinary = (bytes) => bytes.subarray(0, 4096).includes(0);

class LogCorrection {
  constructor(document, page) {
    this.page = page;
    this.input = document.getElementById('log-file');
    this.progress = document.getElementById('log-progress');
    this.status = document.getElementById('log-status');
    this.link = document.getElementById('log-download');
    this.preview = document.getElementById('log-preview');
    this.running = false;
  }

  // Wires the file control and dropping a file anywhere on the page.
  ready(document) {
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
  }

  // Corrects one file with the page's units and decimal mark; the summary or
  // the reason it could not be, and the corrected log to save.
  async correct(file) {
    if (this.running) return;
    this.running = true;
    this.forgetDownload();
    this.say(`Correcting ${file.name}…`, false);
    this.changed = false;
    this.progress.hidden = file.size < 1 << 20;
    this.progress.value = 0;
    try {
      const { parts, report } = await this.run(file);
      this.say(report.failure ? `${file.name}: ${inPageWords(report.failure)}` : report.summary, !!report.failure);
      if (this.changed) this.say(LogCorrection.changedWords, false);
      else if (!report.failure) this.offer(new Blob(parts, { type: 'text/csv' }), correctedName(file.name), parts);
    } catch (error) {
      this.say(`${file.name} could not be read: ${error.message}`, true);
    } finally {
      this.progress.hidden = true;
      this.running = false;
    }
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

  async run(file) {
    const log = this.page.core.log(addressOf(this.page.form, this.page.readingOptions()));
    const parts = [];
    const reader = file.stream().getReader();
    let read = 0;
    for (;;) {
      const { value, done } = await reader.read();
      if (done) break;
      if (read === 0 && looksBinary(value)) throw new Error('it is not a text log (it holds NUL bytes)');
      parts.push(log.push(value));
      read += value.length;
      this.progress.value = read / file.size;
    }
    parts.push(log.finish());
    return { parts, report: log.end() };
  }

  offer(blob, name, parts) {
    // The first lines of the corrected log, to see before saving it.
    const start = new TextDecoder().decode(parts.find((part) => part.length > 0)?.subarray(0, 4096) ?? new Uint8Array());
    this.preview.textContent = start.split('\n').slice(0, LogCorrection.previewLines).join('\n');
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
