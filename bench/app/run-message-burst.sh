#!/usr/bin/env bash
# Runs the message burst benchmark inside a private network namespace (the
# window's scan engine binds the controller port), once per batch size.
#   bench/app/run-message-burst.sh [BUILD_DIR] [BATCHES] [LINES] [OPTIONS...]
#   e.g. build/default 1,100,1000 100000 --size 1400x900 --dock-height 600
# The debug output of the lines goes to /dev/null.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
batches=${2:-1,100,1000}
lines=${3:-100000}
shift $(($# < 3 ? $# : 3))
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
exec "$root/tools/netns/znnet-run" --segments 1 -- bash -c '
    status=0
    for batch in ${2//,/ }; do
        "$1/bench/app/bench_message_burst" --lines "$3" --batch "$batch" "${@:4}" 2>/dev/null || status=$?
        echo
    done
    exit $status' bench "$build" "$batches" "$lines" "$@"
