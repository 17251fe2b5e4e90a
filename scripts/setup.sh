#!/usr/bin/env bash
# Installs every package Sondrel needs to build, run and test on Debian 12.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ninja-build clang
  libwxgtk3.2-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
  libresample1-dev
  libvorbis-dev libogg-dev
  libopencore-amrnb-dev libopencore-amrwb-dev libvo-amrwbenc-dev
  libsndfile1-dev libmpg123-dev libwavpack-dev libopenmpt-dev
  libfluidsynth-dev libcdio-paranoia-dev libcdio-dev
  libtag1-dev
  libglib2.0-dev
  timgm6mb-soundfont
  libgtest-dev libgmock-dev googletest
  libgtk-3-dev
  xvfb xauth ffmpeg dbus-daemon libx11-dev libxtst-dev
  help2man man-db desktop-file-utils appstream dpkg-dev librsvg2-bin shared-mime-info
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
