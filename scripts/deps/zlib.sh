#!/usr/bin/env bash
# Cross-compiles zlib for 32-bit Windows as a static library from Debian's
# source package, into build/deps/i686 (lib/libz.a, include/zlib.h): the PNG
# reader inflates with it. Only inflate and deflate, no gz* file functions.
# Done once; later calls only check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libz.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/zlib.h" ] && exit 0

src=$(vanta_debian_source_newest zlib zlib.h)
build="$DEPS_DIR/build/zlib"
rm -rf "$build" && mkdir -p "$build"
for f in adler32 compress crc32 deflate infback inffast inflate inftrees trees uncompr zutil; do
  i686-w64-mingw32-gcc-posix -O2 -msse2 -c "$src/$f.c" -o "$build/$f.o"
done
i686-w64-mingw32-ar rcs "$build/libz.a" "$build"/*.o
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include"
cp "$src/zlib.h" "$src/zconf.h" "$DEPS_PREFIX/include/"
mv "$build/libz.a" "$stamp"
echo "zlib: $stamp"
