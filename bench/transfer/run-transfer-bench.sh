#!/usr/bin/env bash
# Runs the configuration transfer benchmark inside a private network namespace.
#   bench/transfer/run-transfer-bench.sh [BUILD_DIR] [RUNS]    e.g. build/default 40
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
export ZNSIM=$build/tools/znsim/znsim ZNNET_EXEC=$root/tools/netns/znnet-exec
exec "$root/tools/netns/znnet-run" --segments 1 -- "$build/bench/transfer/bench_transfer" ${2:+"$2"}
