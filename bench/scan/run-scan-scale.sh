#!/usr/bin/env bash
# Runs the scan-scale benchmark inside a private network namespace.
#   bench/scan/run-scan-scale.sh [BUILD_DIR] [COUNTS]    e.g. build/default 100,1000,5000
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
export ZNSIM=$build/tools/znsim/znsim ZNSCAN_CLI=$build/tools/znscan-cli/znscan-cli
export ZNNET_EXEC=$root/tools/netns/znnet-exec
exec "$root/tools/netns/znnet-run" --segments 1 -- "$build/bench/scan/bench_scan_scale" ${2:+"$2"}
