#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
#   scripts/test.sh          warnings as errors (preset "ci")
#   scripts/test.sh --asan   the same under AddressSanitizer + UBSan (preset "asan")
# Tests that send datagrams run inside private network namespaces that the
# harness makes itself; where none can be made they are reported as skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=ci
[ "${1:-}" = "--asan" ] && preset=asan

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
