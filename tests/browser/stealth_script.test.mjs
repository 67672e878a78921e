// The stealth script in Chromium: what page scripts see with each option,
// and that the defaults change nothing.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { browserAndServer, openPage } from './support/harness.mjs';
import { placeholderRegion, renderContentScript, renderStealthScript, templateText } from './support/template_render.mjs';

const CHROME_WINDOWS = 'Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) ' +
  'Chrome/120.0.0.0 Safari/537.36';
const FIREFOX_MAC = 'Mozilla/5.0 (Macintosh; Intel Mac OS X 14.1; rv:121.0) Gecko/20100101 Firefox/121.0';

// Stands in for a browser that still lists Flash and Java: plugins and MIME
// types shaped like the real ones, installed before the stealth script.
const OLD_PLUGINS = `<script>(() => {
  const plugins = [{ name: 'Shockwave Flash' }, { name: 'Java Applet Plug-in' }, { name: 'PDF Viewer' }];
  const mimes = [{ type: 'application/x-shockwave-flash', enabledPlugin: plugins[0] },
                 { type: 'application/futuresplash', enabledPlugin: plugins[0] },
                 { type: 'application/x-java-applet', enabledPlugin: plugins[1] },
                 { type: 'application/pdf', enabledPlugin: plugins[2] }];
  const list = (items, key) => Object.assign(Object.create(null), items, { length: items.length },
    Object.fromEntries(items.map((i) => [i[key], i])));
  const pluginList = list(plugins, 'name');
  const mimeList = list(mimes, 'type');
  Object.defineProperty(Navigator.prototype, 'plugins', { get() { return pluginList; }, configurable: true });
  Object.defineProperty(Navigator.prototype, 'mimeTypes', { get() { return mimeList; }, configurable: true });
})();</script>`;

const PLUGIN_NAMES = 'Array.from({ length: navigator.plugins.length }, (_, i) => navigator.plugins[i].name)';
const MIME_TYPES = 'Array.from({ length: navigator.mimeTypes.length }, (_, i) => navigator.mimeTypes[i].type)';

// What page scripts can see of everything the options touch.
const FINGERPRINT = `(async () => {
  const frame = document.createElement('iframe');
  document.body.append(frame);
  const status = async (name) => (await navigator.permissions.query({ name })).state;
  let peer;
  try { peer = typeof new RTCPeerConnection(); } catch (e) { peer = e.name; }
  const getter = (o, n) => Function.prototype.toString.call(Object.getOwnPropertyDescriptor(o, n).get);
  return {
    ua: navigator.userAgent, appVersion: navigator.appVersion, platform: navigator.platform, vendor: navigator.vendor,
    uaData: typeof navigator.userAgentData, frameUa: frame.contentWindow.navigator.userAgent,
    referrer: document.referrer, dnt: navigator.doNotTrack, peer,
    notification: Notification.permission, notificationsStatus: await status('notifications'),
    geolocationStatus: await status('geolocation'), plugins: ${PLUGIN_NAMES}, mimes: ${MIME_TYPES},
    javaEnabled: navigator.javaEnabled(), uaGetter: getter(Navigator.prototype, 'userAgent'),
    globals: Object.getOwnPropertyNames(window).length,
  };
})()`;

const env = browserAndServer();

// Opens a page that runs `script` (or nothing) first in its head, then
// `head`; returns the page.
async function open(script, head = '') {
  env.server.routes.clear();
  env.server.routes.set('/stealth.js', { type: 'text/javascript', body: script ?? '' });
  env.server.routes.set('/sw.js', { type: 'text/javascript', body: '' });
  env.server.routes.set('/page', {
    body: `<!doctype html><html><head>${head}<script src="/stealth.js"></script></head><body></body></html>`,
  });
  const opened = await openPage(env.browser);
  await opened.page.goto(`${env.server.origin}/page`, { waitUntil: 'load' });
  return opened;
}

test('the placeholder region holds the ten placeholders and nothing else', () => {
  const text = templateText('stealth_script.js');
  assert.match(text, /^\/\*! ovcore stealth script \d+\.\d+\.\d+ \*\/\n/);
  const [start, end] = placeholderRegion(text);
  const names = [...text.slice(start, end).matchAll(/\$_(\w+?)_/g)].map((m) => m[1]);
  assert.deepEqual(names, ['userAgent', 'blockWebRtc', 'blockPush', 'blockLocation', 'blockFlash', 'blockJava',
                           'referrer', 'nonce', 'cookieTtl', 'doNotTrack']);
  assert.equal(text.slice(0, start).includes('$_'), false);
  assert.equal(text.slice(end).includes('$_'), false);
});

test('with the defaults, page scripts see what they see without the script', async () => {
  const plain = await open(null, OLD_PLUGINS);
  const stealth = await open(renderStealthScript({ nonce: 'n' }), OLD_PLUGINS);
  try {
    const expected = await plain.page.evaluate(FINGERPRINT);
    assert.deepEqual(await stealth.page.evaluate(FINGERPRINT), expected);
    assert.equal(expected.uaGetter, 'function get userAgent() { [native code] }');
    assert.deepEqual(stealth.pageErrors, []);
  } finally {
    await plain.page.close();
    await stealth.page.close();
  }
});

// Each row: options, then expressions evaluated in the page with the values
// they must give. `head` runs before the stealth script.
const OPTION_CASES = [
  { title: 'userAgent (Chrome on Windows)', options: { userAgent: CHROME_WINDOWS },
    expect: {
      'navigator.userAgent': CHROME_WINDOWS,
      'navigator.appVersion': CHROME_WINDOWS.slice('Mozilla/'.length),
      'navigator.platform': 'Win32',
      'navigator.vendor': 'Google Inc.',
      'navigator.userAgentData': undefined,
      ['(() => { const f = document.createElement("iframe"); document.body.append(f);' +
        ' return f.contentWindow.navigator.userAgent; })()']: CHROME_WINDOWS,
      ['Function.prototype.toString.call(Object.getOwnPropertyDescriptor(Navigator.prototype, "userAgent").get)' +
        '.includes("[native code]")']: true,
    } },
  { title: 'userAgent (Firefox on macOS)', options: { userAgent: FIREFOX_MAC },
    expect: { 'navigator.userAgent': FIREFOX_MAC, 'navigator.platform': 'MacIntel', 'navigator.vendor': '' } },
  { title: 'referrer', options: { referrer: 'https://search.example/?q=x' },
    expect: { 'document.referrer': 'https://search.example/?q=x' } },
  { title: 'blockWebRtc', options: { blockWebRtc: true },
    expect: {
      '(() => { try { new RTCPeerConnection(); return "made"; } catch (e) { return e.name; } })()': 'NotAllowedError',
      '(() => { try { new webkitRTCPeerConnection({}); return "made"; } catch (e) { return e.name; } })()': 'NotAllowedError',
      'typeof RTCPeerConnection': 'function',
    } },
  { title: 'blockPush', options: { blockPush: true },
    expect: {
      'Notification.permission': 'denied',
      'Notification.requestPermission()': 'denied',
      'navigator.permissions.query({ name: "notifications" }).then((s) => s.state)': 'denied',
      ['(async () => { const r = await navigator.serviceWorker.register("/sw.js");' +
        ' const m = r.pushManager; const state = await m.permissionState({ userVisibleOnly: true });' +
        ' const error = await m.subscribe({ userVisibleOnly: true }).then(() => "subscribed", (e) => e.name);' +
        ' return [state, error]; })()']: ['denied', 'NotAllowedError'],
    } },
  { title: 'blockLocation', options: { blockLocation: true },
    expect: {
      ['new Promise((resolve) => navigator.geolocation.getCurrentPosition(() => resolve("position"),' +
        ' (e) => resolve([e.code, e.PERMISSION_DENIED, e instanceof GeolocationPositionError])))']: [1, 1, true],
      ['new Promise((resolve) => { const id = navigator.geolocation.watchPosition(() => resolve("position"),' +
        ' (e) => resolve([typeof id, e.code])); })']: ['number', 1],
      'navigator.permissions.query({ name: "geolocation" }).then((s) => s.state)': 'denied',
    } },
  { title: 'blockFlash', options: { blockFlash: true }, head: OLD_PLUGINS,
    expect: {
      [PLUGIN_NAMES]: ['Java Applet Plug-in', 'PDF Viewer'],
      [MIME_TYPES]: ['application/x-java-applet', 'application/pdf'],
      'navigator.mimeTypes["application/x-shockwave-flash"]': undefined,
      'navigator.plugins.namedItem("Shockwave Flash")': null,
      'navigator.plugins instanceof PluginArray': true,
      '[...navigator.plugins].length': 2,
    } },
  { title: 'blockJava', options: { blockJava: true }, head: OLD_PLUGINS,
    expect: {
      [PLUGIN_NAMES]: ['Shockwave Flash', 'PDF Viewer'],
      [MIME_TYPES]: ['application/x-shockwave-flash', 'application/futuresplash', 'application/pdf'],
      'navigator.javaEnabled()': false,
    } },
  { title: 'blockFlash and blockJava keep the browser\'s own plugins', options: { blockFlash: true, blockJava: true },
    expect: {
      [`${PLUGIN_NAMES}.length > 0`]: true,
      [`${PLUGIN_NAMES}.some((n) => /flash|java/i.test(n))`]: false,
      'navigator.mimeTypes.namedItem("application/pdf").type': 'application/pdf',
    } },
  { title: 'doNotTrack', options: { doNotTrack: true }, expect: { 'navigator.doNotTrack': '1' } },
];

describe('each option as page scripts see it', () => {
  for (const c of OPTION_CASES) {
    test(c.title, async () => {
      const { page, pageErrors } = await open(renderStealthScript(c.options), c.head);
      try {
        const actual = {};
        for (const expression of Object.keys(c.expect)) {
          actual[expression] = await page.evaluate(`(async () => (${expression}))()`);
        }
        assert.deepEqual(actual, c.expect);
        assert.deepEqual(pageErrors, []);
      } finally {
        await page.close();
      }
    });
  }
});

describe('cookieTtl', () => {
  // Seconds from now to each cookie's expiry; -1 for session cookies.
  async function lifetimes(page) {
    const now = Date.now() / 1000;
    const cookies = await page.context().cookies(env.server.origin);
    await page.context().clearCookies();
    return Object.fromEntries(cookies.map((c) => [c.name, c.expires === -1 ? -1 : Math.round((c.expires - now) / 60)]));
  }

  const WRITE = `(() => {
    document.cookie = 'long=1; max-age=86400; path=/';
    document.cookie = 'far=1; expires=' + new Date(Date.now() + 864e5 * 30).toUTCString() + '; path=/';
    document.cookie = 'short=1; Max-Age=120; path=/';
    document.cookie = 'session=1; path=/';
    document.cookie = 'gone=1; max-age=86400; path=/';
    document.cookie = 'gone=; max-age=0; path=/';
    return document.cookie.split('; ').sort().join('; ');
  })()`;

  test('first-party cookies written by page scripts live at most cookieTtl seconds', async () => {
    const { page } = await open(renderStealthScript({ cookieTtl: 600 }));
    try {
      assert.equal(await page.evaluate(WRITE), 'far=1; long=1; session=1; short=1');
      // In minutes, rounded: the cap is 600 seconds.
      assert.deepEqual(await lifetimes(page), { long: 10, far: 10, short: 2, session: -1 });
    } finally {
      await page.close();
    }
  });

  test('without cookieTtl lifetimes stay as written', async () => {
    const { page } = await open(renderStealthScript({ doNotTrack: true }));
    try {
      await page.evaluate(WRITE);
      assert.deepEqual(await lifetimes(page), { long: 1440, far: 43200, short: 2, session: -1 });
    } finally {
      await page.close();
    }
  });
});

test('inside the content script, the stealth script works as its script text', async () => {
  const script = renderStealthScript({ doNotTrack: true, referrer: 'https://r.example/' });
  env.server.routes.clear();
  env.server.routes.set('/content.js', { type: 'text/javascript', body: renderContentScript({ script, nonce: 'n' }) });
  env.server.routes.set('/page', {
    body: '<!doctype html><html><head><script src="/content.js"></script>' +
      '<script>window.seen = [navigator.doNotTrack, document.referrer];</script></head><body></body></html>',
  });
  const { page, pageErrors } = await openPage(env.browser);
  try {
    await page.goto(`${env.server.origin}/page`, { waitUntil: 'load' });
    assert.deepEqual(await page.evaluate(() => window.seen), ['1', 'https://r.example/']);
    assert.deepEqual(pageErrors, []);
  } finally {
    await page.close();
  }
});
