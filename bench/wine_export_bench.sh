#!/usr/bin/env bash
# The Windows columns of the export benchmark: one whole export of N
# customers (default 1000) through the Linux host and through the host of
# each Windows build there is, under Wine (scripts/wine-export): the shipped
# 32-bit build (build-win32/i686, 32-bit Wine) and the 64-bit test build
# (build-win32/x86_64, wine64). Same simulator, same provider data; each
# Wine prefix is made and warmed up before the clock starts. Prints the
# fastest of REPEAT runs, the peak resident memory of the export's process
# (GNU time's largest process of the run) and whether ZUV.XML equals the
# Linux host's.
#   bench/wine_export_bench.sh [CUSTOMERS] [REPEAT]
# WINE_BENCH_BUILDS="i686" (or "x86_64") times only that Windows build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LINUX="$ROOT/build/bin"
source "$ROOT/tests/windows/fresh_side.sh"
customers="${1:-1000}" repeat="${2:-3}"
work="$(mktemp -d)"
sides=(linux)
for arch in ${WINE_BENCH_BUILDS:-i686 x86_64}; do
  [[ -f "$ROOT/build-win32/$arch/bin/korvun-zuv.exe" && -f "$ROOT/build-win32/$arch/bin/fbclient.dll" ]] &&
    sides+=("$arch")
done
cleanup() {
  "$ROOT/tests/windows/sim_fixture.sh" stop "$work/sim"
  local side
  for side in "${sides[@]:1}"; do
    WINEPREFIX="$work/prefix-$side" wineserver -k 2> /dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/provider"
"$LINUX/korvun-zuv-gen" --customers "$customers" --seed 3 --out "$work/provider" > /dev/null
"$ROOT/tests/windows/sim_fixture.sh" start "$work/sim" "$LINUX/korvun-zuv-sim" "$LINUX/korvun-zuv-gen"
# The fixture's five generated customers are replaced by the benchmark's.
cp "$work/provider"/*.csv "$work/sim/data/"
port="$(sed -n 's/^PORT //p' "$work/sim/stdout")"
ca="$(sed -n 's/^CA //p' "$work/sim/stdout")"
printf 'UserLogin=ZUVTEST\nPassword=geheim\n' > "$work/access.txt"

# export_once SIDE: one first import; prints its seconds and peak memory (MB).
declare -A warm
export_once() {
  local side="$1" xml="$work/$1-xml"
  fresh_side "$LINUX" "$ROOT" "$work/$side-data" "$xml" "$work/registry.reg" "$port"
  local host=("$LINUX/korvun-zuv" export) settings=(KORVUN_REGISTRY="$work/registry.reg" SSL_CERT_FILE="$ca")
  if [[ "$side" != linux ]]; then
    host=("$ROOT/scripts/wine-export")
    settings+=(KORVUN_WINDOWS_BUILD="$ROOT/build-win32/$side" WINEPREFIX="$work/prefix-$side")
    # The warm-up run put the settings and the CA into the prefix; Wine's
    # start stays on the clock, as it is part of every Windows run here.
    [[ -n "${warm[$side]:-}" ]] &&
      settings=(KORVUN_WINDOWS_BUILD="$ROOT/build-win32/$side" WINEPREFIX="$work/prefix-$side")
  fi
  local start end
  start=$(date +%s.%N)
  env "${settings[@]}" KORVUN_UI=none /usr/bin/time -f %M -o "$work/$side.rss" "${host[@]}" \
    --xml-dir "$xml" --berater-ref 12345-678 \
    --access "$work/access.txt" --embedded-db --no-message-boxes > "$work/$side.log" 2>&1 ||
    { cat "$work/$side.log" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc) $(($(cat "$work/$side.rss") / 1024))"
}

for side in "${sides[@]:1}"; do
  export_once "$side" > /dev/null  # makes and warms the prefix
  warm[$side]=1
done
declare -A best peak
for side in "${sides[@]}"; do best[$side]=999999; peak[$side]=0; done
for ((i = 0; i < repeat; i++)); do
  for side in "${sides[@]}"; do
    read -r seconds mb < <(export_once "$side")
    best[$side]="$(echo "if ($seconds < ${best[$side]}) $seconds else ${best[$side]}" | bc)"
    ((mb > peak[$side])) && peak[$side]=$mb
    [[ "$side" == linux ]] || cmp -s "$work/linux-xml/ZUV.XML" "$work/$side-xml/ZUV.XML" ||
      echo "$side: ZUV.XML DIFFERS from the Linux host's" >&2
  done
done
printf '%9s | %-8s | %9s | %8s | %s\n' customers build seconds "peak MB" "ZUV.XML"
for side in "${sides[@]}"; do
  same="-"
  if [[ "$side" != linux ]]; then
    cmp -s "$work/linux-xml/ZUV.XML" "$work/$side-xml/ZUV.XML" && same="same as Linux" || same="DIFFERS"
  fi
  printf '%9d | %-8s | %8.2fs | %8d | %s\n' "$customers" "$side" "${best[$side]}" "${peak[$side]}" "$same"
done
echo "(fastest of $repeat runs; Linux x86_64 host, i686 = the shipped DLL under 32-bit Wine, x86_64 = the test build under wine64)"
