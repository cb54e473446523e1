// Loads the correction core (the WebAssembly module) and wraps its exported C
// functions: the form's description, one reading, and a log corrected a chunk
// at a time. Every answer is the module's reply to that one call.
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
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  const ascii = /^[\x00-\x7f]*$/;
  // A fresh view each time: a call into the module may have grown its memory.
  const bytesAt = (pointer, size) => new Uint8Array(core.memory.buffer, pointer, size);

  // The bytes of a reply, copied out, and the reply freed.
  function takeBytes(reply) {
    const bytes = bytesAt(core.kestrane_reply_data(reply), core.kestrane_reply_size(reply)).slice();
    core.kestrane_reply_free(reply);
    return bytes;
  }
  const takeJson = (reply) => JSON.parse(decoder.decode(takeBytes(reply)));

  // One reading: room for the six values read, the units' indices, the rules,
  // then the lengths of the six texts and of their six standard uncertainties
  // (empty when not given), then their bytes. The answer carries the values.
  function reading({ texts, uncertainties = [], units, lenient = false, decimalComma = false }) {
    const all = [...texts, ...[0, 1, 2, 3, 4, 5].map((i) => uncertainties[i] ?? '')];
    const encoded = all.map((text) => (ascii.test(text) ? text : encoder.encode(text)));
    const head = [...units, lenient ? 1 : 0, decimalComma ? 1 : 0, ...encoded.map((e) => e.length)];
    const start = 6 * 8 + head.length * 4;
    const size = start + encoded.reduce((sum, e) => sum + e.length, 0);
    const request = core.kestrane_alloc(size);
    const view = new DataView(core.memory.buffer, request, size);
    head.forEach((value, i) => view.setInt32(48 + i * 4, value, true));
    const bytes = bytesAt(request, size);
    let at = start;
    for (const e of encoded) {
      // A text of ASCII is its own bytes, written without an encoder.
      if (typeof e === 'string') for (let i = 0; i < e.length; ++i) bytes[at + i] = e.charCodeAt(i);
      else bytes.set(e, at);
      at += e.length;
    }
    const answer = takeJson(core.kestrane_reading(request));
    if (answer.results) {
      const values = new DataView(core.memory.buffer, request, 48);
      answer.values = [0, 1, 2, 3, 4, 5].map((i) => values.getFloat64(i * 8, true));
    }
    core.kestrane_free(request);
    return answer;
  }

  // A log corrected as it is read: push each chunk (bytes), finish, then end
  // for its report. push and finish give the corrected bytes that are ready.
  function log({ units, lenient = false, decimalComma = false }) {
    const corrector = core.kestrane_log_begin(...units, lenient ? 1 : 0, decimalComma ? 1 : 0);
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

  // The unit a name stands for, of a kind (by index): {index} or {message}.
  function unit(kind, name) {
    const encoded = encoder.encode(name);
    const text = core.kestrane_alloc(encoded.length);
    bytesAt(text, encoded.length).set(encoded);
    const answer = takeJson(core.kestrane_unit(kind, text, encoded.length));
    core.kestrane_free(text);
    return answer;
  }

  return {
    // The form: its texts, fields, results and every unit, from the core's tables.
    form: () => takeJson(core.kestrane_form()),
    unit,
    reading,
    log,
  };
}

if (typeof module === 'object') module.exports = { loadKestrane };
