// What the page's tests ask of each engine, shown to work there: a file given
// to a file input, a download read back byte for byte, a screenshot of the
// view, the browser's language, and a proxy that sees whatever the browser
// sends. The little page used here keeps the page's own content security policy.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';
import { pathToFileURL } from 'node:url';
import { engines } from './engines.mjs';

// Bytes a log may hold: a decimal comma, a CR LF, a non-ASCII letter, a NUL.
const logBytes = Buffer.from('gas;altitude\r\n20,95;1500 µ\r\n\0\n', 'utf8');
const background = [12, 140, 200];

const fixture = `<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'; form-action 'none'; base-uri 'none'">
<title>engine check</title>
<style>html, body { margin: 0; height: 100%; background: rgb(${background}); }</style>
</head><body>
<label for="log">Log file</label> <input type="file" id="log">
<button type="button" id="save">Save results</button>
<script>
document.getElementById('log').addEventListener('change', async (event) => {
  const [file] = event.target.files;
  window.picked = { name: file.name, bytes: [...new Uint8Array(await file.arrayBuffer())] };
});
document.getElementById('save').addEventListener('click', () => {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([new Uint8Array([${[...logBytes]}])], { type: 'text/csv' }));
  link.download = 'results.csv';
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 5000);
});
</script>
</body></html>
`;

let folder, fixtureUrl, logPath;
before(() => {
  folder = mkdtempSync(join(tmpdir(), 'kestrane-engine-check-'));
  writeFileSync(join(folder, 'check.html'), fixture);
  fixtureUrl = pathToFileURL(join(folder, 'check.html')).href;
  logPath = join(folder, 'log µ.csv');
  writeFileSync(logPath, logBytes);
});
after(() => rmSync(folder, { recursive: true, force: true }));

// Width, height and the colour of one pixel of a PNG, as ImageMagick reads it.
function pngFacts(png) {
  const run = spawnSync('convert', ['png:-', '-format', '%w %h %[fx:int(255*p{20,200}.r)],%[fx:int(255*p{20,200}.g)],%[fx:int(255*p{20,200}.b)]', 'info:-'], { input: png, encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`convert: ${run.stderr}`);
  const [width, height, colour] = run.stdout.trim().split(' ');
  return { width: Number(width), height: Number(height), colour: colour.split(',').map(Number) };
}

const localeFacts = () => [navigator.language, navigator.languages[0], Intl.DateTimeFormat().resolvedOptions().locale,
  (1234.5).toLocaleString()];

for (const engine of engines) {
  describe(engine.name, { skip: engine.skip }, () => {
    let browser;
    before(async () => (browser = await engine.launch()));
    after(() => browser?.close());

    test('a file set on a file input reaches the page whole', async () => {
      const page = await browser.open({ url: fixtureUrl });
      await page.setFiles(await page.findLabelled('Log file'), [logPath]);
      await page.waitFor(() => window.picked !== undefined);
      assert.deepEqual(await page.evaluate(() => window.picked), { name: 'log µ.csv', bytes: [...logBytes] });
      await page.close();
    });

    test('a download is saved and read back byte for byte', async () => {
      const page = await browser.open({ url: fixtureUrl });
      const { name, bytes } = await page.download(await page.find('Save results', 'button'));
      assert.equal(name, 'results.csv');
      assert.deepEqual([...bytes], [...logBytes]);
      await page.close();
    });

    test('a screenshot is a PNG of the view at the size asked for', async () => {
      const viewport = { width: 400, height: 300 };
      const page = await browser.open({ url: fixtureUrl, viewport });
      assert.deepEqual(pngFacts(await page.screenshot()), { ...viewport, colour: background });
      await page.close();
    });

    test("the browser's language: navigator.language, Intl's default locale, number formats", async () => {
      const page = await browser.open();
      assert.deepEqual(await page.evaluate(localeFacts), ['en-US', 'en-US', 'en-US', '1,234.5'], 'by default');
      assert.equal(await page.evaluate(() => document.getElementById('decimal-mark').value), '.', "the page's decimal mark in en-US");
      await page.close();
      const german = await engine.launch({ language: 'de-DE' });
      try {
        const germanPage = await german.open();
        assert.deepEqual(await germanPage.evaluate(localeFacts), ['de-DE', 'de-DE', 'de-DE', '1.234,5'], 'de-DE');
        // What the page makes of it: a decimal comma, the defaults written with it.
        const mark = () => [document.getElementById('decimal-mark').value, document.getElementById('field-1').value];
        assert.deepEqual(await germanPage.evaluate(mark), [',', '30,00'], "the page's decimal mark in de-DE");
        await germanPage.close();
      } finally {
        await german.close();
      }
    });

    // What makes "nothing reached the proxy" in the page's tests mean something:
    // a request the browser does make arrives there (and, where the engine
    // reports requests, is reported).
    test('the proxy sees a request the browser makes', async () => {
      const page = await browser.open({ url: fixtureUrl });
      await page.evaluate(() => void (location.href = 'http://kestrane.test/check'));
      // The sink and the engine's own request events each learn of it in their own time.
      const seen = () => browser.connections.some((line) => line.startsWith('GET http://kestrane.test/check '))
        && (page.requests?.includes('http://kestrane.test/check') ?? true);
      for (let tries = 0; !seen() && tries < 200; ++tries) await sleep(25);
      assert.ok(browser.connections.some((line) => line.startsWith('GET http://kestrane.test/check ')), browser.connections.join('\n'));
      if (page.requests) assert.ok(page.requests.includes('http://kestrane.test/check'), page.requests.join('\n'));
      await page.close();
    });
  });
}
