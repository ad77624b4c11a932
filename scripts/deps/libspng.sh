#!/usr/bin/env bash
# Cross-compiles libspng (the PNG reader's library: one C file) for 32-bit
# Windows as a static library from Debian's source package, into
# build/deps/i686 (lib/libspng.a, include/spng.h), over zlib.sh's zlib.
# Done once; later calls only check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libspng.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/spng.h" ] && exit 0
bash "$(dirname "${BASH_SOURCE[0]}")/zlib.sh"

src=$(vanta_debian_source_newest libspng spng/spng.c)
build="$DEPS_DIR/build/libspng"
rm -rf "$build" && mkdir -p "$build"
# SSE2 for the filters: the Windows build assumes it anyway.
i686-w64-mingw32-gcc-posix -O2 -msse2 -DSPNG_STATIC -DSPNG_SSE=2 -I"$DEPS_PREFIX/include" \
  -c "$src/spng/spng.c" -o "$build/spng.o"
i686-w64-mingw32-ar rcs "$build/libspng.a" "$build/spng.o"
cp "$src/spng/spng.h" "$DEPS_PREFIX/include/"
mv "$build/libspng.a" "$stamp"
echo "libspng: $stamp"
