// Records a TLS handshake on loopback: listens on 127.0.0.1:<listen>, passes
// every connection through to 127.0.0.1:<target>, and writes what each side
// sent to <out>.client and <out>.server for the first connection that carried
// data (probes that only connect are passed over), then exits.
// Usage: node relay.mjs <listen> <target> <out>
import fs from 'node:fs';
import net from 'node:net';

const [listen, target, out] = process.argv.slice(2);
let written = false;

const relay = net.createServer((inbound) => {
  const client = [];
  const server = [];
  const outbound = net.connect({ host: '127.0.0.1', port: Number(target) });
  inbound.on('data', (chunk) => { client.push(chunk); outbound.write(chunk); });
  outbound.on('data', (chunk) => { server.push(chunk); inbound.write(chunk); });
  const close = () => {
    inbound.destroy();
    outbound.destroy();
    if (written || client.length === 0) return;
    written = true;
    fs.writeFileSync(`${out}.client`, Buffer.concat(client));
    fs.writeFileSync(`${out}.server`, Buffer.concat(server));
    relay.close();
  };
  for (const socket of [inbound, outbound]) {
    socket.on('close', close);
    socket.on('error', close);
  }
});
relay.listen(Number(listen), '127.0.0.1');
