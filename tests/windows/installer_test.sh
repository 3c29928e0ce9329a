#!/usr/bin/env bash
# The setup program as an administrator uses it, in a Wine prefix of its own,
# as one story: a silent install; an export through the installed DLL gives
# the Linux host's ZUV.XML; an update keeps a changed Timeout and the staging
# database; a silent uninstall leaves only the kept data, a second one with
# /REMOVEDATA nothing. Run through e2e_attempt.sh (a simulator of its own):
#   e2e_attempt.sh E2E_DIR LINUX_BUILD_DIR /dev/null installer_test.sh E2E_DIR WINDOWS_BUILD x86|x64
set -euo pipefail
dir="$1" build="$2" arch="$3"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
port="$(sed -n 's/^PORT //p' "$KORVUN_E2E_INFO")"
ca="$(sed -n 's/^CA //p' "$dir/sim/stdout")"
version="$(sed -n 's/^project(KorvunZUV VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
if [[ "$arch" == x64 ]]; then
  export WINE=/usr/lib/wine/wine64 WINEARCH=win64
  template="$root/build-win32/wine-prefix-template-win64" setup_name="setup-x64" view=/reg:64
else
  export WINE=wine WINEARCH=win32
  template="$root/build-win32/wine-prefix-template" setup_name="setup" view=/reg:32
fi
work="$dir/installer.$$"
prefix="$work/prefix"
trap 'WINEPREFIX="$prefix" wineserver -k 2> /dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/xml"
fail() { echo "installer test: $*" >&2; exit 1; }
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }
run() { WINEPREFIX="$prefix" "$root/scripts/wine-run" "$@"; }
settings='HKLM\Software\Brenhalt\Tarvo\Korvun\ZUV'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvunZUV'
# Both keys as the DLL's view of the registry shows them, into FILE (reg
# fails for a missing key).
query() {
  { run cmd /c "reg query $settings $view & reg query $uninstall $view" 2> /dev/null || true; } |
    tr -d '\r' > "$1"
}
value() { N="$2" awk '$1 == ENVIRON["N"] { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print }' "$1"; }
expect() { [[ "$(value "$1" "$2")" == "$3" ]] || fail "$2 is '$(value "$1" "$2")', not '$3'"; }
# The files below Brenhalt folders, relative to drive C:.
ours() { (cd "$prefix/drive_c" && find . -path '*Brenhalt*' -type f | sort); }

"$root/scripts/package-windows" "$arch" > "$work/package.log" 2>&1 || { cat "$work/package.log" >&2; fail "no setup program"; }
setup="$(windows_path "$root/build-win32/KorvunZUV-$version-$setup_name.exe")"
# wine-run makes the template on its first run without a prefix.
[[ -f "$template/.complete" ]] || env -u WINEPREFIX "$root/scripts/wine-run" cmd /c exit > /dev/null
cp -a --reflink=auto "$template" "$prefix"
host="$prefix/drive_c/Program Files/Brenhalt/Korvun"
data="$prefix/drive_c/ProgramData/Brenhalt/Korvun/ZUV"
url="https://localhost:$port/actionus/aes/onlinedatatransfer"

echo "== silent install"
run "$setup" /S "/URL=$url" /TIMEOUT=30
cmp "$host/KorvunZUV.dll" "$build/bin/KorvunZUV.dll"
cmp "$data/BESTAND.txt" "$root/data/BESTAND.txt"
cmp "$data/TRANSAKT.txt" "$root/data/TRANSAKT.txt"
cp "$data/FFBDB.IDB" "$work/installed.IDB"
query "$work/installed.reg"
expect "$work/installed.reg" DataDir 'C:\ProgramData\Brenhalt\Korvun\ZUV\'
expect "$work/installed.reg" ImportDB '.\FFBDB.IDB'
expect "$work/installed.reg" Timeout 30
expect "$work/installed.reg" DebugMode 0
expect "$work/installed.reg" DownloadSrvUrl "$url"
expect "$work/installed.reg" DisplayVersion "$version"
expect "$work/installed.reg" InstallLocation 'C:\Program Files\Brenhalt\Korvun'
expect "$work/installed.reg" QuietUninstallString \
  '"C:\Program Files\Brenhalt\Korvun\Korvun\ZUV\KorvunZUV-Deinstallation.exe" /S'

echo "== the manual where \"Anleitung\" looks, an export through the installed DLL"
# The host program loads KorvunZUV.dll from its own folder; the database
# bridge's placeholder lies beside it, where a real client would.
cp "$build/bin/korvun-zuv.exe" "$build/bin/fbclient.dll" "$build/tests/korvun-manual-path.exe" "$host/"
manual="$(run 'C:\Program Files\Brenhalt\Korvun\korvun-manual-path.exe' | tr -d '\r')"
manual="${manual#C:\\}"
cmp "$prefix/drive_c/${manual//\\//}" "$root/build/docs/manual/Die Schnittstelle zur ZUV.pdf"
run "$build/bin/korvun-trust-ca.exe" "$(windows_path "$ca")"
WINEDLLPATH="$build/tests/windows/fbclient_bridge" KORVUN_UI=none \
  run 'C:\Program Files\Brenhalt\Korvun\korvun-zuv.exe' export --xml-dir "$(windows_path "$work/xml")" \
  --berater-ref 12345-678 --access "$(windows_path "$dir/access.txt")" --embedded-db \
  --no-message-boxes > "$work/export.log" 2>&1 || { cat "$work/export.log" >&2; fail "the export failed"; }
cmp "$work/xml/ZUV.XML" "$dir/linux-xml/ZUV.XML"
rm "$host/korvun-zuv.exe" "$host/fbclient.dll" "$host/korvun-manual-path.exe"
! cmp -s "$data/FFBDB.IDB" "$work/installed.IDB" || fail "the export left the staging database unchanged"
cp "$data/FFBDB.IDB" "$work/exported.IDB"

echo "== update over an earlier version"
run cmd /c "reg add $settings /v Timeout /d 120 /f $view & reg add $settings /v DownloadSrvUrl /d https://localhost:1/x /f $view & reg add $uninstall /v DisplayVersion /d 2.2.1 /f $view" > /dev/null
echo "old" > "$host/KorvunZUV.dll"
echo "old" > "$data/BESTAND.txt"
echo "01.01.2026 10:00 a refused line" > "$data/bst_error.log"
run "$setup" /S "/URL=$url"
cmp "$host/KorvunZUV.dll" "$build/bin/KorvunZUV.dll"
cmp "$data/BESTAND.txt" "$root/data/BESTAND.txt"
cmp "$data/FFBDB.IDB" "$work/exported.IDB"
[[ -s "$data/bst_error.log" ]] || fail "the update removed the error log"
query "$work/updated.reg"
expect "$work/updated.reg" Timeout 120
expect "$work/updated.reg" DownloadSrvUrl "$url"
expect "$work/updated.reg" DisplayVersion "$version"

echo "== silent uninstall"
uninstaller='C:\Program Files\Brenhalt\Korvun\Korvun\ZUV\KorvunZUV-Deinstallation.exe'
# Kept: the data folder's files but the map files (the database, the logs).
kept="$(ours | grep '^./ProgramData/' | grep -v -e '/BESTAND.txt$' -e '/TRANSAKT.txt$')"
# The uninstaller hands its work to a copy of itself and ends at once.
WINE_RUN_WAIT=1 run "$uninstaller" /S
[[ "$(ours)" == "$kept" ]] || fail "after the uninstall: $(ours), expected only: $kept"
query "$work/uninstalled.reg"
! grep -q HKEY_ "$work/uninstalled.reg" || fail "keys left: $(cat "$work/uninstalled.reg")"

echo "== install again, uninstall with /REMOVEDATA"
run "$setup" /S
cmp "$data/FFBDB.IDB" "$work/exported.IDB"
WINE_RUN_WAIT=1 run "$uninstaller" /S /REMOVEDATA
[[ -z "$(ours)" ]] || fail "left after /REMOVEDATA: $(ours)"
[[ ! -e "$prefix/drive_c/ProgramData/Brenhalt" && ! -e "$prefix/drive_c/Program Files/Brenhalt" ]] ||
  fail "empty folders left"
echo "installer: install, export, update and uninstall as expected"
