#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each over its
# committed corpus.
#   scripts/fuzz.sh              replay every corpus once (no new inputs)
#   scripts/fuzz.sh SECONDS      fuzz each target for SECONDS; new inputs go to
#                                build/fuzz/new-corpus/<target>, findings to
#                                build/fuzz/findings/<target>
#   scripts/fuzz.sh merge        add to each committed corpus the inputs of
#                                build/fuzz/new-corpus/<target> that reach
#                                something new (libFuzzer -merge=1)
# Exit status: 0 when no target crashed, timed out or leaked.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-0}
merge=0
if [ "$seconds" = merge ]; then
    merge=1 seconds=0
fi
[[ $seconds =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS | merge]" >&2; exit 2; }
# Undefined behaviour is a finding like a crash (the sanitizer would go on).
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target fuzzers

failed=()
for corpus in fuzz/*/corpus/*/; do
    corpus=${corpus%/}
    target=$(basename "$corpus")
    area=$(basename "$(dirname "$(dirname "$corpus")")")
    binary=build/fuzz/fuzz/$area/$target
    [ -x "$binary" ] || { echo "no fuzz target $binary for $corpus" >&2; failed+=("$target"); continue; }
    if [ "$merge" -eq 1 ]; then
        args=(-merge=1 "$corpus" "build/fuzz/new-corpus/$target")
        mkdir -p "build/fuzz/new-corpus/$target"
    elif [ "$seconds" -eq 0 ]; then
        args=(-runs=0 "$corpus")
    else
        fresh=build/fuzz/new-corpus/$target findings=build/fuzz/findings/$target
        mkdir -p "$fresh" "$findings"
        args=(-max_total_time="$seconds" -artifact_prefix="$findings/" -print_final_stats=1 "$fresh" "$corpus")
    fi
    echo "== $target"
    # Per-input limits: a slow input is a finding, like a crash.
    if ! "$binary" -timeout=10 -rss_limit_mb=2048 "${args[@]}" 2>"build/fuzz/$target.log"; then
        tail -n 30 "build/fuzz/$target.log" >&2
        failed+=("$target")
    fi
    grep -E "^(stat::(number_of_executed_units|average_exec_per_sec|new_units_added)|MERGE-OUTER: [0-9]+ new files|Done)" \
        "build/fuzz/$target.log" || true
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz targets with findings: ${failed[*]}" >&2
    exit 1
fi
echo "all fuzz targets clean"
