#!/usr/bin/env bash
# A simulator whose certificate comes from the trusted CA but names another
# host, for the WinINet test of a certificate that does not fit the name.
#   wrong_name_sim.sh DIR TRUSTED_SIM_DIR SIM_BINARY GEN_BINARY
set -euo pipefail
dir="$1" trusted="$2/certs" here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
certs="$dir-certs"
rm -rf "$certs"
mkdir -p "$certs"
cp "$trusted/ca.pem" "$trusted/ca.key" "$certs/"
openssl req -new -newkey rsa:2048 -nodes -keyout "$certs/server.key" -subj "/CN=otherhost.invalid" \
  -out "$certs/server.csr" 2> /dev/null
printf 'subjectAltName=DNS:otherhost.invalid\nextendedKeyUsage=serverAuth\n' > "$certs/ext.cnf"
openssl x509 -req -in "$certs/server.csr" -CA "$certs/ca.pem" -CAkey "$certs/ca.key" \
  -CAcreateserial -days 30 -extfile "$certs/ext.cnf" -out "$certs/server.pem" 2> /dev/null
SIM_CERT_DIR="$certs" "$here/sim_fixture.sh" start "$dir" "$3" "$4"
