#!/usr/bin/env bash
# scripts/wine-export as a user runs it: the e2e fixture's settings file and
# access data, a prefix of its own; the result and ZUV.XML as the Linux host's.
# The provider is a simulator of its own with the fixture's certificates
# and data, so a second attempt meets the same answers as the first.
#   wine_export_test.sh E2E_DIR LINUX_BUILD_DIR
set -euo pipefail
dir="$1" linux="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
sim="$dir/wine-export-sim"
stop() {
  local rc=$? stopped=0
  "$here/sim_fixture.sh" stop "$sim" || stopped=$?
  ((rc == 0)) && rc=$stopped
  exit "$rc"
}
trap stop EXIT
SIM_CERT_DIR="$dir/sim/certs" "$here/sim_fixture.sh" start "$sim" "$linux/bin/korvun-zuv-sim" \
  "$linux/bin/korvun-zuv-gen"
port="$(sed -n 's/^PORT //p' "$sim/stdout")"
ca="$(sed -n 's/^CA //p' "$sim/stdout")"
sed "s|^\"DownloadSrvUrl\"=\"https://127.0.0.1:[0-9]*/|\"DownloadSrvUrl\"=\"https://127.0.0.1:$port/|" \
  "$dir/registry.reg" > "$sim/registry.reg"
rm -rf "$dir/wine-export-xml" "$dir/wine-export-prefix"
mkdir -p "$dir/wine-export-xml"
status=0
WINEPREFIX="$dir/wine-export-prefix" KORVUN_REGISTRY="$sim/registry.reg" SSL_CERT_FILE="$ca" \
  "$root/scripts/wine-export" --xml-dir "$dir/wine-export-xml" --berater-ref 12345-678 \
  --access "$dir/access.txt" --embedded-db --no-message-boxes > "$dir/wine-export.log" 2>&1 ||
  status=$?
rm -rf "$dir/wine-export-prefix"
if ((status != 0)); then
  cat "$dir/wine-export.log" >&2
  echo "wine-export ended with $status" >&2
  exit 1
fi
cmp "$dir/wine-export-xml/ZUV.XML" "$dir/linux-xml/ZUV.XML"
echo "wine-export: ZUV.XML equals the Linux host's"
