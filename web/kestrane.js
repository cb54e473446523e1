// Loads the correction core (the WebAssembly module) and wraps its exported C
// functions: the form's description, the settings of an address, one reading,
// and a log corrected a chunk at a time. A reading and a log are asked for in
// the address's words (address.js writes them), which the core reads. Every
// answer is the module's reply to that one call.
'use strict';

// The only imports the module's C library asks for, on its abort path: there is
// nowhere to write, so each answers "not supported" (ENOSYS). Any other import
// is a module this page was not built with, and loading fails at once.
const kestraneImports = {
  wasi_snapshot_preview1: { fd_close: () => 52, fd_seek: () => 52, fd_write: () => 52 },
};

// The module's exports behind the calls the page makes.
class KestraneCore {
  constructor(exports) {
    this.core = exports;
    this.encoder = new TextEncoder();
    this.decoder = new TextDecoder();
    // Room in the module's memory for the text of a request, kept from call to
    // call (the chart asks for fifty readings at a time) and grown when short.
    this.requestAt = 0;
    this.requestRoom = 0;
  }

  // A fresh view each time: a call into the module may have grown its memory.
  bytesAt(pointer, size) {
    return new Uint8Array(this.core.memory.buffer, pointer, size);
  }

  // The bytes of a reply, copied out, and the reply freed.
  takeBytes(reply) {
    const bytes = this.bytesAt(this.core.kestrane_reply_data(reply), this.core.kestrane_reply_size(reply)).slice();
    this.core.kestrane_reply_free(reply);
    return bytes;
  }

  // A reply's JSON, decoded straight from the module's memory, and the reply freed.
  takeJson(reply) {
    const text = this.decoder.decode(this.bytesAt(this.core.kestrane_reply_data(reply), this.core.kestrane_reply_size(reply)));
    this.core.kestrane_reply_free(reply);
    return JSON.parse(text);
  }

  // Calls into the module with a text's bytes: call(pointer, size).
  withText(text, call) {
    // A UTF-16 unit of the text never takes more than three bytes of UTF-8.
    if (text.length * 3 > this.requestRoom) {
      this.core.kestrane_free(this.requestAt);
      this.requestRoom = text.length * 3;
      this.requestAt = this.core.kestrane_alloc(this.requestRoom);
    }
    const { written } = this.encoder.encodeInto(text, this.bytesAt(this.requestAt, this.requestRoom));
    return call(this.requestAt, written);
  }

  // The form: its texts, fields, results and every unit, from the core's tables.
  form() {
    return this.takeJson(this.core.kestrane_form());
  }

  // The settings an address gives (its text after the "#"): {fields,
  // uncertainties, units} by index for those it gives, decimalComma unless it
  // says nothing, lenient, and problems: what it got wrong, one sentence each.
  address(text) {
    return this.takeJson(this.withText(text, this.core.kestrane_address));
  }

  // One reading, asked for in the address's words ("gas=20.95&...&decimal-comma"),
  // as the object kestrane-cli --format json writes: {inputs, units, results,
  // error, warnings, uncertainty}, its texts with a decimal point.
  reading(text) {
    return this.takeJson(this.withText(text, this.core.kestrane_reading));
  }

  // Monte Carlo's draws for a reading asked for in the address's words, with
  // its "monte-carlo" part: begin gives the reading's object without them (or
  // its refusal, and then no run), step draws one block and gives how far the
  // run is, 0 to 1 (1 once it is done), and finish gives the reading's object
  // with its "monte_carlo" and ends the run. One run at a time.
  monteCarloBegin(text) {
    return this.takeJson(this.withText(text, this.core.kestrane_monte_carlo_begin));
  }

  monteCarloStep() {
    return this.core.kestrane_monte_carlo_step();
  }

  monteCarloFinish() {
    return this.takeJson(this.core.kestrane_monte_carlo_finish());
  }

  // A log corrected as it is read, with the settings of a text in the
  // address's words: push each chunk (bytes), finish, then end for its report.
  // push and finish give the corrected bytes that are ready; pushed and
  // finished give them as a view of the module's memory, good until the next call.
  log(text) {
    const corrector = this.withText(text, this.core.kestrane_log_begin);
    // Only a refused standard uncertainty stops it; the reading of the same text says why.
    if (corrector === 0) throw new Error(this.reading(text).error);
    return new KestraneLog(this, corrector);
  }
}

// One log being corrected, its chunks staged in the module's memory.
class KestraneLog {
  constructor(owner, corrector) {
    this.owner = owner;
    this.corrector = corrector;
    this.staging = 0;
    this.room = 0;
  }

  pushed(chunk) {
    const { core } = this.owner;
    if (chunk.length > this.room) {
      core.kestrane_free(this.staging);
      this.room = chunk.length;
      this.staging = core.kestrane_alloc(this.room);
    }
    this.owner.bytesAt(this.staging, chunk.length).set(chunk);
    return this.output(core.kestrane_log_push(this.corrector, this.staging, chunk.length));
  }

  finished() {
    return this.output(this.owner.core.kestrane_log_finish(this.corrector));
  }

  output(size) {
    return this.owner.bytesAt(this.owner.core.kestrane_log_output(this.corrector), size);
  }

  push(chunk) {
    return this.pushed(chunk).slice();
  }

  finish() {
    return this.finished().slice();
  }

  end() {
    this.owner.core.kestrane_free(this.staging);
    return this.owner.takeJson(this.owner.core.kestrane_log_end(this.corrector));
  }

  // The report of a log corrected in two parts, this corrector's the first:
  // `counts` are the second's report's.
  endJoined(counts) {
    const { core } = this.owner;
    core.kestrane_free(this.staging);
    const at = core.kestrane_alloc(counts.length * 4);
    new Uint32Array(core.memory.buffer, at, counts.length).set(counts);
    const reply = core.kestrane_log_end_joined(this.corrector, at, counts.length);
    core.kestrane_free(at);
    return this.owner.takeJson(reply);
  }
}

// Instantiates the module from its bytes; resolves to the core's interface.
async function loadKestrane(moduleBytes) {
  const module = await WebAssembly.compile(moduleBytes);
  for (const { module: from, name } of WebAssembly.Module.imports(module)) {
    if (typeof kestraneImports[from]?.[name] !== 'function') {
      throw new Error(`the module needs ${from}.${name}, which this page does not give it`);
    }
  }
  const exports = (await WebAssembly.instantiate(module, kestraneImports)).exports;
  exports.kestrane_initialize();
  return new KestraneCore(exports);
}

// A Worker of this loader and, after it, the page's script of the id given
// (the page carries both as text), handed the module's bytes.
function kestraneWorker(document, scriptId, moduleBytes) {
  const source = ['kestrane-loader', scriptId].map((id) => document.getElementById(id).textContent);
  const url = URL.createObjectURL(new Blob(source, { type: 'text/javascript' }));
  const worker = new Worker(url);
  URL.revokeObjectURL(url);
  worker.postMessage({ bytes: moduleBytes });
  return worker;
}

if (typeof module === 'object') module.exports = { loadKestrane };
