// Headless Debian Chromium for the page's tests, benchmark and screenshots: a
// fresh profile each launch, no network services, and the page opened from disk.
// Chromium opens about:blank rather than its start page (Debian's is a search
// engine's), and neither asks a time server nor fetches optimization hints.
// Two requests of its own no switch or preference of this version stops:
// engines.mjs sends them to a proxy that never forwards.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

export const repoRoot = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const pageUrl = pathToFileURL(join(repoRoot, 'build', 'web', 'kestrane.html')).href;
export const chromiumPath = process.env.KESTRANE_CHROMIUM ?? '/usr/bin/chromium';

// Starts Chromium, with extra command-line flags if given; close() also removes its profile.
export async function launchBrowser({ extraArgs = [] } = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'kestrane-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    ignoreDefaultArgs: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-features=NetworkTimeServiceQuerying,OptimizationHints',
      `--user-data-dir=${profile}`, ...extraArgs, 'about:blank',
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Opens the page in a new tab and waits until it is ready (defaults shown, module instantiated).
export async function openPage(browser, viewport = { width: 1024, height: 900 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await page.goto(pageUrl);
  await page.waitForFunction(() => performance.getEntriesByName('kestrane-ready').length > 0);
  return page;
}
