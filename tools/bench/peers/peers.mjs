#!/usr/bin/env node
// Runs one public network-filtering engine (a "peer" of ovcore) on filter
// lists and a request corpus, and measures it the way `ovcore bench` measures
// ovcore: load time, resident memory growth after loading, per-request match
// time over N rounds after a warm-up, and the number of blocked requests.
//
//   node --expose-gc peers.mjs --engine ghostery|ubo --rules FILE [--rules FILE]...
//        --requests FILE.jsonl [--rounds N] [--corpus-name NAME] [--psl FILE]
//        [--decisions OUT.jsonl]
//
// --decisions writes one line per request, {"url","referrer","type","blocked"},
// from the warm-up round, to compare the engines' verdicts request by request.
//
// Prints a human-readable block, then one JSON summary line:
//   {"engine":...,"corpus":...,"rules":N,"load_ms":x,"rss_growth_mib":y,
//    "requests":N,"median_us":x,"p99_us":x,"mean_us":x,"rps":x,"blocked":N}
//
// No network access: lists, requests and the public suffix list are local files.

import { readFileSync, writeFileSync } from 'node:fs';
import { basename } from 'node:path';

const USAGE =
  'usage: node --expose-gc peers.mjs --engine ghostery|ubo --rules FILE [--rules FILE]... ' +
  '--requests FILE.jsonl [--rounds N] [--corpus-name NAME] [--psl FILE] [--decisions OUT.jsonl]';

function die(msg) {
  process.stderr.write(`peers: ${msg}\n${USAGE}\n`);
  process.exit(2);
}

function parseArgs(argv) {
  const opts = {
    engine: null,
    rules: [],
    requests: null,
    rounds: 5,
    corpusName: null,
    psl: '/usr/share/publicsuffix/public_suffix_list.dat',
    decisions: null,
  };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const next = () => {
      if (i + 1 >= argv.length) die(`missing value after ${a}`);
      return argv[++i];
    };
    switch (a) {
      case '--engine': opts.engine = next(); break;
      case '--rules': opts.rules.push(next()); break;
      case '--requests': opts.requests = next(); break;
      case '--rounds': opts.rounds = Number(next()); break;
      case '--corpus-name': opts.corpusName = next(); break;
      case '--psl': opts.psl = next(); break;
      case '--decisions': opts.decisions = next(); break;
      case '-h': case '--help': process.stdout.write(USAGE + '\n'); process.exit(0);
      default: die(`unknown argument '${a}'`);
    }
  }
  if (opts.engine !== 'ghostery' && opts.engine !== 'ubo') die('--engine must be ghostery or ubo');
  if (opts.rules.length === 0) die('at least one --rules FILE is needed');
  if (!opts.requests) die('--requests FILE.jsonl is needed');
  if (!Number.isInteger(opts.rounds) || opts.rounds < 1) die('--rounds must be a positive integer');
  if (!opts.corpusName) {
    // requests-adblock.jsonl -> adblock
    opts.corpusName = basename(opts.requests).replace(/\.jsonl?$/, '').replace(/^requests-/, '');
  }
  return opts;
}

// ---------------------------------------------------------------- requests

// Corpus types are content-type option names of network rules:
// document, script, image, stylesheet, xmlhttprequest, subdocument, font,
// media, other (and a few more). Both peers take browser webRequest type
// names, which differ only for documents and frames.
const TYPE_MAP = {
  document: 'main_frame',
  subdocument: 'sub_frame',
  script: 'script',
  image: 'image',
  stylesheet: 'stylesheet',
  xmlhttprequest: 'xmlhttprequest',
  font: 'font',
  media: 'media',
  object: 'object',
  ping: 'ping',
  websocket: 'websocket',
  other: 'other',
};

function loadRequests(path) {
  const lines = readFileSync(path, 'utf8').split('\n');
  const out = [];
  let bad = 0;
  for (const line of lines) {
    if (line.trim() === '') continue;
    let r;
    try {
      r = JSON.parse(line);
    } catch {
      bad++;
      continue;
    }
    if (typeof r.url !== 'string') { bad++; continue; }
    const type = TYPE_MAP[r.type] ?? 'other';
    const referrer = typeof r.referrer === 'string' ? r.referrer : '';
    out.push({ url: r.url, referrer, type, corpusType: r.type });
  }
  return { requests: out, bad };
}

// ---------------------------------------------------------------- engines
//
// Each adapter: init() (module import, public suffix data; not timed as load),
// load(texts) (parse + index: timed), ruleCount(), prepare(req) (builds the
// library's input object once, outside timing), and match(prepared) -> bool
// "blocked" (a blocking match not overridden by an exception).

async function ghosteryAdapter() {
  const { FiltersEngine, Request } = await import('@ghostery/adblocker');
  let engine = null;
  return {
    name: 'ghostery',
    notes: [
      'FiltersEngine.parse(lists, {loadCosmeticFilters: false}) (other options: library defaults)',
      'blocked = engine.match(Request.fromRawDetails({url, sourceUrl, type})).match',
      'Request.fromRawDetails (URL parsing) is inside the timed match',
    ],
    init() { return {}; },
    load(texts) {
      engine = FiltersEngine.parse(texts.join('\n'), {
        loadCosmeticFilters: false,
        loadGenericCosmeticsFilters: false,
        loadNetworkFilters: true,
      });
    },
    ruleCount() {
      return { count: engine.getFilters().networkFilters.length, kind: 'network filters loaded' };
    },
    prepare(r) {
      return { url: r.url, sourceUrl: r.referrer, type: r.type };
    },
    match(p) {
      return engine.match(Request.fromRawDetails(p)).match === true;
    },
  };
}

async function uboAdapter(pslPath) {
  const { StaticNetFilteringEngine, pslInit } = await import('@gorhill/ubo-core');
  let snfe = null;
  return {
    name: 'ubo',
    notes: [
      `public suffix list from ${pslPath} through pslInit(text) (bundled data not used)`,
      'StaticNetFilteringEngine.useLists([{name, raw}, ...]) (network filters only)',
      'blocked = snfe.matchRequest({originURL, url, type}) === 1',
      'rules = non-empty lines offered (the engine does not expose its filter count)',
    ],
    async init() {
      const t0 = process.hrtime.bigint();
      const text = readFileSync(pslPath, 'utf8');
      if (!pslInit(text)) throw new Error(`pslInit failed on ${pslPath}`);
      snfe = await StaticNetFilteringEngine.create({ noPSL: true });
      return { psl_ms: Number(process.hrtime.bigint() - t0) / 1e6 };
    },
    async load(texts, names) {
      await snfe.useLists(texts.map((raw, i) => ({ name: names[i], raw })));
    },
    ruleCount(texts) {
      let n = 0;
      for (const t of texts) {
        for (const line of t.split('\n')) if (line.trim() !== '') n++;
      }
      return { count: n, kind: 'non-empty lines offered' };
    },
    prepare(r) {
      return { originURL: r.referrer, url: r.url, type: r.type };
    },
    match(p) {
      return snfe.matchRequest(p) === 1;
    },
  };
}

// ---------------------------------------------------------------- helpers

const MiB = 1024 * 1024;

function settle() {
  if (typeof globalThis.gc === 'function') {
    globalThis.gc();
    globalThis.gc();
  }
}

// Nearest-rank percentile of a sorted array: the smallest value such that at
// least p of the samples are <= it.
function percentile(sorted, p) {
  if (sorted.length === 0) return 0;
  const rank = Math.max(1, Math.ceil(p * sorted.length));
  return sorted[rank - 1];
}

const r1 = (x) => Math.round(x * 10) / 10;
const r2 = (x) => Math.round(x * 100) / 100;
const r3 = (x) => Math.round(x * 1000) / 1000;

// ---------------------------------------------------------------- main

async function main() {
  const opts = parseArgs(process.argv.slice(2));
  const gcAvailable = typeof globalThis.gc === 'function';
  if (!gcAvailable) {
    process.stderr.write('peers: warning: run node with --expose-gc for a stable memory figure\n');
  }

  const adapter = opts.engine === 'ghostery' ? await ghosteryAdapter() : await uboAdapter(opts.psl);
  const initInfo = await adapter.init();

  // Inputs are read before the baseline so that neither their text nor the
  // request objects count as engine memory; they stay referenced until the
  // second measurement.
  const texts = opts.rules.map((f) => readFileSync(f, 'utf8'));
  const names = opts.rules.map((f) => basename(f).replace(/\.txt$/, ''));
  const { requests, bad } = loadRequests(opts.requests);
  const prepared = requests.map((r) => adapter.prepare(r));
  const samples = new Float64Array(requests.length * opts.rounds);

  settle();
  const before = process.memoryUsage();
  const tLoad0 = process.hrtime.bigint();
  await adapter.load(texts, names);
  const tLoad1 = process.hrtime.bigint();
  settle();
  const after = process.memoryUsage();
  const loadMs = Number(tLoad1 - tLoad0) / 1e6;
  const rssGrowthMiB = (after.rss - before.rss) / MiB;
  const heapGrowthMiB = (after.heapUsed + after.external + after.arrayBuffers
    - before.heapUsed - before.external - before.arrayBuffers) / MiB;

  const rules = adapter.ruleCount(texts);

  // Warm-up: every request once, untimed; gives the blocked count.
  let blocked = 0;
  const verdicts = new Uint8Array(prepared.length);
  for (let i = 0; i < prepared.length; i++) {
    if (adapter.match(prepared[i])) { blocked++; verdicts[i] = 1; }
  }
  if (opts.decisions) {
    const lines = requests.map((r, i) => JSON.stringify({
      url: r.url, referrer: r.referrer, type: r.corpusType, blocked: verdicts[i] === 1,
    }));
    writeFileSync(opts.decisions, lines.join('\n') + '\n');
  }
  settle();

  // Timed rounds: one hrtime pair around each match.
  let k = 0;
  let blockedLast = 0;
  const tRounds0 = process.hrtime.bigint();
  for (let round = 0; round < opts.rounds; round++) {
    blockedLast = 0;
    for (let i = 0; i < prepared.length; i++) {
      const t0 = process.hrtime.bigint();
      const b = adapter.match(prepared[i]);
      const t1 = process.hrtime.bigint();
      samples[k++] = Number(t1 - t0);
      if (b) blockedLast++;
    }
  }
  const wallMs = Number(process.hrtime.bigint() - tRounds0) / 1e6;
  if (blockedLast !== blocked) {
    process.stderr.write(`peers: warning: blocked count changed between warm-up (${blocked}) and last round (${blockedLast})\n`);
  }

  let total = 0;
  for (let i = 0; i < samples.length; i++) total += samples[i];
  const sorted = samples.slice().sort();
  const medianUs = percentile(sorted, 0.5) / 1000;
  const p99Us = percentile(sorted, 0.99) / 1000;
  const maxUs = sorted.length ? sorted[sorted.length - 1] / 1000 : 0;
  const meanUs = samples.length ? total / samples.length / 1000 : 0;
  const rps = meanUs > 0 ? 1e6 / meanUs : 0;

  const pkg = opts.engine === 'ghostery' ? '@ghostery/adblocker' : '@gorhill/ubo-core';
  const version = JSON.parse(readFileSync(new URL(`./node_modules/${pkg}/package.json`, import.meta.url), 'utf8')).version;

  const out = [];
  out.push(`== ${opts.engine} (${pkg} ${version}, node ${process.version}) on corpus '${opts.corpusName}'`);
  out.push(`lists:            ${opts.rules.join(', ')}`);
  out.push(`rules:            ${rules.count} (${rules.kind})`);
  if (initInfo.psl_ms !== undefined) out.push(`psl init:         ${r1(initInfo.psl_ms)} ms (not part of load)`);
  out.push(`load:             ${r1(loadMs)} ms (parse + index)`);
  out.push(`rss growth:       ${r2(rssGrowthMiB)} MiB (heap+external growth ${r2(heapGrowthMiB)} MiB; gc ${gcAvailable ? 'forced' : 'NOT available'})`);
  out.push(`requests:         ${requests.length}${bad ? ` (${bad} unreadable lines skipped)` : ''} x ${opts.rounds} rounds after 1 warm-up round`);
  out.push(`match time:       median ${r3(medianUs)} us, p99 ${r3(p99Us)} us, mean ${r3(meanUs)} us, max ${r1(maxUs)} us`);
  out.push(`throughput:       ${Math.round(rps)} req/s (1 / mean match time; rounds took ${r1(wallMs)} ms wall)`);
  out.push(`blocked:          ${blocked} of ${requests.length}`);
  for (const n of adapter.notes) out.push(`note:             ${n}`);
  process.stdout.write(out.join('\n') + '\n');

  const summary = {
    engine: opts.engine,
    corpus: opts.corpusName,
    rules: rules.count,
    load_ms: r1(loadMs),
    rss_growth_mib: r2(rssGrowthMiB),
    requests: requests.length,
    median_us: r3(medianUs),
    p99_us: r3(p99Us),
    mean_us: r3(meanUs),
    rps: Math.round(rps),
    blocked,
  };
  process.stdout.write(JSON.stringify(summary) + '\n');
}

main().catch((err) => {
  process.stderr.write(`peers: ${err && err.stack ? err.stack : err}\n`);
  process.exit(1);
});
