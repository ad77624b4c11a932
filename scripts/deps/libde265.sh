#!/usr/bin/env bash
# Cross-compiles libde265 (the HEVC decoder libheif uses for HEIC) for
# 32-bit Windows as a static library from Debian's source package, into
# build/deps/i686 (lib/libde265.a, include/libde265/). The decoder only: no
# encoder, no example programs. Done once; later calls only check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libde265.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/libde265/de265-version.h" ] && exit 0

src=$(vanta_debian_source_newest libde265 libde265/de265.h)
build="$DEPS_DIR/build/libde265"
rm -rf "$build"
cmake -S "$src" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$VANTA_ROOT/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
  -DENABLE_SDL=OFF -DENABLE_DECODER=OFF -DENABLE_ENCODER=OFF \
  -DCMAKE_CROSSCOMPILING_EMULATOR="" -Wno-dev >"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; exit 1; }
cmake --build "$build" -j "${JOBS:-2}" --target de265 >>"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; exit 1; }
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include/libde265"
cp "$src/libde265/de265.h" "$build/libde265/de265-version.h" "$DEPS_PREFIX/include/libde265/"
cp "$(find "$build" -name 'libde265.a' | head -n 1)" "$stamp"
echo "libde265: $stamp"
