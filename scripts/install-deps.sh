#!/usr/bin/env bash
# Installs what building and testing Tesmiro needs on Debian, skipping what
# is already there. A user who is not root installs missing packages through
# sudo; without it, the script names the command to run as root and stops.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libjpeg62-turbo-dev libpng-dev libgif-dev libfreetype-dev libfontconfig-dev
  qt6-base-dev qt6-multimedia-dev qt6-webengine-dev qt6-translations-l10n
  # Qt Multimedia plays through GStreamer and crashes where its base
  # elements are missing; -good decodes MP3.
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libgtest-dev libbenchmark-dev libturbojpeg0-dev
  xvfb xauth x11-utils chromium fonts-dejavu-core fonts-ipafont-gothic
  xdotool  # keys typed through the X server in the GUI tests
  nodejs npm
  imagemagick  # reads the test pictures independently of our decoders
)
if [ "${TESMIRO_WITH_CLANG:-0}" = 1 ]; then packages+=(clang); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# A node that the machine already has (from elsewhere than Debian) is fine.
if command -v node >/dev/null && command -v npm >/dev/null; then
  missing=("${missing[@]/nodejs}")
  missing=("${missing[@]/npm}")
fi
read -r -a missing <<<"${missing[*]}"
if [ "${#missing[@]}" -gt 0 ]; then
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    # sudo without a password, or with one typed at the terminal; never a
    # prompt that nobody can answer.
    if command -v sudo >/dev/null && { sudo -n true 2>/dev/null || [ -t 0 ]; }; then
      as_root=(sudo)
    else
      echo "install-deps: packages are missing; run as root: apt-get install --no-install-recommends ${missing[*]}" >&2
      exit 1
    fi
  fi
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cd "$(dirname "$0")/.."
if [ ! -d node_modules ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
