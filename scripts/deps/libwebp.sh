#!/usr/bin/env bash
# Cross-compiles libwebp for 32-bit Windows as static libraries from Debian's
# source package, into build/deps/i686 (lib/libwebp.a, libwebpdemux.a,
# include/webp/): the decoder and the demuxer that finds an
# animation's first frame and the EXIF chunk; the encoder comes along in
# libwebp.a, which the Windows tests use to write their files. No tools.
# Done once; later calls only check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libwebp.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/lib/libwebpdemux.a" ] && [ -f "$DEPS_PREFIX/include/webp/demux.h" ] && exit 0

src=$(vanta_debian_source_newest libwebp src/webp/decode.h)
build="$DEPS_DIR/build/libwebp"
rm -rf "$build"
off=""
for t in ANIM_UTILS CWEBP DWEBP GIF2WEBP IMG2WEBP VWEBP WEBPINFO LIBWEBPMUX WEBPMUX EXTRAS; do
  off="$off -DWEBP_BUILD_$t=OFF"
done
# shellcheck disable=SC2086
cmake -S "$src" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$VANTA_ROOT/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
  -DCMAKE_C_FLAGS="-msse2" \
  -DWEBP_ENABLE_SIMD=ON -DWEBP_USE_THREAD=OFF -DWEBP_NEAR_LOSSLESS=OFF $off \
  -DCMAKE_CROSSCOMPILING_EMULATOR="" -Wno-dev >"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; exit 1; }
cmake --build "$build" -j "${JOBS:-2}" --target webp webpdemux >>"$build.log" 2>&1 ||
  { tail -n 30 "$build.log" >&2; exit 1; }
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include/webp"
cp "$src/src/webp/decode.h" "$src/src/webp/encode.h" "$src/src/webp/demux.h" "$src/src/webp/mux_types.h" \
  "$src/src/webp/types.h" "$DEPS_PREFIX/include/webp/"
cp "$build/libwebpdemux.a" "$DEPS_PREFIX/lib/"
cp "$build/libwebp.a" "$stamp"
echo "libwebp: $stamp"
