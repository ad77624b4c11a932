#!/usr/bin/env bash
# Cross-compiles libzstd for 32-bit Windows as a static library from Debian's
# source package, into build/deps/i686 (lib/libzstd.a, include/zstd.h). The
# installer compiler and the setup link it. Done once; later calls only check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libzstd.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/zstd.h" ] && exit 0

src=$(vanta_debian_source_newest libzstd lib/zstd.h)
build="$DEPS_DIR/build/zstd"
rm -rf "$build" && mkdir -p "$build"
# The library's own makefile, outside the source tree; single-threaded and
# without the legacy formats: the setup only reads what vantabuild wrote.
make -C "$src/lib" -j"${JOBS:-2}" libzstd.a BUILD_DIR="$build/obj" \
  CC=i686-w64-mingw32-gcc-posix AR=i686-w64-mingw32-ar \
  ZSTD_LEGACY_SUPPORT=0 ZSTD_LIB_DEPRECATED=0 HAVE_PTHREAD=0 \
  >"$build/make.log" 2>&1 || { tail -n 30 "$build/make.log" >&2; exit 1; }
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include"
cp "$src/lib/zstd.h" "$src/lib/zstd_errors.h" "$DEPS_PREFIX/include/"
mv "$src/lib/libzstd.a" "$stamp"
echo "zstd: $stamp"
