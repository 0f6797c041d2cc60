#!/usr/bin/env bash
# Installs the Debian 12 packages Zazo Puzzle needs to build, run and test.
# Idempotent: installs only what is missing. Uses sudo when not root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libfreetype-dev
  libvorbis-dev libogg-dev libvorbisfile3
  fonts-ipafont-gothic xfonts-base locales
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils x11-xkb-utils imagemagick python3 xdg-utils openbox
  libtomlplusplus-dev libx11-dev
  clang libclang-rt-14-dev
  clang-format git
  libpng-dev dpkg-dev desktop-file-utils appstream
  libcpp-httplib-dev libsqlite3-dev libpq-dev postgresql chromium
  libcli11-dev libenet-dev lintian
  libmicrohttpd-dev nettle-dev nginx openssl curl
  libcurl4-openssl-dev nlohmann-json3-dev libtomlplusplus-dev shared-mime-info libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
