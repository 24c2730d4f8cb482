#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the program need.
# Idempotent: checks first, runs apt-get update only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  qt6-declarative-dev
  qt6-webchannel-dev qt6-webengine-dev qt6-webengine-dev-tools
  libgl-dev libvulkan-dev
  libsqlite3-dev sqlite3 libxml2-dev libxslt1-dev libcurl4-openssl-dev
  libminizip-dev zlib1g-dev libcpp-httplib-dev libcanberra-dev
  xdg-utils xvfb xauth locales dpkg-dev file
  fonts-dejavu-core
  clang libclang-rt-14-dev
  xdotool python3 python3-pil
  lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The locale-independence tests need a real comma locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "setup: generating de_DE.UTF-8"
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  else
    $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
  fi
fi
