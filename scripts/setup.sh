#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to run again: packages already
# installed are skipped, and apt is not touched when nothing is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # the platform layer: Qt 6 (headless with the offscreen plugin), and fonts metric-compatible
  # with Arial and Times New Roman, and fonts that cover GBK
  qt6-base-dev libgl-dev fontconfig fonts-liberation fonts-noto-cjk
  # the media-position picker plays sound and film with Qt Multimedia; a sound file for its
  # tests is written by sox
  qt6-multimedia-dev sox
  # pictures in formats the project does not read itself
  libgraphicsmagick1-dev
  # the Debian package (scripts/package.sh): dpkg-shlibdeps names the programs' libraries
  dpkg-dev
  # a second picture writer for the readers' tests (PSD, OS/2 bitmaps)
  imagemagick
  # peers measured beside our own readers in bench/
  libgif-dev
  # the browser test of the published HTML (tests/browser), headless
  chromium
  # a real X display for the test of the clipboard between two processes
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
