// Lays out the self-test's 5890-byte block of TLS inputs (see make_block.sh)
// from the recorded server records and ClientHellos built here:
//
//   offset length input
//        0    305 ClientHello record (record 0x0301, client 0x0303, no session
//                 id, 85 suites; extensions 11, 10, 35, 13, 15)
//      305     71 ServerHello record (recorded, 0x0303; its session id
//                 dropped and a heartbeat extension added to fit)
//      376   3977 Certificate record (recorded: 1552 + 1196 + 1208 bytes)
//     4353    189 ClientHello record (server_name, 23, 65281, 10, 11, 35,
//                 ALPN h2 + http/1.1, 5, 13)
//     4542    484 a 213-byte record holding the start of a ClientHello whose
//                 header declares 785 bytes, and 266 bytes of the next record
//     5026    338 ServerKeyExchange record (recorded: P-256, RSA-2048)
//     5364      9 ServerHelloDone record (recorded)
//     5373    517 ClientHello record (record 0x0301, 32-byte session id;
//                 server_name, 23, 65281, 10, 11, 35, ALPN, 5, 51, 43
//                 (0x0304..0x0301), 13, 45, 21 padding)
//
// Usage: node build_block.mjs <recorded server stream> <output>
import fs from 'node:fs';

const HOST = 'ovcore.example';  // 14 characters, the leaf's common name

const u8 = (v) => Buffer.from([v & 0xff]);
const u16 = (v) => Buffer.from([(v >> 8) & 0xff, v & 0xff]);
const u24 = (v) => Buffer.from([(v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff]);
const cat = (...parts) => Buffer.concat(parts);
const vec16 = (body) => cat(u16(body.length), body);
const vec8 = (body) => cat(u8(body.length), body);
const list16 = (values) => cat(...values.map(u16));

const record = (payload, version = 0x0301) => cat(u8(22), u16(version), vec16(payload));
const handshake = (type, body) => cat(u8(type), u24(body.length), body);
const ext = (type, data = Buffer.alloc(0)) => cat(u16(type), vec16(data));

// Fixed bytes stand in for randomness so that the block is reproducible.
const random = (n, seed) => Buffer.from(Array.from({ length: n }, (_, i) => (seed * 31 + i * 7) & 0xff));

// Cipher suites as clients of the TLS 1.2 era offered them.
const SUITES = [
  0xc030, 0xc02c, 0xc028, 0xc024, 0xc014, 0xc00a, 0x00a5, 0x00a3, 0x00a1, 0x009f, 0x006b, 0x006a,
  0x0069, 0x0068, 0x0039, 0x0038, 0x0037, 0x0036, 0x0088, 0x0087, 0x0086, 0x0085, 0xc032, 0xc02e,
  0xc02a, 0xc026, 0xc00f, 0xc005, 0x009d, 0x003d, 0x0035, 0x0084, 0xc02f, 0xc02b, 0xc027, 0xc023,
  0xc013, 0xc009, 0x00a4, 0x00a2, 0x00a0, 0x009e, 0x0067, 0x0040, 0x003f, 0x003e, 0x0033, 0x0032,
  0x0031, 0x0030, 0x009a, 0x0099, 0x0098, 0x0097, 0x0045, 0x0044, 0x0043, 0x0042, 0xc031, 0xc02d,
  0xc029, 0xc025, 0xc00e, 0xc004, 0x009c, 0x003c, 0x002f, 0x0096, 0x0041, 0xc011, 0xc007, 0xc00c,
  0xc002, 0x0005, 0x0004, 0xc012, 0xc008, 0x0016, 0x0013, 0x0010, 0x000d, 0xc00d, 0xc003, 0x000a,
  0x00ff,
];
const GROUPS = [0x001d, 0x0017, 0x0018, 0x0019, 0x001e, 0x0100, 0x0101, 0x0102, 0x0103, 0x0104];
const SIGALGS = [
  0x0403, 0x0503, 0x0603, 0x0807, 0x0808, 0x0809, 0x080a, 0x080b, 0x0804, 0x0805, 0x0806, 0x0401,
  0x0501, 0x0601, 0x0303, 0x0203, 0x0301, 0x0201, 0x0302, 0x0202, 0x0402, 0x0502, 0x0602, 0x0420,
  0x0520, 0x0620, 0x0421, 0x0521, 0x0621,
];

const serverName = () => ext(0, vec16(cat(u8(0), vec16(Buffer.from(HOST)))));
const alpn = () => ext(16, vec16(cat(vec8(Buffer.from('h2')), vec8(Buffer.from('http/1.1')))));
const groups = (n) => ext(10, vec16(list16(GROUPS.slice(0, n))));
const sigalgs = (n) => ext(13, vec16(list16(SIGALGS.slice(0, n))));
const pointFormats = (formats) => ext(11, vec8(Buffer.from(formats)));
const statusRequest = () => ext(5, Buffer.from([1, 0, 0, 0, 0]));

function clientHello({ suites, sessionId = Buffer.alloc(0), extensions, seed }) {
  return handshake(1, cat(u16(0x0303), random(32, seed), vec8(sessionId), vec16(list16(suites)),
                          vec8(Buffer.from([0])), vec16(cat(...extensions))));
}

// Tries signature-algorithm counts until the record has the wanted size.
function sized(want, build) {
  for (let n = 1; n <= SIGALGS.length; n++) {
    const out = build(n);
    if (out.length === want) return out;
  }
  throw new Error(`no layout gives ${want} bytes`);
}

function legacyHello() {
  return sized(305, (n) => record(clientHello({
    suites: SUITES, seed: 1,
    extensions: [pointFormats([0, 1, 2]), groups(8), ext(35), sigalgs(n), ext(15, u8(1))],
  })));
}

function alpnHello() {
  return sized(189, (n) => record(clientHello({
    suites: SUITES.slice(0, 20), seed: 2,
    extensions: [serverName(), ext(23), ext(0xff01, u8(0)), groups(4), pointFormats([0]), ext(35),
                 alpn(), statusRequest(), sigalgs(n)],
  })));
}

// A ClientHello of 785 body bytes (padded), split after 213 bytes as a
// client with small records would send it; the block keeps the first record
// and 266 bytes of the second.
function fragmentedHello() {
  const base = (pad) => clientHello({
    suites: SUITES, seed: 3,
    extensions: [serverName(), groups(6), sigalgs(16), ext(21, Buffer.alloc(pad))],
  });
  const pad = 785 + 4 - base(0).length;
  const message = base(pad);
  if (message.length !== 789) throw new Error('fragmented ClientHello is not 785 bytes');
  const first = record(message.subarray(0, 213));
  const second = record(message.subarray(213));
  return cat(first, second.subarray(0, 266));
}

function modernHello() {
  const keyShare = ext(51, vec16(cat(u16(0x001d), vec16(random(32, 9)))));
  const versions = ext(43, vec8(list16([0x0304, 0x0303, 0x0302, 0x0301])));
  const build = (pad) => record(clientHello({
    suites: SUITES.slice(0, 17), sessionId: random(32, 4), seed: 5,
    extensions: [serverName(), ext(23), ext(0xff01, u8(0)), groups(5), pointFormats([0]), ext(35),
                 alpn(), statusRequest(), keyShare, versions, sigalgs(12), ext(45, vec8(u8(1))),
                 ext(21, Buffer.alloc(pad))],
  }));
  return build(517 - build(0).length);
}

// The recorded server flight, one handshake message per record.
function serverRecords(stream) {
  const byType = new Map();
  for (let at = 0; at + 5 <= stream.length;) {
    const length = stream.readUInt16BE(at + 3);
    const rec = stream.subarray(at, at + 5 + length);
    if (stream[at] === 22 && length >= 4) byType.set(rec[5], rec);
    at += 5 + length;
  }
  return byType;
}

// The recorded ServerHello without its session id and with a heartbeat
// extension (mode peer_allowed_to_send) after the recorded ones.
function serverHello(recorded) {
  const body = recorded.subarray(9);
  const sessionIdLength = body[34];
  const rest = body.subarray(35 + sessionIdLength);
  const cipherAndCompression = rest.subarray(0, 3);
  const extensions = rest.subarray(5, 5 + rest.readUInt16BE(3));
  return record(handshake(2, cat(body.subarray(0, 34), vec8(Buffer.alloc(0)), cipherAndCompression,
                                 vec16(cat(extensions, ext(15, u8(1)))))), 0x0303);
}

const [streamFile, output] = process.argv.slice(2);
const server = serverRecords(fs.readFileSync(streamFile));
const parts = [
  ['legacy ClientHello', legacyHello(), 305],
  ['ServerHello', serverHello(server.get(2)), 71],
  ['Certificate', server.get(11), 3977],
  ['ALPN ClientHello', alpnHello(), 189],
  ['fragmented ClientHello', fragmentedHello(), 484],
  ['ServerKeyExchange', server.get(12), 338],
  ['ServerHelloDone', server.get(14), 9],
  ['TLS 1.3 ClientHello', modernHello(), 517],
];
for (const [name, bytes, want] of parts) {
  if (!bytes || bytes.length !== want) {
    throw new Error(`${name}: ${bytes ? bytes.length : 'missing'} bytes, want ${want}`);
  }
}
const block = cat(...parts.map(([, bytes]) => bytes));
fs.writeFileSync(output, block);
console.log(`${output}: ${block.length} bytes`);
