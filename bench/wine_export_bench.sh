#!/usr/bin/env bash
# The Windows column of the export benchmark: one whole export of N customers
# (default 1000) through the Linux host and through the Windows build's host
# under Wine (scripts/wine-export), same simulator, same provider data. The
# Wine prefix is made and warmed up before the clock starts.
#   bench/wine_export_bench.sh [CUSTOMERS] [REPEAT]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LINUX="$ROOT/build/bin"
customers="${1:-1000}" repeat="${2:-3}"
work="$(mktemp -d)"
export WINEPREFIX="$work/prefix"
cleanup() {
  "$ROOT/tests/windows/sim_fixture.sh" stop "$work/sim"
  WINEPREFIX="$WINEPREFIX" wineserver -k 2> /dev/null || true
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

# One export; prints its seconds.
export_once() {
  local side="$1" data="$work/$1-data" xml="$work/$1-xml"
  rm -rf "$data" "$xml"
  mkdir -p "$data" "$xml"
  cp "$ROOT/data/BESTAND.txt" "$ROOT/data/TRANSAKT.txt" "$data/"
  "$LINUX/korvun-zuv" init-db "$data/FFBDB.IDB" > /dev/null
  printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\n"DownloadSrvUrl"="https://127.0.0.1:%s/actionus/aes/onlinedatatransfer"\n"DataDir"="%s/"\n"Timeout"="300"\n' \
    "$port" "$data" > "$work/registry.reg"
  local host=("$LINUX/korvun-zuv") settings=(KORVUN_REGISTRY="$work/registry.reg" SSL_CERT_FILE="$ca")
  if [[ "$side" == windows ]]; then
    host=("$ROOT/scripts/wine-export")
    # The warm-up run put the settings and the CA into the prefix; Wine's
    # start stays on the clock, as it is part of every Windows run here.
    [[ -n "${warm:-}" ]] && settings=(KORVUN_WARM=1)
  fi
  local start end
  start=$(date +%s.%N)
  env "${settings[@]}" KORVUN_UI=none "${host[@]}" \
    $([[ "$side" == linux ]] && echo export) --xml-dir "$xml" --berater-ref 12345-678 \
    --access "$work/access.txt" --embedded-db --no-message-boxes > "$work/$side.log" 2>&1 ||
    { cat "$work/$side.log" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

export_once windows > /dev/null  # makes and warms the prefix
warm=1
printf '%9s | %9s %9s | %6s\n' customers linux wine ratio
best_linux=999999 best_wine=999999
for ((i = 0; i < repeat; i++)); do
  l="$(export_once linux)"
  w="$(export_once windows)"
  best_linux="$(echo "if ($l < $best_linux) $l else $best_linux" | bc)"
  best_wine="$(echo "if ($w < $best_wine) $w else $best_wine" | bc)"
done
cmp -s "$work/linux-xml/ZUV.XML" "$work/windows-xml/ZUV.XML" && same="same ZUV.XML" || same="ZUV.XML DIFFERS"
printf '%9d | %8.2fs %8.2fs | %6.2f  (fastest of %d; %s)\n' "$customers" "$best_linux" "$best_wine" \
  "$(echo "scale=4; $best_wine / $best_linux" | bc)" "$repeat" "$same"
