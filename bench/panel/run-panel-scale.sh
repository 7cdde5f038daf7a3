#!/usr/bin/env bash
# Runs the panel-scale benchmark inside a private network namespace, on the
# offscreen platform unless QT_QPA_PLATFORM says otherwise.
#   bench/panel/run-panel-scale.sh [BUILD_DIR] [COUNTS [MODES]]    e.g. build/default 1000,5000 window
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
export ZNSIM=$build/tools/znsim/znsim ZNNET_EXEC=$root/tools/netns/znnet-exec
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
exec "$root/tools/netns/znnet-run" --segments 1 -- ${ZN_BENCH_WRAPPER:-} "$build/bench/panel/bench_panel_scale" "${@:2}"
