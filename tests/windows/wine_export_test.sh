#!/usr/bin/env bash
# scripts/wine-export as a user runs it: the e2e fixture's settings file and
# access data, a prefix of its own; the result and ZUV.XML as the Linux host's.
# Run through e2e_attempt.sh: the provider is a simulator of its own, so a
# second attempt meets the same answers as the first.
#   e2e_attempt.sh E2E_DIR LINUX_BUILD_DIR /dev/null wine_export_test.sh E2E_DIR
set -euo pipefail
dir="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
ca="$(sed -n 's/^CA //p' "$dir/sim/stdout")"
port="$(sed -n 's/^PORT //p' "$KORVUN_E2E_INFO")"
sed "s|^\"DownloadSrvUrl\"=\"https://127.0.0.1:[0-9]*/|\"DownloadSrvUrl\"=\"https://127.0.0.1:$port/|" \
  "$dir/registry.reg" > "$dir/wine-export.reg"
# Not the fixture's simulator: the settings must name this attempt's one.
grep -q "127.0.0.1:$port/" "$dir/wine-export.reg" || { echo "no provider URL to point at port $port" >&2; exit 1; }
rm -rf "$dir/wine-export-xml" "$dir/wine-export-prefix"
mkdir -p "$dir/wine-export-xml"
status=0
WINEPREFIX="$dir/wine-export-prefix" KORVUN_REGISTRY="$dir/wine-export.reg" SSL_CERT_FILE="$ca" \
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
