#!/usr/bin/env bash
# Transfer soak inside a private network namespace:
#   bench/soak/run-soak.sh [BUILD_DIR] [ROUND_TRIPS] [DEVICES] [LOSS] [DUPLICATE] [REORDER]
#   e.g. bench/soak/run-soak.sh build/default 1000 10 20 10 10
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
export ZNSIM=$build/tools/znsim/znsim ZNNET_EXEC=$root/tools/netns/znnet-exec
exec "$root/tools/netns/znnet-run" --segments 1 -- "$build/bench/soak/bench_soak_transfer" \
    "${2:-1000}" "${3:-10}" "${4:-20}" "${5:-10}" "${6:-10}"
