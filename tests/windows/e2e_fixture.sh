#!/usr/bin/env bash
# The Windows end-to-end tests' world: a provider simulator, a staging
# database for the Windows run, and the Linux library's ZUV.XML from the same
# provider data as the reference.
#   e2e_fixture.sh start DIR LINUX_BUILD_DIR SOURCE_DIR
#   e2e_fixture.sh stop DIR
# DIR/e2e.info: PORT, CA, DATADIR, XMLDIR and REFERENCE (Windows paths).
set -euo pipefail
action="$1" dir="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }

if [[ "$action" == stop ]]; then
  "$here/sim_fixture.sh" stop "$dir/sim"
  exit 0
fi
linux="$3" source="$4"
# A start over an earlier one (a fixture run again) stops its simulator first.
"$here/sim_fixture.sh" stop "$dir/sim" 2> /dev/null || true
rm -rf "$dir"
mkdir -p "$dir"
# The Linux reference run takes the first two answers, the Windows tests the
# rest in their order: first import, wrong PIN, an archive that is no ZIP,
# a provider whose clock is a day ahead (three requests). The Windows tests'
# answers also stand alone, for a simulator of their own (e2e_attempt.sh).
printf 'ok\nok\nok\nnotzip\ntoday +1\ntoday +1\ntoday +1\n' > "$dir/windows-script.txt"
{ printf 'ok\nok\n'; cat "$dir/windows-script.txt"; } > "$dir/sim-script.txt"
"$here/sim_fixture.sh" start "$dir/sim" "$linux/bin/korvun-zuv-sim" "$linux/bin/korvun-zuv-gen" \
  "$dir/sim-script.txt"
port="$(sed -n 's/^PORT //p' "$dir/sim/stdout")"
ca="$(sed -n 's/^CA //p' "$dir/sim/stdout")"

for side in linux windows; do
  mkdir -p "$dir/$side-data" "$dir/$side-xml"
  cp "$source/data/BESTAND.txt" "$source/data/TRANSAKT.txt" "$dir/$side-data/"
  "$linux/bin/korvun-zuv" init-db "$dir/$side-data/FFBDB.IDB" > /dev/null
done

cat > "$dir/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]
"DownloadSrvUrl"="https://127.0.0.1:$port/actionus/aes/onlinedatatransfer"
"DataDir"="$dir/linux-data/"
"Timeout"="30"
REG
printf 'UserLogin=ZUVTEST\nPassword=geheim\n' > "$dir/access.txt"
KORVUN_REGISTRY="$dir/registry.reg" SSL_CERT_FILE="$ca" KORVUN_UI=none \
  "$linux/bin/korvun-zuv" export --xml-dir "$dir/linux-xml" --berater-ref 12345-678 \
  --access "$dir/access.txt" --embedded-db --no-message-boxes > "$dir/linux-export.log" 2>&1 ||
  { cat "$dir/linux-export.log" >&2; exit 1; }

# Every message as the Linux library gives it, in Windows-1252.
mkdir -p "$dir/messages"
for code in 0 1 -1 -2 -3 -4 -5 -6 -7 -8 -9 -10 -11 -12 -13 -14 -15 -21 -22 -23 -28 -29 -30 \
    -31 -32 -33 -34 -35 -40 -99 -1015 12345; do
  # A code without a message: nothing on standard output, a note on its error.
  { "$linux/bin/korvun-zuv" message "$code" 2> /dev/null || true; } | iconv -f UTF-8 -t WINDOWS-1252 \
    > "$dir/messages/$code.txt"
done

cat > "$dir/e2e.info" <<INFO
PORT $port
CA $(windows_path "$ca")
DATADIR $(windows_path "$dir/windows-data/")
XMLDIR $(windows_path "$dir/windows-xml")
REFERENCE $(windows_path "$dir/linux-xml/ZUV.XML")
MESSAGES $(windows_path "$dir/messages")
INFO
