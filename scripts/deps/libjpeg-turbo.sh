#!/usr/bin/env bash
# Cross-compiles libjpeg-turbo for 32-bit Windows as a static library from
# Debian's source package, into build/deps/i686 (lib/libjpeg.a, include/).
# Done once: a later run finds the library and returns at once.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libjpeg.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/jpeglib.h" ] && exit 0

src=$(vanta_debian_source libjpeg-turbo)
build="$DEPS_DIR/build/libjpeg-turbo"
rm -rf "$build"
cmake -S "$src" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$VANTA_ROOT/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$DEPS_PREFIX" \
  -DCMAKE_INSTALL_LIBDIR=lib \
  -DCMAKE_SYSTEM_PROCESSOR=i686 \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DWITH_JPEG8=OFF \
  -DCMAKE_ASM_NASM_COMPILER=nasm \
  -DCMAKE_CROSSCOMPILING_EMULATOR="" -Wno-dev >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target jpeg-static >/dev/null
# Only the library and its headers: the tools are not needed.
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include"
cp "$build/libjpeg.a" "$DEPS_PREFIX/lib/libjpeg.a.tmp"
cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$build/jconfig.h" "$DEPS_PREFIX/include/"
mv "$DEPS_PREFIX/lib/libjpeg.a.tmp" "$stamp"
echo "libjpeg-turbo: $stamp"
