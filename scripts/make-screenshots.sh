#!/usr/bin/env bash
# Makes the README's screenshots, docs/images/NAME.png: builds the programs
# (preset "default", or the build directory given), then, inside a private
# network with simulated controllers and on a virtual display, opens the
# window, plays steps on it (docs/screenshots/shooter.cpp lists them) and
# saves a picture. Nothing is sent on this machine's real interfaces.
#   scripts/make-screenshots.sh [BUILD_DIR]
# A new picture is one more `shot` line at the end of this file.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$here/build/default}")

if [ "${ZN_NETNS:-}" != 1 ]; then
    cd "$here"
    scripts/install-deps.sh --screenshots
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake --preset default
    fi
    cmake --build "$build" -j "$(nproc)" --target znscan-shooter znsim
    exec tools/netns/znnet-run --segments 1 -- \
        xvfb-run -a -s '-screen 0 1400x900x24' "$here/scripts/make-screenshots.sh" "$build"
fi

# --- Inside the private network, on the virtual display ---------------------
images=$here/docs/images
mkdir -p "$images"
scratch=$(mktemp -d)
# English texts, and settings of their own rather than the user's.
export LANGUAGE=en LC_ALL=C.UTF-8 XDG_CONFIG_HOME=$scratch/config QT_QPA_PLATFORM=xcb
"$ZNNET_EXEC" 1 "$build/tools/znsim/znsim" --count 6 --seed 2026 --spread 300 --duration 0 \
    >"$scratch/znsim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -rf "$scratch"' EXIT
sleep 0.5

# shot NAME STEP...: a fresh window 1000 x 620, the steps, then the picture.
shot() {
    local name=$1
    shift
    # The window's message lines go to standard error too: kept for a failure.
    if ! "$build/docs/screenshots/znscan-shooter" "$scratch/$name.png" size:1000x620 "$@" 2>"$scratch/$name.log"; then
        grep -v '^\[' "$scratch/$name.log" >&2 || true
        echo "make-screenshots: shot $name failed" >&2
        exit 1
    fi
    # Small files: no metadata, 128 colours (no dithering: flat widgets and text).
    convert "$scratch/$name.png" -strip +dither -colors 128 -define png:compression-level=9 "$images/$name.png"
    echo "docs/images/$name.png"
}

# The scanner starts 250 ms after the window; the rows stop flashing 2 s after
# the 3 s scan window.
scan=(wait:500 click:m_pb_scan wait:5500)

shot main-window "${scan[@]}" dock:MessageDock:250 select:2 wait:300
shot device-details "${scan[@]}" select:2 trigger:Details wait:500
shot config-dialog "${scan[@]}" select:2 "trigger:Device Settings" wait:2500
