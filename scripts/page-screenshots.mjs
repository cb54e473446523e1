#!/usr/bin/env node
// Screenshots of the page for the README: desktop and phone, each after a
// calculation at 1500 m, 25 °C and 80 % relative humidity.
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { engines, repoRoot } from '../web/tests/engines.mjs';
import { formControls, runReading } from '../web/tests/form.mjs';

const reading = { texts: ['20.95', '30.00', '30.00', '25', '1500', '80'], units: ['Degrees C', 'In Hg', 'Meters'] };
const shots = [
  ['page-desktop.png', { width: 1024, height: 800 }],
  ['page-phone.png', { width: 360, height: 740, isMobile: true, hasTouch: true }],
];

const browser = await engines.find((engine) => engine.name === 'chromium').launch();
try {
  for (const [file, viewport] of shots) {
    const page = await browser.open({ viewport });
    await runReading(await formControls(page), reading);
    writeFileSync(join(repoRoot, 'docs', file), await page.screenshot({ fullPage: true }));
    console.log(`docs/${file}`);
  }
} finally {
  await browser.close();
}
