#!/usr/bin/env bash
# Cross-compiles xxHash for 32-bit Windows as a static library from Debian's
# source package `xxhash` (the one behind libxxhash-dev), into build/deps/i686
# (lib/libxxhash.a, include/xxhash.h). The library is one C file: compiled
# directly, no makefile. Done once; later calls only check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libxxhash.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/xxhash.h" ] && exit 0

src=$(vanta_debian_source_newest xxhash xxhash.c)
build="$DEPS_DIR/build/xxhash"
rm -rf "$build" && mkdir -p "$build"
# SSE2 is the baseline of every processor the setup runs on; XXH3 takes
# its vector path with it.
i686-w64-mingw32-gcc-posix -O2 -msse2 -c "$src/xxhash.c" -o "$build/xxhash.o" \
  >"$build/build.log" 2>&1 || { tail -n 30 "$build/build.log" >&2; exit 1; }
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include"
i686-w64-mingw32-ar rcs "$build/libxxhash.a" "$build/xxhash.o"
cp "$src/xxhash.h" "$DEPS_PREFIX/include/"
mv "$build/libxxhash.a" "$stamp"
echo "xxhash: $stamp"
