#!/usr/bin/env bash
# Screenshots of the configuration dialog over a controller's full registry,
# reached as an operator reaches it: Scan, the first device, Device Settings.
# Runs inside the private network of tools/netns/znnet-run under an X server:
#   tools/netns/znnet-run --segments 1 -- xvfb-run -a -s '-screen 0 1400x900x24' \
#       scripts/shot-device-settings.sh build/default /tmp/shots
# Needs xdotool and ImageMagick's import. Writes device-settings.png and
# device-settings-dump.png into the output directory.
set -euo pipefail
build=${1:?build directory}
out=${2:?output directory}
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"

"$here/tools/netns/znnet-exec" 1 "$build/tools/znsim/znsim" --count 1 --seed 7 --spread 50 --duration 120000 \
    > /dev/null 2>&1 &
sim=$!
"$build/src/app/znscan" > /dev/null 2>&1 &
app=$!
trap 'kill $app $sim 2>/dev/null || true' EXIT

# Without a window manager the window sits at the top left corner.
window=$(timeout 10 xdotool search --sync --name '^Zentra Network Scan$' | head -n 1)
xdotool windowfocus --sync "$window"
sleep 1
# Scanner menu: Scan; then a click on the first row, and Scanner menu:
# Device Settings (the sixth entry).
xdotool key --delay 150 alt+s Return
sleep 2
xdotool mousemove --window "$window" 120 55 click 1
xdotool key --delay 150 alt+s Down Down Down Down Down Return
timeout 10 xdotool search --sync --name '^Device Configuration$' > /dev/null
sleep 1
import -window root "$out/device-settings.png"
# The dump window, from the tree's context menu (its last entry).
xdotool key --delay 150 Down Menu Up Return
sleep 1
import -window root "$out/device-settings-dump.png"
