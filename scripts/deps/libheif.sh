#!/usr/bin/env bash
# Cross-compiles libheif for 32-bit Windows as a static library from
# Debian's source package, into build/deps/i686 (lib/libheif.a,
# include/libheif/), built in with its two decoders only: libde265 (HEIC)
# and dav1d (AVIF), which libde265.sh and dav1d.sh build first. No encoders,
# no plugin loading, no example programs. Done once; later calls only check.
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
source "$here/common.sh"

stamp="$DEPS_PREFIX/lib/libheif.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/libheif/heif_version.h" ] && exit 0
bash "$here/libde265.sh"
bash "$here/dav1d.sh"

src=$(vanta_debian_source_newest libheif libheif/heif.h)
build="$DEPS_DIR/build/libheif"
rm -rf "$build"
off=""
for w in X265 AOM_ENCODER AOM_DECODER SvtEnc RAV1E; do off="$off -DWITH_$w=OFF"; done
# Only our own libraries, never the build machine's pkg-config files.
# shellcheck disable=SC2086
PKG_CONFIG_LIBDIR="$DEPS_PREFIX/none" cmake -S "$src" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$VANTA_ROOT/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS="-msse2" -DCMAKE_CXX_FLAGS="-msse2" \
  -DENABLE_PLUGIN_LOADING=OFF -DWITH_EXAMPLES=OFF -DWITH_GDK_PIXBUF=OFF -DWITH_FUZZERS=OFF $off \
  -DWITH_LIBDE265=ON -DWITH_LIBDE265_PLUGIN=OFF -DWITH_DAV1D=ON -DWITH_DAV1D_PLUGIN=OFF \
  -DLIBDE265_INCLUDE_DIR="$DEPS_PREFIX/include" -DLIBDE265_LIBRARY="$DEPS_PREFIX/lib/libde265.a" \
  -DDAV1D_INCLUDE_DIR="$DEPS_PREFIX/include" -DDAV1D_LIBRARY="$DEPS_PREFIX/lib/libdav1d.a" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="" -Wno-dev >"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; exit 1; }
grep -q "libde265 (HEIC decoder): found" "$build.log" && grep -q "Dav1d (AVIF decoder): found" "$build.log" ||
  { echo "libheif: a decoder was not found" >&2; tail -n 30 "$build.log" >&2; exit 1; }
cmake --build "$build" -j "${JOBS:-2}" --target heif >>"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; exit 1; }
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include/libheif"
cp "$src/libheif/heif.h" "$build/libheif/heif_version.h" "$DEPS_PREFIX/include/libheif/"
cp "$(find "$build" -name 'libheif.a' | head -n 1)" "$stamp"
echo "libheif: $stamp"
