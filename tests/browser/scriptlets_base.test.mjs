// The scriptlets base the build assembles from assets/scriptlets/: its shape,
// its names and that every scriptlet is one function of (source, args).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { REPO } from './support/harness.mjs';

function assembleBase() {
  const out = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'ovcore-base-')), 'base.json');
  execFileSync('cmake', [`-DMANIFEST=${REPO}/assets/scriptlets/manifest.json`, `-DOUTPUT=${out}`,
                         '-P', `${REPO}/cmake/scriptlets_base.cmake`]);
  const text = fs.readFileSync(out, 'utf8');
  fs.rmSync(path.dirname(out), { recursive: true });
  return JSON.parse(text);
}

const CANONICAL = [
  'abort-on-property-read', 'abort-on-property-write', 'prevent-setTimeout', 'prevent-setInterval',
  'prevent-window-open', 'abort-current-inline-script', 'set-constant', 'remove-cookie',
  'prevent-addEventListener', 'prevent-bab', 'nowebrtc', 'log-addEventListener', 'log-eval', 'log',
  'noeval', 'prevent-eval-if', 'prevent-fab-3.2.0', 'set-popads-dummy', 'prevent-popads-net',
  'prevent-adfly', 'debug-on-property-read', 'debug-on-property-write',
  'debug-current-inline-script', 'remove-attr', 'set-attr', 'remove-class', 'disable-newtab-links',
  'adjust-setInterval', 'adjust-setTimeout', 'dir-string', 'json-prune',
  'prevent-requestAnimationFrame', 'set-cookie', 'set-cookie-reload', 'hide-in-shadow-dom',
  'remove-in-shadow-dom', 'prevent-fetch', 'set-local-storage-item', 'set-session-storage-item',
  'abort-on-stack-trace', 'log-on-stack-trace', 'prevent-xhr', 'close-window', 'prevent-refresh',
  'prevent-element-src-loading', 'no-topics',
];

test('the base lists the 46 scriptlets in order', () => {
  const base = assembleBase();
  assert.equal(typeof base.version, 'string');
  assert.deepEqual(base.scriptlets.map((s) => s.names[0]), CANONICAL);
});

test('every name is unique across the base, at most 16 per scriptlet', () => {
  const names = new Map();
  for (const { names: list } of assembleBase().scriptlets) {
    assert.ok(list.length <= 16, `${list[0]} has ${list.length} names`);
    for (const name of list) {
      assert.ok(!names.has(name), `${name} belongs to ${names.get(name)} and ${list[0]}`);
      names.set(name, list[0]);
    }
  }
});

test('every scriptlet is one function taking (source, args)', () => {
  for (const { names, scriptlet } of assembleBase().scriptlets) {
    const fn = new Function(`return (${scriptlet});`)();
    assert.equal(typeof fn, 'function', names[0]);
    assert.equal(fn.length, 2, names[0]);
  }
});
