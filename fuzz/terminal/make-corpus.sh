#!/usr/bin/env bash
# Writes the seed corpus of fuzz_terminal (input layout in fuzz_terminal.cpp).
#   fuzz/terminal/make-corpus.sh   (rewrites fuzz/terminal/corpus/fuzz_terminal/)
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/fuzz_terminal
mkdir -p "$out"

header() { # flags cols-2 rows-2
    printf "\\x$(printf %02x "$1")\\x$(printf %02x "$2")\\x$(printf %02x "$3")"
}

chunk() { # bytes (printf format) -> a bytes operation
    local bytes len
    bytes=$(printf '%b' "$1" | xxd -p | tr -d '\n')
    len=$((${#bytes} / 2 - 1))
    printf "\\x$(printf %02x $((len >> 8)))\\x$(printf %02x $((len & 255)))"
    printf '%s' "$bytes" | xxd -r -p
}

op() { # raw operation bytes in hex
    printf '%s' "$1" | xxd -r -p
}

{
    header 0 78 22
    for i in $(seq 1 40); do chunk "line $i of plain text, long enough to be a typical message\r\n"; done
} >"$out/plain-lines"

{
    header 0 78 22
    for i in $(seq 1 30); do
        chunk "[Scan] \e[33mwarning $i\e[0m\r\n[Scan] \e[31merror $i\e[0m\r\n[Socket] ok\r\n"
    done
} >"$out/coloured-log"

{
    header 0 78 22
    chunk "\e[2J\e[H\e[3;20r\e[5;10Hregion\e[L\e[2M\e[?6h\e[1;1Horigin\e[?6l\e[20;70H\e[K\e[1J"
    chunk "\e[38;5;196m\e[48;5;21mcolour\e[0m\e[4@\e[3P\e[9X\tA\e[3g\eH\e[2I\e[Z\e[r\e7\e[99;99H\e8"
    chunk "\e#6double\e#3top\e#4bottom\e#5\e[?7lno wrap at all here no wrap at all here no wrap at all here\e[?7h"
} >"$out/cursor-addressing"

{
    header 3 38 10
    chunk "\xe2\x94\x80\xc3\xa9\xf0\x9f\x98\x80\x80\xc3A\x9b""5;5H\x9b""31m8-bit\x9b""0m\x84\x85\x88\x8d\x9d""osc\x9c\x90""dcs\x9c"
    op e1410042004300
} >"$out/utf8-eight-bit"

{
    header 0 78 22
    for i in $(seq 1 30); do chunk "history line $i\r\n"; done
    op 8a32140f       # resize to 52 x 22, 15 lines of history
    op a00a0a a01414  # select from (10-16, 10-8) to (20-16, 20-8)
    op a2 a3
    op c005 c1 c2 c30f
    op 8a050a85       # resize to 12 x 7, and try an invalid size
    chunk "after the resize\e[5;5Hmore\e[6n"
    op ff024f         # 4096 x 34
    chunk "wide\r\n\e#8"
    op a2
} >"$out/resize-select-view"

{
    header 16 78 22
    chunk "\e[6n\e[5n\e[c\e[0c\eZ\e[?15n\e G\e[6n\e[c\e F\e[?110h\e[1;3;21q\e[q\e[3 q\a"
} >"$out/replies-echoed"

{
    header 32 255 15 # 4096 x 242
    chunk "text\e[2;241r\e[240;1H\n\eM\e[999L\e[999M\e[4h\e[999@x\e[4l\e[999P\e#8\ec\e#7\e[!p\e[2J\e[!u"
    chunk "\e#8\e[3;1H\e[1K\e[2;241r\e[2;1H\eM\e[L\e[M\e[3g\r\t\e[999I\e[999Z"
} >"$out/largest-screen"

{
    header 64 78 22 # the frame's 10000 lines of history
    for i in $(seq 1 10); do chunk "$(printf 'line %s\\r\\n' $(seq 1 100))"; done
    op c0ff a3
    chunk "\e[1;3r\e[3H\e[999M\ec"
} >"$out/frame-history"

{
    header 0 18 8
    chunk "\e(0lqqk\e(Bx\e)A\x0e#\x0f\eN#\eO\x7f\e*0\e+0\e%G\e%@\e#7"
    chunk "\e#8\ec\e[!p\e[?3h\e[!u\e]0;title\a\e\\\\\eP1;2|x\e\\\\\e[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18m"
    chunk "\e[99999999999999999999A\e[4294967297C\e[3:4m\e[1?h\e[ !p"
} >"$out/charsets-and-resets"
