#!/usr/bin/env bash
# Installs what is missing, builds, and runs Zentra Network Scan on a simulated
# controller network: a handful of simulated controllers in a private network
# namespace, so nothing is broadcast on this machine's real interfaces.
# With a display the window opens there; without one the scan runs headless
# and prints the device list.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
exec tools/netns/znnet-run --segments 1 -- scripts/demo-inside-netns.sh build/default
