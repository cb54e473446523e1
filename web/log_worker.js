// The log's worker: the page's loader (kestrane.js) comes before this in the
// worker's script. It gets the module's bytes once, then one log at a time:
// the file's size, its settings in the address's words and which part of it
// to correct. It asks the page for the file in large slices, the next one
// asked for while this one is corrected (WebKit lets no worker read a file
// the page was given, so the page reads it and hands each slice over), says
// how many bytes it has done between slices, and ends with the corrected log
// as a Blob and its report. Cancelling a log ends the worker itself.
//
// A large log is corrected in two halves at once, in two workers: the
// "first" from its start to a line's end past its middle, the "second" from
// there to its end, after its header, each with a corrector of its own; the
// second hands its corrected bytes and counts to the first through a port.
// That gives the same bytes as one pass only when the cut falls between two
// records and the second half's rows need no line number: so the first goes
// on through the second half itself when its half holds a quote (a field
// might span the cut) or when the second half has a malformed record (its
// message names the line).
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
// How far the header's line end and the line end past the middle are looked for.
const lineWindow = 1 << 16;
const quoteByte = 0x22;
const lineFeedByte = 0x0a;

// The slices asked of the page and not yet given, by their number.
const asked = new Map();
let lastAsked = 0;

// The bytes [from, to) of the log, as the page reads them from its file:
// fewer where the file ends sooner.
function readLog(from, to) {
  const id = ++lastAsked;
  return new Promise((resolve, reject) => {
    asked.set(id, { resolve, reject });
    postMessage({ read: { id, from, to } });
  });
}

// The page's answer to readLog: {id, slice} or {id, unread (why)}.
function answered({ id, slice, unread }) {
  const { resolve, reject } = asked.get(id);
  asked.delete(id);
  if (slice) resolve(new Uint8Array(slice));
  else reject(new Error(unread));
}

// A first block holding a NUL byte is not a text log (a spreadsheet's own file, an image, ...).
const looksBinary = (bytes) => bytes.subarray(0, 4096).includes(0);

// Where a log is cut in two: {header (its bytes, through its line end), middle
// (the offset after the first line end past the middle)}; null for a header
// with a quote or either line end not found near.
async function cutOf(size) {
  const head = await readLog(0, lineWindow);
  const half = Math.floor(size / 2);
  const around = await readLog(half, half + lineWindow);
  const header = head.indexOf(lineFeedByte) + 1;
  const middle = around.indexOf(lineFeedByte) + 1;
  if (header === 0 || middle === 0 || head.subarray(0, header).includes(quoteByte)) return null;
  return { header: head.subarray(0, header), middle: half + middle };
}

// One corrector's pass over part of a file: its corrected bytes as Blobs, the
// first of them to preview, and whether the part held a quote.
class LogPass {
  constructor(core, settings) {
    this.log = core.log(settings);
    this.parts = [];
    this.start = null;
    this.done = 0;
    this.quoted = false;
    this.said = performance.now();
  }

  // Each slice's corrected bytes go into a Blob of their own straight from the
  // module's memory, the one copy they need; the whole log is a Blob of those.
  keep(bytes) {
    if (bytes.length === 0) return;
    if (this.start === null) this.start = bytes.slice(0, previewBytes);
    this.parts.push(new Blob([bytes]));
  }

  // Corrects the file's bytes [from, to).
  async correct(from, to) {
    let next = readLog(from, Math.min(from + sliceBytes, to));
    for (let at = from; at < to; at += sliceBytes) {
      const slice = await next;
      if (at + sliceBytes < to) next = readLog(at + sliceBytes, Math.min(at + 2 * sliceBytes, to));
      if (at === 0 && looksBinary(slice)) throw new Error('it is not a text log (it holds NUL bytes)');
      this.quoted ||= slice.includes(quoteByte);
      this.keep(this.log.pushed(slice));
      this.done += slice.length;
      if (performance.now() - this.said >= logProgressEvery) {
        this.said = performance.now();
        postMessage({ done: this.done });
      }
    }
  }

  // The corrected log, {blob, start, report}: with the second half's {parts, counts} when joined.
  end(second) {
    this.keep(this.log.finished());
    const report = second ? this.log.endJoined(second.counts) : this.log.end();
    const parts = second ? [...this.parts, ...second.parts] : this.parts;
    return { blob: new Blob(parts, { type: 'text/csv' }), start: this.start ?? new Uint8Array(), report };
  }
}

// The next message on a port.
const nextMessage = (port) => new Promise((resolve) => (port.onmessage = ({ data }) => resolve(data)));

// The whole file, or its first half and then, unless the second's worker
// corrected that, its second half too.
async function correctFirst(pass, size, port) {
  const cut = port ? await cutOf(size) : null;
  if (!cut) {
    await pass.correct(0, size);
    return pass.end();
  }
  await pass.correct(0, cut.middle);
  const second = pass.quoted ? null : await nextMessage(port);
  if (second?.counts) return pass.end(second);
  await pass.correct(cut.middle, size);
  return pass.end();
}

// The second half, after the header (whose corrected row the first half has),
// to the first's worker: {parts, counts}, or {refused} when it would not give one pass's bytes.
async function correctSecond(pass, size) {
  const cut = await cutOf(size);
  if (!cut || pass.log.pushed(cut.header).length === 0) return { refused: true };
  await pass.correct(cut.middle, size);
  pass.keep(pass.log.finished());
  const report = pass.log.end();
  return report.failure || report.malformed > 0 ? { refused: true } : { parts: pass.parts, counts: report.counts };
}

// One part of a file, {size, settings, part ("whole", "first" or "second"), port}.
async function correctPart(core, { size, settings, part, port }) {
  const pass = new LogPass(core, settings);
  try {
    if (part === 'second') port.postMessage(await correctSecond(pass, size));
    else postMessage({ corrected: await correctFirst(pass, size, port) });
  } catch (error) {
    pass.log.end();
    throw error;
  }
}

onmessage = async ({ data }) => {
  if (data.bytes) {
    logCore = loadKestrane(data.bytes);
    return;
  }
  if (data.id !== undefined) {
    answered(data);
    return;
  }
  try {
    await correctPart(await logCore, data);
  } catch (error) {
    if (data.part === 'second') data.port.postMessage({ refused: true });
    else postMessage({ error: error.message });
  }
};
