// Temporary: interleaved ready times of two builds of the page.
import { launchBrowser, openPage } from '../web/tests/browser.mjs';
import { pathToFileURL } from 'node:url';
const [a, b] = process.argv.slice(2).map((f) => pathToFileURL(f).href);
const browser = await launchBrowser();
const page = await browser.newPage();
await page.setViewport({ width: 1024, height: 900 });
const times = { a: [], b: [] };
const median = (v) => { const s = [...v].sort((x, y) => x - y); return (s[(s.length - 1) >> 1] + s[s.length >> 1]) / 2; };
for (let i = 0; i < 40; ++i) {
  for (const [k, url] of [['a', a], ['b', b]]) {
    await page.goto(url);
    await page.waitForFunction(() => performance.getEntriesByName('kestrane-ready').length > 0);
    times[k].push(await page.evaluate(() => performance.getEntriesByName('kestrane-ready')[0].startTime));
  }
}
console.log('a', median(times.a).toFixed(1), 'b', median(times.b).toFixed(1));
await browser.close();
