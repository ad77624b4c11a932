#!/usr/bin/env bash
# Cross-compiles the SHA-256 of OpenSSL's libcrypto for 32-bit Windows from
# Debian's source package `openssl` (the one behind libssl-dev, which the
# native build links), into build/deps/i686 (lib/libvantasha256.a,
# include/openssl/). Only what SHA256_Init/Update/Final need: the C glue,
# the x86 assembly (with the CPU's SHA instructions where it has them, which
# Windows' own CNG does not use under Wine) and the CPU detection. Done once;
# later calls only check.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

stamp="$DEPS_PREFIX/lib/libvantasha256.a"
[ -f "$stamp" ] && [ -f "$DEPS_PREFIX/include/openssl/sha.h" ] && exit 0

fetched=$(vanta_debian_source_newest openssl crypto/sha/asm/sha256-586.pl)
# OpenSSL's makefile cannot take a path with "=" (Debian's version folder).
src="$DEPS_DIR/src/openssl-source"
rm -rf "$src" && cp -a "$fetched" "$src"
build="$DEPS_DIR/build/openssl"
rm -rf "$build" && mkdir -p "$build"
cd "$build"
{
  CC=gcc-posix perl "$src/Configure" mingw no-shared no-tests no-module no-dso no-engine no-threads \
    --cross-compile-prefix=i686-w64-mingw32-
  make build_generated
  make crypto/x86cpuid.S
  # The coff flavour does not know ELF's .hidden.
  sed -i '/^\.hidden/d' crypto/x86cpuid.S
  make -j"${JOBS:-2}" crypto/sha/libcrypto-lib-sha256.obj crypto/sha/libcrypto-lib-sha256-586.obj \
    crypto/libcrypto-lib-x86cpuid.obj crypto/libcrypto-lib-cpuid.obj crypto/libcrypto-lib-ctype.obj
} >"$build/build.log" 2>&1 || { tail -n 30 "$build/build.log" >&2; exit 1; }
mkdir -p "$DEPS_PREFIX/lib" "$DEPS_PREFIX/include/openssl"
i686-w64-mingw32-ar rcs "$build/libvantasha256.a" crypto/sha/libcrypto-lib-sha256.obj \
  crypto/sha/libcrypto-lib-sha256-586.obj crypto/libcrypto-lib-x86cpuid.obj crypto/libcrypto-lib-cpuid.obj \
  crypto/libcrypto-lib-ctype.obj
cp "$src"/include/openssl/*.h include/openssl/*.h "$DEPS_PREFIX/include/openssl/"
mv "$build/libvantasha256.a" "$stamp"
echo "openssl (SHA-256): $stamp"
