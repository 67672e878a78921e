// The built-in pages as the core renders them (`ovcore page`), in Chromium:
// their language, the signed calls to a stub browser API on 127.0.0.1 and
// the cookies they set, the blocked page's one-time pass and the pop-up rule.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { after, afterEach, before, describe, test } from 'node:test';
import { launchBrowser, openPage, REPO, startServer } from './support/harness.mjs';

const BIN = process.env.OVCORE_BIN;
const MESSAGES = JSON.parse(fs.readFileSync(path.join(REPO, 'assets/templates/locales.json'), 'utf8'));
const PAGES = {
  blocked: 0, error: 1, safebrowsing: 2, parental: 3, pixel: 4, certificate: 7,
};
const LEFT = 'left-token-\u00e9';
const RIGHT = 'right-token';

// pairs: [name, value] for strings, [name, value, 'raw'] for raw JSON.
function render(index, pairs = []) {
  const args = ['page', String(index)];
  for (const [name, value, raw] of pairs) {
    args.push(raw === 'raw' ? '--raw' : '--string', `${name}=${value}`);
  }
  return execFileSync(BIN, args);
}

function signature(members) {
  const signed = ['type', 'unique_name', 'variable_key', 'variable_value', 'url']
    .map((name) => members[name] ?? '').join('');
  return crypto.createHash('sha256').update(LEFT + signed + RIGHT, 'utf8').digest('hex');
}

// Logs every cookie the page writes, with the page's clock, through the
// console, which outlives the page's reloads.
function recordCookieWrites() {
  const descriptor = Object.getOwnPropertyDescriptor(Document.prototype, 'cookie');
  Object.defineProperty(Document.prototype, 'cookie', {
    configurable: true,
    get() {
      return descriptor.get.call(this);
    },
    set(text) {
      console.log('cookie-write ' + JSON.stringify({ text, now: Date.now() }));
      descriptor.set.call(this, text);
    },
  });
}

function cookieWrites(consoleLines, name) {
  return consoleLines.filter((line) => line.startsWith('cookie-write '))
    .map((line) => JSON.parse(line.slice('cookie-write '.length)))
    .filter((write) => write.text.startsWith(`${name}=`));
}

describe('built-in pages', { skip: !BIN && 'OVCORE_BIN is not set' }, () => {
  let browser;
  let site;
  let api;
  before(async () => {
    browser = await launchBrowser();
    site = await startServer();
    api = await startServer();
  });
  after(async () => {
    await browser?.close();
    await site?.close();
    await api?.close();
  });
  afterEach(async () => {
    await browser.context.clearCookies();
    site.routes.clear();
    api.routes.clear();
  });

  // The stub browser API answers every call on its root with `body` and the
  // cookies in X-Set-Cookie, readable and credentialed from the site.
  function stubApi(body, cookies = '') {
    api.routes.set('/', {
      type: 'text/plain',
      body,
      headers: {
        'access-control-allow-origin': site.origin,
        'access-control-allow-credentials': 'true',
        'access-control-expose-headers': 'X-Set-Cookie',
        ...(cookies ? { 'x-set-cookie': cookies } : {}),
      },
    });
  }

  function apiHost() {
    return new URL(api.origin).host;
  }

  // Opens a rendered page; `documents` collects the page's document
  // requests (two after a reload). `watch(page)` runs before navigating.
  async function open(name, pairs, { init, watch, waitUntil = 'load' } = {}) {
    const pagePath = `/page/${name}`;
    site.routes.set(pagePath, { body: render(PAGES[name], pairs) });
    const opened = await openPage(browser);
    if (init) await opened.page.addInitScript(init);
    const documents = [];
    opened.page.on('request', (request) => {
      if (request.resourceType() === 'document') documents.push(request);
    });
    const watched = watch ? watch(opened.page) : undefined;
    await opened.page.goto(site.origin + pagePath, { waitUntil });
    return { ...opened, documents, watched };
  }

  // Waits for the document that a reload brought.
  async function reloadedDocument(page) {
    await page.waitForFunction(() => document.readyState === 'complete' &&
      performance.getEntriesByType('navigation')[0].type === 'reload');
  }

  async function text(page, key) {
    return page.textContent(`[data-key="${key}"]`);
  }

  test('every page speaks the configured language, English for an unknown one', async () => {
    const rows = [
      ['blocked', 'blockedContentTitle'],
      ['error', 'errorPageHeader'],
      ['safebrowsing', 'safeHeaderTitle'],
      ['parental', 'parentalHeaderTitle'],
      ['certificate', 'download'],
    ];
    const locales = [['de', 'de'], ['xx', 'en'], ['de-AT', 'de'], ['pt-BR', 'pt-br'], ['zh-TW', 'zh-tw']];
    for (const [name, key] of rows) {
      for (const [locale, expected] of locales) {
        const { page, pageErrors } = await open(name, [['locale', locale]]);
        assert.equal(await text(page, key), MESSAGES[expected][key], `${name} in ${locale}`);
        assert.equal(await page.getAttribute('html', 'lang'), expected);
        assert.deepEqual(pageErrors, [], `${name} in ${locale}`);
        await page.close();
      }
    }
    assert.notEqual(MESSAGES.de.download, MESSAGES.en.download);
  });

  test('the page name, the title and the message variables', async () => {
    const { page } = await open('safebrowsing', [
      ['locale', 'de'], ['host', 'evil.example'], ['url', 'http://evil.example/x'],
      ['isPhishing', 'true', 'raw'],
    ]);
    assert.equal(await page.getAttribute('body', 'data-page-name'), 'safebrowsing');
    assert.equal(await page.title(), MESSAGES.de.pageTitle);
    assert.equal(await text(page, 'safeContentTitle'),
                 MESSAGES.de.safeContentTitle.replace('(var.Host)', 'evil.example'));
    assert.equal(await page.isVisible('#reason-phishing'), true);
    assert.equal(await page.isVisible('#reason-malware'), false);
    await page.close();
  });

  test('safebrowsing: proceed sends the signed exception call and keeps its cookies', async () => {
    // The core's exception cookie (its Domain empty for a host without a
    // dot), then two plain cookies in one header.
    stubApi('', 'sb_x=true; Domain=; Path=/; sb_a=1; sb_b=2');
    await browser.context.addCookies([{ name: 'session', value: 's', url: site.origin }]);
    const url = 'http://evil.example/path?q=1&r=\u00fc';
    const { page, documents } = await open('safebrowsing', [
      ['apiHost', apiHost()], ['leftToken', LEFT], ['rightToken', RIGHT], ['url', url],
      ['isMalware', 'true', 'raw'],
    ]);
    const reports = [];
    page.on('request', (request) => {
      if (request.url().includes('/sb-report.html')) reports.push(request);
    });
    const call = page.waitForRequest((request) => request.url().startsWith(api.origin));
    const reloaded = page.waitForEvent('load');
    await page.click('#advanced');
    await page.click('#proceed');
    const request = await call;
    await reloaded;
    const query = new URL(request.url()).searchParams;
    assert.deepEqual([...query.keys()], ['type', 'url', 'sn']);
    assert.equal(query.get('type'), 'sfbr-tmp-exception');
    assert.equal(query.get('url'), url);
    assert.equal(query.get('sn'), signature({ type: 'sfbr-tmp-exception', url }));
    // With credentials: the site's cookie went along to the other origin.
    assert.match((await request.allHeaders()).cookie ?? '', /session=s/);
    assert.equal(documents.length, 2);
    const cookies = Object.fromEntries((await browser.context.cookies()).map((c) => [c.name, c]));
    assert.equal(cookies.sb_x?.value, 'true');
    assert.equal(cookies.sb_x.path, '/');
    assert.equal(cookies.sb_a?.value, '1');
    assert.equal(cookies.sb_b?.value, '2');
    assert.equal(cookies.Domain, undefined);
    assert.equal(cookies.Path, undefined);
    assert.equal(reports.length, 0);
    await page.close();
  });

  test('safebrowsing: anonymous statistics request the report image', async () => {
    const url = 'http://evil.example/';
    const { page, watched } = await open('safebrowsing', [
      ['url', url], ['locale', 'fr'], ['sendAnonymousStatistics', 'true', 'raw'],
    ], { watch: (p) => p.waitForRequest((request) => request.url().includes('/sb-report.html')) });
    const reportUrl = new URL((await watched).url());
    assert.equal(reportUrl.pathname, '/sb-report.html');
    assert.deepEqual([...reportUrl.searchParams.keys()], ['url', 'referrer', 'locale', 'r']);
    assert.equal(reportUrl.searchParams.get('url'), url);
    assert.equal(reportUrl.searchParams.get('locale'), 'fr');
    assert.match(reportUrl.searchParams.get('r'), /^\d+$/);
    await page.close();
  });

  test('parental: the password check, its three answers and the hidden form', async () => {
    const pairs = [
      ['apiUrl', apiHost()], ['leftToken', LEFT], ['rightToken', RIGHT], ['domain', 'kids.example'],
      ['isPasswordSet', 'true', 'raw'],
    ];
    const { page, documents } = await open('parental', pairs);

    async function submit(password) {
      const call = page.waitForRequest((request) => request.url().startsWith(api.origin));
      const answered = page.waitForResponse((response) => response.url().startsWith(api.origin));
      await page.fill('#password', password);
      await page.click('#submit-password');
      const request = await call;
      await answered;
      return new URL(request.url()).searchParams;
    }

    stubApi('False');
    const query = await submit('guess');
    assert.deepEqual(Object.fromEntries(query), {
      type: 'check-password', password: 'guess', domain: 'kids.example',
      sn: signature({ type: 'check-password' }),
    });
    await page.waitForSelector('#wrong-password', { state: 'visible' });
    assert.equal(await page.isVisible('#failure'), false);

    stubApi('');
    await submit('again');
    await page.waitForSelector('#failure', { state: 'visible' });
    assert.equal(await page.isVisible('#wrong-password'), false);

    stubApi('True', 'pc_ok=true; Domain=; Path=/');
    const reloaded = page.waitForEvent('load');
    await submit('secret');
    await reloaded;
    assert.equal(documents.length, 2);
    const cookies = await browser.context.cookies(site.origin);
    assert.deepEqual(cookies.filter((c) => c.name === 'pc_ok').map((c) => [c.value, c.path]), [['true', '/']]);
    await page.close();

    const hidden = await open('parental', pairs.slice(0, -1).concat([['isPasswordSet', 'false', 'raw']]));
    assert.equal(await hidden.page.isVisible('#password-form'), false);
    await hidden.page.close();
  });

  test('blocked page: the one-time pass cookie', async () => {
    const requestUrl = ['requestUrl', 'http://127.0.0.1/ads.js'];
    const rows = [
      { title: 'default name', pairs: [requestUrl], name: '__orvane_adblock_whitelisted', passes: true },
      { title: 'configured name', pairs: [requestUrl, ['cookieName', 'pass_me']], name: 'pass_me', passes: true },
      { title: 'strict mode', pairs: [requestUrl, ['strictMode', 'true', 'raw']], name: '__orvane_adblock_whitelisted', passes: false },
      { title: 'no request url', pairs: [], name: '__orvane_adblock_whitelisted', passes: false },
      { title: 'already present', pairs: [requestUrl], name: '__orvane_adblock_whitelisted', passes: false, present: true },
    ];
    for (const row of rows) {
      if (row.present) {
        await browser.context.addCookies([{ name: row.name, value: '1', url: site.origin }]);
      }
      const { page, consoleLines, documents } = await open('blocked', row.pairs,
                                                           { init: recordCookieWrites, waitUntil: 'commit' });
      if (row.passes) {
        await reloadedDocument(page);
      } else {
        await page.waitForLoadState('load');
      }
      // Console events arrive before the answer to a later call.
      await page.evaluate(() => 0);
      const writes = cookieWrites(consoleLines, row.name);
      if (row.passes) {
        assert.equal(writes.length, 1, row.title);
        const attributes = Object.fromEntries(writes[0].text.split(';').map((part) => {
          const [name, ...value] = part.trim().split('=');
          return [name.toLowerCase(), value.join('=')];
        }));
        assert.equal(attributes[row.name.toLowerCase()], '1', row.title);
        const lifetime = Date.parse(attributes.expires) - writes[0].now;
        // toUTCString() drops the milliseconds, and the page read its clock
        // a little before the write was recorded: 5 s less up to a second.
        assert.ok(lifetime > 3500 && lifetime <= 5000, `${row.title}: lifetime ${lifetime}`);
        assert.equal(documents.length, 2, row.title);
        assert.match((await documents[1].allHeaders()).cookie ?? '', new RegExp(`${row.name}=1`));
      } else {
        assert.deepEqual(writes, [], row.title);
        assert.equal(documents.length, 1, row.title);
      }
      await page.close();
      await browser.context.clearCookies();
    }
  });

  test('blocked page: no pass inside a frame', async () => {
    site.routes.set('/page/blocked', { body: render(PAGES.blocked, [['requestUrl', 'http://127.0.0.1/x']]) });
    site.routes.set('/framed', { body: '<iframe src="/page/blocked"></iframe>' });
    const { page, consoleLines } = await openPage(browser);
    await page.addInitScript(recordCookieWrites);
    await page.goto(`${site.origin}/framed`, { waitUntil: 'load' });
    const frame = page.frames().find((f) => f.url().endsWith('/page/blocked'));
    assert.ok(frame);
    assert.equal(await frame.getAttribute('body', 'data-page-name'), 'adBlockedPage');
    assert.deepEqual(cookieWrites(consoleLines, '__orvane_adblock_whitelisted'), []);
    await page.close();
  });

  test('blockPopups: a page opened as a pop-up closes itself', async () => {
    site.routes.set('/page/popup', { body: render(PAGES.blocked, [['blockPopups', 'true', 'raw']]) });
    site.routes.set('/page/kept', { body: render(PAGES.blocked, []) });
    site.routes.set('/opener', { body: '<p>opener</p>' });
    const { page } = await openPage(browser);
    await page.goto(`${site.origin}/opener`);
    const [popup] = await Promise.all([
      page.waitForEvent('popup'),
      page.evaluate(() => { window.open('/page/popup'); }),
    ]);
    await popup.waitForEvent('close');
    const [kept] = await Promise.all([
      page.waitForEvent('popup'),
      page.evaluate(() => { window.open('/page/kept'); }),
    ]);
    await kept.waitForLoadState('load');
    assert.equal(kept.isClosed(), false);
    await kept.close();
    await page.close();
  });

  // Block boundaries of SHA-256 padding, and text beyond ASCII.
  test('the pages compute the signature hash as node does', async () => {
    const texts = [0, 1, 55, 56, 63, 64, 65, 119, 120, 1000].map((n) => 'a\u00e9\u4e2d'.repeat(n).slice(0, n));
    const { page } = await open('certificate', []);
    const hashes = await page.evaluate((list) => list.map((t) => ovPage.sha256Hex(t)), texts);
    assert.deepEqual(hashes, texts.map((t) => crypto.createHash('sha256').update(t, 'utf8').digest('hex')));
    await page.close();
  });

  test('the 1x1 image', async () => {
    site.routes.set('/pixel.png', { type: 'image/png', body: render(PAGES.pixel) });
    site.routes.set('/img', { body: '<img src="/pixel.png">' });
    const { page } = await openPage(browser);
    await page.goto(`${site.origin}/img`, { waitUntil: 'load' });
    assert.deepEqual(await page.$eval('img', (img) => [img.complete, img.naturalWidth, img.naturalHeight]),
                     [true, 1, 1]);
    await page.close();
  });
});
