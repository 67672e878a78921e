// Keeps the leading plaintext handshake records of a recorded stream: the
// first `count` records, or (count 0) every record before the first
// ChangeCipherSpec, after which the handshake is encrypted.
// Usage: node trim_records.mjs <in> <out> <count>
import fs from 'node:fs';

const [input, output, countText] = process.argv.slice(2);
const bytes = fs.readFileSync(input);
const count = Number(countText);
let end = 0;
for (let records = 0; end + 5 <= bytes.length; records++) {
  if ((count > 0 && records === count) || bytes[end] !== 22) break;
  const length = bytes.readUInt16BE(end + 3);
  if (end + 5 + length > bytes.length) break;
  end += 5 + length;
}
if (end === 0) throw new Error(`${input}: no handshake record`);
fs.writeFileSync(output, bytes.subarray(0, end));
