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

// Instantiates the module from its bytes; resolves to the core's interface.
async function loadKestrane(moduleBytes) {
  const module = await WebAssembly.compile(moduleBytes);
  for (const { module: from, name } of WebAssembly.Module.imports(module)) {
    if (typeof kestraneImports[from]?.[name] !== 'function') {
      throw new Error(`the module needs ${from}.${name}, which this page does not give it`);
    }
  }
  const core = (await WebAssembly.instantiate(module, kestraneImports)).exports;
  core.kestrane_initialize();
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  // A fresh view each time: a call into the module may have grown its memory.
  const bytesAt = (pointer, size) => new Uint8Array(core.memory.buffer, pointer, size);

  // The bytes of a reply, copied out, and the reply freed.
  function takeBytes(reply) {
    const bytes = bytesAt(core.kestrane_reply_data(reply), core.kestrane_reply_size(reply)).slice();
    core.kestrane_reply_free(reply);
    return bytes;
  }
  const takeJson = (reply) => JSON.parse(decoder.decode(takeBytes(reply)));

  // Room in the module's memory for the text of a request, kept from call to
  // call (the chart asks for fifty readings at a time) and grown when short.
  let requestAt = 0;
  let requestRoom = 0;
  // Calls into the module with a text's bytes: call(pointer, size).
  function withText(text, call) {
    // A UTF-16 unit of the text never takes more than three bytes of UTF-8.
    if (text.length * 3 > requestRoom) {
      core.kestrane_free(requestAt);
      requestRoom = text.length * 3;
      requestAt = core.kestrane_alloc(requestRoom);
    }
    const { written } = encoder.encodeInto(text, bytesAt(requestAt, requestRoom));
    return call(requestAt, written);
  }

  // One reading, asked for in the address's words ("gas=20.95&...&decimal-comma"),
  // as the object kestrane-cli --format json writes: {inputs, units, results,
  // error, warnings, uncertainty}, its texts with a decimal point.
  const reading = (text) => takeJson(withText(text, core.kestrane_reading));

  // A log corrected as it is read, with the settings of a text in the
  // address's words: push each chunk (bytes), finish, then end for its report.
  // push and finish give the corrected bytes that are ready.
  function log(text) {
    const corrector = withText(text, core.kestrane_log_begin);
    // Only a refused standard uncertainty stops it; the reading of the same text says why.
    if (corrector === 0) throw new Error(reading(text).error);
    let staging = 0;
    let room = 0;
    return {
      push(chunk) {
        if (chunk.length > room) {
          core.kestrane_free(staging);
          room = chunk.length;
          staging = core.kestrane_alloc(room);
        }
        bytesAt(staging, chunk.length).set(chunk);
        return takeBytes(core.kestrane_log_push(corrector, staging, chunk.length));
      },
      finish: () => takeBytes(core.kestrane_log_finish(corrector)),
      end() {
        core.kestrane_free(staging);
        return takeJson(core.kestrane_log_end(corrector));
      },
    };
  }

  return {
    // The form: its texts, fields, results and every unit, from the core's tables.
    form: () => takeJson(core.kestrane_form()),
    // The settings an address gives (its text after the "#"): {fields,
    // uncertainties, units} by index for those it gives, decimalComma unless it
    // says nothing, lenient, and problems: what it got wrong, one sentence each.
    address: (text) => takeJson(withText(text, core.kestrane_address)),
    reading,
    log,
  };
}

if (typeof module === 'object') module.exports = { loadKestrane };
