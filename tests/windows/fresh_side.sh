# Sourced by scripts that compare exports of the Linux and Windows hosts.
# fresh_side LINUX_BIN SOURCE_DIR DATA XML REGISTRY PORT: an empty data
# directory with the map files and a new staging database, an empty XML
# folder, and a settings file naming the simulator on PORT and that data
# directory (scripts/wine-export turns its Linux paths into Windows ones).
fresh_side() {
  local linux="$1" source="$2" data="$3" xml="$4" registry="$5" port="$6"
  rm -rf "$data" "$xml"
  mkdir -p "$data" "$xml"
  cp "$source/data/BESTAND.txt" "$source/data/TRANSAKT.txt" "$data/"
  "$linux/korvun-zuv" init-db "$data/FFBDB.IDB" > /dev/null
  printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\n"DownloadSrvUrl"="https://127.0.0.1:%s/actionus/aes/onlinedatatransfer"\n"DataDir"="%s/"\n"Timeout"="300"\n' \
    "$port" "$data" > "$registry"
}
