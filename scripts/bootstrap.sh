#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root.
# Idempotent: it asks apt only for what is missing, so a second run is quick.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: run as root (apt-get is needed for: $*)" >&2
    exit 1
  fi
}

packages=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libmpg123-dev libzstd-dev libxxhash-dev libssl-dev nasm dpkg-dev
  libspng-dev libwebp-dev netpbm webp
  libheif-dev libheif-examples libde265-dev libdav1d-dev meson  # HEIC/AVIF; meson cross-builds dav1d
  libavif-bin  # avifenc: 10-bit AVIF test files (libheif 1.15 writes none)
  libjpeg-turbo-progs  # djpeg and cjpeg: the photo-shrink benchmark's yardstick
  clang libclang-rt-14-dev
  wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick
  lame sox pulseaudio pulseaudio-utils xdotool
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils  # several monitors: Xorg's dummy driver, xrandr
  libxrandr2:i386 libxinerama1:i386 libxrender1:i386  # which 32-bit Wine needs to see them
  bc
  fp-utils  # chmcmd and chmls: the builder's help file
)

missing=()
for p in "${packages[@]}"; do
  # dpkg-query takes the architecture qualifier as written.
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

need_root "${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
