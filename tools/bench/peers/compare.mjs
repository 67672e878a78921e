#!/usr/bin/env node
// Runs ovcore and the two peer engines on the same filter lists and request
// corpora, one engine at a time, and prints one side-by-side table per corpus
// with ovcore's ratios to the peers. Usually started through compare.sh.
//
//   node compare.mjs [--rounds N] [--corpus adblock|clean|mixed]...
//                    [--engine ovcore|ghostery|ubo]... [--rules FILE]...
//                    [--data DIR] [--results OUT.jsonl] [--quiet] [--strict]
//
// Environment: OVCORE_BIN (default build/bench/app/ovcore under the repository
// root), OVCORE_DATA (default: the repository's ../shared/data), ROUNDS.

import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync, accessSync, constants } from 'node:fs';
import { tmpdir, loadavg, cpus } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const HERE = dirname(fileURLToPath(import.meta.url));
const ROOT = resolve(HERE, '../../..');
const LISTS_DIR = '/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist';
const DEFAULT_RULES = [join(LISTS_DIR, 'easylist.txt'), join(LISTS_DIR, 'easyprivacy.txt')];
const ALL_CORPORA = ['adblock', 'clean', 'mixed'];
const ALL_ENGINES = ['ovcore', 'ghostery', 'ubo'];
const PEERS = ['ghostery', 'ubo'];
const RUN_TIMEOUT_MS = 20 * 60 * 1000;

const USAGE =
  'usage: compare.sh [--rounds N] [--corpus adblock|clean|mixed]... [--engine ovcore|ghostery|ubo]...\n' +
  '                  [--rules FILE]... [--data DIR] [--results OUT.jsonl] [--quiet] [--strict]\n' +
  'env: OVCORE_BIN (default build/bench/app/ovcore), OVCORE_DATA (default ../shared/data), ROUNDS';

function die(msg) {
  process.stderr.write(`compare: ${msg}\n${USAGE}\n`);
  process.exit(2);
}

function parseArgs(argv) {
  const o = {
    rounds: process.env.ROUNDS ? Number(process.env.ROUNDS) : 5,
    corpora: [],
    engines: [],
    rules: [],
    data: process.env.OVCORE_DATA || resolve(ROOT, '../shared/data'),
    results: null,
    quiet: false,
    strict: false,
  };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const next = () => {
      if (i + 1 >= argv.length) die(`missing value after ${a}`);
      return argv[++i];
    };
    switch (a) {
      case '--rounds': o.rounds = Number(next()); break;
      case '--corpus': o.corpora.push(next()); break;
      case '--engine': o.engines.push(next()); break;
      case '--rules': o.rules.push(next()); break;
      case '--data': o.data = next(); break;
      case '--results': o.results = next(); break;
      case '--quiet': o.quiet = true; break;
      case '--strict': o.strict = true; break;
      case '-h': case '--help': process.stdout.write(USAGE + '\n'); process.exit(0);
      default: die(`unknown argument '${a}'`);
    }
  }
  if (!Number.isInteger(o.rounds) || o.rounds < 1) die('--rounds must be a positive integer');
  if (o.corpora.length === 0) o.corpora = ALL_CORPORA;
  if (o.engines.length === 0) o.engines = ALL_ENGINES;
  if (o.rules.length === 0) o.rules = DEFAULT_RULES;
  for (const c of o.corpora) if (!ALL_CORPORA.includes(c)) die(`unknown corpus '${c}'`);
  for (const e of o.engines) if (!ALL_ENGINES.includes(e)) die(`unknown engine '${e}'`);
  for (const f of o.rules) if (!existsSync(f)) die(`rules file not found: ${f}`);
  return o;
}

// Runs a command, echoing its output unless quiet; resolves with what it
// printed and how it ended.
function run(cmd, args, quiet) {
  return new Promise((resolvePromise) => {
    let stdout = '';
    let stderr = '';
    let child;
    try {
      child = spawn(cmd, args, { stdio: ['ignore', 'pipe', 'pipe'] });
    } catch (err) {
      resolvePromise({ code: null, signal: null, stdout, stderr, error: String(err) });
      return;
    }
    const timer = setTimeout(() => child.kill('SIGKILL'), RUN_TIMEOUT_MS);
    child.stdout.on('data', (d) => { stdout += d; if (!quiet) process.stdout.write(d); });
    child.stderr.on('data', (d) => { stderr += d; if (!quiet) process.stderr.write(d); });
    child.on('error', (err) => {
      clearTimeout(timer);
      resolvePromise({ code: null, signal: null, stdout, stderr, error: String(err) });
    });
    child.on('close', (code, signal) => {
      clearTimeout(timer);
      resolvePromise({ code, signal, stdout, stderr, error: null });
    });
  });
}

// The last stdout line that is a JSON object with an "engine" key.
function summaryLine(stdout) {
  const lines = stdout.split('\n').map((l) => l.trim()).filter((l) => l.startsWith('{'));
  for (let i = lines.length - 1; i >= 0; i--) {
    try {
      const j = JSON.parse(lines[i]);
      if (j && typeof j === 'object' && typeof j.engine === 'string') return j;
    } catch { /* not JSON */ }
  }
  return null;
}

// First and last non-empty lines of some output, for a one-line failure note.
function briefOutput(text) {
  const lines = text.split('\n').map((l) => l.trim()).filter((l) => l !== '');
  if (lines.length === 0) return '';
  const s = lines.length === 1 ? lines[0] : `${lines[0]} ... ${lines[lines.length - 1]}`;
  return s.length > 300 ? s.slice(0, 297) + '...' : s;
}

function ovcoreBin() {
  const env = process.env.OVCORE_BIN;
  if (env) return resolve(env);
  return join(ROOT, 'build/bench/app/ovcore');
}

async function runEngine(engine, corpusName, corpusFile, o) {
  let cmd;
  let args;
  if (engine === 'ovcore') {
    cmd = ovcoreBin();
    try {
      accessSync(cmd, constants.X_OK);
    } catch {
      return { error: `binary not found or not executable: ${cmd} (build it with 'make bench' or set OVCORE_BIN)` };
    }
    args = ['bench'];
    for (const f of o.rules) args.push('--rules', f);
    args.push('--requests', corpusFile, '--rounds', String(o.rounds));
  } else {
    cmd = process.execPath;
    args = ['--expose-gc', join(HERE, 'peers.mjs'), '--engine', engine];
    for (const f of o.rules) args.push('--rules', f);
    args.push('--requests', corpusFile, '--rounds', String(o.rounds), '--corpus-name', corpusName);
  }
  if (!o.quiet) process.stdout.write(`\n$ ${[cmd, ...args].join(' ')}\n`);
  const r = await run(cmd, args, o.quiet);
  const tail = briefOutput(r.stderr) || briefOutput(r.stdout);
  if (r.error) return { error: `could not run ${cmd}: ${r.error}` };
  if (r.signal) return { error: `killed by ${r.signal}${tail ? `: ${tail}` : ''}` };
  if (r.code !== 0) return { error: `exited with code ${r.code}${tail ? `: ${tail}` : ''}` };
  const j = summaryLine(r.stdout);
  if (!j) return { error: `printed no JSON summary line${tail ? ` (last output: ${tail})` : ''}` };
  return { result: j };
}

// ---------------------------------------------------------------- table

const COLS = [
  ['engine', 'engine', (v) => v],
  ['rules', 'rules', (v) => String(v)],
  ['load_ms', 'load ms', (v) => fmt(v, 1)],
  ['rss_growth_mib', 'RSS growth MiB', (v) => fmt(v, 1)],
  ['median_us', 'median µs', (v) => fmt(v, 3)],
  ['p99_us', 'p99 µs', (v) => fmt(v, 3)],
  ['mean_us', 'mean µs', (v) => fmt(v, 3)],
  ['rps', 'req/s', (v) => String(Math.round(v))],
  ['blocked', 'blocked', (v) => String(v)],
];

function fmt(v, digits) {
  return typeof v === 'number' && Number.isFinite(v) ? v.toFixed(digits) : String(v ?? '-');
}

function renderTable(rows) {
  const cells = [COLS.map((c) => c[1])];
  for (const row of rows) {
    if (row.result) cells.push(COLS.map(([key, , f]) => (key === 'engine' ? row.engine : f(row.result[key]))));
    else cells.push([row.engine, ...COLS.slice(1).map(() => '-')]);
  }
  const widths = COLS.map((_, i) => Math.max(...cells.map((r) => [...r[i]].length)));
  const pad = (s, w, left) => (left ? s + ' '.repeat(w - [...s].length) : ' '.repeat(w - [...s].length) + s);
  const lines = cells.map((r) => r.map((s, i) => pad(s, widths[i], i === 0)).join('  '));
  lines.splice(1, 0, widths.map((w) => '-'.repeat(w)).join('  '));
  return lines.join('\n');
}

// ovcore's value divided by the best peer's (lowest); null when not computable.
function ratio(rows, key) {
  const ov = rows.find((r) => r.engine === 'ovcore' && r.result);
  const peers = rows.filter((r) => PEERS.includes(r.engine) && r.result && typeof r.result[key] === 'number');
  if (!ov || peers.length === 0 || typeof ov.result[key] !== 'number') return null;
  let best = peers[0];
  for (const p of peers) if (p.result[key] < best.result[key]) best = p;
  const denom = best.result[key];
  return { value: denom > 0 ? ov.result[key] / denom : Infinity, peer: best.engine };
}

function renderRatios(rows) {
  const ov = rows.find((r) => r.engine === 'ovcore');
  if (!ov) return 'ovcore not run: no ratios';
  if (!ov.result) return 'ovcore gave no result: no ratios';
  const parts = [];
  for (const [key, label] of [['median_us', 'median'], ['p99_us', 'p99'], ['load_ms', 'load']]) {
    const r = ratio(rows, key);
    parts.push(r ? `${label} ${fmtRatio(r.value)} (vs ${r.peer})` : `${label} -`);
  }
  const m = ratio(rows, 'rss_growth_mib');
  const memory = m ? `memory ${fmtRatio(m.value)} (vs ${m.peer})` : 'memory -';
  return `ovcore / faster peer: ${parts.join(', ')}\n` +
    `ovcore / smaller peer: ${memory}\n` +
    '(targets: each ratio at most 1.00; aim for 0.50 on the times)';
}

function fmtRatio(v) {
  return Number.isFinite(v) ? `${v.toFixed(2)}x` : 'inf';
}

// ---------------------------------------------------------------- main

function pkgVersion(name) {
  try {
    return JSON.parse(readFileSync(join(HERE, 'node_modules', name, 'package.json'), 'utf8')).version;
  } catch {
    return 'not installed';
  }
}

async function main() {
  const o = parseArgs(process.argv.slice(2));
  const files = {
    adblock: join(o.data, 'requests-adblock.jsonl'),
    clean: join(o.data, 'requests-clean.jsonl'),
  };
  for (const c of ['adblock', 'clean']) {
    if ((o.corpora.includes(c) || o.corpora.includes('mixed')) && !existsSync(files[c])) {
      die(`request corpus not found: ${files[c]} (set OVCORE_DATA or --data)`);
    }
  }

  // The mixed corpus: both files concatenated, in a temporary directory.
  let tmp = null;
  if (o.corpora.includes('mixed')) {
    tmp = mkdtempSync(join(tmpdir(), 'ovcore-peers-'));
    const parts = [files.adblock, files.clean].map((f) => {
      const t = readFileSync(f, 'utf8');
      return t.endsWith('\n') || t === '' ? t : t + '\n';
    });
    files.mixed = join(tmp, 'requests-mixed.jsonl');
    writeFileSync(files.mixed, parts.join(''));
  }
  const cleanup = () => { if (tmp) { rmSync(tmp, { recursive: true, force: true }); tmp = null; } };
  process.on('SIGINT', () => { cleanup(); process.exit(130); });
  process.on('SIGTERM', () => { cleanup(); process.exit(143); });

  const header = [
    `peer benchmark: ${new Date().toISOString()}, ${cpus().length} cores, load average ${loadavg().map((x) => x.toFixed(2)).join(' ')}`,
    `node ${process.version}, @ghostery/adblocker ${pkgVersion('@ghostery/adblocker')}, @gorhill/ubo-core ${pkgVersion('@gorhill/ubo-core')}, ovcore ${ovcoreBin()}`,
    `lists: ${o.rules.join(', ')}`,
    `rounds: ${o.rounds} (after one warm-up round)`,
  ].join('\n');
  if (!o.quiet) process.stdout.write(header + '\n');

  const all = {};
  const collected = [];
  try {
    for (const corpus of o.corpora) {
      all[corpus] = [];
      for (const engine of o.engines) {
        const r = await runEngine(engine, corpus, files[corpus], o);
        if (r.result) {
          r.result.corpus = corpus; // ovcore names the corpus after its file
          collected.push(r.result);
        }
        all[corpus].push({ engine, ...r });
      }
    }
  } finally {
    cleanup();
  }

  if (o.results) writeFileSync(o.results, collected.map((j) => JSON.stringify(j)).join('\n') + '\n');

  const out = o.quiet ? [header] : ['', '='.repeat(72), header];
  let peerFailed = false;
  let anyFailed = false;
  for (const corpus of o.corpora) {
    const rows = all[corpus];
    const first = rows.find((r) => r.result);
    out.push('', `corpus ${corpus}: ${first ? `${first.result.requests} requests` : 'no result'} (${corpus === 'mixed' ? 'adblock + clean' : files[corpus]})`);
    out.push(renderTable(rows));
    for (const r of rows) {
      if (r.error) {
        out.push(`${r.engine}: FAILED: ${r.error}`);
        anyFailed = true;
        if (PEERS.includes(r.engine)) peerFailed = true;
      }
    }
    if (o.engines.includes('ovcore')) out.push(renderRatios(rows));
  }
  out.push('',
    'Notes: times are per request over all rounds (median and p99 nearest-rank); req/s = 1 / mean.',
    'The peers disagree on the party of a request with no source hostname (empty or about:blank',
    'referrer): ghostery treats it as first-party, ubo as third-party, so their blocked counts differ.',
    'Figures are noisy on a shared 2-core machine: compare within one run only.');
  process.stdout.write(out.join('\n') + '\n');
  if (peerFailed || (o.strict && anyFailed)) process.exit(1);
}

main().catch((err) => {
  process.stderr.write(`compare: ${err && err.stack ? err.stack : err}\n`);
  process.exit(1);
});
