# A private Firebird 3 server (Debian's firebird3.0-server) on a free port,
# started as its service file starts it, with the staging database's SYSDBA
# password; sourced by scripts that need one after scripts/lib.sh. Sets
# PORT, WORK (a temporary folder; $WORK/db belongs to the server's user),
# SERVER_ENV and SETUP_DB; stops the server and removes WORK on exit. A
# script defines script_cleanup for what it starts itself.
fail() { echo "$(basename "$0"): $*" >&2; exit 1; }
[[ $(id -u) -eq 0 ]] || fail "needs root (starts the server as the firebird user)"
[[ -x /usr/sbin/fbguard ]] && command -v isql-fb >/dev/null \
  || fail "firebird3.0-server and firebird3.0-utils are not installed"

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
# The default port when it is free, else the next free one.
PORT=3050
while port_open "$PORT"; do PORT=$((PORT + 1)); done

STAGING_PASSWORD=stonequay   # the staging database's fixed SYSDBA password
SYSTEM_PASSWORD="$(. /etc/firebird/3.0/SYSDBA.password && echo "$ISC_PASSWORD")"
WORK="$(mktemp -d /tmp/korvun-server.XXXXXX)"
chmod 755 "$WORK"
# The server's files belong to its user; its lock folder is its own, apart
# from the embedded engine's /tmp/firebird.
mkdir "$WORK/db" "$WORK/lock" "$WORK/server"
chown firebird: "$WORK/db" "$WORK/lock"
# A private server folder: the installed one's parts, and a firebird.conf
# that differs from the system's only in the port. FIREBIRD names it to the
# server started here and, through the exports' environment, to the one the
# plug-in starts. The character sets are copied: the server does not load
# them through a link.
# The native architecture's folder: where the 32-bit Windows lane runs, the
# i386 engine lies beside it.
INSTALLED="$(dirname "$(readlink -f "/usr/lib/$(gcc -print-multiarch)/firebird/3.0/firebird.msg")")"
for part in "$INSTALLED"/*; do
  case "$(basename "$part")" in
    firebird.conf) ;;
    intl) cp -rL "$part" "$WORK/server/" ;;
    *) ln -s "$part" "$WORK/server/" ;;
  esac
done
{ cat /etc/firebird/3.0/firebird.conf; echo "RemoteServicePort = $PORT"; } > "$WORK/server/firebird.conf"
SERVER_ENV=(FIREBIRD="$WORK/server" FIREBIRD_LOCK="$WORK/lock")
SETUP_DB="localhost/$PORT:$WORK/db/setup.fdb"
PASSWORD_CHANGED=""

wait_port_open() {
  for _ in $(seq 1 100); do
    port_open "$PORT" && return 0
    sleep 0.1
  done
  return 1
}
start_server() {
  runuser -u firebird -- env "${SERVER_ENV[@]}" /usr/sbin/fbguard -daemon -forever \
    && wait_port_open || fail "the server did not start"
}
# The guardians and servers started here, by the test or by the plug-in:
# the private folder in their environment tells them from any other.
server_processes() {
  grep -lzxF "FIREBIRD=$WORK/server" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}
# A guardian restarts a server that ends, so the guardians go first and take
# their servers with them; whatever is left after ten seconds is killed.
stop_server() {
  local pid guards=() all=()
  mapfile -t all < <(server_processes)
  ((${#all[@]})) || return 0
  for pid in "${all[@]}"; do
    [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == fbguard ]] && guards+=("$pid")
  done
  if ((${#guards[@]})); then kill "${guards[@]}"; else kill "${all[@]}"; fi 2>/dev/null || true
  for _ in $(seq 1 100); do
    [[ -z "$(server_processes)" ]] && return 0
    sleep 0.1
  done
  kill -KILL "${all[@]}" 2>/dev/null || true
}
sql() { isql-fb -q -b >/dev/null; }
cleanup() {
  if [[ -n "$PASSWORD_CHANGED" ]] && port_open "$PORT"; then
    printf "connect '%s' user 'SYSDBA' password '%s';\nalter user SYSDBA password '%s';\ncommit;\n" \
      "$SETUP_DB" "$STAGING_PASSWORD" "$SYSTEM_PASSWORD" | sql || true
  fi
  stop_server
  # What the script itself started beside the server.
  if declare -F script_cleanup >/dev/null; then script_cleanup; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
# Interrupted, too, the cleanup runs.
trap 'exit 130' INT TERM

start_server
# The staging database logs in as SYSDBA with its fixed password. The
# security database refuses remote logins, so the password is set through a
# database of our own on the server (already set when an earlier run was
# cut short).
set_password() {
  printf "create database '%s' user 'SYSDBA' password '%s';\nalter user SYSDBA password '%s';\ncommit;\n" \
    "$SETUP_DB" "$1" "$STAGING_PASSWORD" | sql 2>/dev/null
}
set_password "$SYSTEM_PASSWORD" || set_password "$STAGING_PASSWORD" \
  || fail "cannot set the SYSDBA password (is /etc/firebird/3.0/SYSDBA.password current?)"
PASSWORD_CHANGED=1

