#!/usr/bin/env bash
# Installs what is missing, builds the programs (preset "package": installed
# under /usr, no tests) and makes the Debian package
# build/package/znscan_VERSION_ARCH.deb. Install it with
#   sudo apt-get install ./build/package/znscan_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset package
cmake --build --preset package -j "$(nproc)" --target znscan znscan-cli znsim znterm-dump
cpack --preset package
