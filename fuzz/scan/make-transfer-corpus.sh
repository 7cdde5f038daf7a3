#!/usr/bin/env bash
# Writes the seed corpus of fuzz_transfer (input layout in fuzz_transfer.cpp).
#   fuzz/scan/make-transfer-corpus.sh   (rewrites fuzz/scan/corpus/fuzz_transfer/)
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/fuzz_transfer
mkdir -p "$out"

seed() { # name hex...
    local name=$1
    shift
    printf '%s' "$@" | tr -d ' ' | xxd -r -p >"$out/$name"
}

load=0000    # download on device 0, the device announces 4096 bytes
load1=1000   # the same on device 1
block=0200   # data block from device 0 where the tool asks, of the length that follows
req=0600     # block request from device 0 for the next offset
le16() { printf '%02x%02x' $(($1 & 255)) $(($1 >> 8)); }

seed download 00 $load "$block 0080" "$block 0080" "$block 0080" "$block 0080" "$block 0080"
seed upload 00 "01 10 $(printf '%0544x' 7)" $req $req $req $req $req $req
seed upload-offsets 00 "01 f0 $(printf 'ab%.0s' $(seq 1 4080))" "0604 ff0f" "0604 0010" "0608 00f0ffff" 060c 0b 00 0a
seed download-out-of-order 00 $load "0208 000a0000 0005" "0208 00050000 0005" "0204 0005" "0208 000f0000 0001" "0200 0005" "0200 0005" "0200 0005"
seed download-one-mebibyte 00 "00 80 ffff0f00" "0200 0005" "0200 0005" "0210 00001000 0005" "0200 ff05" 09 0a
seed download-totals 00 $load "0220 00000000 0100" "0220 01001000 0100" "0230 0100" "02c0" "0200 0000" "0200 0010" 
seed refused-and-timeouts 00 $load 0800 0904 01 08 "$req" 09 0a 0e 4e 6e 0f
seed replaced-and-deleted 00 $load 01 00 "$block 0005" 00 0c "$block 0005" 1c 10 $block 0005
seed shared-mac 01 $load $load1 "$block 0005" 0601 "$block 0005" 0601 0b 1b
seed progress-reactions 00 $load "82 00 $block 0005" "$load" "82 01 $block 0005" "01 00" "86 02 00" "86 03 00" "0000 82 07 $block 0005" "0b"
seed raw-datagrams 00 $load "0d 1a 0006 00025a4e000001 0006 1122 00001000 0006 1121 00000000 0008 0020 41424344" "0d 0c 0007 00025a4e000001 0001 1121" 0d00
