#!/usr/bin/env bash
# ZUV.XML is the same bytes from every build: for several generated provider
# data sets of 1,000 customers, the Windows build under Wine (its host,
# through scripts/wine-export) and the Linux x86_64 build write identical
# files. Amounts, rates and fees are where the builds' arithmetic could part.
#   xml_identity_test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR [SEED...]
set -euo pipefail
windows_build="$1" linux="$2/bin"
shift 2
seeds=("$@")
((${#seeds[@]})) || seeds=(11 23 37)
customers=1000
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$here/fresh_side.sh"
work="$(mktemp -d "$windows_build/xml-identity.XXXXXX")"
export WINEPREFIX="$work/prefix"
cleanup() {
  local rc=$?
  "$here/sim_fixture.sh" stop "$work/sim" || rc=1
  wineserver -k 2> /dev/null || true
  rm -rf "$work"
  exit "$rc"
}
trap cleanup EXIT

"$here/sim_fixture.sh" start "$work/sim" "$linux/korvun-zuv-sim" "$linux/korvun-zuv-gen"
port="$(sed -n 's/^PORT //p' "$work/sim/stdout")"
ca="$(sed -n 's/^CA //p' "$work/sim/stdout")"
printf 'UserLogin=ZUVTEST\nPassword=geheim\n' > "$work/access.txt"

# export_side SIDE: a first import into a fresh data directory.
export_side() {
  local side="$1" xml="$work/$1-xml"
  fresh_side "$linux" "$root" "$work/$side-data" "$xml" "$work/$side.reg" "$port"
  local host=("$linux/korvun-zuv" export)
  [[ "$side" == windows ]] && host=(env KORVUN_WINDOWS_BUILD="$windows_build" "$root/scripts/wine-export")
  KORVUN_REGISTRY="$work/$side.reg" SSL_CERT_FILE="$ca" KORVUN_UI=none "${host[@]}" \
    --xml-dir "$xml" --berater-ref 12345-678 --access "$work/access.txt" --embedded-db \
    --no-message-boxes > "$work/$side.log" 2>&1 || { cat "$work/$side.log" >&2; return 1; }
}

status=0
for seed in "${seeds[@]}"; do
  # The simulator reads its data at every request.
  "$linux/korvun-zuv-gen" --customers "$customers" --seed "$seed" --out "$work/sim/data" > /dev/null
  export_side linux
  export_side windows
  if cmp "$work/linux-xml/ZUV.XML" "$work/windows-xml/ZUV.XML"; then
    echo "seed $seed: ZUV.XML of $customers customers equal ($(wc -c < "$work/linux-xml/ZUV.XML") bytes)"
  else
    diff <(tr '>' '\n' < "$work/linux-xml/ZUV.XML") <(tr '>' '\n' < "$work/windows-xml/ZUV.XML") |
      head -n 20 >&2 || true
    status=1
  fi
done
exit "$status"
