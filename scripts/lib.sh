# Shared steps of scripts/test and scripts/demo.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

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
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# build_tree DIR [cmake options...]: configures once, then builds incrementally.
# Trees are laid out for /usr, as the package installs, so that packaging
# does not build them again.
build_tree() {
  local dir="$1"; shift
  if [[ ! -f "$dir/CMakeCache.txt" ]]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_INSTALL_PREFIX=/usr "$@"
  fi
  cmake --build "$dir" -j "$JOBS"
}

# The embedded engine keeps its lock files in /tmp/firebird; when another
# user created that folder, this user gets a lock folder of its own.
if [[ -z "${FIREBIRD_LOCK:-}" && -e /tmp/firebird && ! -w /tmp/firebird ]]; then
  export FIREBIRD_LOCK="$ROOT/build/firebird-lock"
  mkdir -p "$FIREBIRD_LOCK"
fi
