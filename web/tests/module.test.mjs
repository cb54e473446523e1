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
import { cliJson } from './cli.mjs';

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

test("uncertainties and the analyzer's check: the reading kestrane-cli --format json writes, a refused text its message", () => {
  const cases = [
    'u-gas=0.05&u-barometric-pressure=0.02&u-temperature=0.5&u-humidity=2',
    'u-gas=0.05:rectangular&dof-gas=4&u-barometer=0.02:triangular&u-temperature=0.5:arcsine&dof-temperature=9'
      + '&correlation=barometric-pressure,target-pressure=1&u-target-pressure=0.01&coverage=0.95',
    // Texts come with a decimal point whatever the mark: the page writes its own.
    'gas=20,95&target-pressure=30,00&barometric-pressure=30,00&u-gas=0,05&decimal-comma',
    'u-gas=-1',
    // The analyzer's check as found and as left, the record's texts escaped as the page escapes them.
    'u-gas=0.02&analyzer-reading=20.90&as-left=20.66&u-analyzer=0.01&tolerance=0.10&decision-rule=guarded'
      + '&record-lab-name=A%2C%20B%20%26%20C%20%3D%20%C3%98&record-operator=%E6%9D%8E',
    'gas=20,95&u-gas=0,05&dof-gas=5&coverage=0.95&analyzer-reading=20,7&tolerance=0,1&decimal-comma',
    'analyzer-reading=20.7&tolerance=0.1&decision-rule=guarded',
  ];
  const same = (page, cli) => (cli.results ? page : { error: page.error });
  for (const address of cases) {
    const cli = cliJson(address);
    assert.deepEqual(same(core.reading(address), cli), cli, address);
  }
  assert.equal(core.reading('u-gas=').uncertainty, undefined);
  // kestrane-cli refuses this among its options, in its words: the page names the fields.
  assert.equal(core.reading('analyzer-reading=20.7').error,
    'Error: Analyzer Reading As Found (% Vol) is given without Tolerance (\u00b1 % Vol) to check it against');
  assert.equal(core.reading('u-humidity=0,5').error, 'Error: Standard Uncertainty of Relative Humidity (%) is not a '
    + 'number: "0,5" (for a decimal comma, choose "," as the Decimal Mark)');
});

test("Monte Carlo a block at a time: kestrane-cli's reading with the same seed, its progress rising to 1", () => {
  const cases = [
    'u-gas=0.05:rectangular&u-barometer=0.02&u-temperature=0.5&dof-temperature=6&coverage=0.9&monte-carlo=100000&interval=shortest&seed=7',
    'u-gas=0.05&u-humidity=30&humidity=90&monte-carlo=auto',
  ];
  for (const address of cases) {
    const begun = core.monteCarloBegin(address);
    assert.equal(begun.monte_carlo, undefined, address);
    const progress = [];
    for (let p = 0; p < 1;) progress.push((p = core.monteCarloStep()));
    assert.ok(progress.length > 1 && progress.every((p, i) => p > (progress[i - 1] ?? 0)), `${address}: ${progress}`);
    assert.deepEqual(core.monteCarloFinish(), cliJson(address), address);
  }
  assert.equal(core.monteCarloBegin('u-gas=-1&monte-carlo=auto').error, cliJson('u-gas=-1&monte-carlo=auto').error);
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
