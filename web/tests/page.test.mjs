// The page in each engine (Chromium, Firefox, WebKitGTK), driven through the
// names a screen reader announces: its state after load, calculations in every
// unit, each message, the keyboard, the chart against kestrane-cli, and phone
// and desktop layouts; and nothing fetched or sent the whole time.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { cliOutcomes } from './cli.mjs';
import { engines, pageUrl } from './engines.mjs';
import { defaultTexts, defaultUnits, fieldNames, formControls, listNames, resultNames, runReading } from './form.mjs';

// The page reads as the dialog does with #lenient in its address: the cases
// that look for the dialog's messages open it so.
const lenientUrl = `${pageUrl}#lenient`;
// The dialog's unit lists, which begin the page's; and the page's own decimal mark.
const dialogUnits = [['Degrees F', 'Degrees C'], ['In Hg', 'mm Hg', 'Bar', 'KPa'], ['Feet', 'Meters']];
const markName = 'Decimal Mark';

// Requests Chromium makes on its own that no switch or preference of this
// version stops: the Google accounts in the cookie jar, listed once the
// profile's network is up, and an update check for its on-device model
// manifest. Both end at the proxy sink, which answers nothing.
const unstoppable = {
  chromium: [/^CONNECT accounts\.google\.com:443 /, /^(CONNECT update\.googleapis\.com:443 |POST http:\/\/update\.googleapis\.com\/service\/update2\/json\?)/],
};

for (const engine of engines) {
  describe(engine.name, { skip: engine.skip }, () => {
    let browser;
    before(async () => (browser = await engine.launch()));
    after(() => browser?.close());

    test('after load: every control named by its label, the defaults, empty results, nothing fetched', async (t) => {
      t.diagnostic(browser.version);
      const page = await browser.open();
      // The correction's form; the log's controls below it are the log's tests' concern.
      const roles = ['combobox', 'textbox', 'button', 'alert'];
      assert.deepEqual(await page.accessibleControls(roles, { within: '#correction' }), [
        ...listNames.map((name, i) => [engine.listRole, name, defaultUnits[i], false]),
        [engine.listRole, markName, '.', false], // the browser's language is en-US
        ...fieldNames.map((name, i) => ['textbox', name, defaultTexts[i], false]),
        ['button', 'Execute Calculation', '', false],
        ['alert', '', '', false],
        ...resultNames.map((name) => ['textbox', name, '', true]),
      ]);
      const options = await page.evaluate(() => [...document.querySelectorAll('#correction select')].map((l) => [...l.options].map((o) => o.text)));
      assert.deepEqual(options.slice(0, 3).map((entries, i) => entries.slice(0, dialogUnits[i].length)), dialogUnits,
        "each unit list begins with the dialog's entries");
      assert.deepEqual(options[3], ['.', ','], 'the decimal marks');
      const groups = await page.evaluate(() => [...document.querySelectorAll('legend')].map((l) => l.textContent));
      assert.deepEqual(groups, ['Units', 'Target Setpoints', 'Environment', 'Calculation Activation',
        'Partial Pressure Calculation Results']);
      // Chromium reports the file it opens as a request; Firefox's network events
      // (BiDi) leave file: addresses out; WebDriver reports no requests at all,
      // and there the page's resource timing and the proxy sink (last test) stand in.
      const expected = { chromium: [pageUrl], firefox: [] }[engine.name];
      if (page.requests) assert.deepEqual(page.requests, expected, 'the page fetches nothing beyond itself');
      else t.diagnostic(`${engine.name}: WebDriver reports no requests; resource timing and the proxy sink stand in`);
      assert.deepEqual(await page.evaluate(() => performance.getEntriesByType('resource').map((r) => r.name)), []);
      await page.close();
    });

    test('a calculation in every unit', async () => {
      const page = await browser.open();
      const controls = await formControls(page);
      const cases = [
        { name: 'defaults', texts: [], units: [], results: ['20.64', '6.19', '1.5', '29.56'] },
        { name: 'altitude 5000 ft', texts: [, , , , '5000'], units: [], results: ['17.29', '5.19', '1.5', '24.76'] },
        { name: 'altitude 1000 Meters', texts: [, , , , '1000'], units: [, , 'Meters'], results: ['18.38', '5.52', '1.5', '26.32'] },
        { name: '25 Degrees C', texts: [, , , '25'], units: ['Degrees C'], results: ['20.62', '6.19', '1.6', '29.53'] },
        { name: '760 mm Hg', texts: [, '760', '760'], units: [, 'mm Hg'], results: ['20.64', '156.89', '1.5', '29.48'] },
        { name: '1.01325 Bar', texts: [, '1.01325', '1.01325'], units: [, 'Bar'], results: ['20.64', '0.21', '1.5', '29.48'] },
        {
          name: 'KPa, Degrees C and Meters together',
          texts: [, '101.325', '100', '10', '300', '80'],
          units: ['Degrees C', 'KPa', 'Meters'],
          results: ['19.74', '20.00', '1.0', '28.19'],
        },
      ];
      for (const c of cases) {
        const texts = Array.from({ length: 6 }, (_, i) => c.texts[i] ?? defaultTexts[i]);
        const units = Array.from({ length: 3 }, (_, i) => c.units[i] ?? defaultUnits[i]);
        assert.deepEqual(await runReading(controls, { texts, units }), { results: c.results }, c.name);
      }
      await page.close();
    });

    test('each message: shown in the alert, no field changed, earlier results kept, cleared by a good run', async () => {
      const page = await browser.open({ url: lenientUrl });
      const controls = await formControls(page);
      const defaults = ['20.64', '6.19', '1.5', '29.56'];
      await runReading(controls, { texts: defaultTexts });
      const cases = [
        [0, '100.0001', 'Error: Gas Percent Outside of Range'],
        [1, '0', 'Error: Target Pressure Outside of Range'],
        [2, '-30', 'Error: Barometric Pressure Outside of Range'],
        [3, 'warm', 'Error: Temperature Outside of Range'],
        [4, '-0.001', 'Error: Altitude Outside of Range'],
        [5, '-0.0002', 'Error: Relative Humidity Outside of Range'],
      ];
      for (const [field, text, message] of cases) {
        const texts = defaultTexts.map((t, i) => (i === field ? text : t));
        assert.deepEqual(await runReading(controls, { texts }), { message }, `${fieldNames[field]} "${text}"`);
        const shown = await page.evaluate(() => [...document.querySelectorAll('[data-field], [data-result]')].map((i) => i.value));
        assert.deepEqual(shown, [...texts, ...defaults], `fields after ${fieldNames[field]} "${text}"`);
      }
      assert.deepEqual(await runReading(controls, { texts: defaultTexts }), { results: defaults });
      assert.equal(await page.evaluate(() => document.querySelector('[role="alert"]').textContent), '');
      await page.close();
    });

    test('the keyboard: tab order follows the form, typing and Enter in a field or a list runs it', async () => {
      const page = await browser.open();
      const order = [];
      for (let i = 0; i < 15; ++i) {
        await page.press('Tab');
        order.push(await page.evaluate(() => document.activeElement.labels?.[0]?.textContent ?? document.activeElement.textContent));
      }
      assert.deepEqual(order, [...listNames, markName, ...fieldNames, 'Execute Calculation', ...resultNames]);

      const results = () => page.evaluate(() => [...document.querySelectorAll('[readonly]')].map((i) => i.value));
      const { fields, lists } = await formControls(page);
      const altitude = () => page.evaluate((field) => field.value, fields[4]);
      await page.click(fields[4], { count: 3 });
      await page.type('5000');
      assert.equal(await altitude(), '5000', 'typed over the selected text');
      await page.press('Enter');
      assert.deepEqual(await results(), ['17.29', '5.19', '1.5', '24.76'], 'Enter in Altitude');
      await page.click(fields[4], { count: 3 });
      await page.type('1000');
      assert.equal(await altitude(), '1000', 'typed over the selected text');
      await page.focus(lists[2]);
      await page.press('ArrowDown');
      await page.press('Enter');
      assert.deepEqual(await results(), ['18.38', '5.52', '1.5', '26.32'], 'Meters, then Enter in Distance Units');
      await page.close();
    });

    test('the chart: every point is what kestrane-cli gives at that altitude, the current one marked', async () => {
      const page = await browser.open();
      const controls = await formControls(page);
      const cases = [
        { texts: defaultTexts, units: defaultUnits, step: 200, marker: '20.64 % at 0 feet' },
        { texts: ['20.9', '29.92', '30.1', '18', '1000', '65'], units: ['Degrees C', 'In Hg', 'Meters'], step: 60,
          marker: '18.43 % at 1000 meters' },
      ];
      for (const c of cases) {
        await runReading(controls, c);
        const points = await page.evaluate(() => {
          const p = document.querySelector('.points');
          const gas = p.dataset.gas.split(' ');
          return p.dataset.altitudes.split(' ').map((altitude, i) => [altitude, gas[i]]);
        });
        assert.deepEqual(points.map(([a]) => a), Array.from({ length: 51 }, (_, i) => String(i * c.step)), c.marker);
        const readings = points.map(([altitude]) => ({ texts: c.texts.map((t, i) => (i === 4 ? altitude : t)), units: c.units }));
        assert.deepEqual(points.map(([, gas]) => gas), cliOutcomes(readings).map((o) => o.results[0]), c.marker);
        assert.equal(await page.evaluate(() => document.querySelector('.marker text').textContent), c.marker);
      }
      await page.close();
    });

    // Chromium also emulates a phone (the page's viewport meta honoured, touch);
    // Firefox and WebKit lay the page out in a view of the phone's width, which
    // is what this measures.
    test('phone and desktop: nothing wider than the screen, before and after a calculation and a message', async () => {
      for (const viewport of [{ width: 360, height: 740, isMobile: true, hasTouch: true }, { width: 1280, height: 800 }]) {
        const page = await browser.open({ viewport });
        const controls = await formControls(page);
        const overflow = () =>
          page.evaluate(() => [document.documentElement.scrollWidth,
            ...[...document.querySelectorAll('body *')].map((e) => e.getBoundingClientRect().right)].filter((r) => r > innerWidth));
        assert.equal(await page.evaluate(() => innerWidth), viewport.width, 'the view is as wide as the screen');
        assert.deepEqual(await overflow(), [], `${viewport.width} px after load`);
        await runReading(controls, { texts: ['20.95', '30.00', '30.00', '75', '12000', '50'] });
        await runReading(controls, { texts: ['20.95', '30.00', '30.00', '75', '0', '101'] });
        assert.deepEqual(await overflow(), [], `${viewport.width} px with chart and message`);
        await page.close();
      }
    });

    test('nothing reached the network: no connection through the proxy all along', () => {
      const own = unstoppable[engine.name] ?? [];
      assert.deepEqual(browser.connections.filter((line) => !own.some((pattern) => pattern.test(line))), []);
    });
  });
}
