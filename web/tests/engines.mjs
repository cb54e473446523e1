// The three browser engines the page is tested in, all Debian's and all
// headless, behind one interface so that every test is written once:
//
//   chromium  /usr/bin/chromium through puppeteer-core (CDP)
//   firefox   /usr/bin/firefox-esr through puppeteer-core (WebDriver BiDi)
//   webkit    WebKitGTK's MiniBrowser through WebKitWebDriver (W3C WebDriver over
//             HTTP), on a private Xvfb display since MiniBrowser has no headless mode
//
// engine.launch({ language }) gives a browser: open({ url, viewport, ready }) a
// page, connections (what reached the proxy sink), version, close().
// A page: evaluate(fn, ...args) (JSON back; elements may be passed in), waitFor,
// find(name, role) and findAll by accessible name, findLabelled(text) by label,
// findById(id) (quicker than find in WebKit, for a control that is soon gone),
// accessibleControls(roles, { within }), click, focus, type, press, setFiles, download,
// screenshot (PNG), setViewport, inject (a script's source text), requests, close.
//
// Every engine is pointed at a local proxy that answers nothing and records
// every connection, so a test can show that nothing left the browser.
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import puppeteer from 'puppeteer-core';
import { chromiumPath, launchBrowser, pageUrl } from './browser.mjs';

export { pageUrl, repoRoot } from './browser.mjs';

const firefoxPath = process.env.KESTRANE_FIREFOX ?? '/usr/bin/firefox-esr';
const miniBrowserPath = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const defaultViewport = { width: 1024, height: 900 };
const readyMark = () => performance.getEntriesByName('kestrane-ready').length > 0;
const isPage = (url) => url.split('#')[0] === pageUrl; // the page, with settings in its address or not
const timeout = 20000;
// The role each engine's accessibility gives a drop-down <select>: WebKit
// exposes it as a pop-up button, Chromium and Firefox as a combobox; the name
// and value are the same in all three.
const listRoles = { chromium: 'combobox', firefox: 'combobox', webkit: 'button' };

const tempFolder = (what) => mkdtempSync(join(tmpdir(), `kestrane-${what}-`));

// Resolves with the first value of next() that is not undefined, polling; rejects after `timeout`.
async function poll(next, what) {
  for (const deadline = Date.now() + timeout; Date.now() < deadline; await sleep(25)) {
    const value = await next();
    if (value !== undefined) return value;
  }
  throw new Error(`timed out waiting for ${what}`);
}

// A proxy on the loopback that never forwards: it keeps the first line of each
// connection ("CONNECT host:443 HTTP/1.1", "GET http://… HTTP/1.1") and hangs up.
async function startSink() {
  const connections = [];
  const server = createServer((socket) => {
    socket.on('error', () => {});
    socket.once('data', (data) => connections.push(data.toString('latin1').split('\r\n')[0]));
    setTimeout(() => socket.destroy(), 100);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { port: server.address().port, connections, close: () => new Promise((resolve) => server.close(resolve)) };
}

// The value an assistive technology reads from each control, from the DOM:
// the text of a text field, the chosen entry of a list; and whether it is read-only.
function domValues(...elements) {
  return elements.map((e) => [
    e instanceof HTMLSelectElement ? e.selectedOptions[0]?.text ?? ''
      : e instanceof HTMLInputElement || e instanceof HTMLTextAreaElement ? e.value : '',
    e.readOnly === true,
  ]);
}

// In the page: each element's place among the elements within `selector`, -1 for one outside it.
function inScope(selector, ...elements) {
  const all = [...document.querySelector(selector).querySelectorAll('*')];
  return elements.map((e) => all.indexOf(e));
}

// In the page: the form control one of whose labels reads exactly `text`.
function labelledControl(text) {
  return [...document.querySelectorAll('input, select, textarea, button')]
    .find((e) => [...(e.labels ?? [])].some((label) => label.textContent.trim() === text)) ?? null;
}

// Both puppeteer engines: Chromium over CDP and Firefox over WebDriver BiDi.
class PuppeteerPage {
  constructor(browser, page) {
    this.browser = browser;
    this.page = page;
    this.requests = [];
    page.on('request', (request) => this.requests.push(request.url()));
  }

  evaluate(fn, ...args) {
    return this.page.evaluate(fn, ...args);
  }

  // Runs a script's source text in the page, as the automation protocol runs
  // it: past the page's script policy, which allows no script from outside.
  async inject(source) {
    await this.page.evaluate(source);
  }

  async waitFor(fn, ...args) {
    await this.page.waitForFunction(fn, { timeout }, ...args);
  }

  get listRole() {
    return listRoles[this.browser.name];
  }

  // The first element the engine's accessibility tree gives `role` and names
  // `name` (any name when it is null).
  async find(name, role) {
    const element = await this.page.$(`aria/${name ?? ''}[role="${role}"]`);
    if (!element) throw new Error(`${this.browser.name}: no ${role} named "${name}"`);
    return element;
  }

  // The control a <label> with exactly this text labels, found through the DOM:
  // for controls the engine's accessibility query cannot match by name (a file
  // input, in Chromium and Firefox).
  async findLabelled(text) {
    const handle = await this.page.evaluateHandle(labelledControl, text);
    const element = handle.asElement();
    if (!element) throw new Error(`${this.browser.name}: no control labelled "${text}"`);
    return element;
  }

  async findById(id) {
    const element = await this.page.$(`#${id}`);
    if (!element) throw new Error(`${this.browser.name}: no element with id "${id}"`);
    return element;
  }

  // The elements of [name, role] pairs, as find gives each.
  findAll(queries) {
    return Promise.all(queries.map(([name, role]) => this.find(name, role)));
  }

  click(element, { count = 1 } = {}) {
    return element.click({ count });
  }

  focus(element) {
    return element.focus();
  }

  // Real key events into the focused element, one key at a time.
  type(text) {
    return this.page.keyboard.type(text);
  }

  press(key) {
    return this.page.keyboard.press(key);
  }

  setFiles(element, paths) {
    return element.uploadFile(...paths);
  }

  // PNG of the view, or of the whole page with fullPage.
  async screenshot({ fullPage = false } = {}) {
    return Buffer.from(await this.page.screenshot({ fullPage }));
  }

  setViewport(viewport) {
    return this.page.setViewport(viewport);
  }

  close() {
    return this.page.close();
  }
}

class ChromiumPage extends PuppeteerPage {
  // [role, name, value, readonly] of every control with one of `roles` within
  // the element `within` selects, in page order, straight from Chromium's accessibility tree.
  async accessibleControls(roles, { within = 'body' } = {}) {
    const controls = [];
    const walk = (node) => {
      if (roles.includes(node.role)) controls.push([node.role, node.name, node.value ?? '', node.readonly === true]);
      (node.children ?? []).forEach(walk);
    };
    walk(await this.page.accessibility.snapshot({ interestingOnly: false, root: await this.page.$(within) }));
    return controls;
  }

  // A real download: Chromium saves it into the browser's download folder (set
  // by CDP at launch) under its GUID; the file is read once Chromium says it is complete.
  async download(element) {
    const { cdp, downloads } = this.browser;
    const finished = new Promise((resolve, reject) => {
      let begun = null;
      const timer = setTimeout(() => done(reject, new Error('chromium: no download completed')), timeout);
      const onBegin = (event) => (begun ??= event);
      const onProgress = (event) => {
        if (event.guid !== begun?.guid) return;
        if (event.state === 'completed') done(resolve, begun);
        if (event.state === 'canceled') done(reject, new Error(`chromium: download of ${begun.suggestedFilename} canceled`));
      };
      const done = (settle, value) => {
        clearTimeout(timer);
        cdp.off('Browser.downloadWillBegin', onBegin);
        cdp.off('Browser.downloadProgress', onProgress);
        settle(value);
      };
      cdp.on('Browser.downloadWillBegin', onBegin);
      cdp.on('Browser.downloadProgress', onProgress);
    });
    await element.click();
    const { guid, suggestedFilename } = await finished;
    return { name: suggestedFilename, bytes: readFileSync(join(downloads, guid)) };
  }
}

class FirefoxPage extends PuppeteerPage {
  // Firefox's accessibility, reached through BiDi's accessibility locator, gives
  // elements by role and name but never a name itself. So the controls of each
  // role come from Firefox, and each one's name is the first of the texts that
  // could name it (its labels, aria-label, its text) under which Firefox finds
  // that very element; one that none of them finds reads as ''.
  async accessibleControls(roles, { within = 'body' } = {}) {
    let found = [];
    for (const role of roles) {
      for (const element of await this.page.$$(`aria/[role="${role}"]`)) found.push({ role, element });
    }
    const positions = await this.page.evaluate(inScope, within, ...found.map((f) => f.element));
    found.forEach((f, i) => (f.position = positions[i]));
    found = found.filter((f) => f.position >= 0).sort((a, b) => a.position - b.position);
    const controls = [];
    for (const { role, element } of found) {
      const candidates = await element.evaluate((e) => [
        ...[...(e.labels ?? [])].map((l) => l.textContent.trim()),
        e.getAttribute('aria-label') ?? '',
        e.textContent.trim(),
      ].filter((text) => text !== ''));
      let name = '';
      for (const candidate of candidates) {
        const named = await this.page.$$(`aria/${candidate}[role="${role}"]`);
        if (await this.page.evaluate((e, ...others) => others.includes(e), element, ...named)) {
          name = candidate;
          break;
        }
      }
      const [[value, readonly]] = await this.page.evaluate(domValues, element);
      controls.push([role, name, value, readonly]);
    }
    return controls;
  }

  // A real download: Firefox saves it into the folder set over BiDi at launch and
  // tells its path when it ends.
  async download(element) {
    const { connection } = this.browser.puppeteer;
    const finished = new Promise((resolve, reject) => {
      const timer = setTimeout(() => done(reject, new Error('firefox: no download ended')), timeout);
      const onEnd = (event) => {
        if (event.status === 'complete') done(resolve, event.filepath);
        else done(reject, new Error(`firefox: download ${event.status}`));
      };
      const done = (settle, value) => {
        clearTimeout(timer);
        connection.off('browsingContext.downloadEnd', onEnd);
        settle(value);
      };
      connection.on('browsingContext.downloadEnd', onEnd);
    });
    await element.click();
    const path = await finished;
    return { name: path.split('/').pop(), bytes: readFileSync(path) };
  }
}

// A puppeteer browser behind the common interface.
class PuppeteerBrowser {
  constructor(name, puppeteerBrowser, sink, PageClass) {
    this.name = name;
    this.puppeteer = puppeteerBrowser;
    this.sink = sink;
    this.PageClass = PageClass;
  }

  get connections() {
    return this.sink.connections;
  }

  // Opens `url` in a new tab at `viewport`; for the page, waits until it is ready.
  async open({ url = pageUrl, viewport = defaultViewport, ready = isPage(url) } = {}) {
    const page = new this.PageClass(this, await this.puppeteer.newPage());
    try {
      await this.preparePage?.(page);
      await page.setViewport(viewport);
      await page.page.goto(url);
      if (ready) await page.waitFor(readyMark);
      return page;
    } catch (error) {
      await page.close().catch(() => {});
      throw error;
    }
  }

  async close() {
    try {
      await this.puppeteer.close();
    } finally {
      await this.sink.close();
      this.cleanup?.();
    }
  }
}

async function launchChromium({ language = 'en-US' } = {}) {
  const sink = await startSink();
  // Headless Chromium ignores --lang: --accept-lang gives navigator.language(s)
  // and each page's locale override gives Intl its default locale.
  const browser = await launchBrowser({
    extraArgs: [`--proxy-server=http://127.0.0.1:${sink.port}`, `--accept-lang=${language}`],
  });
  const wrapped = new PuppeteerBrowser('chromium', browser, sink, ChromiumPage);
  wrapped.downloads = tempFolder('chromium-downloads');
  wrapped.cleanup = () => rmSync(wrapped.downloads, { recursive: true, force: true });
  // Kept on the page: the override lasts as long as its session.
  wrapped.preparePage = async (page) => {
    page.localeSession = await page.page.createCDPSession();
    await page.localeSession.send('Emulation.setLocaleOverride', { locale: language });
  };
  try {
    wrapped.version = await browser.version();
    wrapped.cdp = await browser.target().createCDPSession();
    await wrapped.cdp.send('Browser.setDownloadBehavior', {
      behavior: 'allowAndName', downloadPath: wrapped.downloads, eventsEnabled: true,
    });
    return wrapped;
  } catch (error) {
    await wrapped.close();
    throw error;
  }
}

// Preferences that keep Firefox from any connection of its own, beyond those
// puppeteer already sets: every request through the sink (so any left shows
// there), no captive-portal or connectivity probes, no prefetching, no
// telemetry, experiments, system add-on or region updates, no push service,
// no certificate revocation lookups.
const firefoxQuietPrefs = (port) => ({
  'network.proxy.type': 1,
  'network.proxy.http': '127.0.0.1',
  'network.proxy.http_port': port,
  'network.proxy.ssl': '127.0.0.1',
  'network.proxy.ssl_port': port,
  'network.proxy.no_proxies_on': '',
  'network.proxy.allow_hijacking_localhost': true,
  'network.captive-portal-service.enabled': false,
  'network.connectivity-service.enabled': false,
  'network.dns.disablePrefetch': true,
  'network.prefetch-next': false,
  'network.predictor.enabled': false,
  'network.trr.mode': 5,
  'browser.region.update.enabled': false,
  'browser.region.network.url': '',
  'toolkit.telemetry.enabled': false,
  'toolkit.telemetry.server': '',
  'app.normandy.enabled': false,
  'app.shield.optoutstudies.enabled': false,
  'messaging-system.rsexperimentloader.enabled': false,
  'extensions.systemAddon.update.enabled': false,
  'dom.push.connection.enabled': false,
  'security.OCSP.enabled': 0,
  'security.remote_settings.crlite_filters.enabled': false,
  // Remote settings are fetched for a score of collections at start-up. This
  // build honours another server only with MOZ_REMOTE_SETTINGS_DEVTOOLS set
  // (see the launch); a data: address fails at once, without a connection.
  'services.settings.server': 'data:,#remote-settings-dummy/v1',
});

async function launchFirefox({ language = 'en-US' } = {}) {
  const sink = await startSink();
  const profile = tempFolder('firefox');
  const downloads = tempFolder('firefox-downloads');
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: firefoxPath,
    headless: true,
    userDataDir: profile,
    env: { ...process.env, MOZ_REMOTE_SETTINGS_DEVTOOLS: '1' },
    extraPrefsFirefox: {
      ...firefoxQuietPrefs(sink.port),
      // navigator.language(s). The requested locale changes Firefox's own
      // language only where a language pack is installed; Intl's default
      // locale comes from the BiDi override below.
      'intl.accept_languages': language,
      'intl.locale.requested': language,
    },
  });
  const wrapped = new PuppeteerBrowser('firefox', browser, sink, FirefoxPage);
  wrapped.cleanup = () => {
    rmSync(profile, { recursive: true, force: true });
    rmSync(downloads, { recursive: true, force: true });
  };
  try {
    wrapped.version = await browser.version();
    const { connection } = browser;
    await connection.send('emulation.setLocaleOverride', { locale: language, userContexts: ['default'] });
    await connection.send('browser.setDownloadBehavior', {
      downloadBehavior: { type: 'allowed', destinationFolder: downloads },
    });
    await connection.send('session.subscribe', { events: ['browsingContext.downloadEnd'] });
    return wrapped;
  } catch (error) {
    await wrapped.close();
    throw error;
  }
}

// WebKitGTK over W3C WebDriver: plain HTTP to WebKitWebDriver.
const elementKey = 'element-6066-11e4-a52e-4f735466cecf';
const webDriverKeys = {
  Tab: '\uE004', Enter: '\uE007', Escape: '\uE00C', Backspace: '\uE003', Delete: '\uE017', Space: ' ',
  ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Home: '\uE011', End: '\uE010',
};
// The elements whose role WebKit is asked for when a control is looked up by name:
// every form control and every element with an explicit role.
const controlSelector = 'input, select, textarea, button, a[href], [role], [tabindex], [contenteditable]';

class WebKitPage {
  constructor(browser) {
    this.browser = browser;
    this.requests = null; // WebDriver reports no requests; the proxy sink still sees any connection
  }

  call(method, path, body) {
    return this.browser.call(method, `/session/${this.browser.session}${path}`, body);
  }

  evaluate(fn, ...args) {
    return this.call('POST', '/execute/sync', { script: `return (${fn}).apply(null, arguments);`, args });
  }

  async inject(source) {
    await this.call('POST', '/execute/sync', { script: source, args: [] });
  }

  async waitFor(fn, ...args) {
    const script = `const test = (${fn}), args = arguments;
      return new Promise((resolve, reject) => {
        const deadline = Date.now() + ${timeout};
        const check = () => {
          const value = test.apply(null, args);
          if (value) resolve(true);
          else if (Date.now() > deadline) reject(new Error('timed out waiting for ' + test));
          else setTimeout(check, 10);
        };
        check();
      });`;
    await this.call('POST', '/execute/sync', { script, args });
  }

  async #elements(selector) {
    return this.call('POST', '/elements', { using: 'css selector', value: selector });
  }

  // [element, role, name] of each control, in page order, role and name as
  // WebKit's accessibility computes them; names only for the roles wanted.
  async #named(roles) {
    const elements = await this.#elements(controlSelector);
    // WebKit answers an error for an element it has no accessible object for
    // (an empty status region, say): such an element has no role here.
    const computed = await Promise.all(elements.map((e) =>
      this.call('GET', `/element/${e[elementKey]}/computedrole`).catch(() => null)));
    // WebKit's WebDriver gives a role to a control that is not rendered (inside
    // a closed <details>, say), which no assistive technology meets: left out.
    const rendered = await this.evaluate((...all) => all.map((e) => (e.checkVisibility ? e.checkVisibility() : e.getClientRects().length > 0)), ...elements);
    const wanted = elements.map((element, i) => [element, computed[i]])
      .filter(([, role], i) => rendered[i] && roles.includes(role));
    const names = await Promise.all(wanted.map(([e]) => this.call('GET', `/element/${e[elementKey]}/computedlabel`)));
    return wanted.map(([element, role], i) => [element, role, names[i]]);
  }

  get listRole() {
    return listRoles.webkit;
  }

  async find(name, role) {
    return (await this.findAll([[name, role]]))[0];
  }

  async findLabelled(text) {
    const element = await this.evaluate(labelledControl, text);
    if (!element) throw new Error(`webkit: no control labelled "${text}"`);
    return element;
  }

  async findById(id) {
    const element = await this.evaluate((wanted) => document.getElementById(wanted), id);
    if (!element) throw new Error(`webkit: no element with id "${id}"`);
    return element;
  }

  // One look at the page's controls for all the queries.
  async findAll(queries) {
    const named = await this.#named(queries.map(([, role]) => role));
    return queries.map(([name, role]) => {
      const match = named.find(([, r, n]) => r === role && (name === null || n === name));
      if (!match) throw new Error(`webkit: no ${role} named "${name}"`);
      return match[0];
    });
  }

  async accessibleControls(roles, { within = 'body' } = {}) {
    const named = await this.#named(roles);
    const positions = await this.evaluate(inScope, within, ...named.map(([e]) => e));
    const kept = named.filter((_, i) => positions[i] >= 0);
    const values = await this.evaluate(domValues, ...kept.map(([e]) => e));
    return kept.map(([, role, name], i) => [role, name, ...values[i]]);
  }

  #actions(actions) {
    return this.call('POST', '/actions', { actions });
  }

  // Real pointer events at the element's centre; `count` presses make a double or triple click.
  click(element, { count = 1 } = {}) {
    const press = [{ type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }];
    return this.#actions([{
      type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' },
      actions: [{ type: 'pointerMove', origin: element, x: 0, y: 0 }, ...Array(count).fill(press).flat()],
    }]);
  }

  focus(element) {
    return this.evaluate((e) => e.focus(), element);
  }

  #keys(values) {
    return this.#actions([{
      type: 'key', id: 'keyboard',
      actions: values.flatMap((value) => [{ type: 'keyDown', value }, { type: 'keyUp', value }]),
    }]);
  }

  type(text) {
    return this.#keys([...text]);
  }

  press(key) {
    const value = webDriverKeys[key] ?? (key.length === 1 ? key : undefined);
    if (value === undefined) throw new Error(`webkit: no WebDriver key for "${key}"`);
    return this.#keys([value]);
  }

  // WebDriver's Element Send Keys with the file's path, as a person picking it would.
  setFiles(element, paths) {
    return this.call('POST', `/element/${element[elementKey]}/value`, { text: paths.join('\n') });
  }

  // A real download: MiniBrowser saves into the profile's download folder without
  // asking. WebDriver tells nothing of downloads, so the file is read once it is
  // there and its size has held for two looks.
  async download(element) {
    const folder = this.browser.downloads;
    for (const file of readdirSync(folder)) rmSync(join(folder, file), { recursive: true, force: true });
    await this.click(element);
    let last = null;
    const name = await poll(() => {
      const [file] = readdirSync(folder);
      const size = file === undefined ? -1 : statSync(join(folder, file)).size;
      const steady = last !== null && last.file === file && last.size === size && size >= 0;
      last = { file, size };
      return steady ? file : undefined;
    }, 'a download from WebKit');
    return { name, bytes: readFileSync(join(folder, name)) };
  }

  async screenshot({ fullPage = false } = {}) {
    if (fullPage) throw new Error('webkit: WebDriver takes a screenshot of the view only');
    return Buffer.from(await this.call('GET', '/screenshot'), 'base64');
  }

  // WebDriver sizes the window, toolbar included: size it, measure the view,
  // correct by the difference. The view takes its new size a little after the
  // window does, so it is measured once it has held still for a moment.
  async setViewport({ width, height }) {
    const view = () => this.evaluate(() => `${innerWidth}×${innerHeight}`);
    const settled = async () => {
      let last = await view();
      for (let steady = 0, tries = 0; steady < 3 && tries < 100; ++tries) {
        await sleep(20);
        const now = await view();
        steady = now === last ? steady + 1 : 0;
        last = now;
      }
      return last.split('×').map(Number);
    };
    let size = [width, height];
    for (let attempt = 0; attempt < 4; ++attempt) {
      await this.call('POST', '/window/rect', { width: size[0], height: size[1] });
      const [w, h] = await settled();
      if (w === width && h === height) return;
      size = [size[0] + width - w, size[1] + height - h];
    }
    throw new Error(`webkit: the view is ${await view()}, not ${width}×${height}`);
  }

  async close() {
    await this.call('POST', '/url', { url: 'about:blank' });
    this.browser.page = null;
  }
}

// A private virtual display for MiniBrowser: Xvfb picks a free display number and tells it.
async function startXvfb() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'], {
    stdio: ['ignore', 'ignore', 'ignore', 'pipe'],
  });
  const display = await new Promise((resolve, reject) => {
    let text = '';
    xvfb.stdio[3].on('data', (data) => {
      text += data;
      if (text.includes('\n')) resolve(`:${text.trim()}`);
    });
    xvfb.once('error', reject);
    xvfb.once('exit', (code) => reject(new Error(`Xvfb exited with ${code} before it had a display`)));
  });
  return { display, process: xvfb };
}

const freePort = () =>
  new Promise((resolve, reject) => {
    const server = createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });

// Ends a child process and waits for it.
async function stop(child) {
  if (child.exitCode !== null || child.signalCode !== null) return;
  const exited = new Promise((resolve) => child.once('exit', resolve));
  child.kill('SIGTERM');
  await Promise.race([exited, sleep(5000).then(() => child.kill('SIGKILL'))]);
}

// Whether any process of the group `id` (one started here) is still there.
function groupAlive(id) {
  try {
    process.kill(-id, 0);
    return true;
  } catch {
    return false;
  }
}

// The environment that sets WebKit's language. WebKit takes navigator.language
// and Intl's default locale from the C library's locale (LC_CTYPE), so the
// locale must really exist: this machine has only C, so other languages are
// compiled with localedef into the profile and found through LOCPATH. The C
// locale itself reads as en-US.
function webKitLocale(language, profile) {
  if (language === 'en-US') return { LC_ALL: 'C', LANG: 'C' };
  const name = `${language.replace('-', '_')}.UTF-8`;
  const locales = join(profile, 'locales');
  mkdirSync(locales);
  const run = spawnSync('localedef', ['-i', language.replace('-', '_'), '-f', 'UTF-8', join(locales, name)], { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`localedef for ${language}: ${run.stderr}`);
  return { LOCPATH: locales, LC_ALL: name, LANG: name };
}

class WebKitBrowser {
  name = 'webkit';

  async call(method, path, body) {
    const response = await fetch(`http://127.0.0.1:${this.port}${path}`, {
      method,
      headers: { 'content-type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`webkit: ${method} ${path}: ${value.error}: ${value.message}`);
    return value;
  }

  get connections() {
    return this.sink.connections;
  }

  // One MiniBrowser window serves one page at a time.
  async open({ url = pageUrl, viewport = defaultViewport, ready = isPage(url) } = {}) {
    if (this.page) throw new Error('webkit: close the open page first');
    const page = new WebKitPage(this);
    await page.setViewport(viewport);
    await page.call('POST', '/url', { url });
    if (ready) await page.waitFor(readyMark);
    return (this.page = page);
  }

  // Ends the session (MiniBrowser quits), the driver and the display, and
  // removes the profile once no process of MiniBrowser's can still write there.
  async close() {
    if (this.session) await this.call('DELETE', `/session/${this.session}`).catch(() => {});
    if (this.driver) {
      // WebKit's network and web processes outlive MiniBrowser by a second or so.
      await stop(this.driver);
      for (let tries = 0; groupAlive(this.driver.pid) && tries < 200; ++tries) await sleep(25);
      if (groupAlive(this.driver.pid)) process.kill(-this.driver.pid, 'SIGKILL');
    }
    if (this.xvfb) await stop(this.xvfb);
    await this.sink?.close();
    rmSync(this.profile, { recursive: true, force: true });
  }
}

async function launchWebKit({ language = 'en-US' } = {}) {
  const browser = new WebKitBrowser();
  // MiniBrowser keeps its caches and settings under HOME and the XDG folders:
  // all of them point into the profile, which close() removes.
  browser.profile = tempFolder('webkit');
  try {
    const home = browser.profile;
    const config = join(home, 'config');
    browser.downloads = join(home, 'downloads');
    mkdirSync(join(config, 'gtk-3.0'), { recursive: true });
    mkdirSync(browser.downloads);
    writeFileSync(join(config, 'user-dirs.dirs'), 'XDG_DOWNLOAD_DIR="$HOME/downloads"\n');
    // MiniBrowser's toolbar holds its window at least 447 px wide; with its
    // buttons and address field allowed to shrink, the window goes down to
    // about 320, so the view can be a phone's 360. WebKit draws the page's own
    // controls itself, so this style reaches nothing the tests look at.
    writeFileSync(join(config, 'gtk-3.0', 'gtk.css'), 'button { min-width: 0; min-height: 0; padding: 0; }\nentry { min-width: 0; }\n');
    const env = {
      ...process.env, HOME: home, XDG_CONFIG_HOME: config, XDG_DATA_HOME: join(home, 'data'),
      XDG_CACHE_HOME: join(home, 'cache'), NO_AT_BRIDGE: '1', ...webKitLocale(language, home),
    };
    browser.sink = await startSink();
    const xvfb = await startXvfb();
    browser.xvfb = xvfb.process;
    browser.port = await freePort();
    // In a process group of its own, which MiniBrowser and WebKit's own
    // processes join, so close() can wait for every one of them.
    browser.driver = spawn('WebKitWebDriver', [`--port=${browser.port}`], {
      stdio: 'ignore', env: { ...env, DISPLAY: xvfb.display }, detached: true,
    });
    await poll(() => browser.call('GET', '/status').then((s) => (s.ready ? true : undefined), () => undefined), 'WebKitWebDriver');
    const { sessionId, capabilities } = await browser.call('POST', '/session', {
      capabilities: {
        alwaysMatch: {
          'webkitgtk:browserOptions': {
            binary: miniBrowserPath,
            args: ['--automation', `--proxy=http://127.0.0.1:${browser.sink.port}`],
          },
        },
      },
    });
    browser.session = sessionId;
    browser.version = `${capabilities.browserName} (WebKitGTK) ${capabilities.browserVersion}`;
    return browser;
  } catch (error) {
    await browser.close();
    throw error;
  }
}

// The engines. One left out of KESTRANE_ENGINES (KESTRANE_ENGINES=chromium,webkit
// runs only those) is skipped, a developer's choice; one whose programs are not
// installed fails when launched, naming what is missing, since a test that
// passes by not running hides a broken machine.
const chosen = process.env.KESTRANE_ENGINES?.split(',').map((name) => name.trim());
export const engines = [
  { name: 'chromium', binaries: { chromium: chromiumPath }, launch: launchChromium },
  { name: 'firefox', binaries: { 'firefox-esr': firefoxPath }, launch: launchFirefox },
  { name: 'webkit', binaries: { 'webkit2gtk-driver': '/usr/bin/WebKitWebDriver', 'libwebkit2gtk-4.1-0': miniBrowserPath, xvfb: '/usr/bin/Xvfb' }, launch: launchWebKit },
].map((engine) => ({
  ...engine,
  listRole: listRoles[engine.name],
  skip: chosen && !chosen.includes(engine.name) ? `not in KESTRANE_ENGINES=${process.env.KESTRANE_ENGINES}` : false,
  launch(options) {
    const missing = Object.entries(engine.binaries).find(([, path]) => !existsSync(path));
    if (missing) {
      throw new Error(`${engine.name}: ${missing[1]} is not installed (Debian package ${missing[0]}; scripts/install-deps.sh installs it)`);
    }
    return engine.launch(options);
  },
}));
