// Loads the correction core (the WebAssembly module) and wraps its exported C
// functions: the texts the form is built from, and one correction run.
'use strict';

// The kinds of form text the module hands out, numbered as the module numbers them.
const KestraneText = Object.freeze({
  fieldLabel: 0,
  defaultText: 1,
  resultLabel: 2,
  temperatureUnit: 3,
  pressureUnit: 4,
  distanceUnit: 5,
});

// Instantiates the module from its bytes; resolves to the core's interface.
async function loadKestrane(moduleBytes) {
  const module = await WebAssembly.compile(moduleBytes);
  // The C library's stdio comes along only for its abort path: any system call
  // it makes answers "not supported" (ENOSYS), as there is nowhere to write.
  const imports = {};
  for (const { module: from, name } of WebAssembly.Module.imports(module)) {
    (imports[from] ??= {})[name] = () => 52;
  }
  const core = (await WebAssembly.instantiate(module, imports)).exports;
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  // A fresh view each time: a call into the module may have grown its memory.
  const memory = () => new Uint8Array(core.memory.buffer);
  const ascii = /^[\x00-\x7f]*$/;

  // The NUL-terminated text at pointer (null for a null pointer). The core's
  // texts are short and almost always ASCII, which is read without a decoder.
  function readText(pointer) {
    if (pointer === 0) return null;
    const bytes = memory();
    const end = bytes.indexOf(0, pointer);
    let text = '';
    for (let i = pointer; i < end; ++i) {
      if (bytes[i] >= 0x80) return decoder.decode(bytes.subarray(pointer, end));
      text += String.fromCharCode(bytes[i]);
    }
    return text;
  }

  return {
    // Every text of one kind (a KestraneText), in order.
    formTexts(kind) {
      const texts = [];
      for (let text; (text = readText(core.kestrane_form_text(kind, texts.length))) !== null; ) texts.push(text);
      return texts;
    },

    // Hands the core one field's text, exactly as typed, for the next runs.
    setField(field, text) {
      if (ascii.test(text)) {
        const pointer = core.kestrane_field_buffer(field, text.length);
        const bytes = memory();
        for (let i = 0; i < text.length; ++i) bytes[pointer + i] = text.charCodeAt(i);
      } else {
        const encoded = encoder.encode(text);
        memory().set(encoded, core.kestrane_field_buffer(field, encoded.length));
      }
    },

    // One run on the field texts last set and the three list indices
    // ({temperature, pressure, distance}). Gives {results: the four texts in
    // the order the form shows them}, or {field, message} when refused.
    run(units) {
      const refused = core.kestrane_run(units.temperature, units.pressure, units.distance);
      if (refused >= 0) return { field: refused, message: readText(core.kestrane_output(0)) };
      return { results: [0, 1, 2, 3].map((i) => readText(core.kestrane_output(i))) };
    },

    // The number the field's text holds as the core reads it (NaN when none).
    fieldValue(field) {
      return core.kestrane_field_value(field);
    },
  };
}

if (typeof module === 'object') module.exports = { loadKestrane, KestraneText };
