#!/bin/bash
# Makes assets/selftest/handshakes.bin, the 5890 bytes of recorded TLS
# handshake inputs the self-test feeds through the scanner (layout in
# build_block.mjs). The server side is recorded on loopback from OpenSSL:
# a three-certificate chain made here, padded so that its certificates are
# 1552, 1196 and 1208 bytes long, served by s_server (TLS 1.2, P-256, an
# RSA-2048 leaf whose common name is ovcore.example) to s_client through our
# relay. The ClientHellos, whose extension lists the self-test fixes, come
# from build_block.mjs. Needs openssl and node.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../../.." && pwd)
WORK=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
cd "$WORK"
SERVER_PORT=14443
RELAY_PORT=14444
HOST=ovcore.example

der_size() { openssl x509 -in "$1.pem" -outform DER | wc -c; }

# cert <name> <subject> <issuer|self> <extensions> <DER size>: pads an
# nsComment extension until the certificate has exactly the wanted size.
cert() {
  name=$1 subject=$2 issuer=$3 ext=$4 want=$5
  [ -f "$name.key" ] || openssl genrsa -out "$name.key" 2048 2>/dev/null
  openssl req -new -key "$name.key" -out "$name.csr" -subj "$subject" 2>/dev/null
  pad=1
  for _ in $(seq 20); do
    printf '%s\nnsComment=%s\n' "$ext" "$(head -c "$pad" /dev/zero | tr '\0' p)" >"$name.ext"
    if [ "$issuer" = self ]; then
      openssl x509 -req -in "$name.csr" -signkey "$name.key" -out "$name.pem" -days 3650 \
        -set_serial 1 -extfile "$name.ext" 2>/dev/null
    else
      openssl x509 -req -in "$name.csr" -CA "$issuer.pem" -CAkey "$issuer.key" -set_serial 2 \
        -out "$name.pem" -days 3650 -extfile "$name.ext" 2>/dev/null
    fi
    size=$(der_size "$name")
    [ "$size" -eq "$want" ] && return 0
    pad=$((pad + want - size))
    [ "$pad" -gt 0 ] || pad=1
  done
  echo "make_block: could not make $name $want bytes long (got $size)" >&2
  exit 1
}
CA='basicConstraints=critical,CA:true
keyUsage=critical,keyCertSign,cRLSign'
LEAF="basicConstraints=critical,CA:false
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:$HOST,DNS:www.$HOST"
cert root "/C=XX/O=ovcore tests/CN=ovcore self-test root" self "$CA" 1208
cert inter "/C=XX/O=ovcore tests/CN=ovcore self-test intermediate" root "$CA" 1196
cert leaf "/C=XX/O=ovcore tests/CN=$HOST" inter "$LEAF" 1552
cat inter.pem root.pem >chain.pem

wait_port() {
  for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "make_block: nothing listens on $1" >&2
  exit 1
}
openssl s_server -accept "127.0.0.1:$SERVER_PORT" -cert leaf.pem -key leaf.key \
  -cert_chain chain.pem -tls1_2 -groups P-256 -no_ticket -www -quiet >/dev/null 2>&1 &
wait_port $SERVER_PORT
node "$ROOT/tests/proxy/tls/data/relay.mjs" $RELAY_PORT $SERVER_PORT server &
RELAY=$!
wait_port $RELAY_PORT
openssl s_client -connect "127.0.0.1:$RELAY_PORT" -servername $HOST -tls1_2 -groups P-256 \
  -no_ticket </dev/null >/dev/null 2>&1 || true
wait $RELAY
node "$HERE/build_block.mjs" server.server "$ROOT/assets/selftest/handshakes.bin"
