#!/usr/bin/env node
// Screenshots of the page for the README: the desktop after a calculation at
// 1500 m, 25 °C and 80 % relative humidity; a phone opened from a site's
// bookmark (hectopascals, degrees C, metres and a decimal comma) after a
// calculation; a log corrected in the page, ready to save; a reading with its
// uncertainty and budget; and that reading printed (an A4 page, drawn from the
// PDF Chromium prints by poppler's pdftoppm).
import { spawnSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { engines, pageUrl, repoRoot } from '../web/tests/engines.mjs';
import { formControls, runReading } from '../web/tests/form.mjs';

const site = '#pressure-unit=hPa&target-pressure=1013,25&barometric-pressure=1002,5&temperature-unit=C' +
  '&temperature=22,5&distance-unit=m&altitude=350&humidity=45&decimal-comma';
const uncertain = '#u-gas=0.05&u-barometer=0.02&u-temperature=0.5&u-humidity=2';
const shots = [
  { file: 'page-desktop.png', viewport: { width: 1024, height: 800 },
    reading: { texts: ['20.95', '30.00', '30.00', '25', '1500', '80'], units: ['Degrees C', 'In Hg', 'Meters'] } },
  { file: 'page-phone.png', url: pageUrl + site, viewport: { width: 360, height: 740, isMobile: true, hasTouch: true },
    reading: {} },
  { file: 'page-log.png', url: pageUrl + '#decimal-comma&pressure-unit=hPa&temperature-unit=C',
    viewport: { width: 1024, height: 800 }, log: join(repoRoot, 'docs', 'examples', 'europe.csv') },
  { file: 'page-uncertainty.png', url: `${pageUrl}${uncertain}`, viewport: { width: 1024, height: 800 }, reading: {},
    print: 'page-print.png' },
];

const browser = await engines.find((engine) => engine.name === 'chromium').launch();
try {
  for (const shot of shots) {
    const page = await browser.open({ url: shot.url, viewport: shot.viewport });
    if (shot.reading) await runReading(await formControls(page), shot.reading);
    if (shot.log) {
      await page.setFiles(await page.findLabelled('Correct a Log'), [shot.log]);
      await page.waitFor(() => document.getElementById('log-download').hidden === false);
    }
    writeFileSync(join(repoRoot, 'docs', shot.file), await page.screenshot({ fullPage: true }));
    console.log(`docs/${shot.file}`);
    if (shot.print) {
      const pdf = await page.page.pdf({ format: 'A4', printBackground: true });
      const out = join(repoRoot, 'docs', shot.print.replace(/\.png$/, ''));
      spawnSync('pdftoppm', ['-png', '-r', '60', '-singlefile', '-', out], { input: pdf });
      console.log(`docs/${shot.print}`);
    }
  }
} finally {
  await browser.close();
}
