#!/usr/bin/env bash
# Cross-compiles dav1d (the AV1 decoder libheif uses for AVIF) for 32-bit
# Windows as a static library from Debian's source package, into
# build/deps/i686 (lib/libdav1d.a, include/dav1d/), with its SIMD code
# (nasm) and both bit depths (8 and 10/12-bit pictures). No tools, no
# tests. dav1d builds with meson, which needs a cross file of its own.
# Done once; later calls only check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libdav1d.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/dav1d/version.h" ] && exit 0

src=$(vanta_debian_source_newest dav1d include/dav1d/dav1d.h)
build="$DEPS_DIR/build/dav1d"
rm -rf "$build"
mkdir -p "$DEPS_DIR/build"
cross="$DEPS_DIR/build/mingw-i686.meson"
cat >"$cross" <<'CROSS'
[binaries]
c = 'i686-w64-mingw32-gcc-posix'
cpp = 'i686-w64-mingw32-g++-posix'
ar = 'i686-w64-mingw32-ar'
strip = 'i686-w64-mingw32-strip'
windres = 'i686-w64-mingw32-windres'
nasm = 'nasm'

[built-in options]
c_args = ['-msse2']

[host_machine]
system = 'windows'
cpu_family = 'x86'
cpu = 'i686'
endian = 'little'
CROSS
meson setup "$build" "$src" --cross-file "$cross" --buildtype=release --default-library=static \
  -Denable_tools=false -Denable_tests=false -Denable_examples=false -Denable_docs=false \
  -Dlogging=false -Dbitdepths=8,16 >"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; exit 1; }
ninja -C "$build" -j "${JOBS:-2}" src/libdav1d.a >>"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; exit 1; }
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include/dav1d"
cp "$src"/include/dav1d/{common,data,dav1d,headers,picture}.h "$build/include/dav1d/version.h" "$DEPS_PREFIX/include/dav1d/"
cp "$build/src/libdav1d.a" "$stamp"
echo "dav1d: $stamp"
