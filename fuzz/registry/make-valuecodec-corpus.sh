#!/usr/bin/env bash
# Writes the seed corpus of fuzz_valuecodec (input layout in fuzz_valuecodec.cpp):
# a payload and an edited text of each type.
#   fuzz/registry/make-valuecodec-corpus.sh   (rewrites corpus/fuzz_valuecodec/)
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/fuzz_valuecodec
mkdir -p "$out"

seed() { # type-index flags name payload-hex-or-text
    local bytes
    if (($2 & 2)); then bytes=$(printf '%s' "$4" | xxd -p | tr -d '\n'); else bytes=$4; fi
    printf '%02x%02x01%s' "$1" "$2" "$bytes" | xxd -r -p >"$out/$3"
}

# Types by their index in kCodes; flags: 1 hex, 2 an edited text.
seed 0 0 binary 000102030405060708090a0b0c0d0e0f
seed 0 2 binary-text " 0a1bC"
seed 1 0 int-low-32 01000000ffffffff
seed 1 2 int-hex-text 0x10
seed 2 0 bool 0002
seed 3 0 string 68c3a96c6cf0
seed 4 0 date 00000000
seed 4 2 date-text 1989-12-31
seed 5 0 time 80510100
seed 6 0 datetime-spring-gap 7f2d00001c250000
seed 6 2 datetime-text 2024-10-27T02:30:00
seed 7 0 bits 0180ff
seed 7 2 bits-text "10000000 00000001 0101"
seed 8 0 int64 ffffffffffffff7f
seed 9 0 enum-short 0200
seed 10 1 uint-hex ff000000
seed 10 2 uint-text 4294967295
seed 11 2 ipv4-text 192.168.1.2
seed 12 2 mac-text 02-5a-4e-01-00-01
seed 13 0 ipv6-mapped 00000000000000000000ffffc0a80102
seed 14 3 uint64-text 0xFFFFFFFFFFFFFFFF
seed 15 2 password-text secret
seed 16 0 point-long 00800000ffff0000
seed 17 2 rect-text 640x480-10+-20
seed 17 0 rect-long 0000010000000100feffffffffffffff
seed 18 2 size-text " 800 X 600"
seed 128 0 named-network-mode 02000000
