#!/usr/bin/env bash
# The demo proper; runs inside the private network made by tools/netns/znnet-run.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")/.." && pwd)

tools=$here/tools/netns
"$tools/znnet-exec" 1 "$build/tools/znsim/znsim" --count 6 --seed 2026 --spread 300 --duration 3600000 \
    > /tmp/znsim-demo.$$.log 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f /tmp/znsim-demo.$$.log' EXIT
sleep 0.5

echo "== Controllers found on the simulated network =="
"$build/tools/znscan-cli/znscan-cli" scan --wait 1500 --quiet

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== Opening the window (close it to end the demo) =="
    "$build/src/app/znscan"
fi
