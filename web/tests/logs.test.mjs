// The page corrects a log with the same bytes as kestrane-cli: every example
// log of the repository under a handful of option sets, fed to the page's
// WebAssembly module whole and a few bytes at a time, gives exactly the
// command line's standard output, and the same summary or the same refusal.
// In each browser engine, a large log is corrected in the page's worker with
// a progress bar that moves, to kestrane-cli's bytes, and Cancel stops one.
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { after, before, describe, test } from 'node:test';
import { repoRoot } from './browser.mjs';
import { engines, pageUrl } from './engines.mjs';

const require = createRequire(import.meta.url);
const { loadKestrane } = require('../kestrane.js');
const core = await loadKestrane(readFileSync(join(repoRoot, 'build', 'web', 'kestrane.wasm')));
const cliPath = join(repoRoot, 'build', 'native', 'cli', 'kestrane-cli');

// Opens a log in the page's module, with the options as the command line's
// key=value text ("pressure-unit=hPa&decimal-comma"), as the page does.
const openPageLog = (options) => core.log(options);

const optionPairs = (text) => (text === '' ? [] : text.split('&').map((pair) => pair.split('=')));
const cliArguments = (text) =>
  optionPairs(text).flatMap(([key, value]) => (value === undefined ? [`--${key}`] : [`--${key}`, value]));

const optionSets = [
  '',
  'decimal-comma',
  'lenient',
  'pressure-unit=hPa&temperature-unit=C',
  'u-gas=0.05&u-barometric-pressure=0.02&u-temperature=0.5&u-humidity=2',
  'decimal-comma&pressure-unit=hPa&temperature-unit=C', // how the European examples are meant to be read
];

// Every CSV file of the examples and the command line's test data is a log
// (the expected outputs of logs too: correcting one again recomputes it in
// place), except the calibration table's expected output.
const notLogs = new Set(['tests/cli/data/table.expected.csv']);
const logs = ['docs/examples', 'tests/cli/data']
  .flatMap((folder) => readdirSync(join(repoRoot, folder)).map((name) => `${folder}/${name}`))
  .filter((name) => name.endsWith('.csv'))
  .filter((name) => !notLogs.has(name));

// The module's corrected bytes and report for a log pushed in chunks of `size` bytes.
function pageRun(bytes, options, size) {
  const log = openPageLog(options);
  const parts = [];
  for (let at = 0; at < bytes.length; at += size) parts.push(log.push(bytes.subarray(at, at + size)));
  parts.push(log.finish());
  return { output: Buffer.concat(parts), report: log.end() };
}

for (const name of logs) {
  const bytes = readFileSync(join(repoRoot, name));
  for (const options of optionSets) {
    test(`${name} [${options}]: the page writes kestrane-cli's bytes`, (t) => {
      const cli = spawnSync(cliPath, [name, ...cliArguments(options)], { cwd: repoRoot });
      if (cli.error) throw new Error(`kestrane-cli (${cliPath}) could not run: ${cli.error.message}`);
      const stderr = cli.stderr.toString();
      const whole = pageRun(bytes, options, bytes.length);
      // A log whose header is refused (station.csv, misnamed.csv: exit 2 under
      // every option set) is refused by both, with the same words and nothing written.
      if (cli.status === 2 && whole.report.failure) {
        assert.equal(stderr, `kestrane-cli: ${name}: ${whole.report.failure}\n`);
        assert.equal(whole.output.length, 0);
        return;
      }
      // Any other exit 2 is the command line refusing the option set itself,
      // which the page has no counterpart of: nothing to compare. None does today.
      if (cli.status === 2) return t.skip(`kestrane-cli refuses these options for this log: ${stderr}`);
      assert.ok(cli.status === 0 || cli.status === 1, `kestrane-cli exited ${cli.status}: ${stderr}`);
      assert.equal(whole.output.toString('latin1'), cli.stdout.toString('latin1'));
      assert.equal(`kestrane-cli: ${whole.report.summary}\n`, stderr);
      // Seven bytes at a time cuts quotes, CRLFs, the byte order mark and the header.
      const chunked = pageRun(bytes, options, 7);
      assert.ok(chunked.output.equals(whole.output), 'pushed 7 bytes at a time, the output changed');
      assert.deepEqual(chunked.report, whole.report);
    });
  }
}

// A generated log of `rows` rows (bench/generate_csv.sh), changed by edit(text), written into `folder`.
function generatedLog(folder, name, rows, edit = (text) => text) {
  const path = join(folder, name);
  const text = execFileSync(join(repoRoot, 'bench', 'generate_csv.sh'), [String(rows)], { maxBuffer: 1 << 30 }).toString('latin1');
  writeFileSync(path, edit(text), 'latin1');
  return path;
}

// A quoted cell across the middle of a log, of lines that each read as a row,
// its last too (its closing quote then reads as a bare one).
function acrossTheMiddle(text) {
  const at = text.indexOf('\n', text.length / 2 - 400) + 1;
  const cell = `"${'00:00:00,20.95,30.00,29.10,34.3,6616,78\n'.repeat(40)}00:00:00"`;
  return text.slice(0, at) + cell + text.slice(text.indexOf(',', at));
}

// Large logs, each corrected in two halves at once unless something in it
// needs a single pass: a quote in the first half (a field could span the cut)
// or a malformed record in the second (its message names its line).
const largeLogs = [
  { name: 'plain.csv', edit: undefined },
  { name: 'quoted.csv', edit: acrossTheMiddle },
  { name: 'malformed.csv', edit: (text) => `${text}1,2,3\n` },
];

// In the page: every value the log's progress bar is given, from now on.
function watchProgress() {
  const bar = document.getElementById('log-progress');
  window.logProgress = [];
  new MutationObserver(() => window.logProgress.push(bar.value)).observe(bar, { attributeFilter: ['value'] });
}

// In the page: the log section's state, as a reader of the page finds it.
const logState = () => ({
  status: document.getElementById('log-status').textContent,
  offered: !document.getElementById('log-download').hidden,
  bar: !document.getElementById('log-progress').hidden,
  cancel: !document.getElementById('log-cancel').hidden,
});

for (const engine of engines) {
  describe(`${engine.name}: a large log in the page's worker`, { skip: engine.skip }, () => {
    let browser;
    let folder;
    before(async () => {
      folder = mkdtempSync(join(tmpdir(), 'kestrane-logs-'));
      browser = await engine.launch();
    });
    after(async () => {
      await browser?.close();
      rmSync(folder, { recursive: true, force: true });
    });

    for (const { name, edit } of largeLogs) {
      test(`${name}: the progress bar moves and the corrected log is kestrane-cli's`, async () => {
        const path = generatedLog(folder, name, 300000, edit);
        const cli = spawnSync(cliPath, [path], { maxBuffer: 1 << 30 });
        const page = await browser.open({ url: pageUrl });
        await page.evaluate(watchProgress);
        await page.setFiles(await page.findLabelled('Correct a Log'), [path]);
        await page.waitFor(() => !document.getElementById('log-download').hidden
          || /^(?!Correcting).+/.test(document.getElementById('log-status').textContent));
        const progress = await page.evaluate(() => window.logProgress);
        assert.ok(progress.some((value) => value > 0 && value < 1), `the bar's values: ${progress}`);
        assert.deepEqual(progress, [...progress].sort((a, b) => a - b), 'the bar never goes back');
        assert.deepEqual(await page.evaluate(logState), {
          status: cli.stderr.toString().trim().replace(/^kestrane-cli: /, ''), offered: true, bar: false, cancel: false });
        const link = await page.find(`Save ${name.replace('.csv', '-corrected.csv')}`, 'link');
        await page.evaluate((element) => element.scrollIntoView(), link);
        const { bytes } = await page.download(link);
        assert.ok(Buffer.compare(Buffer.from(bytes), cli.stdout) === 0, "the page's log is kestrane-cli's");
        await page.close();
      });
    }

    test('Cancel stops a large log: nothing offered, then the next log is corrected', async () => {
      const path = generatedLog(folder, 'million.csv', 1000000);
      const page = await browser.open({ url: pageUrl });
      await page.setFiles(await page.findLabelled('Correct a Log'), [path]);
      await page.waitFor(() => document.getElementById('log-progress').value > 0);
      // Found by its id: a look through every control by name takes WebKit
      // longer than the rest of the log takes.
      const cancel = await page.findById('log-cancel');
      await page.evaluate((element) => element.scrollIntoView(), cancel);
      await page.click(cancel);
      const cancelled = { status: 'The correction of million.csv was cancelled.', offered: false, bar: false, cancel: false };
      assert.deepEqual(await page.evaluate(logState), cancelled);
      // Long enough for the whole log to have been corrected, had its worker gone on.
      await sleep(3000);
      assert.deepEqual(await page.evaluate(logState), cancelled, 'a cancelled log is never offered');
      const readings = join(repoRoot, 'docs', 'examples', 'readings.csv');
      await page.setFiles(await page.findLabelled('Correct a Log'), [readings]);
      await page.waitFor(() => !document.getElementById('log-download').hidden);
      const cli = spawnSync(cliPath, [readings]);
      assert.equal(await page.evaluate(() => document.getElementById('log-status').textContent),
        cli.stderr.toString().trim().replace(/^kestrane-cli: /, ''));
      await page.close();
    });
  });
}
