// The WebAssembly module alone, under Node: the hazards of a run (ties,
// negative zero, limits of single precision) give exactly the native build's
// texts, each call its own answer; an import it was not built with stops the
// load; and the chart breaks its line where a point has no value.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { test } from 'node:test';
import { repoRoot } from './browser.mjs';

const require = createRequire(import.meta.url);
const { loadKestrane } = require('../kestrane.js');
const { chartSegments } = require('../chart.js');
const { addressOf } = require('../address.js');
const core = await loadKestrane(readFileSync(join(repoRoot, 'build', 'web', 'kestrane.wasm')));
const form = core.form();
const defaults = ['20.95', '30.00', '30.00', '75', '   0', ' 50'];
// One reading asked for as the page asks, in the address's words; the answer is
// kestrane-cli's JSON, cut down here to the results' texts or the refusal.
const reading = (settings) => core.reading(addressOf(form, settings));
const resultsOf = (answer) => (answer.error === null
  ? { results: Object.values(answer.results).map((r) => r.text) } : { message: answer.error });
const valuesOf = (answer) => Object.values(answer.inputs).map((input) => input.value);

test("a run's hazards give the native build's texts", () => {
  const cases = [
    [{}, { results: ['20.64', '6.19', '1.5', '29.56'] }],
    [{ 0: '20.125', 5: '0' }, { results: ['20.13', '6.04', '0.0', '30.00'] }], // a tie rounds away from zero
    [{ 5: '-0.0001' }, { results: ['20.95', '6.29', '-0.0', '30.00'] }], // negative zero keeps its sign
    [{ 0: '100.000001', 4: '-0.0005' }, { results: ['98.54', '29.56', '1.5', '29.56'] }],
    [{ 0: '12e', 5: '1e-50' }, { results: ['12.00', '3.60', '0.0', '30.00'] }],
    [{ 3: '1e3', 5: '99.99' }, { results: ['-10198.63', '-3059.59', '48780.8', '-14604.24'] }],
    [{ 0: '20.95µg' }, { results: ['20.64', '6.19', '1.5', '29.56'] }], // multi-byte text after the number
    [{ 0: '100.0001' }, { message: 'Error: Gas Percent Outside of Range' }],
    [{ 2: '1e39' }, { message: 'Error: Barometric Pressure Outside of Range' }],
    [{ 3: '' }, { message: 'Error: Temperature Outside of Range' }],
  ];
  // Every answer is kept, then compared: no later call may change an earlier one's.
  const answers = cases.map(([changes]) =>
    reading({ texts: defaults.map((text, i) => changes[i] ?? text), units: [0, 0, 0], lenient: true }));
  // The values read come back exactly: each field's text rounded once to single precision.
  assert.deepEqual(valuesOf(answers[0]), defaults.map((text) => Math.fround(Number(text))));
  assert.equal(valuesOf(answers[3])[4], Math.fround(-0.0005));
  cases.forEach(([changes, expected], i) => assert.deepEqual(resultsOf(answers[i]), expected, JSON.stringify(changes)));
});

test('the values read come back in the shortest text that reads back as each, as kestrane-cli writes it', async () => {
  // The reply's own bytes, from a second instance of the module.
  const { instance } = await WebAssembly.instantiate(readFileSync(join(repoRoot, 'build', 'web', 'kestrane.wasm')),
    { wasi_snapshot_preview1: { fd_close: () => 52, fd_seek: () => 52, fd_write: () => 52 } });
  const raw = instance.exports;
  raw.kestrane_initialize();
  const replyOf = (text) => {
    const bytes = new TextEncoder().encode(text);
    const at = raw.kestrane_alloc(bytes.length);
    new Uint8Array(raw.memory.buffer, at, bytes.length).set(bytes);
    const reply = raw.kestrane_reading(at, bytes.length);
    raw.kestrane_free(at);
    const answer = new TextDecoder().decode(
      new Uint8Array(raw.memory.buffer, raw.kestrane_reply_data(reply), raw.kestrane_reply_size(reply)).slice());
    raw.kestrane_reply_free(reply);
    return answer;
  };
  const cases = [
    ['75', '75.0'],
    ['-0', '-0.0'], // negative zero keeps its sign
    ['0.1', '0.10000000149011612'], // single precision widened: 17 digits
    ['674.62213134765625', '674.6221313476562'], // halfway at 16 digits: the even one
    ['1e-45', '1.401298464324817e-45'], // the smallest subnormal
    ['3.4028234663852886e38', '3.4028234663852886e+38'], // the largest single
    ['1e21', '1.0000000200408773e+21'], // past 15 digits before the point: an exponent
    ['1e10', '10000000000.0'], // whole, within 15 digits: written out
    ['0.000001', '9.999999974752427e-07'],
  ];
  for (const [text, expected] of cases) {
    const value = replyOf(`temperature=${text}`).match(/"temperature": \{[^}]*"value": ([^,\n]+)/)[1];
    assert.equal(value, expected, text);
    assert.ok(Object.is(Number(value), Math.fround(Number(text))), text);
  }
});

test('uncertainties: the budget as the command line writes it, a refused text its message', () => {
  const u = (uncertainties, decimalComma = false) =>
    reading({ texts: defaults.map((t) => (decimalComma ? t.replace('.', ',') : t)), uncertainties,
      units: [0, 0, 0], decimalComma });
  const worked = u(['0.05', '', '0.02', '0.5', '', '2']).uncertainty;
  const results = [worked.calculated_gas_pct, worked.calculated_gas_pressure];
  assert.deepEqual(results.map((r) => r.expanded_text), ['0.11', '0.032']);
  assert.deepEqual(results.map((r) => r.standard_text), ['0.05289', '0.01587']);
  assert.deepEqual(worked.budget.map((line) => line.share_text), ['86.8', '0.0', '7.0', '0.9', '0.0', '5.3']);
  const { standard_uncertainty_text: ut, sensitivity_text: s, contribution_text: c } = worked.budget[3];
  assert.deepEqual([ut, s, c], ['0.5', '-0.01014', '0.005072']);
  // Texts come with a decimal point whatever the mark: the page writes its own.
  assert.equal(u(['0,05'], true).uncertainty.calculated_gas_pct.expanded_text, '0.099');
  assert.equal(u([]).uncertainty, undefined);
  assert.deepEqual(resultsOf(u(['-1'])), { message: 'Error: Standard Uncertainty of Target Gas (% Vol) is below 0: "-1"' });
  assert.equal(u(['', '', '', '', '', '0,5']).error, 'Error: Standard Uncertainty of Relative Humidity (%) is not a '
    + 'number: "0,5" (for a decimal comma, choose "," as the Decimal Mark)');
});

test('an import the module was not built with stops the load', async () => {
  // The smallest module that asks for something else: (import "env" "clock" (func)).
  const stranger = Uint8Array.from([0, 97, 115, 109, 1, 0, 0, 0, 1, 4, 1, 96, 0, 0, 2, 13, 1, 3, 101, 110, 118,
    5, 99, 108, 111, 99, 107, 0, 0]);
  await assert.rejects(loadKestrane(stranger), /needs env\.clock/);
});

test('chart segments: a point without a value breaks the line', () => {
  const cases = [
    [[1, 2, 3], [3]],
    [[1, NaN, 3, 4], [1, 2]],
    [[NaN, 2, NaN, NaN, 5, NaN], [1, 1]],
    [[NaN, NaN], []],
  ];
  for (const [gas, lengths] of cases) {
    const segments = chartSegments(gas.map((g, altitude) => ({ altitude, gas: g })));
    assert.deepEqual(segments.map((s) => s.length), lengths, JSON.stringify(gas));
  }
});
