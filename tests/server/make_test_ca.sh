#!/usr/bin/env bash
# Makes a throwaway certificate authority and a server certificate for 127.0.0.1 and localhost,
# valid for two days, for HTTPS tests against stream_server.py --tls-cert/--tls-key.
# Usage: make_test_ca.sh DIR   -> DIR/ca.pem (trust this), DIR/server.pem, DIR/server.key
set -euo pipefail

dir=${1:?usage: make_test_ca.sh DIR}
mkdir -p "$dir"
cd "$dir"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout ca.key -out ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr \
  2>/dev/null
printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
  >server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile server.ext -out server.pem 2>/dev/null
rm -f server.csr server.ext ca.srl
