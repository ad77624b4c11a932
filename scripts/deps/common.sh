# Sourced by the dependency cross-builds: fetches a Debian source package
# once into build/deps/src and gives its unpacked folder.
set -euo pipefail
VANTA_ROOT="${VANTA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
DEPS_DIR="$VANTA_ROOT/build/deps"
DEPS_PREFIX="$DEPS_DIR/i686"          # static libraries and headers for the Windows build
mkdir -p "$DEPS_DIR/src" "$DEPS_PREFIX"

# A deb-src entry for each Debian entry the machine already has.
vanta_enable_deb_src() {
  local list=/etc/apt/sources.list.d/vanta-deb-src.sources legacy=/etc/apt/sources.list.d/vanta-deb-src.list
  [ -f "$list" ] || [ -f "$legacy" ] && return 0
  local changed=0
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types: *deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$list"
    changed=1
  fi
  if [ -f /etc/apt/sources.list ] && grep -qE '^deb .*debian' /etc/apt/sources.list; then
    grep -E '^deb .*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$legacy"
    changed=1
  fi
  [ "$changed" = 1 ] || { echo "no Debian apt source to derive deb-src from" >&2; return 1; }
  apt-get update -qq
}

# vanta_debian_source PACKAGE -> prints the unpacked source folder
vanta_debian_source() {
  local pkg="$1" dir
  dir=$(find "$DEPS_DIR/src/$pkg" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n 1 || true)
  if [ -z "$dir" ]; then
    vanta_enable_deb_src >&2
    rm -rf "$DEPS_DIR/src/$pkg" && mkdir -p "$DEPS_DIR/src/$pkg"
    # Some mirrors lack the upstream signature (.asc) that apt-get source also
    # fetches; with the Debian files in hand, unpack them ourselves.
    (cd "$DEPS_DIR/src/$pkg" && { apt-get source -qq "$pkg" >&2 2>&1 ||
       { ls ./*.dsc >/dev/null 2>&1 && dpkg-source -x --no-check ./*.dsc >&2; }; })
    dir=$(find "$DEPS_DIR/src/$pkg" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  fi
  echo "$dir"
}

# vanta_debian_source_newest PACKAGE FILE -> the unpacked folder of the newest
# source version the mirrors still hold that has FILE: a security update's
# source can be gone from its pool while the release's is there.
vanta_debian_source_newest() {
  local pkg="$1" file="$2" v src
  vanta_enable_deb_src >&2
  for v in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -rVu); do
    src=$(vanta_debian_source "$pkg=$v" 2>/dev/null || true)
    if [ -n "$src" ] && [ -f "$src/$file" ]; then echo "$src"; return 0; fi
    rm -rf "$DEPS_DIR/src/$pkg=$v"
  done
  echo "$pkg: no source package could be fetched" >&2
  return 1
}
