#!/usr/bin/env node
// Screenshots of the page for the README: the desktop after a calculation at
// 1500 m, 25 °C and 80 % relative humidity; a phone opened from a site's
// bookmark (hectopascals, degrees C, metres and a decimal comma) after a
// calculation; a log corrected in the page, ready to save; a reading with its
// uncertainty and budget; and that reading printed (an A4 page, drawn from the
// PDF Chromium prints by poppler's pdftoppm); and a calibration record with the
// analyzer checked as found and as left, on screen and printed.
import { spawnSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { engines, pageUrl, repoRoot } from '../web/tests/engines.mjs';
import { formControls, runReading } from '../web/tests/form.mjs';

const site = '#pressure-unit=hPa&target-pressure=1013,25&barometric-pressure=1002,5&temperature-unit=C' +
  '&temperature=22,5&distance-unit=m&altitude=350&humidity=45&decimal-comma';
const uncertain = '#u-gas=0.05&u-barometer=0.02&u-temperature=0.5&u-humidity=2';
const record = '#u-gas=0.02&u-barometer=0.01&u-temperature=0.5&u-humidity=2&analyzer-reading=20.70&as-left=20.66'
  + '&u-analyzer=0.01&tolerance=0.10&record-lab-name=Gasworks%20Calibration%20Lab&record-lab-address=12%20Harbour%20Road,%20Leith%20EH6%206QQ'
  + '&record-record-number=GC-2026-0412&record-customer=North%20Sea%20Safety%20Ltd&record-item-make=Harbour%20Instruments&record-item-model=OX-200'
  + '&record-item-serial=01520-448&record-reference-gas-cylinder=20.9%25%20O2%20in%20N2%2C%20cylinder%20A7731&record-reference-gas-certificate=UKAS%200123%2F2026%2F88'
  + '&record-barometer=Digital%20barometer%20s%2Fn%20B-1120&record-calibration-date=2026-05-04&record-issue-date=2026-05-05&record-operator=A.%20Okafor'
  + '&record-authorized-by=M.%20Lindqvist';
const shots = [
  { file: 'page-desktop.png', viewport: { width: 1024, height: 800 },
    reading: { texts: ['20.95', '30.00', '30.00', '25', '1500', '80'], units: ['Degrees C', 'In Hg', 'Meters'] } },
  { file: 'page-phone.png', url: pageUrl + site, viewport: { width: 360, height: 740, isMobile: true, hasTouch: true },
    reading: {} },
  { file: 'page-log.png', url: pageUrl + '#decimal-comma&pressure-unit=hPa&temperature-unit=C',
    viewport: { width: 1024, height: 800 }, log: join(repoRoot, 'docs', 'examples', 'europe.csv') },
  { file: 'page-uncertainty.png', url: `${pageUrl}${uncertain}`, viewport: { width: 1024, height: 800 }, reading: {},
    print: 'page-print.png' },
  { file: 'page-check.png', url: `${pageUrl}${record}`, viewport: { width: 1024, height: 800 }, reading: {},
    print: 'page-record.png' },
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
