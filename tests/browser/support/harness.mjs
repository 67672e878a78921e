// The browser test harness: Debian's Chromium driven by playwright-core,
// pages served by a small HTTP server on 127.0.0.1, and every request bound
// anywhere else refused. Tests describe pages as data; the harness serves
// them, runs them and checks them.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const HERE = path.dirname(fileURLToPath(import.meta.url));
export const REPO = path.resolve(HERE, '../../..');

const CHROMIUM_ARGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--no-first-run',
  // Nothing leaves the machine: names resolve to nothing but 127.0.0.1, and
  // any other traffic would go to a proxy that is not there.
  '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1',
  '--proxy-server=http://127.0.0.1:9',
  '--webrtc-ip-handling-policy=disable_non_proxied_udp',
];

// Launches Chromium with a fresh profile directory of its own.
export async function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ovcore-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: CHROMIUM_ARGS,
  });
  return {
    context,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Serves `routes` (path -> {status, type, body, headers}) on 127.0.0.1; the
// routes may change while the server runs.
export async function startServer(routes = new Map()) {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    const route = routes.get(url.pathname);
    if (!route) {
      response.writeHead(404, { 'content-type': 'text/plain' });
      response.end('not found');
      return;
    }
    response.writeHead(route.status ?? 200, {
      'content-type': route.type ?? 'text/html; charset=utf-8',
      'cache-control': 'no-store',
      ...(route.headers ?? {}),
    });
    response.end(route.body ?? '');
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    routes,
    origin: `http://127.0.0.1:${server.address().port}`,
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// A browser and a page server for the tests of the calling suite (or file):
// launched before the first test, closed after the last. The returned
// object's `browser` and `server` are set once the tests run.
export function browserAndServer() {
  const env = { browser: null, server: null };
  before(async () => {
    env.browser = await launchBrowser();
    env.server = await startServer();
  });
  after(async () => {
    await env.browser?.close();
    await env.server?.close();
  });
  return env;
}

// Opens a page that may reach 127.0.0.1 only, collecting its console lines
// and uncaught errors.
export async function openPage(browser) {
  const page = await browser.context.newPage();
  const consoleLines = [];
  const pageErrors = [];
  page.on('console', (message) => consoleLines.push(message.text()));
  page.on('pageerror', (error) => pageErrors.push(String(error)));
  await page.route('**/*', (route) => {
    const host = new URL(route.request().url()).hostname;
    return host === '127.0.0.1' ? route.continue() : route.abort();
  });
  return { page, consoleLines, pageErrors };
}

const manifest = JSON.parse(fs.readFileSync(path.join(REPO, 'assets/scriptlets/manifest.json'), 'utf8'));

// The source of a scriptlet: one function taking (source, args).
export function scriptletCode(canonicalName) {
  const entry = manifest.find((e) => e.names[0] === canonicalName);
  assert.ok(entry, `no scriptlet ${canonicalName} in the manifest`);
  return fs.readFileSync(path.join(REPO, 'assets/scriptlets', entry.file), 'utf8').trim();
}

// The call text the script filter renders for a scriptlet rule:
// (code)({name:"...",engine:"quillon",version:"1.10.4",verbose:false},["a",]);
export function renderInvocation({ code, name, args = [], verbose = false, ruleText }) {
  const source = `{name:${JSON.stringify(name)},engine:"quillon",version:"1.10.4",` +
    `verbose:${verbose}${verbose && ruleText !== undefined ? `,ruleText:${JSON.stringify(ruleText)}` : ''}}`;
  const list = args.map((a) => `${JSON.stringify(a)},`).join('');
  return `(${code})(${source},[${list}]);\n`;
}

function casePage(c, invocation) {
  return '<!doctype html><html><head><meta charset="utf-8">' +
    `<script>${invocation.replace(/<\/script/gi, '<\\/script')}</script>` +
    `${c.head ?? ''}</head><body>${c.body ?? ''}</body></html>`;
}

function caseTitle(c) {
  const args = (c.args ?? []).map((a) => JSON.stringify(a)).join(', ');
  return `${c.name ?? c.scriptlet}(${args})${c.title ? `: ${c.title}` : ''}`;
}

// Registers one test per case. A case:
//   scriptlet  canonical name (the code comes from assets/scriptlets/)
//   name       the name the rule wrote (default: the canonical name)
//   args       argument strings; verbose, ruleText: the call object's fields
//   head, body HTML after the scriptlet in <head>, and the <body>
//   routes     more paths to serve: {'/data.json': {type, body, status}}
//   path       where the page is served (default /case/<n>)
//   settle     milliseconds to wait after load before the check (default 50)
//   check      a JS expression (may await) evaluated in the page; must be true
//   nodeCheck  instead of check: async ({page, server}) => boolean, for what
//              the page cannot see itself (it closed, it reloaded)
//   console    a text some console line must contain
//   pageErrors true when uncaught page errors are expected (default: none)
export function scriptletCases(title, cases) {
  describe(title, () => {
    const env = browserAndServer();
    cases.forEach((c, i) => {
      test(caseTitle(c), async () => {
        const code = scriptletCode(c.scriptlet);
        const invocation = renderInvocation({ code, name: c.name ?? c.scriptlet, args: c.args,
                                              verbose: c.verbose, ruleText: c.ruleText });
        const pagePath = c.path ?? `/case/${i}`;
        env.server.routes.clear();
        for (const [routePath, route] of Object.entries(c.routes ?? {})) {
          env.server.routes.set(routePath, route);
        }
        env.server.routes.set(pagePath, { body: casePage(c, invocation) });
        const { page, consoleLines, pageErrors } = await openPage(env.browser);
        try {
          await page.goto(env.server.origin + pagePath, { waitUntil: 'load' });
          await page.waitForTimeout(c.settle ?? 50);
          const result = c.nodeCheck
            ? await c.nodeCheck({ page, server: env.server })
            : await page.evaluate(`(async () => (${c.check}))()`);
          assert.equal(result, true, `check failed: ${c.nodeCheck ?? c.check}`);
          if (c.console !== undefined) {
            assert.ok(consoleLines.some((line) => line.includes(c.console)),
                      `no console line contains ${JSON.stringify(c.console)}: ${JSON.stringify(consoleLines)}`);
          }
          if (!c.pageErrors) {
            assert.deepEqual(pageErrors, [], 'uncaught errors in the page');
          }
        } finally {
          if (!page.isClosed()) await page.close();
        }
      });
    });
  });
}
