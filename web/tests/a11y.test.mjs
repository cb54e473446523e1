// The page on a 360 px phone, in each engine and in each state a user meets it
// in: axe-core finds nothing, nothing scrolls sideways, no visible text is
// below 12 px, and the error and warning texts and the analyzer's pass and
// fail keep 4.5:1 against what is behind them, light and dark. The contrast is measured here from the colours
// the engine computed, since axe takes a dark page's canvas to be white.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { engines, pageUrl, repoRoot } from './engines.mjs';

const axeSource = readFileSync(join(repoRoot, 'node_modules', 'axe-core', 'axe.min.js'), 'utf8');
const phone = { width: 360, height: 740 };
const uncertain = '#u-gas=0.05&u-barometer=0.02&u-temperature=0.5&u-humidity=2';
const submit = () => document.getElementById('execute').click();
const refuse = () => {
  document.getElementById('field-0').value = '2O';
  document.getElementById('execute').click();
};
// A temperature past the range a reading is trusted in: results with warnings.
const warn = () => {
  document.getElementById('field-3').value = '300';
  document.getElementById('execute').click();
};
const monteCarlo = '#u-gas=0.05:rectangular&dof-gas=4&u-barometer=0.02&correlation=barometric-pressure,target-pressure=1'
  + '&coverage=0.5&monte-carlo=20000&interval=shortest';
// Waits for the run the address asks for.
const monteCarloShown = () => new Promise((resolve) => {
  const shown = () => (document.getElementById('mc-text').hidden ? setTimeout(shown, 50) : resolve(true));
  shown();
});
const dark = () => (document.documentElement.style.colorScheme = 'dark');
// The analyzer failed as found and passed as left, the record's section open.
const checked = '#u-gas=0.02&analyzer-reading=20.90&as-left=20.66&tolerance=0.10&decision-rule=guarded&lab-name=Lab';

// Each state: the address it opens, what is done on the page, a log file to
// load, and which of the error and warning texts it shows.
const states = [
  { name: 'empty', shows: [] },
  { name: 'results with warnings', act: [warn], shows: ['warnings'] },
  { name: 'refusal', act: [refuse], shows: ['message'] },
  { name: 'uncertainty open', hash: uncertain, act: [submit], shows: [] },
  { name: 'log loaded', log: 'readings.csv', shows: [] },
  { name: 'dark, refusal', act: [dark, refuse], shows: ['message'] },
  { name: 'dark, uncertainty open with warnings', hash: uncertain, act: [dark, warn], shows: ['warnings'] },
  { name: 'dark, log loaded', act: [dark], log: 'readings.csv', shows: [] },
  { name: 'dark, every uncertainty control set, Monte Carlo run', hash: monteCarlo, act: [dark, monteCarloShown], shows: [] },
  { name: 'analyzer checked, record open', hash: checked, act: [submit], shows: ['pass', 'fail'] },
  { name: 'dark, analyzer checked, record open', hash: checked, act: [dark, submit], shows: ['pass', 'fail'] },
];

// What is measured in the page once a state is reached.
async function measure() {
  const channels = (text) => {
    const probe = document.createElement('div');
    probe.style.color = text;
    document.body.append(probe);
    const canvas = document.createElement('canvas');
    canvas.width = canvas.height = 1;
    const context = canvas.getContext('2d');
    context.fillStyle = getComputedStyle(probe).color;
    context.fillRect(0, 0, 1, 1);
    probe.remove();
    return [...context.getImageData(0, 0, 1, 1).data];
  };
  const luminance = (rgba) => {
    const [r, g, b] = rgba.slice(0, 3).map((c) => c / 255).map((c) => (c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4));
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
  };
  // The first opaque background from the element up, else the canvas's colour.
  const background = (element) => {
    for (let e = element; e; e = e.parentElement) {
      const rgba = channels(getComputedStyle(e).backgroundColor);
      if (rgba[3] === 255) return rgba;
    }
    return channels('Canvas');
  };
  const contrast = (selector) => {
    const element = document.querySelector(selector);
    if (!element) return { text: false };
    const [a, b] = [luminance(channels(getComputedStyle(element).color)), luminance(background(element))];
    return { text: element.textContent !== '', ratio: (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05) };
  };
  // Visible text and its size on screen: an SVG text's size scaled as its drawing is.
  const small = [];
  for (const element of document.querySelectorAll('body *')) {
    const own = [...element.childNodes].some((n) => n.nodeType === Node.TEXT_NODE && n.textContent.trim() !== '');
    if (!own || !element.checkVisibility({ visibilityProperty: true }) || element.closest('[aria-hidden="true"]:not(svg)')) continue;
    const matrix = element instanceof SVGElement ? element.getScreenCTM() : { a: 1, b: 0 };
    const scale = Math.hypot(matrix.a, matrix.b);
    const size = parseFloat(getComputedStyle(element).fontSize) * scale;
    if (size < 12) small.push(`${element.tagName.toLowerCase()} "${element.textContent.trim().slice(0, 30)}" ${size.toFixed(1)} px`);
  }
  const results = await window.axe.run(document, { resultTypes: ['violations'] });
  return {
    violations: results.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`),
    scrollWidth: document.documentElement.scrollWidth,
    small,
    contrast: { message: contrast('#message'), warnings: contrast('#warnings'), pass: contrast('.decision .pass'),
      fail: contrast('.decision .fail') },
  };
}

for (const engine of engines) {
  describe(engine.name, { skip: engine.skip }, () => {
    let browser;
    before(async () => (browser = await engine.launch()));
    after(() => browser?.close());

    for (const state of states) {
      test(`${state.name}: no axe violation, no sideways scroll at 360 px, text of 12 px or more, 4.5:1 error and warning texts`, async () => {
        const page = await browser.open({ url: `${pageUrl}${state.hash ?? ''}`, viewport: phone });
        try {
          for (const act of state.act ?? []) await page.evaluate(act);
          if (state.log) {
            await page.setFiles(await page.findLabelled('Correct a Log'), [join(repoRoot, 'docs', 'examples', state.log)]);
            await page.waitFor(() => document.getElementById('log-download').hidden === false);
          }
          await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0, true))));
          await page.inject(axeSource);
          const got = await page.evaluate(measure);
          for (const [id, { text, ratio }] of Object.entries(got.contrast)) {
            if (text) assert.ok(ratio >= 4.5, `${id}: contrast ${ratio.toFixed(2)}:1`);
          }
          assert.deepEqual(got.violations, [], 'axe-core violations');
          assert.ok(got.scrollWidth <= phone.width, `the page is ${got.scrollWidth} px wide in a ${phone.width} px view`);
          assert.deepEqual(got.small, [], 'text below 12 px');
          const shown = Object.entries(got.contrast).filter(([, c]) => c.text).map(([id]) => id);
          assert.deepEqual(shown, state.shows, 'the texts whose contrast is measured');
        } finally {
          await page.close();
        }
      });
    }
  });
}
