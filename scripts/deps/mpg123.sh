#!/usr/bin/env bash
# Cross-compiles libmpg123 for 32-bit Windows as a static library into
# build/deps/i686, from Debian's source package. Done once; later calls only
# check the stamp. mpegdll.dll links it.
set -euo pipefail
source "$(dirname "$0")/common.sh"

stamp="$DEPS_PREFIX/.mpg123-done"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/lib/libmpg123.a" ] && exit 0

dir=$(vanta_debian_source mpg123)
build="$DEPS_DIR/build/mpg123"
rm -rf "$build" && mkdir -p "$build"
cd "$build"
# Only the decoding library: no output modules, no programs, no shared build.
CC=i686-w64-mingw32-gcc-posix CXX=i686-w64-mingw32-g++-posix \
  "$dir/configure" --host=i686-w64-mingw32 --prefix="$DEPS_PREFIX" \
  --enable-static --disable-shared --disable-modules --disable-components --enable-libmpg123 \
  >"$build/configure.log" 2>&1 || { tail -n 30 "$build/configure.log" >&2; exit 1; }
make -j"${JOBS:-2}" >"$build/make.log" 2>&1 || { tail -n 30 "$build/make.log" >&2; exit 1; }
make install >"$build/install.log" 2>&1 || { tail -n 30 "$build/install.log" >&2; exit 1; }
touch "$stamp"
