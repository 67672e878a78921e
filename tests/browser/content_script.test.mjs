// The content script in Chromium: style sheets, extended selectors, the
// script text, the nonce, the safebrowsing script and the placeholders.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { browserAndServer, openPage } from './support/harness.mjs';
import { placeholderRegion, renderContentScript, templateText } from './support/template_render.mjs';

const HIDE = '{ display: none!important; }';

const env = browserAndServer();

function pageHtml({ head = '', body = '', scriptAttrs = '' }) {
  return '<!doctype html><html><head><meta charset="utf-8">' +
    `<script src="/content.js"${scriptAttrs}></script>${head}</head><body>${body}</body></html>`;
}

// Serves the rendered content script and a page that loads it, opens the
// page and returns the handle; the caller closes it.
async function open(values, html, headers = {}, routes = {}) {
  env.server.routes.clear();
  for (const [routePath, route] of Object.entries(routes)) env.server.routes.set(routePath, route);
  env.server.routes.set('/content.js', { type: 'text/javascript; charset=utf-8', body: renderContentScript(values) });
  env.server.routes.set('/page', { body: html, headers });
  // Chromium asks for it once per browser; a 404 would show in the console.
  env.server.routes.set('/favicon.ico', { status: 204, type: 'image/x-icon' });
  const opened = await openPage(env.browser);
  await opened.page.goto(`${env.server.origin}/page`, { waitUntil: 'load' });
  return opened;
}

// In-page state of the ids: "hidden" (display none), "removed" or "shown".
function states(page, ids) {
  return page.evaluate((list) => list.map((id) => {
    const el = document.getElementById(id);
    if (!el) return 'removed';
    return getComputedStyle(el).display === 'none' ? 'hidden' : 'shown';
  }), ids);
}

// Waits until the ids expected hidden or removed are so, then compares the
// states of all ids: those expected shown are read after the pass that
// settled the others. A wait that runs out falls through to the comparison,
// whose message then shows every state.
async function expectStates(page, expected) {
  const ids = Object.keys(expected);
  const awaited = ids.filter((id) => expected[id] !== 'shown');
  await page.waitForFunction((list) => list.every(([id, state]) => {
    const el = document.getElementById(id);
    if (state === 'removed') return !el;
    return el && getComputedStyle(el).display === 'none';
  }), awaited.map((id) => [id, expected[id]]), { timeout: 5000 }).catch(() => {});
  const actual = await states(page, ids);
  assert.deepEqual(Object.fromEntries(ids.map((id, i) => [id, actual[i]])), expected);
}

test('the placeholder region holds the eight placeholders and nothing else', () => {
  const text = templateText('content_script.js');
  assert.match(text, /^\/\*! ovcore content script \d+\.\d+\.\d+ \*\/\n/);
  const [start, end] = placeholderRegion(text);
  const region = text.slice(start, end);
  const names = [...region.matchAll(/\$_(\w+?)_/g)].map((m) => m[1]);
  assert.deepEqual(names, ['commonCss', 'specificCss', 'extendedCss', 'script', 'nonce',
                           'filteringContext', 'interceptionContext', 'safeBrowsingUrl']);
  assert.equal(text.slice(0, start).includes('$_'), false);
  assert.equal(text.slice(end).includes('$_'), false);
});

describe('plain and style rules', () => {
  test('common and specific CSS hide and style elements, also ones added later', async () => {
    const { page, pageErrors } = await open({
      commonCss: `.a, .b ${HIDE}\n`,
      specificCss: `#c ${HIDE}\n.d { color: rgb(255, 0, 0) }\n`,
    }, pageHtml({ body: '<p class="a" id="a">a</p><p class="b" id="b">b</p><p id="c">c</p>' +
                        '<p class="d" id="d">d</p><p id="e">e</p>' }));
    try {
      await expectStates(page, { a: 'hidden', b: 'hidden', c: 'hidden', d: 'shown', e: 'shown' });
      assert.equal(await page.evaluate(() => getComputedStyle(document.getElementById('d')).color), 'rgb(255, 0, 0)');
      await page.evaluate(() => document.body.insertAdjacentHTML('beforeend', '<p class="b" id="late">x</p>'));
      await expectStates(page, { late: 'hidden' });
      assert.deepEqual(pageErrors, []);
    } finally {
      await page.close();
    }
  });

  test('a page that removes or empties the style element gets it back', async () => {
    const { page } = await open({ commonCss: `.a ${HIDE}\n` }, pageHtml({ body: '<p class="a" id="a">a</p>' }));
    try {
      await expectStates(page, { a: 'hidden' });
      await page.evaluate(() => document.querySelector('style').remove());
      await expectStates(page, { a: 'hidden' });
      await page.evaluate(() => { document.querySelector('style').textContent = ''; });
      await expectStates(page, { a: 'hidden' });
      assert.equal(await page.evaluate(() => document.querySelectorAll('style').length), 1);
    } finally {
      await page.close();
    }
  });
});

// Extended rules: each row is an extended style sheet, a body and the
// state every listed element must end in.
const EXTENDED_CASES = [
  { title: ':has with a relative child selector',
    css: `div:has(> .ad) ${HIDE}`,
    body: '<div id="a"><span class="ad"></span></div><div id="b"><p><span class="ad"></span></p></div>',
    expect: { a: 'hidden', b: 'shown' } },
  { title: '-abp-has, :has with an extended argument and :has inside :has',
    css: `div:-abp-has(.ad) ${HIDE}\nsection:has(p:contains(Sponsored)) ${HIDE}\narticle:has(p:has(b)) ${HIDE}`,
    body: '<div id="a"><i class="ad"></i></div><div id="b"></div>' +
          '<section id="c"><p>Sponsored</p></section><section id="d"><p>News</p></section>' +
          '<article id="e"><p><b>x</b></p></article><article id="f"><p>x</p><b>y</b></article>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'shown', e: 'hidden', f: 'shown' } },
  { title: ':has with a sibling combinator and :contains',
    css: `h2:has(+ p:contains(promo)) ${HIDE}`,
    body: '<h2 id="a">A</h2><p>promo here</p><h2 id="b">B</h2><p>text</p>',
    expect: { a: 'hidden', b: 'shown' } },
  { title: ':contains, :has-text and -abp-contains with strings and regexes',
    css: `p:contains(Buy now) ${HIDE}\np:has-text(Don't) ${HIDE}\np:has-text(/^\\s*sale\\s+\\d+%/i) ${HIDE}\np:-abp-contains("quoted, text") ${HIDE}`,
    body: '<p id="a">Please Buy now!</p><p id="b">buy later</p><p id="c"> SALE 50% off</p>' +
          '<p id="d">a sale 50%</p><p id="e">some quoted, text here</p><p id="f">Don\'t go</p>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'shown', e: 'hidden', f: 'hidden' } },
  { title: 'arguments holding commas, braces, parentheses and quotes',
    css: `p:contains(a, {b}) ${HIDE}\np:contains(/x\\(y|z\\)/) ${HIDE}\np[title="t,{u}"]:contains(") ${HIDE}`,
    body: '<p id="a">-a, {b}-</p><p id="b">a, b</p><p id="c">x(y</p><p id="d">z)</p>' +
          '<p id="e" title="t,{u}">say "hi"</p><p id="f" title="t,{u}">no quote</p>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'hidden', e: 'hidden', f: 'shown' } },
  { title: ':matches-css with a value and with a regex',
    css: `span:matches-css(color: rgb(255, 0, 0)) ${HIDE}\ndiv:matches-css(width: /^12\\dpx$/) ${HIDE}`,
    head: '<style>.red { color: red } .w1 { width: 125px } .w2 { width: 130px }</style>',
    body: '<span id="a" class="red">a</span><span id="b">b</span>' +
          '<div id="c" class="w1">c</div><div id="d" class="w2">d</div>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'shown' } },
  { title: ':matches-css-before, :matches-css-after and the before, form',
    css: `div:matches-css-before(content: Ad) ${HIDE}\ndiv:matches-css-after(content: /spon/i) ${HIDE}\n` +
         `p:matches-css(before, content: "X") ${HIDE}`,
    head: '<style>.b1::before { content: "Ad" } .b2::before { content: "Add" } .a1::after { content: "Sponsored" }' +
          ' .x::before { content: "X" }</style>',
    body: '<div id="a" class="b1"></div><div id="b" class="b2"></div><div id="c" class="a1"></div>' +
          '<p id="d" class="x"></p><p id="e"></p>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'hidden', e: 'shown' } },
  { title: ':matches-attr by name, value, regexes and wildcards',
    css: `div:matches-attr("data-ad"="1") ${HIDE}\ndiv:matches-attr(/^data-track/) ${HIDE}\n` +
         `div:matches-attr("data-k"=/^ban/) ${HIDE}\ndiv:matches-attr("data-w"="p*x") ${HIDE}`,
    body: '<div id="a" data-ad="1"></div><div id="b" data-ad="2"></div><div id="c" data-tracking-id="9"></div>' +
          '<div id="d" data-k="banner"></div><div id="e" data-k="urban"></div><div id="f" data-w="prefix"></div>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'hidden', e: 'shown', f: 'hidden' } },
  { title: ':matches-property with chains, regex segments and values',
    css: `div:matches-property("adInfo.level.x"="1") ${HIDE}\ndiv:matches-property(/^prom/.kind) ${HIDE}\n` +
         `div:matches-property("flag"="true") ${HIDE}\ndiv:matches-property(dataset.slot=/^top/) ${HIDE}`,
    body: '<div id="a"></div><div id="b"></div><div id="c"></div><div id="d"></div><div id="e" data-slot="topbar"></div>' +
          '<div id="f" data-slot="side"></div><script>' +
          'a.adInfo = { level: { x: 1 } }; b.adInfo = { level: { x: 2 } };' +
          'c.promoData = { kind: "x" }; d.flag = true;</script>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'hidden', e: 'hidden', f: 'shown' } },
  { title: ':xpath alone, after a native part and in a chain',
    css: `:xpath(//div[@data-k="x"]/..) ${HIDE}\n#inner:xpath(..) ${HIDE}\n.list:xpath(./li[2]) ${HIDE}`,
    body: '<section id="a"><div data-k="x"></div></section><section id="b"><div data-k="y"></div></section>' +
          '<div id="c"><span id="inner"></span></div><ul class="list"><li id="d">1</li><li id="e">2</li></ul>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'shown', e: 'hidden' } },
  { title: ':nth-ancestor and :upward with a number or a selector',
    css: `.t1:nth-ancestor(2) ${HIDE}\n.t2:upward(1) ${HIDE}\n.t3:upward(.box) ${HIDE}\n.t4:upward(div:contains(mark)) ${HIDE}`,
    body: '<div id="a"><p><b class="t1"></b></p></div><div id="b"><i class="t2"></i></div>' +
          '<div id="c" class="box"><div id="d"><i class="t3"></i></div></div>' +
          '<div id="e">mark<div id="f"><i class="t4"></i></div></div>',
    expect: { a: 'hidden', b: 'hidden', c: 'hidden', d: 'shown', e: 'hidden', f: 'shown' } },
  { title: ':remove() and remove: true take elements out',
    css: `p:contains(gone):remove() ${HIDE}\n.r:has-text(bye) { remove: true; }`,
    body: '<p id="a">gone</p><p id="b">stays</p><div class="r" id="c">bye</div><div class="r" id="d">hi</div>',
    expect: { a: 'removed', b: 'shown', c: 'removed', d: 'shown' } },
  { title: ':not and :is with extended arguments',
    css: `.n:not(:contains(keep)) ${HIDE}\n.i:is(:has-text(x), .y) ${HIDE}\n.m:not(.k, :has(b)) ${HIDE}`,
    body: '<p class="n" id="a">drop</p><p class="n" id="b">keep</p><p class="i" id="c">x</p>' +
          '<p class="i y" id="d">z</p><p class="i" id="e">z</p><p class="m" id="f">f</p><p class="m k" id="g">g</p>' +
          '<p class="m" id="h"><b>h</b></p>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'hidden', e: 'shown', f: 'hidden', g: 'shown', h: 'shown' } },
  { title: ':min-text-length',
    css: `p.l:min-text-length(10) ${HIDE}`,
    body: '<p class="l" id="a">0123456789</p><p class="l" id="b">012345678</p>',
    expect: { a: 'hidden', b: 'shown' } },
  { title: 'combinators between extended parts',
    css: `.list > li:contains(ad) + li ${HIDE}\nh2:contains(Ads) ~ p ${HIDE}\n` +
         `section:has-text(promo) span.s ${HIDE}\ndiv:contains(q) > .c:contains(w) ${HIDE}`,
    body: '<ul class="list"><li>ad</li><li id="a">next</li><li id="b">later</li></ul>' +
          '<div><p id="c">before</p><h2>Ads</h2><p id="d">after</p><p id="e">after too</p></div>' +
          '<section>promo<div><span class="s" id="f"></span></div></section><section><span class="s" id="g"></span></section>' +
          '<div>q<p class="c" id="h">w</p><p class="c" id="i">v</p></div>',
    expect: { a: 'hidden', b: 'shown', c: 'shown', d: 'hidden', e: 'hidden', f: 'hidden', g: 'shown', h: 'hidden', i: 'shown' } },
  { title: 'top-level selector lists and plain selectors in the extended sheet',
    css: `.a:contains(x), .b:contains(y) ${HIDE}\n.c ${HIDE}`,
    body: '<p class="a" id="a">x</p><p class="a" id="b">y</p><p class="b" id="c">y</p><p class="c" id="d">d</p>',
    expect: { a: 'hidden', b: 'shown', c: 'hidden', d: 'hidden' } },
  { title: 'invalid selectors are skipped and the rules around them still apply',
    css: [`p:contains(one ${HIDE}`, `#a:contains(a) ${HIDE}`, `p:unknown-thing(x) ${HIDE}`, `p:nth-ancestor(zero) ${HIDE}`,
          `:xpath(///) ${HIDE}`, `p:matches-css(nocolon) ${HIDE}`, `p:contains(/(/) ${HIDE}`, `p:remove() span ${HIDE}`,
          `p:has-text(x) { color: red`, `#b:has-text(b) ${HIDE}`, `p >> q ${HIDE}`, `#c:-abp-contains(c) ${HIDE}`].join('\n'),
    body: '<p id="a">a</p><p id="b">b</p><p id="c">c</p><p id="d">one</p>',
    expect: { a: 'hidden', b: 'hidden', c: 'hidden', d: 'shown' } },
];

describe('extended rules', () => {
  for (const c of EXTENDED_CASES) {
    test(c.title, async () => {
      const { page, pageErrors, consoleLines } = await open({ extendedCss: `${c.css}\n` },
                                                            pageHtml({ head: c.head, body: c.body }));
      try {
        await expectStates(page, c.expect);
        assert.deepEqual(pageErrors, []);
        assert.deepEqual(consoleLines, []);
      } finally {
        await page.close();
      }
    });
  }

  test('style declarations apply to matches and are undone when an element stops matching', async () => {
    const { page } = await open({ extendedCss: 'p:contains(blue) { color: rgb(0, 0, 255)!important; opacity: 0.5; }\n' },
                                pageHtml({ body: '<p id="a" style="color: green">blue</p><p id="b">red</p>' }));
    try {
      const look = () => page.evaluate(() => ['a', 'b'].map((id) => {
        const s = getComputedStyle(document.getElementById(id));
        return `${s.color} ${s.opacity}`;
      }));
      await page.waitForFunction(() => getComputedStyle(document.getElementById('a')).opacity === '0.5');
      assert.deepEqual(await look(), ['rgb(0, 0, 255) 0.5', 'rgb(0, 0, 0) 1']);
      await page.evaluate(() => { document.getElementById('a').textContent = 'green'; });
      await page.waitForFunction(() => getComputedStyle(document.getElementById('a')).opacity === '1');
      assert.deepEqual(await look(), ['rgb(0, 128, 0) 1', 'rgb(0, 0, 0) 1']);
      assert.equal(await page.evaluate(() => document.getElementById('a').getAttribute('style')), 'color: green;');
    } finally {
      await page.close();
    }
  });

  test('elements added or changed after load are matched', async () => {
    const { page } = await open({ extendedCss: `div:has-text(promo) ${HIDE}\nli:matches-attr(data-ad) ${HIDE}\n` },
                                pageHtml({ body: '<div id="a">news</div><ul id="list"></ul>' }));
    try {
      await expectStates(page, { a: 'shown' });
      await page.evaluate(() => {
        document.body.insertAdjacentHTML('beforeend', '<div id="b">a promo</div>');
        document.getElementById('list').insertAdjacentHTML('beforeend', '<li id="c">x</li>');
        setTimeout(() => document.getElementById('c').setAttribute('data-ad', ''), 20);
        setTimeout(() => { document.getElementById('a').textContent = 'promo now'; }, 40);
      });
      await expectStates(page, { a: 'hidden', b: 'hidden', c: 'hidden' });
    } finally {
      await page.close();
    }
  });
});

describe('script, nonce, safebrowsing and globals', () => {
  test('the script text runs before the page scripts and sees the contexts', async () => {
    const script = 'window.seen = [document.currentScript.filteringContext.isReferrerRuleElemhide,' +
      ' document.currentScript.interceptionContext.mode]; var declared = "global";';
    const { page, pageErrors } = await open({
      script,
      filteringContext: { isReferrerRuleJsInject: false, isReferrerRuleElemhide: true },
      interceptionContext: { mode: 'full' },
    }, pageHtml({ head: '<script>window.order = typeof window.seen;</script>' }));
    try {
      assert.deepEqual(await page.evaluate(() => [window.order, window.seen, window.declared,
                                                  document.querySelectorAll('script').length]),
                       ['object', [true, 'full'], 'global', 2]);
      assert.deepEqual(pageErrors, []);
    } finally {
      await page.close();
    }
  });

  test('under a nonce policy the style, the script and the safebrowsing script carry the nonce', async () => {
    const csp = "script-src 'nonce-n0nce' 'self'; style-src 'nonce-n0nce'";
    const { page, consoleLines } = await open({
      commonCss: `.a ${HIDE}\n`,
      extendedCss: `.b ${HIDE}\n`,
      script: 'window.ran = true;',
      nonce: 'n0nce',
      safeBrowsingUrl: `//127.0.0.1:${new URL(env.server.origin).port}/sfbr.js?type=sfbr-script&ltt=T`,
    }, pageHtml({ scriptAttrs: ' nonce="n0nce"', body: '<p class="a" id="a">a</p><p class="b" id="b">b</p>' }),
    { 'content-security-policy': csp },
    { '/sfbr.js': { type: 'text/javascript', body: 'window.sfbr = document.currentScript.nonce;' } });
    try {
      await expectStates(page, { a: 'hidden', b: 'hidden' });
      await page.waitForFunction(() => window.sfbr !== undefined, null, { timeout: 5000 });
      assert.deepEqual(await page.evaluate(() => [document.querySelector('style').nonce, window.ran, window.sfbr]),
                       ['n0nce', true, 'n0nce']);
      assert.deepEqual(consoleLines.filter((line) => line.includes('Content Security Policy')), []);
    } finally {
      await page.close();
    }
  });

  test('without a nonce, nothing carries one; null values do nothing', async () => {
    const { page, pageErrors } = await open({}, pageHtml({ body: '<p id="a">a</p>' }));
    try {
      assert.deepEqual(await page.evaluate(() => [document.querySelectorAll('style, script').length,
                                                  document.querySelector('script').hasAttribute('nonce')]),
                       [1, false]);
      assert.deepEqual(pageErrors, []);
    } finally {
      await page.close();
    }
  });

  test('the content script leaves no names on the window', async () => {
    const html = '<!doctype html><html><head><script>window.before = Object.getOwnPropertyNames(window);</script>' +
      '<script src="/content.js"></script></head><body><p>x</p></body></html>';
    const { page } = await open({ commonCss: `.a ${HIDE}\n`, extendedCss: `p:contains(x) ${HIDE}\n` }, html);
    try {
      const added = await page.evaluate(() => Object.getOwnPropertyNames(window)
        .filter((name) => !window.before.includes(name) && name !== 'before'));
      assert.deepEqual(added, []);
    } finally {
      await page.close();
    }
  });
});
