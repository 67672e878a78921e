// Scriptlets that trap properties, timers, eval, listeners, pop-ups, cookies
// and the anti-adblock libraries, each run in a page: once where its
// arguments match and it acts, once where they do not and the page must go
// on as if it were not there.
import { scriptletCases } from './support/harness.mjs';

// Records what scripts log after it, so that a case can tell that a
// scriptlet stayed quiet.
const CAPTURE_LOG = `<script>
window.logged = [];
const pageNativeLog = console.log;
console.log = function (...parts) {
  window.logged.push(parts.map(String).join(' '));
  return pageNativeLog.apply(this, parts);
};
</script>`;

// --- property traps -------------------------------------------------------

const READS_AD_CONFIG = "<script>window.steps = ['start']; window.adConfig; steps.push('after');</script>";
const WRITES_AD_LOADER = "<script>window.steps = ['start']; window.adLoader = function () {}; steps.push('after');</script>";

const propertyTraps = [
  { scriptlet: 'abort-on-property-read', args: ['adConfig'], head: READS_AD_CONFIG, pageErrors: true,
    check: "steps.join() === 'start'" },
  { scriptlet: 'abort-on-property-read', args: ['ads.config.show'], title: 'chain created by the page later',
    head: "<script>window.ads = {config: {show: true}}; window.configType = typeof ads.config;</script>" +
          "<script>window.steps = ['start']; if (ads.config.show) {} steps.push('after');</script>",
    pageErrors: true, check: "configType === 'object' && steps.join() === 'start'" },
  { scriptlet: 'abort-on-property-read', args: ['otherThing'], head: READS_AD_CONFIG,
    check: "steps.join() === 'start,after'" },
  { scriptlet: 'abort-on-property-read', args: ['ads..show'], title: 'broken chain', head: READS_AD_CONFIG,
    check: "steps.join() === 'start,after'" },
  { scriptlet: 'abort-on-property-read', name: 'aopr.js', args: ['adConfig'], verbose: true, head: READS_AD_CONFIG,
    pageErrors: true, check: "steps.join() === 'start'", console: 'aopr.js: aborted a read of adConfig' },

  { scriptlet: 'abort-on-property-write', args: ['adLoader'], head: WRITES_AD_LOADER, pageErrors: true,
    check: "steps.join() === 'start' && typeof window.adLoader === 'undefined'" },
  { scriptlet: 'abort-on-property-write', args: ['cfg.ads'], title: 'reads still answer the old value',
    head: "<script>window.cfg = {ads: 1};</script>" +
          "<script>window.readBack = cfg.ads; cfg.ads = 2; window.after = true;</script>",
    pageErrors: true, check: "readBack === 1 && cfg.ads === 1 && window.after === undefined" },
  { scriptlet: 'abort-on-property-write', args: ['otherThing'], head: WRITES_AD_LOADER,
    check: "steps.join() === 'start,after' && typeof adLoader === 'function'" },
  { scriptlet: 'abort-on-property-write', name: 'aopw.js', args: ['adLoader'], verbose: true, head: WRITES_AD_LOADER,
    pageErrors: true, check: "steps.join() === 'start'", console: 'aopw.js: aborted a write of adLoader' },

  { scriptlet: 'debug-on-property-read', args: ['adCfg.level'], verbose: true,
    head: "<script>window.adCfg = {level: 3}; window.seen = adCfg.level; window.after = true;</script>",
    check: "seen === 3 && after === true", console: 'debug-on-property-read: read of adCfg.level' },
  { scriptlet: 'debug-on-property-read', args: ['otherThing'], verbose: true,
    head: CAPTURE_LOG + "<script>window.adCfg = {level: 3}; window.seen = adCfg.level;</script>",
    check: "seen === 3 && !logged.some((line) => line.includes('debug-on-property-read'))" },

  { scriptlet: 'debug-on-property-write', args: ['adCfg.level'], verbose: true,
    head: "<script>window.adCfg = {}; adCfg.level = 4; window.seen = adCfg.level;</script>",
    check: "seen === 4", console: 'debug-on-property-write: write of adCfg.level' },
  { scriptlet: 'debug-on-property-write', args: ['otherThing'], verbose: true,
    head: CAPTURE_LOG + "<script>window.adCfg = {}; adCfg.level = 4; window.seen = adCfg.level;</script>",
    check: "seen === 4 && !logged.some((line) => line.includes('debug-on-property-write'))" },
];

// --- inline scripts ----------------------------------------------------------

const INLINE_RANDOM = "<script>/* adblock */ window.steps = ['start']; Math.random(); steps.push('after');</script>" +
                      "<script>window.other = typeof Math.random();</script>";

const inlineScripts = [
  { scriptlet: 'abort-current-inline-script', args: ['Math.random', 'adblock'], head: INLINE_RANDOM, pageErrors: true,
    check: "steps.join() === 'start' && other === 'number'" },
  { scriptlet: 'abort-current-inline-script', args: ['adCfg.enabled', '/show\\w+Ad/'],
    title: 'chain created later, regex search',
    head: "<script>window.adCfg = {enabled: true};</script>" +
          "<script>window.steps = ['start']; if (adCfg.enabled) showBannerAd(); steps.push('after');</script>",
    pageErrors: true, check: "steps.join() === 'start' && adCfg.enabled === true" },
  { scriptlet: 'abort-current-inline-script', args: ['Math.random'], title: 'external scripts and callbacks untouched',
    routes: { '/ext.js': { type: 'text/javascript', body: 'window.ext = typeof Math.random();' } },
    head: '<script src="/ext.js"></script>' +
          "<script>setTimeout(function () { window.later = typeof Math.random(); }, 0);</script>",
    check: "ext === 'number' && later === 'number'" },
  { scriptlet: 'abort-current-inline-script', args: ['Math.random', 'nomatch'], head: INLINE_RANDOM,
    check: "steps.join() === 'start,after' && other === 'number'" },
  { scriptlet: 'abort-current-inline-script', name: 'acis.js', args: ['Math.random', 'adblock'], verbose: true,
    head: INLINE_RANDOM, pageErrors: true, check: "steps.join() === 'start'",
    console: 'acis.js: aborted an inline script at Math.random' },

  { scriptlet: 'debug-current-inline-script', args: ['Math.random', 'adblock'], verbose: true, head: INLINE_RANDOM,
    check: "steps.join() === 'start,after' && other === 'number'",
    console: 'debug-current-inline-script: an inline script touched Math.random' },
  { scriptlet: 'debug-current-inline-script', args: ['Math.random', 'nomatch'], verbose: true,
    head: CAPTURE_LOG + INLINE_RANDOM,
    check: "steps.join() === 'start,after' && !logged.some((line) => line.includes('debug-current-inline-script'))" },
];

// --- set-constant ------------------------------------------------------------

const constantValues = [
  ['undefined', 'v === undefined'],
  ['false', 'v === false'],
  ['true', 'v === true'],
  ['null', 'v === null'],
  ['emptyObj', "typeof v === 'object' && v !== null && Object.keys(v).length === 0"],
  ['emptyArr', 'Array.isArray(v) && v.length === 0'],
  ['noopFunc', "typeof v === 'function' && v() === undefined"],
  ['trueFunc', 'v() === true'],
  ['falseFunc', 'v() === false'],
  ['throwFunc', '(() => { try { v(); return false; } catch (e) { return true; } })()'],
  ['noopPromiseResolve', 'await v().then(() => true, () => false)'],
  ['noopPromiseReject', 'await v().then(() => false, () => true)'],
  ['', "v === ''"],
  ['yes', "v === 'yes'"],
  ['no', "v === 'no'"],
  ['0', 'v === 0'],
  ['32767', 'v === 32767'],
  ['-1', 'v === -1'],
  ['-2', 'v === -2'],
];

const setConstant = [
  { scriptlet: 'set-constant', args: ['ads.enabled', 'false'],
    head: '<script>window.ads = {enabled: true}; ads.enabled = true;</script>',
    check: 'window.ads.enabled === false' },
  { scriptlet: 'set-constant', args: ['site.config.adsOn', 'true'], title: 'objects of the chain created later',
    head: '<script>window.site = {};</script><script>site.config = {adsOn: false}; site.config.adsOn = false;</script>',
    check: 'site.config.adsOn === true' },
  ...constantValues.map(([value, expectation]) => ({
    scriptlet: 'set-constant', args: ['testValue', value], title: `value ${JSON.stringify(value)}`,
    head: "<script>window.testValue = 'page';</script>",
    check: `await (async (v) => (${expectation}))(window.testValue)`,
  })),
  { scriptlet: 'set-constant', args: ['cfg.mode', '1', 'checker'], title: 'only for reads from a matching stack',
    head: '<script>window.cfg = {mode: 5}; function checker() { return window.cfg.mode; }' +
          ' window.viaChecker = checker(); window.direct = window.cfg.mode;</script>',
    check: 'viaChecker === 1 && direct === 5' },
  { scriptlet: 'set-constant', args: ['testValue', '32768'], head: "<script>window.testValue = 'page';</script>",
    check: "testValue === 'page'" },
  { scriptlet: 'set-constant', args: ['testValue', 'bogus'], head: "<script>window.testValue = 'page';</script>",
    check: "testValue === 'page'" },
  { scriptlet: 'set-constant', args: ['testValue'], title: 'no value', head: "<script>window.testValue = 'page';</script>",
    check: "testValue === 'page'" },
  { scriptlet: 'set-constant', name: 'set.js', args: ['ads.enabled', 'false'], verbose: true,
    head: '<script>window.ads = {enabled: true};</script>',
    check: 'ads.enabled === false', console: 'set.js: ads.enabled set to false' },
];

// --- timers ------------------------------------------------------------------

const TIMEOUTS = "<script>window.ran = [];" +
  " setTimeout(function adblockCheck() { ran.push('ad'); }, 20);" +
  " setTimeout(function () { ran.push('plain'); }, 30);" +
  " setTimeout(\"ran.push('string')\", 40);</script>";

const INTERVALS = '<script>window.ticks = {ad: 0, plain: 0};' +
  ' const adInterval = setInterval(function adTick() { ticks.ad++; clearInterval(adInterval); }, 20);' +
  ' const plainInterval = setInterval(function () { ticks.plain++; clearInterval(plainInterval); }, 30);</script>';

const timers = [
  { scriptlet: 'prevent-setTimeout', args: ['adblockCheck'], head: TIMEOUTS, settle: 250,
    check: "ran.join() === 'plain,string'" },
  { scriptlet: 'prevent-setTimeout', args: ['', '20'], title: 'by delay', head: TIMEOUTS, settle: 250,
    check: "ran.join() === 'plain,string'" },
  { scriptlet: 'prevent-setTimeout', args: ['!plain'], title: 'inverted', head: TIMEOUTS, settle: 250,
    check: "ran.join() === 'plain'" },
  { scriptlet: 'prevent-setTimeout', args: ["/ran\\.push\\('string/"], title: 'regex on code strings',
    head: TIMEOUTS, settle: 250, check: "ran.join() === 'ad,plain'" },
  { scriptlet: 'prevent-setTimeout', args: ['adblock', '!20'], title: 'delay does not match', head: TIMEOUTS,
    settle: 250, check: "ran.join() === 'ad,plain,string'" },
  { scriptlet: 'prevent-setTimeout', args: ['nothing-like-it'], head: TIMEOUTS, settle: 250,
    check: "ran.join() === 'ad,plain,string'" },
  { scriptlet: 'prevent-setTimeout', args: ['', 'soon'], title: 'bad delay', head: TIMEOUTS, settle: 250,
    check: "ran.join() === 'ad,plain,string'" },
  { scriptlet: 'prevent-setTimeout', name: 'nostif.js', args: ['adblock'], verbose: true, head: TIMEOUTS, settle: 250,
    check: "ran.join() === 'plain,string'", console: 'nostif.js: prevented setTimeout(function adblockCheck()' },

  { scriptlet: 'prevent-setInterval', args: ['adTick'], head: INTERVALS, settle: 250,
    check: 'ticks.ad === 0 && ticks.plain === 1' },
  { scriptlet: 'prevent-setInterval', args: ['', '30'], title: 'by delay', head: INTERVALS, settle: 250,
    check: 'ticks.ad === 1 && ticks.plain === 0' },
  { scriptlet: 'prevent-setInterval', args: ['adTick', '30'], title: 'delay does not match', head: INTERVALS,
    settle: 250, check: 'ticks.ad === 1 && ticks.plain === 1' },
  { scriptlet: 'prevent-setInterval', args: ['nothing-like-it'], head: INTERVALS, settle: 250,
    check: 'ticks.ad === 1 && ticks.plain === 1' },
  { scriptlet: 'prevent-setInterval', name: 'nosiif.js', args: ['adTick'], verbose: true, head: INTERVALS, settle: 250,
    check: 'ticks.ad === 0 && ticks.plain === 1', console: 'nosiif.js: prevented setInterval(function adTick()' },
];

// --- pop-ups -----------------------------------------------------------------

const isRealWindow = "Object.prototype.toString.call(w) === '[object Window]'";

const popups = [
  { scriptlet: 'prevent-window-open', args: [], title: 'a fake window comes back',
    check: `(() => { const w = window.open('/popup-ad'); return w !== null && !(${isRealWindow}) &&` +
           ' w.closed === false && (w.close(), w.closed === true); })()' },
  { scriptlet: 'prevent-window-open', args: ['popup-ad'], title: 'no page opens',
    nodeCheck: async ({ page }) => {
      // The persistent context keeps a blank page of its own: count, not 1.
      const pagesBefore = page.context().pages().length;
      await page.evaluate(() => { window.opened = window.open('/popup-ad'); });
      await page.waitForTimeout(200);
      return page.context().pages().length === pagesBefore &&
        await page.evaluate(() => window.opened.closed === false);
    } },
  { scriptlet: 'prevent-window-open', args: ['/ad$/', '', 'null'], check: "window.open('/x/ad') === null" },
  { scriptlet: 'prevent-window-open', args: ['ad', '', 'trueFunc'],
    check: "(() => { const w = window.open('/x/ad'); return typeof w === 'function' && w() === true; })()" },
  { scriptlet: 'prevent-window-open', args: ['ad', '1'], title: 'reports closed after the delay',
    check: "await (async () => { const w = window.open('/x/ad'); const first = w.closed;" +
           ' await new Promise((r) => setTimeout(r, 1300)); return first === false && w.closed === true; })()' },
  { scriptlet: 'prevent-window-open', args: ['popup-ad'], title: 'other URLs open',
    check: `(() => { const w = window.open('/popup-ok'); const real = ${isRealWindow}; w.close(); return real; })()` },
  { scriptlet: 'prevent-window-open', args: ['', '', 'bogus'], title: 'unknown replacement',
    check: `(() => { const w = window.open('/popup-ad'); const real = ${isRealWindow}; w.close(); return real; })()` },
  { scriptlet: 'prevent-window-open', args: ['popup', '', 'log'], title: 'log only',
    check: `(() => { const w = window.open('/popup-logged'); const real = ${isRealWindow}; w.close(); return real; })()`,
    console: 'prevent-window-open: window.open(/popup-logged)' },
  { scriptlet: 'prevent-window-open', name: 'nowoif.js', args: ['popup-ad'], verbose: true,
    check: `(() => { const w = window.open('/popup-ad'); return !(${isRealWindow}); })()`,
    console: 'nowoif.js: prevented window.open(/popup-ad)' },
];

// --- cookies -----------------------------------------------------------------

// Puts cookies in the browser, reloads the page so that the scriptlet meets
// them at its start, and tells which are left.
function cookiesAfterReload(names, expectation) {
  return async ({ page, server }) => {
    const context = page.context();
    await context.addCookies(names.map((name) => ({ name, value: '1', url: `${server.origin}/` })));
    try {
      await page.reload({ waitUntil: 'load' });
      const left = (await page.evaluate(() => document.cookie)).split(';').map((c) => c.split('=')[0].trim());
      return expectation(left);
    } finally {
      await context.clearCookies();
    }
  };
}

const cookies = [
  { scriptlet: 'remove-cookie', args: ['ad_track'],
    nodeCheck: cookiesAfterReload(['ad_track', 'keep_me'], (left) => !left.includes('ad_track') && left.includes('keep_me')) },
  { scriptlet: 'remove-cookie', args: [], title: 'every cookie',
    nodeCheck: cookiesAfterReload(['ad_track', 'keep_me'], (left) => !left.includes('ad_track') && !left.includes('keep_me')) },
  { scriptlet: 'remove-cookie', args: ['/^ad_/'], title: 'set by the page, removed when it is left',
    check: "(() => { document.cookie = 'ad_later=1'; document.cookie = 'keep_later=1';" +
           " const before = document.cookie.includes('ad_later');" +
           " window.dispatchEvent(new Event('pagehide')); const after = document.cookie;" +
           " document.cookie = 'keep_later=; max-age=0';" +
           " return before && !after.includes('ad_later') && after.includes('keep_later'); })()" },
  { scriptlet: 'remove-cookie', args: ['nomatch'],
    nodeCheck: cookiesAfterReload(['ad_track', 'keep_me'], (left) => left.includes('ad_track') && left.includes('keep_me')) },
  { scriptlet: 'remove-cookie', args: ['/[/'], title: 'broken regex',
    nodeCheck: cookiesAfterReload(['ad_track'], (left) => left.includes('ad_track')) },
  { scriptlet: 'remove-cookie', name: 'cookie-remover.js', args: ['ad_track'], verbose: true,
    nodeCheck: cookiesAfterReload(['ad_track'], (left) => !left.includes('ad_track')),
    console: 'cookie-remover.js: removed cookie ad_track' },
];

// --- listeners ---------------------------------------------------------------

const LISTENERS = "<script>window.heard = [];" +
  " document.addEventListener('click', function adClickHandler() { heard.push('ad'); });" +
  " document.addEventListener('click', function () { heard.push('plain'); });" +
  " window.addEventListener('load', function () { heard.push('load'); });</script>";
const CLICK = '(document.documentElement.click(), heard.join())';

const listeners = [
  { scriptlet: 'prevent-addEventListener', args: ['click', 'adClick'], head: LISTENERS,
    check: `${CLICK} === 'load,plain'` },
  { scriptlet: 'prevent-addEventListener', args: ['/^lo/'], title: 'by type only', head: LISTENERS,
    check: `${CLICK} === 'ad,plain'` },
  { scriptlet: 'prevent-addEventListener', args: ['!click'], title: 'inverted type', head: LISTENERS,
    check: `${CLICK} === 'ad,plain'` },
  { scriptlet: 'prevent-addEventListener', args: ['', 'adClickHandler'], title: 'by listener only', head: LISTENERS,
    check: `${CLICK} === 'load,plain'` },
  { scriptlet: 'prevent-addEventListener', args: ['click', 'obj-ad'], title: 'handleEvent objects',
    head: "<script>window.heard = []; document.addEventListener('click', { handleEvent() { heard.push('obj-ad'); } });</script>",
    check: `${CLICK} === ''` },
  { scriptlet: 'prevent-addEventListener', args: ['click', 'nomatch'], head: LISTENERS,
    check: `${CLICK} === 'load,ad,plain'` },
  { scriptlet: 'prevent-addEventListener', name: 'aeld.js', args: ['click', 'adClick'], verbose: true, head: LISTENERS,
    check: `${CLICK} === 'load,plain'`, console: 'aeld.js: prevented addEventListener("click", function adClickHandler()' },

  { scriptlet: 'log-addEventListener',
    head: "<script>document.addEventListener('click', function myClickHandler() { window.clicked = true; });</script>",
    check: '(document.documentElement.click(), window.clicked === true)',
    console: 'log-addEventListener: addEventListener("click", function myClickHandler() { window.clicked = true; }) on document' },
  { scriptlet: 'log-addEventListener', title: 'handler properties are not calls',
    head: CAPTURE_LOG + '<script>document.onclick = function () { window.clicked = true; };</script>',
    check: '(document.documentElement.click(), window.clicked === true && logged.length === 0)' },
  { scriptlet: 'log-addEventListener', name: 'aell.js',
    head: "<script>window.addEventListener('load', function onLoadMine() { window.loaded = true; });</script>",
    check: 'window.loaded === true', console: 'aell.js: addEventListener("load", function onLoadMine() { window.loaded = true; }) on window' },
];

// --- eval --------------------------------------------------------------------

// Playwright runs page.evaluate() through the page's own eval(), which these
// scriptlets replace: the pages put their results in the title instead, and
// the title is read from Playwright's isolated world.
function titleIs(expected) {
  return async ({ page }) => (await page.title()) === expected;
}
const EVALS = "<script>window.a = eval('/* adblock */ window.blocked = 1; 1'); window.b = eval('window.allowed = 1; 2');" +
  " document.title = [a, window.blocked, b, window.allowed].map(String).join();</script>";
const EVALS_BLOCKED = 'undefined,undefined,2,1';
const EVALS_RUN = '1,1,2,1';
const NOEVAL_PAGE = "<script>window.r = eval('window.side = 1; 2'); document.title = [r, window.side].map(String).join();</script>";

const evals = [
  { scriptlet: 'log-eval', head: "<script>window.r = eval('1 + 1');</script>", check: 'r === 2',
    console: 'log-eval: eval(1 + 1)' },
  { scriptlet: 'log-eval', title: 'Function constructor',
    head: "<script>window.f = new Function('a', 'return a * 2')(3);</script>", check: 'f === 6',
    console: 'log-eval: new Function(a, return a * 2)' },
  { scriptlet: 'log-eval', title: 'constructor reached through a function',
    head: "<script>window.f = (function () {}).constructor('return 7')();</script>",
    check: 'f === 7 && (function () {}) instanceof Function', console: 'log-eval: new Function(return 7)' },
  { scriptlet: 'log-eval', title: 'quiet without eval',
    head: CAPTURE_LOG + '<script>window.n = eval(5); document.title = [n, logged.length].join();</script>',
    nodeCheck: titleIs('5,0') },

  { scriptlet: 'log', args: ['hello', 'world'], check: 'true', console: 'log: hello world' },
  { scriptlet: 'log', name: 'abp-log', args: [], check: 'true', console: 'abp-log:' },
  { scriptlet: 'log', args: ['window.touched = 1'], title: 'arguments are not run', check: 'window.touched === undefined' },

  { scriptlet: 'noeval', head: NOEVAL_PAGE, nodeCheck: titleIs('undefined,undefined') },
  { scriptlet: 'noeval', title: 'the Function constructor still works',
    head: "<script>document.title = String(new Function('return 7')());</script>", nodeCheck: titleIs('7') },
  { scriptlet: 'noeval', name: 'silent-noeval.js', verbose: true, head: NOEVAL_PAGE,
    nodeCheck: titleIs('undefined,undefined'), console: 'silent-noeval.js: prevented eval(window.side = 1; 2)' },

  { scriptlet: 'prevent-eval-if', args: ['adblock'], head: EVALS, nodeCheck: titleIs(EVALS_BLOCKED) },
  { scriptlet: 'prevent-eval-if', args: ['/window\\.blocked\\s*=/'], head: EVALS, nodeCheck: titleIs(EVALS_BLOCKED) },
  { scriptlet: 'prevent-eval-if', args: ['!allowed'], title: 'inverted', head: EVALS, nodeCheck: titleIs(EVALS_BLOCKED) },
  { scriptlet: 'prevent-eval-if', args: ['nomatch'], head: EVALS, nodeCheck: titleIs(EVALS_RUN) },
  { scriptlet: 'prevent-eval-if', args: [], title: 'no search', head: EVALS, nodeCheck: titleIs(EVALS_RUN) },
  { scriptlet: 'prevent-eval-if', name: 'noeval-if.js', args: ['adblock'], verbose: true, head: EVALS,
    nodeCheck: titleIs(EVALS_BLOCKED), console: 'noeval-if.js: prevented eval(/* adblock */' },
];

// --- anti-adblock and ad libraries ---------------------------------------------

const BAB_USER = "<script>window.result = 'unset';" +
  " if (typeof blockAdBlock === 'undefined') { result = 'missing'; } else {" +
  " blockAdBlock.onDetected(function () { result = 'detected'; }).onNotDetected(function () { result = 'clean'; }); }</script>";
const FAB_USER = "<script>window.result = 'unset';" +
  " if (typeof fuckAdBlock === 'undefined') { result = 'missing'; } else {" +
  " fuckAdBlock.onDetected(function () { result = 'detected'; }); fuckAdBlock.onNotDetected(function () { result = 'clean'; }); }</script>";

// adf.ly's scrambling of a destination, the reverse of what the scriptlet
// undoes: base64 between padding, digit pairs xor-ed, halves interleaved.
const ADFLY_SCRAMBLE = `<script>
function adflyScramble(url) {
  const plain = btoa('0123456789abcdef' + url + 'fedcba9876543210').split('');
  const digits = [];
  plain.forEach((c, i) => { if (c >= '0' && c <= '9') digits.push(i); });
  for (let k = 0; k + 1 < digits.length; k += 2) {
    const mixed = Number(plain[digits[k]]) ^ Number(plain[digits[k + 1]]);
    if (mixed < 10) plain[digits[k]] = String(mixed);
  }
  const s = plain.join('');
  const half = Math.ceil(s.length / 2);
  const front = s.slice(0, half);
  const odd = s.slice(half).split('').reverse();
  let out = '';
  for (let k = 0; k < s.length; k++) out += k % 2 === 0 ? front[k / 2] : odd[(k - 1) / 2];
  return out;
}
</script>`;
const ADFLY_PAGE = ADFLY_SCRAMBLE +
  "<script>window.addEventListener('load', () => setTimeout(() => { window.ysmm = adflyScramble(location.origin + '/adfly-destination'); }, 10));</script>";
const ADFLY_ROUTES = { '/adfly-destination': { body: '<p id="dest">arrived</p>' } };
async function reachedAdflyDestination({ page }) {
  await page.waitForURL('**/adfly-destination');
  return (await page.textContent('#dest')) === 'arrived';
}

const libraries = [
  { scriptlet: 'prevent-bab', head: BAB_USER, settle: 250, check: "result === 'clean'" },
  { scriptlet: 'prevent-bab', title: 'the page ships its own BlockAdBlock',
    head: '<script>(function () { var BlockAdBlock = function () {};' +
          ' BlockAdBlock.prototype.onDetected = function (fn) { fn(); return this; };' +
          ' window.BlockAdBlock = BlockAdBlock; window.blockAdBlock = new BlockAdBlock(); })();' +
          " window.result = 'clean'; blockAdBlock.onDetected(function () { result = 'detected'; });" +
          " new BlockAdBlock().onDetected(function () { result = 'detected too'; });</script>",
    settle: 250, check: "result === 'clean'" },
  { scriptlet: 'prevent-bab', title: 'bait checks in eval and setTimeout',
    head: "<script>window.steps = []; eval(\"steps.push('bab-eval'); /* BlockAdBlock */\");" +
          " setTimeout(function () { var bait = 'pub_300x250 pub_300x250m pub_728x90 text-ad textAd'; steps.push('bait-timer'); }, 10);" +
          " eval(\"steps.push('plain-eval')\"); setTimeout(function () { steps.push('plain-timer'); }, 20);</script>",
    settle: 250, check: "steps.join() === 'plain-eval,plain-timer'" },
  { scriptlet: 'prevent-bab', title: 'ordinary timers and eval run',
    head: "<script>window.steps = []; eval('steps.push(1)'); setTimeout(function () { steps.push(2); }, 10);" +
          " setTimeout('steps.push(3)', 20);</script>",
    settle: 250, check: "steps.join() === '1,2,3'" },
  { scriptlet: 'prevent-bab', name: 'nobab.js', verbose: true,
    head: "<script>window.r = eval('/* BlockAdBlock */ 1');</script>", check: 'r === undefined',
    console: 'nobab.js: prevented a bait check in eval' },

  { scriptlet: 'prevent-fab-3.2.0', head: FAB_USER, settle: 250, check: "result === 'clean'" },
  { scriptlet: 'prevent-fab-3.2.0', title: 'the page ships its own FuckAdBlock',
    head: '<script>var FuckAdBlock = function () {}; FuckAdBlock.prototype.onDetected = function (fn) { fn(); return this; };' +
          " var fuckAdBlock = new FuckAdBlock(); window.result = 'clean';" +
          " fuckAdBlock.onDetected(function () { result = 'detected'; });" +
          " new FuckAdBlock().on(true, function () { result = 'detected too'; }).check();</script>",
    settle: 250, check: "result === 'clean'" },
  { scriptlet: 'prevent-fab-3.2.0', title: 'BlockAdBlock is not its business',
    head: '<script>window.blockAdBlock = {mine: true};</script>', check: 'blockAdBlock.mine === true' },
  { scriptlet: 'prevent-fab-3.2.0', name: 'nofab.js', verbose: true, head: FAB_USER, settle: 250,
    check: "result === 'clean'", console: 'nofab.js: fuckAdBlock replaced by a stand-in' },

  { scriptlet: 'set-popads-dummy', head: "<script>window.PopAds = 'real loader'; var popns = 'loader namespace';</script>",
    check: "typeof PopAds === 'object' && typeof popns === 'object'" },
  { scriptlet: 'set-popads-dummy', title: 'other globals untouched',
    head: '<script>window.PopAdsConfig = 1; window.popunder = 2;</script>', check: 'PopAdsConfig === 1 && popunder === 2' },
  { scriptlet: 'set-popads-dummy', name: 'popads-dummy.js', verbose: true, check: "typeof PopAds === 'object'",
    console: 'popads-dummy.js: PopAds and popns are dummies' },

  { scriptlet: 'prevent-popads-net', head: "<script>window.steps = ['start']; var PopAds = {}; steps.push('after');</script>",
    pageErrors: true, check: "steps.join() === 'start'" },
  { scriptlet: 'prevent-popads-net', title: 'reads abort too',
    head: "<script>window.steps = ['start']; if (window.popns) {} steps.push('after');</script>",
    pageErrors: true, check: "steps.join() === 'start'" },
  { scriptlet: 'prevent-popads-net', title: 'other globals untouched',
    head: "<script>window.steps = ['start']; window.popunderConfig = {}; steps.push('after');</script>",
    check: "steps.join() === 'start,after'" },
  { scriptlet: 'prevent-popads-net', name: 'popads.net.js', verbose: true,
    head: "<script>window.steps = ['start']; var PopAds = {}; steps.push('after');</script>",
    pageErrors: true, check: "steps.join() === 'start'", console: 'popads.net.js: aborted a use of PopAds' },

  { scriptlet: 'nowebrtc',
    check: "await (async () => { const pc = new RTCPeerConnection({iceServers: []}); let candidates = 0;" +
           " pc.addEventListener('icecandidate', () => { candidates++; }); pc.createDataChannel('probe');" +
           ' const offer = await pc.createOffer(); await pc.setLocalDescription(offer);' +
           ' await new Promise((r) => setTimeout(r, 200)); pc.close();' +
           " return offer.sdp === '' && pc.localDescription === null && candidates === 0 &&" +
           " (typeof webkitRTCPeerConnection === 'undefined' || webkitRTCPeerConnection === RTCPeerConnection); })()" },
  { scriptlet: 'nowebrtc', title: 'the rest of WebRTC untouched',
    check: "String(RTCSessionDescription).includes('[native code]') && String(RTCIceCandidate).includes('[native code]')" +
           " && new RTCSessionDescription({type: 'offer', sdp: ''}).type === 'offer'" },
  { scriptlet: 'nowebrtc', name: 'nowebrtc.js', verbose: true, check: 'new RTCPeerConnection() instanceof EventTarget',
    console: 'nowebrtc.js: a peer connection was made inert' },

  { scriptlet: 'prevent-adfly', head: ADFLY_PAGE, routes: ADFLY_ROUTES, nodeCheck: reachedAdflyDestination },
  { scriptlet: 'prevent-adfly', title: 'values that are no destination stay with the page',
    head: ADFLY_SCRAMBLE + "<script>var ysmm = 'not-a-real-value'; window.readBack = ysmm;" +
          " ysmm = adflyScramble('javascript:alert(1)');</script>",
    settle: 200, check: "readBack === 'not-a-real-value' && location.pathname.startsWith('/case/')" },
  { scriptlet: 'prevent-adfly', name: 'adfly-defuser.js', verbose: true, head: ADFLY_PAGE, routes: ADFLY_ROUTES,
    nodeCheck: reachedAdflyDestination, console: 'adfly-defuser.js: going straight to http://127.0.0.1:' },
];

scriptletCases('scriptlets: property traps', propertyTraps);
scriptletCases('scriptlets: inline scripts', inlineScripts);
scriptletCases('scriptlets: set-constant', setConstant);
scriptletCases('scriptlets: timers', timers);
scriptletCases('scriptlets: pop-ups', popups);
scriptletCases('scriptlets: cookies', cookies);
scriptletCases('scriptlets: listeners', listeners);
scriptletCases('scriptlets: eval', evals);
scriptletCases('scriptlets: anti-adblock and ad libraries', libraries);
