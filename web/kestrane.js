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

  function readText(pointer) {
    if (pointer === 0) return null;
    const bytes = memory();
    return decoder.decode(bytes.subarray(pointer, bytes.indexOf(0, pointer)));
  }

  return {
    // Every text of one kind (a KestraneText), in order.
    formTexts(kind) {
      const texts = [];
      for (let text; (text = readText(core.kestrane_form_text(kind, texts.length))) !== null; ) texts.push(text);
      return texts;
    },

    // One run on the six field texts, exactly as typed, and the three list
    // indices ({temperature, pressure, distance}). Gives {results: the four
    // texts in the order the form shows them} or {field, message} when refused.
    run(texts, units) {
      texts.forEach((text, field) => {
        const bytes = encoder.encode(text);
        memory().set(bytes, core.kestrane_field_buffer(field, bytes.length));
      });
      const refused = core.kestrane_run(units.temperature, units.pressure, units.distance);
      if (refused >= 0) return { field: refused, message: readText(core.kestrane_output(0)) };
      return { results: [0, 1, 2, 3].map((i) => readText(core.kestrane_output(i))) };
    },

    // The number the last run's field text holds as the core reads it (NaN when none).
    fieldValue(field) {
      return core.kestrane_field_value(field);
    },
  };
}

if (typeof module === 'object') module.exports = { loadKestrane, KestraneText };
