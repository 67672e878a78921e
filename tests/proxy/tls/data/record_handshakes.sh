#!/bin/bash
# Records the handshake fixtures of the TLS scanner tests, all on loopback:
# a three-certificate chain made here (root, intermediate, leaf), OpenSSL's
# s_server and s_client through our relay (relay.mjs), and the ClientHellos of
# curl and Chromium against the same server. Needs openssl, node, curl and
# chromium. Writes the .bin files next to this script.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$WORK"' EXIT
cd "$WORK"
SERVER_PORT=14433
RELAY_PORT=14434
HOST=leaf.ovcore.test

ca() {  # name subject issuer
  openssl req -new -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" 2>/dev/null
  printf 'basicConstraints=critical,CA:true\nkeyUsage=keyCertSign,cRLSign\n' >"$1.ext"
  if [ "$3" = self ]; then
    openssl x509 -req -in "$1.csr" -signkey "$1.key" -out "$1.pem" -days 3650 -extfile "$1.ext" 2>/dev/null
  else
    openssl x509 -req -in "$1.csr" -CA "$3.pem" -CAkey "$3.key" -CAcreateserial -out "$1.pem" \
      -days 3650 -extfile "$1.ext" 2>/dev/null
  fi
}
leaf() {  # name subject
  openssl req -new -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" 2>/dev/null
  printf 'subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\n' "$HOST" >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA inter.pem -CAkey inter.key -CAcreateserial -out "$1.pem" \
    -days 3650 -extfile "$1.ext" 2>/dev/null
}
ca root "/O=ovcore tests/CN=ovcore test root" self
ca inter "/O=ovcore tests/CN=ovcore test intermediate" root
leaf leaf "/O=ovcore tests/CN=$HOST"
leaf nocn "/O=ovcore tests/OU=no common name"
cat inter.pem root.pem >chain.pem

wait_port() {
  for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "record_handshakes: nothing listens on $1" >&2
  exit 1
}

# serve <leaf> [s_server options...]: a TLS 1.2 server, so that the
# certificate travels in the clear.
serve() {
  name=$1
  shift
  openssl s_server -accept "127.0.0.1:$SERVER_PORT" -cert "$name.pem" -key "$name.key" \
    -cert_chain chain.pem -tls1_2 -alpn h2,http/1.1 -www -quiet "$@" >/dev/null 2>&1 &
  SERVER=$!
  wait_port $SERVER_PORT
}
# capture <out> <client command...>: runs the client through the relay.
capture() {
  out=$1
  shift
  node "$HERE/relay.mjs" $RELAY_PORT $SERVER_PORT "$out" &
  RELAY=$!
  wait_port $RELAY_PORT
  "$@" >/dev/null 2>&1 || true
  wait $RELAY
}
stop() {
  kill $SERVER 2>/dev/null || true
  wait $SERVER 2>/dev/null || true
}

serve leaf -verify 1
capture openssl sh -c "openssl s_client -connect 127.0.0.1:$RELAY_PORT -servername $HOST \
  -alpn h2,http/1.1 </dev/null"
capture curl curl -sk --max-time 5 --http2 --resolve "$HOST:$RELAY_PORT:127.0.0.1" "https://$HOST:$RELAY_PORT/"
capture chromium timeout 30 chromium --headless --no-sandbox --disable-gpu \
  --disable-background-networking --disable-component-update --disable-sync --no-first-run \
  --user-data-dir="$WORK/chromium" --webrtc-ip-handling-policy=disable_non_proxied_udp \
  --host-resolver-rules="MAP $HOST 127.0.0.1, MAP * ~NOTFOUND" \
  --dump-dom "https://$HOST:$RELAY_PORT/"
stop
serve nocn
capture nocn sh -c "openssl s_client -connect 127.0.0.1:$RELAY_PORT -servername $HOST </dev/null"
stop

trim() { node "$HERE/trim_records.mjs" "$1" "$HERE/$2" "$3"; }
trim openssl.client openssl_client_hello.bin 1
trim openssl.server openssl_server_flight.bin 0
trim curl.client curl_client_hello.bin 1
trim chromium.client chromium_client_hello.bin 1
trim nocn.server nocn_server_flight.bin 0
ls -l "$HERE"/*.bin
