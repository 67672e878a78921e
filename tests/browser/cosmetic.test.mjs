// From filter lists to a page: `ovcore cosmetic` builds what a page on
// 127.0.0.1 receives, `ovcore page 5` renders the content script with it as
// the core serves it, and Chromium runs it on a fixture page.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import path from 'node:path';
import { describe, test } from 'node:test';
import { browserAndServer, openPage, REPO } from './support/harness.mjs';

const BIN = process.env.OVCORE_BIN;
const RULES = path.join(REPO, 'tests/browser/data/cosmetic_rules.txt');

function contentScript() {
  const values = JSON.parse(execFileSync(BIN, ['cosmetic', '--rules', RULES, '--domain', '127.0.0.1',
    '--path', '/page'], { encoding: 'utf8' }));
  const args = ['page', '5'];
  for (const name of ['commonCss', 'specificCss', 'extendedCss', 'script']) {
    args.push(...(values[name] === null ? ['--raw', `${name}=null`] : ['--string', `${name}=${values[name]}`]));
  }
  args.push('--string', 'nonce=', '--raw', 'filteringContext={"isReferrerRuleJsInject":false,"isReferrerRuleElemhide":false}',
    '--raw', 'interceptionContext={}', '--raw', 'safeBrowsingUrl=null');
  return { values, script: execFileSync(BIN, args, { encoding: 'utf8' }) };
}

const PAGE = `<!doctype html><html><head><script src="/content.js"></script></head><body>
<div id="generic" class="generic-ad">generic</div>
<div id="banner" class="site-banner">banner</div>
<div id="other" class="other-site">for another site</div>
<div id="sponsored" class="card">Sponsored post</div>
<div id="plain" class="card">Plain post</div>
<div id="restyled" class="restyled">restyled</div>
<div id="teaser" class="teaser">teaser</div>
<script>
  window.ovFlag = false;
  setTimeout(() => {
    const late = document.createElement('div');
    late.id = 'late';
    late.className = 'card';
    late.textContent = 'Sponsored, added later';
    document.body.appendChild(late);
  }, 50);
</script>
</body></html>`;

describe('cosmetic rules on a page', { skip: !BIN && 'OVCORE_BIN is not set' }, () => {
  const env = browserAndServer();

  test('hides, restyles and removes elements and runs the script rules', async () => {
    const { values, script } = contentScript();
    assert.ok(values.extendedCss.includes(':has-text(Sponsored)'), values.extendedCss);
    env.server.routes.set('/content.js', { type: 'text/javascript; charset=utf-8', body: script });
    env.server.routes.set('/page', { body: PAGE });
    env.server.routes.set('/favicon.ico', { status: 204, type: 'image/x-icon' });
    const { page, pageErrors } = await openPage(env.browser);
    await page.goto(`${env.server.origin}/page`, { waitUntil: 'load' });
    await page.waitForFunction(() => document.getElementById('late')
      && getComputedStyle(document.getElementById('late')).display === 'none');
    const state = await page.evaluate(() => {
      const display = (id) => getComputedStyle(document.getElementById(id)).display;
      return {
        generic: display('generic'),
        banner: display('banner'),
        other: display('other'),
        sponsored: display('sponsored'),
        plain: display('plain'),
        restyled: getComputedStyle(document.getElementById('restyled')).visibility,
        teaser: document.getElementById('teaser'),
        plainScript: window.ovPlainScript,
        flag: window.ovFlag,
      };
    });
    assert.deepEqual(state, {
      generic: 'none',
      banner: 'none',
      other: 'block',
      sponsored: 'none',
      plain: 'block',
      restyled: 'hidden',
      teaser: null,
      plainScript: 'ran',
      flag: true,
    });
    assert.deepEqual(pageErrors, []);
    await page.close();
  });
});
