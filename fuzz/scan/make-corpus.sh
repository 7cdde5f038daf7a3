#!/usr/bin/env bash
# Writes the seed corpus of fuzz_datagram: a few valid frames of each kind.
#   fuzz/scan/make-corpus.sh   (rewrites fuzz/scan/corpus/fuzz_datagram/)
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/fuzz_datagram
mkdir -p "$out"

crc8() { # hex bytes -> CRC-8 (reflected 0x8C, start 0xFF) as two hex digits
    local crc=255 byte bit hex=$1
    for ((i = 0; i < ${#hex}; i += 2)); do
        byte=$((16#${hex:i:2}))
        crc=$((crc ^ byte))
        for ((bit = 0; bit < 8; bit++)); do
            if ((crc & 1)); then crc=$(((crc >> 1) ^ 0x8C)); else crc=$((crc >> 1)); fi
        done
    done
    printf '%02X' "$crc"
}

frame() { # name opcode-and-records-hex
    local body=444953434F564552$2
    printf '%s%s' "$body" "$(crc8 "$body")" | xxd -r -p >"$out/$1"
}

mac=00081500025A4E000001
frame discovery-request 0001
frame buzz 0003$mac
frame reset-cold 0000${mac}0003112301
frame upload-request 0005${mac}0006112200001000
frame block-request 0007${mac}0006112100000500
frame data-block 0006${mac}000611220000100000061121000000000006002044495343
frame denied 0008$mac
identity=(
    000E1400C0A80A05FFFFFF00C0A80A01 # address, netmask, gateway
    0006100000000002                 # static address
    0006100500000001                 # development mode
    000611010000002A                 # board
    000803015A4E2D333330             # "ZN-330"
    0008030248616C6C2033             # "Hall 3"
    000611020A0B0C01                 # cpu
    000A18030123456789ABCDEF         # serial
    0006110429B92700                 # made
    0004110504D20004110601FB         # versions S and D
)
frame answer-full "0002$mac$(printf '%s' "${identity[@]}")"
frame answer-minimal 0002$mac
frame answer-unknown-and-truncated 0002${mac}000577770102030006110100000007002011020A0B
frame answer-bad-length 0002${mac}00011101
