// The page beside the instrument, in each engine: texts read strictly with
// kestrane-cli's messages, both decimal marks, every unit, warnings, the
// settings kept in the address, a log corrected in the page and saved, the
// phone's number keyboard, the uncertainty and its budget, and the printed
// record on one page. Every answer is compared with kestrane-cli's own.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { engines, pageUrl, repoRoot } from './engines.mjs';
import { cliArgs, cliJson, cliReading } from './cli.mjs';
import { defaultTexts, formControls, runReading } from './form.mjs';

const cliPath = join(repoRoot, 'build', 'native', 'cli', 'kestrane-cli');
const examples = join(repoRoot, 'docs', 'examples');
const options = ['gas', 'target-pressure', 'barometric-pressure', 'temperature', 'altitude', 'humidity'];

// kestrane-cli on one reading: its four result texts (the unit after a pressure
// dropped), or its message; and its warnings without the program's prefix.
function cli(texts, units, extra = []) {
  const args = texts.flatMap((text, i) => [`--${options[i]}=${text}`]);
  const unitArgs = ['--temperature-unit', units[0], '--pressure-unit', units[1], '--distance-unit', units[2]];
  const run = spawnSync(cliPath, [...args, ...unitArgs, ...extra], { encoding: 'utf8' });
  const warnings = run.stderr.split('\n').filter((l) => l.startsWith('kestrane-cli: warning: '))
    .map((l) => l.slice('kestrane-cli: warning: '.length));
  if (run.status !== 0) return { message: run.stderr.trim(), warnings };
  return { results: run.stdout.trim().split('\n').map((l) => l.slice(l.indexOf(': ') + 2).split(' ')[0]), warnings };
}

// One reading on the page, with its warnings as the status region shows them.
async function pageReading(page, texts, units) {
  const outcome = await runReading(await formControls(page), { texts, units });
  const warnings = await page.evaluate(() => document.querySelector('#warnings').textContent);
  return { ...outcome, warnings: warnings === '' ? [] : warnings.split(/(?<=\.) Warning: /).map((w) => w.replace(/^Warning: |\.$/g, '')) };
}

// Readings read strictly, in both marks and in units past the dialog's: each
// is what kestrane-cli gives, message or results and warnings.
const readings = [
  { name: 'a decimal comma, with the point', texts: ['20,95'], units: [], message: 'Error: Target Gas (% Vol) is not a number: "20,95" (for a decimal comma, choose "," as the Decimal Mark)' },
  { name: 'a letter O for a zero', texts: [, , , '2O'], units: [], message: 'Error: Temperature is not a number: "2O"' },
  { name: 'a pressure with a comma', texts: [, , '29,92'], units: [], message: 'Error: Barometric Pressure is not a number: "29,92" (for a decimal comma, choose "," as the Decimal Mark)' },
  { name: 'out of range keeps the dialog\'s message', texts: [, , , , , '101'], units: [], message: 'Error: Relative Humidity Outside of Range' },
  { name: 'a point, with the comma', mark: ',', texts: ['20.95'], units: [], message: 'Error: Target Gas (% Vol) is not a number: "20.95" (with "," as the Decimal Mark, write "20,95")' },
  { name: 'the comma, read and written', mark: ',', texts: ['20,95', '1013,25', '1002,5', '22,5', '0', '45,5'], units: ['Degrees C', 'hPa', 'Feet'] },
  { name: 'hPa and Meters', texts: [, '1013.25', '998', '23.1', '150', '52'], units: ['Degrees C', 'hPa', 'Meters'] },
  { name: 'psi and K', texts: [, '14.6959', '14.54', '295.65'], units: ['K', 'psi', 'Feet'] },
  { name: 'atm', texts: [, '1', '0.98'], units: ['Degrees F', 'atm', 'Feet'] },
  { name: 'warnings beside the results', texts: [, , , '300'], units: [] },
  { name: 'hPa meant, In Hg chosen', texts: [, , '1002'], units: [] },
];

const uncertain = '#u-gas=0.05&u-barometer=0.02&u-temperature=0.5&u-humidity=2';
const uncertainHash = 'gas=20.95&target-pressure=30.00&barometric-pressure=30.00&temperature=75&altitude=%20%20%200'
  + '&humidity=%2050&u-gas=0.05&u-barometric-pressure=0.02&u-temperature=0.5&u-humidity=2'
  + '&temperature-unit=F&pressure-unit=inHg&distance-unit=ft';
// Addresses with uncertainties, the field found by its label and its value,
// and the option a refused value is given by to kestrane-cli.
const uncertainCases = [
  { address: uncertain, label: 'Standard Uncertainty of Relative Humidity (%)', value: '2', option: 'u-humidity', hash: uncertainHash },
  { address: '#u-gas=0.05:rectangular&dof-gas=4&u-target-pressure=0.01&u-barometer=0.02:triangular&u-temperature=0.5:arcsine'
      + '&dof-temperature=9&u-humidity=2&correlation=barometric-pressure,target-pressure=1&coverage=0.95',
    label: 'Standard Uncertainty of Target Gas (% Vol)', value: '0.05', option: 'u-gas' },
];
// A run short enough for every engine: at 50 % coverage its fewest draws are 20000.
const monteCarlo = '#u-gas=0.05:rectangular&u-barometer=0.02&u-temperature=0.5&dof-temperature=6&u-humidity=2'
  + '&coverage=0.5&monte-carlo=20000&interval=shortest&seed=7';
const settings = '#pressure-unit=hPa&barometric-pressure=1002&target-pressure=1013.25&temperature-unit=C&temperature=20&altitude=350&nonsense=1&decimal-comma=yes';

for (const engine of engines) {
  describe(engine.name, { skip: engine.skip }, () => {
    let browser;
    before(async () => (browser = await engine.launch()));
    after(() => browser?.close());

    test("readings read strictly, in both marks and every unit, as kestrane-cli reads them; nothing changed by a refusal", async () => {
      for (const mark of ['.', ',']) {
        const page = await browser.open({ url: mark === ',' ? `${pageUrl}#decimal-comma` : pageUrl });
        const first = await pageReading(page, mark === ',' ? defaultTexts.map((t) => t.replace('.', ',')) : defaultTexts, []);
        for (const r of readings.filter((c) => (c.mark ?? '.') === mark)) {
          const defaults = mark === ',' ? defaultTexts.map((t) => t.replace('.', ',')) : defaultTexts;
          const texts = defaults.map((t, i) => r.texts[i] ?? t);
          const units = ['Degrees F', 'In Hg', 'Feet'].map((u, i) => r.units[i] ?? u);
          const before = await page.evaluate(() => [...document.querySelectorAll('#correction input')].map((i) => i.value));
          const got = await pageReading(page, texts, units);
          const expected = cli(texts, units, mark === ',' ? ['--decimal-comma'] : []);
          if (r.message) {
            assert.equal(got.message, r.message, r.name);
            assert.equal(expected.message.replace(/ \(for a decimal comma.*| \(with --decimal-comma.*/, ''),
              r.message.replace(/ \(for a decimal comma.*| \(with "," as.*/, ''), `${r.name}: kestrane-cli's words`);
            const after = await page.evaluate(() => [...document.querySelectorAll('#correction input')].map((i) => i.value));
            assert.deepEqual(after.slice(6), before.slice(6), `${r.name}: results kept`);
          } else {
            assert.deepEqual(got.results, expected.results, r.name);
            assert.deepEqual(got.warnings, expected.warnings, `${r.name}: warnings`);
          }
        }
        assert.ok(first.results, 'the defaults in the mark');
        await page.close();
      }
    });

    test('the site in the address: applied on load (what it gets wrong named), written after each calculation, reopened alike', async () => {
      const page = await browser.open({ url: `${pageUrl}${settings}` });
      const state = () => page.evaluate(async () => ({
        settled: await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0, true))),
        fields: [...document.querySelectorAll('[data-field]')].map((i) => i.value),
        units: [...document.querySelectorAll('[data-unit]')].map((l) => l.selectedOptions[0].text),
        mark: document.getElementById('decimal-mark').value,
        message: document.getElementById('message').textContent,
        hash: location.hash,
        history: history.length,
      }));
      const loaded = await state();
      assert.deepEqual(loaded.fields, ['20.95', '1013.25', '1002', '20', '350', ' 50']);
      assert.deepEqual(loaded.units, ['Degrees C', 'hPa', 'Feet']);
      assert.equal(loaded.mark, '.', 'decimal-comma with a value is not taken');
      assert.equal(loaded.message, 'The address names "nonsense", which is no setting of this page. "decimal-comma" in the address takes no value, but has "yes".');
      const controls = await formControls(page);
      const results = await runReading(controls, {});
      for (const altitude of ['400', '450']) await runReading(controls, { texts: loaded.fields.map((t, i) => (i === 4 ? altitude : t)) });
      const written = await state();
      assert.equal(written.history, loaded.history, 'no history entries pile up');
      assert.equal(written.hash, '#gas=20.95&target-pressure=1013.25&barometric-pressure=1002&temperature=20&altitude=450&humidity=%2050&temperature-unit=C&pressure-unit=hPa&distance-unit=ft');
      await page.close();
      const reopened = await browser.open({ url: `${pageUrl}${written.hash.replace('altitude=450', 'altitude=350')}` });
      assert.deepEqual(await runReading(await formControls(reopened), {}), results, 'the link reopens the same reading');
      assert.equal(await reopened.evaluate(() => document.getElementById('message').textContent), '');
      await reopened.close();
    });

    test("the record's texts and the check typed in: carried in the address, reopened alike, read by kestrane-cli as typed", async () => {
      // Labels and texts; each text holds what an address must escape.
      const typed = [['Laboratory', 'Müller & Söhne, Labor = 1'], ['Customer', 'Ørsted A/S; 50 % #2?'],
        ['Record number', 'KR+2026&x=%41'], ['Authorized by', 'Zoë Ångström 😀'],
        ['Analyzer Reading As Found (% Vol)', '20.70'], ['Tolerance (± % Vol)', '0.10']];
      const keys = { Laboratory: 'lab_name', Customer: 'customer', 'Record number': 'record_number', 'Authorized by': 'authorized_by' };
      const page = await browser.open();
      const values = (on) => on.evaluate((labels) => labels.map((label) =>
        document.getElementById([...document.querySelectorAll('label')].find((l) => l.textContent === label).htmlFor).value), typed.map(([label]) => label));
      await page.evaluate((pairs) => {
        for (const [label, text] of pairs) {
          const input = document.getElementById([...document.querySelectorAll('label')].find((l) => l.textContent === label).htmlFor);
          input.value = text;
          input.dispatchEvent(new Event('input', { bubbles: true }));
        }
      }, typed);
      await runReading(await formControls(page), {});
      const hash = await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(() => resolve(location.hash)))));
      const decision = await page.evaluate(() => document.getElementById('check-0').textContent);
      await page.close();
      const reopened = await browser.open({ url: `${pageUrl}${hash}` });
      assert.deepEqual(await values(reopened), typed.map(([, text]) => text), hash);
      assert.deepEqual(await reopened.evaluate(() => ['record-fields', 'check'].map((id) => document.getElementById(id).open)), [true, true]);
      await runReading(await formControls(reopened), {});
      assert.equal(await reopened.evaluate(() => document.getElementById('check-0').textContent), decision, 'the same decision');
      await reopened.close();
      const { record } = cliJson(hash);
      assert.deepEqual(Object.entries(keys).map(([label, key]) => [label, record[key]]), typed.filter(([label]) => keys[label]));
    });

    test('a log corrected in the page and saved: the bytes kestrane-cli writes, and its summary', async () => {
      const logs = [
        { file: 'readings.csv', url: pageUrl, args: [] },
        { file: 'europe.csv', url: `${pageUrl}#decimal-comma&pressure-unit=hPa&temperature-unit=C`, args: ['--decimal-comma', '--pressure-unit', 'hPa', '--temperature-unit', 'C'] },
      ];
      for (const log of logs) {
        const page = await browser.open({ url: log.url });
        await page.setFiles(await page.findLabelled('Correct a Log'), [join(examples, log.file)]);
        await page.waitFor(() => document.getElementById('log-download').hidden === false
          || document.getElementById('log-status').textContent.includes(':'));
        const run = spawnSync(cliPath, [...log.args, join(examples, log.file)]);
        const saved = log.file.replace('.csv', '-corrected.csv');
        const link = await page.find(`Save ${saved}`, 'link');
        await page.evaluate((element) => element.scrollIntoView(), link);  // WebKit clicks only what is in view
        const { name, bytes } = await page.download(link);
        assert.equal(name, saved, log.file);
        assert.ok(Buffer.compare(Buffer.from(bytes), run.stdout) === 0, `${log.file}: the page's log is kestrane-cli's`);
        assert.equal(await page.evaluate(() => document.getElementById('log-status').textContent),
          run.stderr.toString().trim().replace(/^kestrane-cli: /, ''), `${log.file}: the summary`);
        await page.close();
      }
    });

    test("a phone's number keyboard for the six fields and their uncertainties", async () => {
      const page = await browser.open();
      assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('[data-field], [data-uncertainty]')]
        .map((i) => i.getAttribute('inputmode'))), Array(12).fill('decimal'));
      await page.close();
    });

    test("uncertainties from the address, by their labels: kestrane-cli's results and budgets, the address kept, its message for a refused one", async () => {
      const shown = (page) => page.evaluate(async () => ({
        settled: await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0, true))),
        expanded: [...document.querySelectorAll('[data-expanded]')].map((o) => o.textContent),
        budgets: [...document.querySelectorAll('.budget')].map((f) => [`${f.querySelector('figcaption').textContent}:`,
          [...f.querySelectorAll('thead th')].map((c) => c.textContent),
          ...[...f.querySelectorAll('tbody tr')].map((r) => [...r.cells].map((c) => c.textContent)),
          ...[...f.querySelectorAll('tfoot td')].map((c) => c.textContent)]),
        message: document.getElementById('message').textContent,
        hash: location.hash,
      }));
      for (const c of uncertainCases) {
        const page = await browser.open({ url: `${pageUrl}${c.address}` });
        const field = await page.find(c.label, 'textbox');
        assert.equal(await page.evaluate((e) => [e.value, e.closest('details').open], field).then(String), `${c.value},true`, c.address);
        await runReading(await formControls(page), {});
        const cli = cliReading(c.address);
        const got = await shown(page);
        assert.deepEqual(got.expanded, cli.results.map((text) => text.slice(text.indexOf(' (') + 1)), c.address);
        assert.deepEqual(got.budgets, cli.budgets, c.address);
        if (c.hash) assert.equal(got.hash, `#${c.hash}`);
        await page.evaluate((e) => (e.value = '-1'), field);
        await runReading(await formControls(page), {});
        const refusedAddress = c.address.replace(new RegExp(`([#&]${c.option})=[^&:]*`), '$1=-1');
        const refused = spawnSync(cliPath, cliArgs(refusedAddress), { encoding: 'utf8' });
        assert.deepEqual(await shown(page), { ...got, message: refused.stderr.trim().replace(/^kestrane-cli: /, '') });
        await page.close();
        // The address the page wrote reopens the same reading, every control restored from it.
        const again = await browser.open({ url: `${pageUrl}${got.hash}` });
        await runReading(await formControls(again), {});
        assert.deepEqual(await shown(again), got, `${c.address} reopened`);
        await again.close();
      }
    });

    test("Monte Carlo in the worker: an address with a run runs it, kestrane-cli's lines for the same seed; the bar moves, Cancel stops", async () => {
      const page = await browser.open({ url: `${pageUrl}${monteCarlo}` });
      const lines = () => page.evaluate(() => {
        const text = document.getElementById('mc-text');
        return text.hidden ? null : text.textContent.split('\n');
      });
      await page.waitFor(() => !document.getElementById('mc-text').hidden);
      const cli = cliReading(monteCarlo);
      assert.deepEqual(await lines(), cli.monteCarlo);
      // A run long enough to watch: the bar between its ends, then Cancel.
      await page.evaluate(() => {
        document.getElementById('mc-draws').value = '10000000';
        document.getElementById('mc-run').click();
      });
      await page.waitFor(() => { const v = document.getElementById('mc-progress').value; return v > 0 && v < 1; });
      const cancel = await page.find('Cancel', 'button');
      await page.evaluate((element) => element.scrollIntoView(), cancel);  // WebKit clicks only what is in view
      await page.click(cancel);
      const after = () => page.evaluate(() => [document.getElementById('mc-progress').hidden,
        document.getElementById('mc-run').disabled, document.getElementById('mc-status').textContent]);
      assert.deepEqual(await after(), [true, false, 'Monte Carlo was cancelled.']);
      await new Promise((resolve) => setTimeout(resolve, 500));
      assert.deepEqual([await lines(), await after()], [null, [true, false, 'Monte Carlo was cancelled.']], 'nothing came after Cancel');
      await page.close();
    });

    test('printed: one A4 or Letter page holding the inputs, results, uncertainty, time and version, and nothing to press',
      { skip: engine.name !== 'chromium' && 'printing to PDF is Chromium\'s' }, async () => {
        const page = await browser.open({ url: `${pageUrl}${uncertain}` });
        await runReading(await formControls(page), {});
        const version = spawnSync(cliPath, ['--version'], { encoding: 'utf8' }).stdout.trim().split(' ')[1];
        const cli = cliReading(uncertain);
        for (const format of ['A4', 'Letter']) {
          const pdf = await page.page.pdf({ format });
          assert.match(spawnSync('pdfinfo', ['-'], { input: pdf, encoding: 'utf8' }).stdout, /^Pages: +1$/m, format);
          const text = spawnSync('pdftotext', ['-layout', '-', '-'], { input: pdf, encoding: 'utf8' }).stdout;
          for (const expected of ['Degrees F', '20.95', '30.00', '75', '20.64', '6.19', '1.5', '29.56',
            ...cli.results.map((text) => text.slice(text.indexOf(' (') + 1)), 'Combined standard uncertainty', 'Distribution',
            `with Kestrane ${version}`, 'Altitude (Feet)']) {
            assert.ok(text.includes(expected), `${format}: "${expected}" printed`);
          }
          assert.match(text, /Calculated \d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC[+-]\d\d:\d\d/, `${format}: the time`);
          for (const absent of ['Execute Calculation', 'Correct a Log', 'A standard uncertainty is']) {
            assert.ok(!text.includes(absent), `${format}: "${absent}" not printed`);
          }
        }
        await page.close();
      });
  });
}

// The example logs the page is given are kestrane-cli's examples, unchanged.
test('the example logs exist', () => {
  for (const file of ['readings.csv', 'europe.csv']) assert.ok(readFileSync(join(examples, file)).length > 0, file);
});
