#!/usr/bin/env bash
# One attempt of a Windows end-to-end test against a provider simulator of
# its own, started from the first line of its script: a test run again
# (CTest's --repeat) meets the same answers as the first time, whatever an
# earlier attempt took. The simulator has the e2e fixture's certificates and
# data, so the CA and the reference ZUV.XML stay the fixture's.
#   e2e_attempt.sh E2E_DIR LINUX_BUILD_DIR SCRIPT_FILE COMMAND [ARGS...]
# COMMAND runs with KORVUN_E2E_INFO naming the fixture's info with this
# simulator's port; the simulator is stopped when COMMAND ends.
set -euo pipefail
dir="$1" linux="$2" script="$3"
shift 3
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
attempt="$dir/attempt.$$"
stop() {
  local rc=$? stopped=0
  "$here/sim_fixture.sh" stop "$attempt" || stopped=$?
  rm -rf "$attempt"
  ((rc == 0)) && rc=$stopped
  exit "$rc"
}
trap stop EXIT
SIM_CERT_DIR="$dir/sim/certs" "$here/sim_fixture.sh" start "$attempt" "$linux/bin/korvun-zuv-sim" \
  "$linux/bin/korvun-zuv-gen" "$script"
port="$(sed -n 's/^PORT //p' "$attempt/stdout")"
sed "s/^PORT .*/PORT $port/" "$dir/e2e.info" > "$attempt/e2e.info"
KORVUN_E2E_INFO="$attempt/e2e.info" "$@"
