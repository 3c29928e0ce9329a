# Shared steps of scripts/test and scripts/demo.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# apt-get update that lives with an index it could not fetch: the i386 index
# of Debian's security archive is at times out of step with the amd64 one
# ("File has unexpected size"), and the indexes fetched before still serve.
apt_update() {
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  if ! $sudo apt-get update -qq > /tmp/korvun-apt-update.$$ 2>&1; then
    echo "   apt-get update: some indexes could not be fetched; going on with the others:" >&2
    grep -E '^(E|W):' /tmp/korvun-apt-update.$$ | head -n 3 | sed 's/^/   /' >&2 || true
  fi
  rm -f /tmp/korvun-apt-update.$$
}

# apt_install [apt-get options] PACKAGE...: installs without recommends. When
# i386 packages are in, an amd64 package whose security update has no i386
# twin in the index yet cannot be installed beside its i386 kin; the
# release's own suite then has both in step, so a refusal is tried once more
# with that suite as the target release.
apt_install() {
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -qq --no-install-recommends "$@" && return
  local suite
  suite="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  [[ -n "$suite" ]] || return 1
  echo "   apt-get install refused; trying again with $suite as the target release" >&2
  $sudo apt-get install -y -qq --no-install-recommends -t "$suite" "$@"
}

# Installs whatever of scripts/packages.txt is missing (nothing when all is there).
install_packages() {
  local missing=()
  while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done < "$ROOT/scripts/packages.txt"
  if ((${#missing[@]})); then
    echo "== Installing: ${missing[*]}"
    local sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    apt_update
    apt_install "${missing[@]}"
  fi
}

# build_tree DIR [cmake options...]: configures once, then builds incrementally.
# Trees are laid out for /usr, as the package installs, so that packaging
# does not build them again.
build_tree() {
  local dir="$1"; shift
  # A configure that failed halfway (a package missing) leaves a cache
  # without build files: configured again then.
  if [[ ! -f "$dir/CMakeCache.txt" || ! -f "$dir/Makefile" ]]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_INSTALL_PREFIX=/usr "$@"
  fi
  cmake --build "$dir" -j "$JOBS"
}

# build_targets DIR "TARGET..." [cmake options...]: as build_tree, but only
# the targets named.
build_targets() {
  local dir="$1" targets="$2"; shift 2
  if [[ ! -f "$dir/CMakeCache.txt" || ! -f "$dir/Makefile" ]]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_INSTALL_PREFIX=/usr "$@"
  fi
  # shellcheck disable=SC2086
  cmake --build "$dir" -j "$JOBS" --target $targets
}

# The embedded engine keeps its lock files in /tmp/firebird; when another
# user created that folder, this user gets a lock folder of its own.
if [[ -z "${FIREBIRD_LOCK:-}" && -e /tmp/firebird && ! -w /tmp/firebird ]]; then
  export FIREBIRD_LOCK="$ROOT/build/firebird-lock"
  mkdir -p "$FIREBIRD_LOCK"
fi

# start_simulator PROGRAM PROVIDER_DIR CERT_DIR LOGIN PIN: starts the provider
# simulator on a free loopback port with its own CA; sets SIM_PID, SIM_PORT
# and SIM_CA. The caller stops it (kill "$SIM_PID").
start_simulator() {
  coproc SIM { exec "$1" --port 0 --data "$2" --cert-dir "$3" --login "$4" --pin "$5" \
    --exit-with-parent; }
  SIM_PID=$SIM_PID SIM_PORT="" SIM_CA=""
  local key value
  while read -r -t 20 key value <&"${SIM[0]}"; do
    case "$key" in
      PORT) SIM_PORT="$value" ;;
      CA) SIM_CA="$value"; break ;;
    esac
  done
  [[ -n "$SIM_PORT" && -n "$SIM_CA" ]]
}

# write_registry FILE URL [LINE...]: a settings file with the provider URL
# and further lines (values, or a [key] and its values).
write_registry() {
  local file="$1" url="$2"; shift 2
  {
    printf 'Windows Registry Editor Version 5.00\n\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\n'
    printf '"DownloadSrvUrl"="%s"\n"Timeout"="60"\n' "$url"
    printf '%s\n' "$@"
  } > "$file"
}
