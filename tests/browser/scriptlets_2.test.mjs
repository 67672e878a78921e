// Scriptlets for DOM attributes and classes, timers, JSON, cookies and
// storage, shadow trees, fetch and XHR, stack traces, windows, refreshes and
// element sources, each run in a real page: for every one a case where it
// acts and one where its arguments do not match and the page stays as it was.
import { renderInvocation, scriptletCases, scriptletCode } from './support/harness.mjs';

// A page (served on its own route) that runs a scriptlet, like the case pages.
function scriptletPage(scriptlet, args, body = '') {
  const invocation = renderInvocation({ code: scriptletCode(scriptlet), name: scriptlet, args });
  return '<!doctype html><html><head><meta charset="utf-8">' +
    `<script>${invocation.replace(/<\/script/gi, '<\\/script')}</script></head><body>${body}</body></html>`;
}

const gif = { type: 'image/gif', body: Buffer.from('R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7', 'base64') };

// Attributes present at load, and one more element added later.
const laterElement = (html) => `<script>setTimeout(() => {
  document.body.insertAdjacentHTML('beforeend', ${JSON.stringify(html)});
}, 100);</script>`;

// A shadow host with an ad and a paragraph in its open shadow root.
const shadowHost = (id) => `<div id=${id}></div><script>
  document.getElementById('${id}').attachShadow({ mode: 'open' }).innerHTML =
    '<div class=ad id=a>ad</div><p id=p>text</p>';
</script>`;
const shown = (host, id) =>
  `(getComputedStyle(document.getElementById('${host}').shadowRoot.getElementById('${id}')).display !== 'none')`;

// Requests made from the page for the XHR cases.
const xhrHelper = `<script>
  window.doXhr = (url, { method = 'GET', responseType = '' } = {}) => new Promise((resolve) => {
    const xhr = new XMLHttpRequest();
    xhr.open(method, url);
    xhr.responseType = responseType;
    xhr.onload = () => resolve(xhr);
    xhr.onerror = () => resolve(null);
    xhr.send();
  });
</script>`;

// A script element added from the page, recording how its load went.
const addScript = (src) => `<script>
  const s = document.createElement('script');
  s.src = ${JSON.stringify(src)};
  s.onload = () => { window.loaded = true; };
  s.onerror = () => { window.errored = true; };
  document.head.append(s);
</script>`;

const readProp = `<script>
  try { window.got = testObj.prop; } catch (e) { window.err = e.name; }
</script>`;
const testObj = '<script>window.testObj = { prop: 1 };</script>';

scriptletCases('remove-attr', [
  { scriptlet: 'remove-attr', args: ['onclick'], body: '<div id=x onclick="1"></div>',
    check: "!document.getElementById('x').hasAttribute('onclick')" },
  { scriptlet: 'remove-attr', args: ['data-a|data-b', '#x'],
    body: '<div id=x data-a data-b data-c></div><div id=y data-a></div>',
    check: "['data-a', 'data-b'].every((a) => !x.hasAttribute(a)) && x.hasAttribute('data-c') && y.hasAttribute('data-a')" },
  { scriptlet: 'remove-attr', title: 'selector matches nothing', args: ['onclick', '.other'],
    body: '<div id=x class=box onclick="1"></div>', check: "x.getAttribute('onclick') === '1'" },
  { scriptlet: 'remove-attr', title: 'invalid selector', args: ['onclick', '##bad'],
    body: '<div id=x onclick="1"></div>', check: "x.hasAttribute('onclick')" },
  { scriptlet: 'remove-attr', title: 'elements added later', args: ['disabled', 'button'],
    body: '<button id=a disabled></button>' + laterElement('<button id=b disabled></button>'), settle: 300,
    check: "!a.hasAttribute('disabled') && !b.hasAttribute('disabled')" },
  { scriptlet: 'remove-attr', title: 'the page puts it back', args: ['disabled', 'button'],
    body: "<button id=a disabled></button><script>setTimeout(() => a.setAttribute('disabled', ''), 100);</script>",
    settle: 300, check: "!a.hasAttribute('disabled')" },
  { scriptlet: 'remove-attr', title: 'complete only: once, at load', args: ['disabled', 'button', 'complete'],
    body: '<button id=a disabled></button>' + laterElement('<button id=b disabled></button>'), settle: 300,
    check: "!a.hasAttribute('disabled') && b.hasAttribute('disabled')" },
  { scriptlet: 'remove-attr', title: 'asap only: at document end', args: ['disabled', 'button', 'asap'],
    body: '<button id=a disabled></button>' + laterElement('<button id=b disabled></button>'), settle: 300,
    check: "!a.hasAttribute('disabled') && b.hasAttribute('disabled')" },
  { scriptlet: 'remove-attr', name: 'ubo-ra.js', verbose: true, args: ['onclick'],
    body: '<div id=x onclick="1"></div>', check: "!x.hasAttribute('onclick')",
    console: 'ubo-ra.js: removed 1 attribute(s) onclick' },
  { scriptlet: 'remove-attr', title: 'no attribute given', args: [], body: '<div id=x onclick="1"></div>',
    check: "x.hasAttribute('onclick')" },
]);

scriptletCases('set-attr', [
  { scriptlet: 'set-attr', args: ['video', 'playsinline', 'true'], body: '<video id=v></video>',
    check: "v.getAttribute('playsinline') === 'true'" },
  { scriptlet: 'set-attr', args: ['#x', 'tabindex', '32767'], body: '<div id=x></div>',
    check: "x.getAttribute('tabindex') === '32767'" },
  { scriptlet: 'set-attr', title: 'empty value', args: ['#x', 'hidden', ''], body: '<div id=x></div>',
    check: "x.getAttribute('hidden') === ''" },
  { scriptlet: 'set-attr', title: 'copied from another attribute', args: ['img[data-src]', 'src', '[data-src]'],
    routes: { '/lazy.gif': gif }, body: '<img id=i data-src="/lazy.gif">',
    check: "i.getAttribute('src') === '/lazy.gif'" },
  { scriptlet: 'set-attr', title: 'elements added later', args: ['.later', 'data-ok', 'false'],
    body: laterElement('<div id=b class=later></div>'), settle: 300, check: "b.getAttribute('data-ok') === 'false'" },
  { scriptlet: 'set-attr', title: 'selector matches nothing', args: ['#nothing', 'data-ok', '1'],
    body: '<div id=x></div>', check: "!x.hasAttribute('data-ok')" },
  { scriptlet: 'set-attr', title: 'event handler refused', args: ['#x', 'onclick', '1'],
    body: '<div id=x></div>', check: "!x.hasAttribute('onclick')" },
  { scriptlet: 'set-attr', title: 'URL text refused', args: ['#a', 'href', 'javascript:alert(1)'],
    body: '<a id=a href="/x">x</a>', check: "a.getAttribute('href') === '/x'" },
  { scriptlet: 'set-attr', name: 'ubo-set-attr.js', verbose: true, args: ['#x', 'data-n', '7'],
    body: '<div id=x></div>', check: "x.getAttribute('data-n') === '7'",
    console: 'ubo-set-attr.js: set data-n="7" on 1 element(s) matching #x' },
]);

scriptletCases('remove-class', [
  { scriptlet: 'remove-class', args: ['ad', 'div'], body: '<div id=x class="ad keep"></div>',
    check: "!x.classList.contains('ad') && x.classList.contains('keep')" },
  { scriptlet: 'remove-class', title: 'no selector', args: ['blur|locked'],
    body: '<p id=x class="blur"></p><div id=y class="locked a"></div>',
    check: "x.className === '' && y.className === 'a'" },
  { scriptlet: 'remove-class', title: 'selector matches nothing', args: ['ad', 'span'],
    body: '<div id=x class="ad keep"></div>', check: "x.classList.contains('ad')" },
  { scriptlet: 'remove-class', title: 'the page puts it back', args: ['blur'],
    body: "<div id=x class=blur></div><script>setTimeout(() => x.classList.add('blur'), 100);</script>",
    settle: 300, check: "!x.classList.contains('blur')" },
  { scriptlet: 'remove-class', title: 'complete only: once, at load', args: ['ad', '', 'complete'],
    body: '<div id=a class=ad></div>' + laterElement('<div id=b class=ad></div>'), settle: 300,
    check: "!a.classList.contains('ad') && b.classList.contains('ad')" },
  { scriptlet: 'remove-class', name: 'ubo-rc.js', verbose: true, args: ['ad'], body: '<div id=x class=ad></div>',
    check: "!x.classList.contains('ad')", console: 'ubo-rc.js: removed 1 class(es) ad' },
]);

scriptletCases('disable-newtab-links', [
  { scriptlet: 'disable-newtab-links', routes: { '/other': { body: 'other' } },
    body: '<a id=l href="/other" target="_blank">go</a>',
    nodeCheck: async ({ page }) => {
      const pages = page.context().pages().length;
      await page.click('#l');
      await page.waitForURL('**/other');
      return page.context().pages().length === pages;
    } },
  { scriptlet: 'disable-newtab-links', title: 'base target', routes: { '/other': { body: 'other' } },
    head: '<base target="_blank">', body: '<a id=l href="/other"><span id=inner>go</span></a>',
    nodeCheck: async ({ page }) => {
      const pages = page.context().pages().length;
      await page.click('#inner');
      await page.waitForURL('**/other');
      return page.context().pages().length === pages;
    } },
  { scriptlet: 'disable-newtab-links', title: 'a click the page cancels stays cancelled',
    routes: { '/other': { body: 'other' } },
    body: "<a id=l href=\"/other\" target=\"_blank\">go</a><script>l.addEventListener('click', (e) => e.preventDefault());</script>",
    nodeCheck: async ({ page }) => {
      const pages = page.context().pages().length;
      await page.click('#l');
      await page.waitForTimeout(300);
      return page.url().includes('/case/') && page.context().pages().length === pages &&
        await page.evaluate("l.getAttribute('target') === '_blank'");
    } },
  { scriptlet: 'disable-newtab-links', name: 'ubo-disable-newtab-links.js', verbose: true,
    routes: { '/other': { body: 'other' } }, body: '<a id=l href="/other" target="_blank">go</a>',
    console: 'ubo-disable-newtab-links.js: http://127.0.0.1',
    nodeCheck: async ({ page }) => {
      await page.click('#l');
      await page.waitForURL('**/other');
      return true;
    } },
]);

const intervalPage = '<script>window.ticks = 0; setInterval(function tick() { window.ticks += 1; }, 1000);</script>';
scriptletCases('adjust-setInterval', [
  { scriptlet: 'adjust-setInterval', args: ['tick'], body: intervalPage, settle: 500, check: 'window.ticks >= 2' },
  { scriptlet: 'adjust-setInterval', title: 'any callback, any delay', args: ['*', '*', '0.02'],
    body: intervalPage, settle: 500, check: 'window.ticks >= 2' },
  { scriptlet: 'adjust-setInterval', title: 'callback does not match', args: ['nomatch'], body: intervalPage,
    settle: 500, check: 'window.ticks === 0' },
  { scriptlet: 'adjust-setInterval', title: 'delay does not match', args: ['tick', '500'], body: intervalPage,
    settle: 500, check: 'window.ticks === 0' },
  { scriptlet: 'adjust-setInterval', title: 'bad delay', args: ['tick', 'soon'], body: intervalPage,
    settle: 500, check: 'window.ticks === 0' },
  { scriptlet: 'adjust-setInterval', name: 'nano-sib.js', verbose: true, args: ['/ti.k/'], body: intervalPage,
    settle: 500, check: 'window.ticks >= 2', console: 'nano-sib.js: setInterval delay 1000 -> 50' },
]);

const timeoutPage = '<script>window.fired = false; setTimeout(function countdown() { window.fired = true; }, 1000);</script>';
scriptletCases('adjust-setTimeout', [
  { scriptlet: 'adjust-setTimeout', args: ['countdown'], body: timeoutPage, settle: 400, check: 'window.fired === true' },
  { scriptlet: 'adjust-setTimeout', title: 'slowed down', args: ['countdown', '50', '50'],
    body: '<script>window.fired = false; setTimeout(function countdown() { window.fired = true; }, 50);</script>',
    settle: 400, check: 'window.fired === false' },
  { scriptlet: 'adjust-setTimeout', title: 'callback does not match', args: ['nomatch'], body: timeoutPage,
    settle: 400, check: 'window.fired === false' },
  { scriptlet: 'adjust-setTimeout', title: 'delay does not match', args: ['countdown', '2000'], body: timeoutPage,
    settle: 400, check: 'window.fired === false' },
  { scriptlet: 'adjust-setTimeout', name: 'ubo-nano-stb.js', verbose: true, args: ['', '1000', '0.001'],
    body: timeoutPage, settle: 400, check: 'window.fired === true',
    console: 'ubo-nano-stb.js: setTimeout delay 1000 -> 1' },
]);

const dirPage = `<script>
  window.stringified = 0;
  const probe = { toString() { window.stringified += 1; return 'dir-probe'; } };
  console.dir(probe);
  console.dir(probe);
</script>`;
scriptletCases('dir-string', [
  { scriptlet: 'dir-string', args: [], body: dirPage, check: 'window.stringified === 1', console: 'dir-probe' },
  { scriptlet: 'dir-string', args: ['2'], body: dirPage, check: 'window.stringified === 2' },
  { scriptlet: 'dir-string', title: 'every call', args: ['0'], body: dirPage, check: 'window.stringified === 2' },
  { scriptlet: 'dir-string', title: 'a getter on an element stays unread', args: [],
    body: `<script>
      window.read = false;
      const el = document.createElement('div');
      Object.defineProperty(el, 'id', { get() { window.read = true; return 'x'; } });
      console.dir(el);
    </script>`, check: 'window.read === false', console: '[object HTMLDivElement]' },
  { scriptlet: 'dir-string', title: 'bad count', args: ['often'], body: dirPage, check: 'window.stringified === 0' },
  { scriptlet: 'dir-string', name: 'abp-dir-string', verbose: true, args: [], body: dirPage,
    check: 'window.stringified === 1', console: 'abp-dir-string: console.dir() got the string form of its object' },
]);

const parse = (json) => `<script>window.r = JSON.parse(${JSON.stringify(json)});</script>`;
scriptletCases('json-prune', [
  { scriptlet: 'json-prune', args: ['ad'], body: parse('{"ad":1,"x":2}'), check: "!('ad' in r) && r.x === 2" },
  { scriptlet: 'json-prune', title: 'nested paths, several', args: ['a.b c'], body: parse('{"a":{"b":1,"k":2},"c":3,"d":4}'),
    check: "JSON.stringify(r) === '{\"a\":{\"k\":2},\"d\":4}'" },
  { scriptlet: 'json-prune', title: '* step', args: ['*.ad'], body: parse('{"one":{"ad":1,"k":1},"two":{"ad":2}}'),
    check: "JSON.stringify(r) === '{\"one\":{\"k\":1},\"two\":{}}'" },
  { scriptlet: 'json-prune', title: '[] step', args: ['[].ads'], body: parse('[{"ads":1},{"ads":2,"k":1}]'),
    check: "JSON.stringify(r) === '[{},{\"k\":1}]'" },
  { scriptlet: 'json-prune', title: 'array items', args: ['list.[].ad list.1'],
    body: parse('{"list":[{"ad":1},"drop",{"v":3}]}'), check: "JSON.stringify(r) === '{\"list\":[{},{\"v\":3}]}'" },
  { scriptlet: 'json-prune', title: 'required present', args: ['ad', 'player.id'],
    body: parse('{"ad":1,"player":{"id":5}}'), check: "!('ad' in r) && r.player.id === 5" },
  { scriptlet: 'json-prune', title: 'required missing', args: ['ad', 'player.id'],
    body: parse('{"ad":1,"player":{}}'), check: 'r.ad === 1' },
  { scriptlet: 'json-prune', title: 'path absent', args: ['nothing.here'], body: parse('{"ad":1}'),
    check: "JSON.stringify(r) === '{\"ad\":1}'" },
  { scriptlet: 'json-prune', title: 'no path', args: [], body: parse('{"ad":1}'), check: 'r.ad === 1' },
  { scriptlet: 'json-prune', title: 'Response.json()', args: ['ads'],
    routes: { '/data.json': { type: 'application/json', body: '{"ads":[1],"content":"c"}' } },
    check: "await fetch('/data.json').then((r) => r.json()).then((j) => !('ads' in j) && j.content === 'c')" },
  { scriptlet: 'json-prune', title: 'stack matches', args: ['ad', '', '/case/'], body: parse('{"ad":1}'),
    check: "!('ad' in r)" },
  { scriptlet: 'json-prune', title: 'stack does not match', args: ['ad', '', 'player.min.js'], body: parse('{"ad":1}'),
    check: 'r.ad === 1' },
  { scriptlet: 'json-prune', name: 'ubo-json-prune.js', verbose: true, args: ['ad'], body: parse('{"ad":1}'),
    check: "!('ad' in r)", console: 'ubo-json-prune.js: removed 1 property (ad)' },
]);

const rafPage = `<script>
  window.ran = [];
  window.id = requestAnimationFrame(function adFrame() { window.ran.push('ad'); });
  requestAnimationFrame(function contentFrame() { window.ran.push('content'); });
</script>`;
scriptletCases('prevent-requestAnimationFrame', [
  { scriptlet: 'prevent-requestAnimationFrame', args: ['adFrame'], body: rafPage, settle: 300,
    check: "window.ran.join() === 'content' && typeof window.id === 'number'" },
  { scriptlet: 'prevent-requestAnimationFrame', title: 'inverted', args: ['!adFrame'], body: rafPage, settle: 300,
    check: "window.ran.join() === 'ad'" },
  { scriptlet: 'prevent-requestAnimationFrame', title: 'every call', args: [], body: rafPage, settle: 300,
    check: 'window.ran.length === 0' },
  { scriptlet: 'prevent-requestAnimationFrame', title: 'does not match', args: ['/banner\\d/'], body: rafPage,
    settle: 300, check: "window.ran.sort().join() === 'ad,content'" },
  { scriptlet: 'prevent-requestAnimationFrame', name: 'ubo-norafif.js', verbose: true, args: ['/adF/'], body: rafPage,
    settle: 300, check: "window.ran.join() === 'content'",
    console: 'ubo-norafif.js: dropped requestAnimationFrame(function adFrame()' },
]);

const cookieOf = (name) => `(document.cookie.split('; ').find((c) => c.startsWith('${name}=')) ?? null)`;
scriptletCases('set-cookie', [
  { scriptlet: 'set-cookie', args: ['sc_consent', 'yes'], check: `${cookieOf('sc_consent')} === 'sc_consent=yes'` },
  { scriptlet: 'set-cookie', title: 'for the whole site', args: ['sc_site', '1'], path: '/deep/page',
    nodeCheck: async ({ page }) => (await page.context().cookies()).some((c) => c.name === 'sc_site' && c.path === '/') },
  { scriptlet: 'set-cookie', title: 'empty value', args: ['sc_empty', ''], check: `${cookieOf('sc_empty')} === 'sc_empty='` },
  { scriptlet: 'set-cookie', title: 'value that carries data', args: ['sc_bad', 'user123'],
    check: `${cookieOf('sc_bad')} === null` },
  { scriptlet: 'set-cookie', title: 'number out of range', args: ['sc_big', '40000'], check: `${cookieOf('sc_big')} === null` },
  { scriptlet: 'set-cookie', title: 'bad name', args: ['a;b', 'yes'], check: "!document.cookie.includes('a;b')" },
  { scriptlet: 'set-cookie', name: 'ubo-set-cookie.js', verbose: true, args: ['sc_v', 'accept'],
    check: `${cookieOf('sc_v')} === 'sc_v=accept'`, console: 'ubo-set-cookie.js: set cookie sc_v=accept' },
]);

const navigationType = "performance.getEntriesByType('navigation')[0].type";
scriptletCases('set-cookie-reload', [
  { scriptlet: 'set-cookie-reload', args: ['scr_once', 'ok'], settle: 300,
    nodeCheck: async ({ page }) => {
      await page.waitForLoadState('load');
      return await page.evaluate(`${navigationType} === 'reload' && ${cookieOf('scr_once')} === 'scr_once=ok'`);
    } },
  { scriptlet: 'set-cookie-reload', title: 'reloads once only', args: ['scr_twice', 'ok'], settle: 300,
    nodeCheck: async ({ page }) => {
      await page.waitForLoadState('load');
      await page.reload();
      await page.waitForTimeout(300);
      // A reload the scriptlet started would replace this marker.
      await page.evaluate('window.marker = 1');
      await page.waitForTimeout(300);
      return await page.evaluate('window.marker === 1');
    } },
  { scriptlet: 'set-cookie-reload', title: 'unsafe value: no cookie, no reload', args: ['scr_bad', 'tracking-id'],
    settle: 300, check: `${navigationType} === 'navigate' && ${cookieOf('scr_bad')} === null` },
  { scriptlet: 'set-cookie-reload', name: 'ubo-set-cookie-reload.js', verbose: true, args: ['scr_v', 'on'],
    settle: 300, console: 'ubo-set-cookie-reload.js: set cookie scr_v=on, reloading',
    nodeCheck: async ({ page }) => {
      await page.waitForLoadState('load');
      return await page.evaluate(`${navigationType} === 'reload'`);
    } },
]);

scriptletCases('hide-in-shadow-dom', [
  { scriptlet: 'hide-in-shadow-dom', args: ['.ad'], body: shadowHost('host'),
    check: `!${shown('host', 'a')} && ${shown('host', 'p')}` },
  { scriptlet: 'hide-in-shadow-dom', title: 'nested shadow roots', args: ['.ad'],
    body: `<div id=outer></div><script>
      const inner = document.createElement('div');
      outer.attachShadow({ mode: 'open' }).append(inner);
      inner.attachShadow({ mode: 'open' }).innerHTML = '<div class=ad id=deep>ad</div>';
    </script>`,
    check: "getComputedStyle(outer.shadowRoot.firstChild.shadowRoot.getElementById('deep')).display === 'none'" },
  { scriptlet: 'hide-in-shadow-dom', title: 'added later', args: ['.ad'], settle: 300,
    body: `<div id=host></div><script>
      const root = host.attachShadow({ mode: 'open' });
      setTimeout(() => { root.innerHTML = '<div class=ad id=a>ad</div>'; }, 100);
    </script>`, check: `!${shown('host', 'a')}` },
  { scriptlet: 'hide-in-shadow-dom', title: 'host added later', args: ['.ad'], settle: 300,
    body: `<script>setTimeout(() => {
      const host = document.createElement('div');
      host.id = 'host';
      document.body.append(host);
      host.attachShadow({ mode: 'open' }).innerHTML = '<div class=ad id=a>ad</div>';
    }, 100);</script>`, check: `!${shown('host', 'a')}` },
  { scriptlet: 'hide-in-shadow-dom', title: 'base selector', args: ['.ad', '#two'],
    body: shadowHost('one') + shadowHost('two'), check: `${shown('one', 'a')} && !${shown('two', 'a')}` },
  { scriptlet: 'hide-in-shadow-dom', title: 'selector matches nothing', args: ['.banner'], body: shadowHost('host'),
    check: shown('host', 'a') },
  { scriptlet: 'hide-in-shadow-dom', title: 'not outside shadow trees', args: ['.ad'],
    body: '<div class=ad id=light>ad</div>', check: "getComputedStyle(light).display !== 'none'" },
  { scriptlet: 'hide-in-shadow-dom', verbose: true, args: ['.ad'], body: shadowHost('host'),
    check: `!${shown('host', 'a')}`, console: 'hide-in-shadow-dom: hid 1 element(s) matching .ad in shadow trees' },
]);

const inShadow = (host, id) => `(document.getElementById('${host}').shadowRoot.getElementById('${id}') !== null)`;
scriptletCases('remove-in-shadow-dom', [
  { scriptlet: 'remove-in-shadow-dom', args: ['.ad'], body: shadowHost('host'),
    check: `!${inShadow('host', 'a')} && ${inShadow('host', 'p')}` },
  { scriptlet: 'remove-in-shadow-dom', title: 'added later', args: ['div.ad'], settle: 300,
    body: `<div id=host></div><script>
      const root = host.attachShadow({ mode: 'open' });
      setTimeout(() => { root.innerHTML = '<div class=ad id=a>ad</div><p id=p></p>'; }, 100);
    </script>`, check: `!${inShadow('host', 'a')} && ${inShadow('host', 'p')}` },
  { scriptlet: 'remove-in-shadow-dom', title: 'base selector', args: ['.ad', '#one'],
    body: shadowHost('one') + shadowHost('two'), check: `!${inShadow('one', 'a')} && ${inShadow('two', 'a')}` },
  { scriptlet: 'remove-in-shadow-dom', title: 'selector matches nothing', args: ['.banner'], body: shadowHost('host'),
    check: inShadow('host', 'a') },
  { scriptlet: 'remove-in-shadow-dom', title: 'invalid selector', args: ['[[['], body: shadowHost('host'),
    check: inShadow('host', 'a') },
  { scriptlet: 'remove-in-shadow-dom', verbose: true, args: ['.ad'], body: shadowHost('host'),
    check: `!${inShadow('host', 'a')}`, console: 'remove-in-shadow-dom: removed 1 element(s) matching .ad' },
]);

const adsJson = { '/ads.json': { type: 'application/json', body: '{"real":true}' } };
const fetched = (call) => `await ${call}.then(async (r) => ({ status: r.status, ok: r.ok, url: r.url, type: r.type, json: await r.json() }))`;
scriptletCases('prevent-fetch', [
  { scriptlet: 'prevent-fetch', args: ['ads.json'], routes: adsJson,
    check: `((f) => f.status === 200 && f.ok && f.url.endsWith('/ads.json') && f.type === 'basic' &&
             JSON.stringify(f.json) === '{}')(${fetched("fetch('/ads.json')")})` },
  { scriptlet: 'prevent-fetch', title: 'everything, empty array', args: ['*', 'emptyArr'], routes: adsJson,
    check: `Array.isArray((${fetched("fetch('/ads.json')")}).json)` },
  { scriptlet: 'prevent-fetch', title: 'a Request', args: ['url:/ads\\.json$/'], routes: adsJson,
    check: `(${fetched("fetch(new Request('/ads.json'))")}).json.real === undefined` },
  { scriptlet: 'prevent-fetch', title: 'url and method', args: ['ads.json method:POST'], routes: adsJson,
    check: `(${fetched("fetch('/ads.json', { method: 'post' })")}).json.real === undefined &&
            (${fetched("fetch('/ads.json')")}).json.real === true` },
  { scriptlet: 'prevent-fetch', title: 'empty text, cors', args: ['ads', 'emptyStr', 'cors'], routes: adsJson,
    check: "await fetch('/ads.json').then(async (r) => r.type === 'cors' && (await r.text()) === '')" },
  { scriptlet: 'prevent-fetch', title: 'does not match', args: ['other.json'], routes: adsJson,
    check: `(${fetched("fetch('/ads.json')")}).json.real === true` },
  { scriptlet: 'prevent-fetch', title: 'unknown body keyword', args: ['ads.json', 'bogus'], routes: adsJson,
    check: `(${fetched("fetch('/ads.json')")}).json.real === true` },
  { scriptlet: 'prevent-fetch', title: 'no argument', args: [], routes: adsJson,
    check: `(${fetched("fetch('/ads.json')")}).json.real === true` },
  { scriptlet: 'prevent-fetch', name: 'no-fetch-if.js', verbose: true, args: ['ads.json'], routes: adsJson,
    check: `(${fetched("fetch('/ads.json')")}).json.real === undefined`,
    console: 'no-fetch-if.js: prevented fetch GET http://127.0.0.1' },
]);

scriptletCases('set-local-storage-item', [
  { scriptlet: 'set-local-storage-item', args: ['sl_seen', 'true'], check: "localStorage.getItem('sl_seen') === 'true'" },
  { scriptlet: 'set-local-storage-item', title: 'emptyObj', args: ['sl_obj', 'emptyObj'],
    check: "localStorage.getItem('sl_obj') === '{}'" },
  { scriptlet: 'set-local-storage-item', title: 'empty text', args: ['sl_empty', ''],
    check: "localStorage.getItem('sl_empty') === ''" },
  { scriptlet: 'set-local-storage-item', title: 'before the page reads it', args: ['sl_early', '5'],
    body: "<script>window.early = localStorage.getItem('sl_early');</script>", check: "window.early === '5'" },
  { scriptlet: 'set-local-storage-item', title: '$remove$', args: ['sl_rm', '$remove$'],
    nodeCheck: async ({ page }) => {
      await page.evaluate("localStorage.setItem('sl_rm', 'x'); localStorage.setItem('sl_keep', 'x')");
      await page.reload();
      return page.evaluate("localStorage.getItem('sl_rm') === null && localStorage.getItem('sl_keep') === 'x'");
    } },
  { scriptlet: 'set-local-storage-item', title: '$remove$ by regex', args: ['/^sl_rx_\\d/', '$remove$'],
    nodeCheck: async ({ page }) => {
      await page.evaluate("['sl_rx_1', 'sl_rx_2', 'sl_rx_keep'].forEach((k) => localStorage.setItem(k, 'x'))");
      await page.reload();
      return page.evaluate("localStorage.getItem('sl_rx_1') === null && localStorage.getItem('sl_rx_2') === null && " +
                           "localStorage.getItem('sl_rx_keep') === 'x'");
    } },
  { scriptlet: 'set-local-storage-item', title: 'value that carries data', args: ['sl_bad', 'user-42'],
    check: "localStorage.getItem('sl_bad') === null" },
  { scriptlet: 'set-local-storage-item', title: 'no value', args: ['sl_none'], check: "localStorage.getItem('sl_none') === null" },
  { scriptlet: 'set-local-storage-item', name: 'ubo-set-local-storage-item.js', verbose: true, args: ['sl_v', 'off'],
    check: "localStorage.getItem('sl_v') === 'off'", console: 'ubo-set-local-storage-item.js: set sl_v=off' },
]);

scriptletCases('set-session-storage-item', [
  { scriptlet: 'set-session-storage-item', args: ['ss_seen', 'yes'], check: "sessionStorage.getItem('ss_seen') === 'yes'" },
  { scriptlet: 'set-session-storage-item', title: 'emptyArr', args: ['ss_arr', 'emptyArr'],
    check: "sessionStorage.getItem('ss_arr') === '[]' && localStorage.getItem('ss_arr') === null" },
  { scriptlet: 'set-session-storage-item', title: '$remove$', args: ['ss_rm', '$remove$'],
    nodeCheck: async ({ page }) => {
      await page.evaluate("sessionStorage.setItem('ss_rm', 'x')");
      await page.reload();
      return page.evaluate("sessionStorage.getItem('ss_rm') === null");
    } },
  { scriptlet: 'set-session-storage-item', title: 'value that carries data', args: ['ss_bad', '{"id":1}'],
    check: "sessionStorage.getItem('ss_bad') === null" },
  { scriptlet: 'set-session-storage-item', name: 'ubo-set-session-storage-item.js', verbose: true, args: ['ss_v', 'null'],
    check: "sessionStorage.getItem('ss_v') === 'null'", console: 'ubo-set-session-storage-item.js: set ss_v=null' },
]);

scriptletCases('abort-on-stack-trace', [
  { scriptlet: 'abort-on-stack-trace', args: ['testObj.prop', 'inlineScript'], head: testObj, body: readProp,
    check: "window.err === 'ReferenceError' && window.got === undefined" },
  { scriptlet: 'abort-on-stack-trace', title: 'stack does not match', args: ['testObj.prop', 'detect.js'],
    head: testObj, body: readProp, check: 'window.got === 1 && window.err === undefined' },
  { scriptlet: 'abort-on-stack-trace', title: 'a file', args: ['testObj.prop', 'detect.js'], head: testObj,
    routes: { '/lib/detect.js': { type: 'text/javascript',
                                  body: 'try { window.fromFile = testObj.prop; } catch (e) { window.fileErr = e.name; }' } },
    body: readProp + '<script src="/lib/detect.js"></script>',
    check: "window.fileErr === 'ReferenceError' && window.got === 1" },
  { scriptlet: 'abort-on-stack-trace', title: 'injectedScript', args: ['testObj.prop', 'injectedScript'], head: testObj,
    body: readProp + "<script>try { eval('testObj.prop'); } catch (e) { window.evalErr = e.name; }</script>",
    check: "window.evalErr === 'ReferenceError' && window.got === 1" },
  { scriptlet: 'abort-on-stack-trace', title: 'writes too', args: ['testObj.prop', '/case\\/\\d+/'], head: testObj,
    body: "<script>try { testObj.prop = 2; } catch (e) { window.err = e.name; }</script>",
    check: "window.err === 'ReferenceError'" },
  { scriptlet: 'abort-on-stack-trace', title: 'objects the page creates later', args: ['later.cfg.ads', 'inlineScript'],
    body: "<script>window.later = { cfg: { ads: 1 } }; try { window.got = later.cfg.ads; } catch (e) { window.err = e.name; }</script>",
    check: "window.err === 'ReferenceError' && later.cfg !== undefined" },
  { scriptlet: 'abort-on-stack-trace', title: 'uncaught, it stops the script', args: ['testObj.prop', 'inlineScript'],
    head: testObj, body: '<script>window.before = 1; testObj.prop; window.after = 1;</script>', pageErrors: true,
    check: 'window.before === 1 && window.after === undefined' },
  { scriptlet: 'abort-on-stack-trace', title: 'no stack argument', args: ['testObj.prop'], head: testObj, body: readProp,
    check: 'window.got === 1' },
  { scriptlet: 'abort-on-stack-trace', name: 'ubo-aost.js', verbose: true, args: ['testObj.prop', 'inlineScript'],
    head: testObj, body: readProp, check: "window.err === 'ReferenceError'",
    console: 'ubo-aost.js: aborted a read of testObj.prop' },
]);

scriptletCases('log-on-stack-trace', [
  { scriptlet: 'log-on-stack-trace', args: ['testObj.prop'], head: testObj, body: readProp,
    check: 'window.got === 1', console: 'log-on-stack-trace: read testObj.prop' },
  { scriptlet: 'log-on-stack-trace', title: 'frames are marked', args: ['testObj.prop'], head: testObj, body: readProp,
    check: 'window.got === 1', console: 'inlineScript' },
  { scriptlet: 'log-on-stack-trace', title: 'writes', args: ['later.prop'],
    body: '<script>window.later = {}; later.prop = 5; window.got = later.prop;</script>',
    check: 'window.got === 5', console: 'log-on-stack-trace: write later.prop' },
  { scriptlet: 'log-on-stack-trace', title: 'another property', args: ['other.prop'], head: testObj, body: readProp,
    check: "window.got === 1 && Object.getOwnPropertyDescriptor(testObj, 'prop').value === 1" },
]);

const adTxt = { '/ad.txt': { type: 'text/plain', body: 'real' } };
scriptletCases('prevent-xhr', [
  { scriptlet: 'prevent-xhr', args: ['ad.txt'], routes: adTxt, body: xhrHelper,
    check: "((x) => x.status === 200 && x.readyState === 4 && x.responseText === '' && x.responseURL.endsWith('/ad.txt'))(await doXhr('/ad.txt'))" },
  { scriptlet: 'prevent-xhr', title: 'custom text as JSON', args: ['ad.txt', '{"a":1}'], routes: adTxt, body: xhrHelper,
    check: "(await doXhr('/ad.txt', { responseType: 'json' })).response.a === 1" },
  { scriptlet: 'prevent-xhr', title: 'random text', args: ['*', 'length:10-20'], routes: adTxt, body: xhrHelper,
    check: "((t) => t.length >= 10 && t.length <= 20)((await doXhr('/ad.txt')).responseText)" },
  { scriptlet: 'prevent-xhr', title: 'readystatechange', args: ['url:/ad\\.txt/'], routes: adTxt,
    body: `<script>
      const x = new XMLHttpRequest();
      x.open('GET', '/ad.txt');
      x.onreadystatechange = () => { if (x.readyState === 4) window.done = x.status + ':' + x.responseText; };
      x.send();
    </script>`, settle: 200, check: "window.done === '200:'" },
  { scriptlet: 'prevent-xhr', title: 'method does not match', args: ['ad.txt method:POST'], routes: adTxt,
    body: xhrHelper, check: "(await doXhr('/ad.txt')).responseText === 'real'" },
  { scriptlet: 'prevent-xhr', title: 'url does not match', args: ['other.txt'], routes: adTxt, body: xhrHelper,
    check: "(await doXhr('/ad.txt')).responseText === 'real'" },
  { scriptlet: 'prevent-xhr', title: 'no argument', args: [], routes: adTxt, body: xhrHelper,
    check: "(await doXhr('/ad.txt')).responseText === 'real'" },
  { scriptlet: 'prevent-xhr', name: 'no-xhr-if.js', verbose: true, args: ['ad.txt', 'emptyObj'], routes: adTxt,
    body: xhrHelper, check: "(await doXhr('/ad.txt')).responseText === '{}'",
    console: 'no-xhr-if.js: prevented xhr GET http://127.0.0.1' },
]);

scriptletCases('close-window', [
  { scriptlet: 'close-window', title: 'a pop-up it opened', args: ['/popup/'],
    routes: { '/popup/ad': { body: scriptletPage('close-window', ['/popup/'], 'ad') } },
    body: "<script>window.popup = window.open('/popup/ad?x=1');</script>", settle: 500,
    check: 'window.popup !== null && window.popup.closed === true' },
  { scriptlet: 'close-window', title: 'a window it cannot close is blanked', args: ['/regex-target$/'],
    path: '/case/regex-target', nodeCheck: async ({ page }) => page.url() === 'about:blank' },
  { scriptlet: 'close-window', title: 'path does not match', args: ['/popup/'], routes: { '/elsewhere': { body: 'x' } },
    nodeCheck: async ({ page }) => !page.isClosed() && page.url().includes('/case/') },
  { scriptlet: 'close-window', title: 'a pop-up that does not match', args: ['/popup/'],
    routes: { '/other/ad': { body: scriptletPage('close-window', ['/popup/'], 'ad') } },
    body: "<script>window.popup = window.open('/other/ad');</script>", settle: 500,
    check: 'window.popup !== null && window.popup.closed === false' },
  { scriptlet: 'close-window', name: 'window-close-if.js', verbose: true, args: [],
    console: 'window-close-if.js: closing the window at /case/', nodeCheck: async ({ page }) => page.url() === 'about:blank' },
]);

const refreshMeta = (content) => `<meta http-equiv="refresh" content="${content}">`;
const elsewhere = { '/elsewhere': { body: 'elsewhere' } };
scriptletCases('prevent-refresh', [
  { scriptlet: 'prevent-refresh', args: [], head: refreshMeta('0;url=/elsewhere'), routes: elsewhere, settle: 800,
    check: "location.pathname.startsWith('/case/') && document.querySelector('meta[http-equiv]') === null" },
  { scriptlet: 'prevent-refresh', title: 'the given delay', args: ['1'], head: refreshMeta('1; url=/elsewhere'),
    routes: elsewhere, settle: 1600, check: "location.pathname.startsWith('/case/')" },
  { scriptlet: 'prevent-refresh', title: 'a tag added after load', args: [], routes: elsewhere, settle: 800,
    body: `<script>window.addEventListener('load', () => setTimeout(() => {
      const meta = document.createElement('meta');
      meta.httpEquiv = 'refresh';
      meta.content = '0;url=/elsewhere';
      document.head.append(meta);
    }, 100));</script>`, check: "location.pathname.startsWith('/case/')" },
  { scriptlet: 'prevent-refresh', title: 'another delay', args: ['5'], head: refreshMeta('0;url=/elsewhere'),
    routes: elsewhere, settle: 0, nodeCheck: async ({ page }) => {
      await page.waitForURL('**/elsewhere');
      return true;
    } },
  { scriptlet: 'prevent-refresh', name: 'refresh-defuser.js', verbose: true, args: [],
    head: refreshMeta('0;url=/elsewhere'), routes: elsewhere, settle: 800,
    check: "location.pathname.startsWith('/case/')",
    console: 'refresh-defuser.js: stopped the refresh "0;url=/elsewhere"' },
]);

const adJs = { '/ad.js': { type: 'text/javascript', body: 'window.adLoaded = true;' } };
scriptletCases('prevent-element-src-loading', [
  { scriptlet: 'prevent-element-src-loading', args: ['script', 'ad.js'], routes: adJs, body: addScript('/ad.js'),
    settle: 300, check: 'window.loaded === true && !window.adLoaded && !window.errored' },
  { scriptlet: 'prevent-element-src-loading', title: 'setAttribute, regex', args: ['script', '/\\/ad\\.js$/'],
    routes: adJs, settle: 300,
    body: `<script>
      const s = document.createElement('script');
      s.setAttribute('src', '/ad.js');
      s.onload = () => { window.loaded = true; };
      document.head.append(s);
    </script>`, check: 'window.loaded === true && !window.adLoaded' },
  { scriptlet: 'prevent-element-src-loading', title: 'an image that would fail', args: ['img', '/pixel/'], settle: 300,
    body: `<script>
      const img = new Image();
      img.onload = () => { window.loaded = true; };
      img.onerror = () => { window.errored = true; };
      img.src = '/pixel/ad.gif';
    </script>`, check: 'window.loaded === true && !window.errored' },
  { scriptlet: 'prevent-element-src-loading', title: 'a frame', args: ['iframe', 'frame.html'], settle: 300,
    routes: { '/ads/frame.html': { body: 'AD' } },
    body: `<script>
      const f = document.createElement('iframe');
      f.id = 'f';
      f.onload = () => { window.loaded = true; };
      f.src = '/ads/frame.html';
      document.body.append(f);
    </script>`, check: "window.loaded === true && f.contentDocument.body.textContent !== 'AD'" },
  { scriptlet: 'prevent-element-src-loading', title: 'a frame in markup', args: ['iframe', 'frame.html'], settle: 300,
    routes: { '/ads/frame.html': { body: 'AD' } }, body: '<iframe id=f src="/ads/frame.html"></iframe>',
    check: "f.contentDocument !== null && f.contentDocument.body.textContent !== 'AD'" },
  { scriptlet: 'prevent-element-src-loading', title: 'a stylesheet', args: ['link', 'ad.css'], settle: 300,
    routes: { '/ad.css': { type: 'text/css', body: 'body { color: rgb(255, 0, 0); }' } },
    body: `<script>
      const l = document.createElement('link');
      l.rel = 'stylesheet';
      l.onload = () => { window.loaded = true; };
      l.href = '/ad.css';
      document.head.append(l);
    </script>`, check: "window.loaded === true && getComputedStyle(document.body).color !== 'rgb(255, 0, 0)'" },
  { scriptlet: 'prevent-element-src-loading', title: 'URL does not match', args: ['script', 'other.js'], routes: adJs,
    body: addScript('/ad.js'), settle: 300, check: 'window.loaded === true && window.adLoaded === true' },
  { scriptlet: 'prevent-element-src-loading', title: 'another element', args: ['img', 'ad.js'], routes: adJs,
    body: addScript('/ad.js'), settle: 300, check: 'window.adLoaded === true' },
  { scriptlet: 'prevent-element-src-loading', title: 'unknown element', args: ['video', 'ad.js'], routes: adJs,
    body: addScript('/ad.js'), settle: 300, check: 'window.adLoaded === true' },
  { scriptlet: 'prevent-element-src-loading', verbose: true, args: ['script', 'ad.js'], routes: adJs,
    body: addScript('/ad.js'), settle: 300, check: '!window.adLoaded',
    console: 'prevent-element-src-loading: script http://127.0.0.1' },
]);
