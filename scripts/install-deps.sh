#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the reports need,
# only those that are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config libsqlite3-dev
    qt6-base-dev libqt6sql6-sqlite qt6-qpa-plugins libgl-dev
    fonts-ipaexfont-gothic fonts-ipaexfont-mincho
    qt6-translations-l10n poppler-utils
    qt6-charts-dev libqt6opengl6-dev libxlsxwriter-dev zlib1g-dev libssl-dev mdbtools-dev mdbtools unzip
    # The office edition's server, and Qt's driver for it; the server tests
    # start a throwaway cluster of their own. libpq's headers for the copy
    # onto the server (COPY).
    postgresql libqt6sql6-psql libpq-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
