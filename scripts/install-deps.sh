#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the demo and the
# Debian package need; with --screenshots also those of
# scripts/make-screenshots.sh (a virtual X display, ImageMagick).
# Idempotent: installs only what is missing. Needs root or sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libcrypt-dev
    iproute2 util-linux
    clang libclang-rt-14-dev
    libvterm-dev
    openssl
    desktop-file-utils dpkg-dev
)
[ "${1:-}" = --screenshots ] && packages+=(xvfb xauth imagemagick)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
