#!/usr/bin/env bash
# Writes the seed corpus of fuzz_lineeditor (input layout in fuzz_lineeditor.cpp).
#   fuzz/terminal/make-lineeditor-corpus.sh   (rewrites corpus/fuzz_lineeditor/)
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/fuzz_lineeditor
mkdir -p "$out"

# Operations: kind 0 keys, 1 host output, 2 history load (each followed by
# its bytes; in the checked mode token numbers), 3 trigger.
op() { # kind token-or-byte...
    local kind=$1
    shift
    printf '%02x' $((kind << 6 | ($# - 1)))
    printf '%02x' "$@"
}
trigger=c0
# Key tokens: a b c x space 0-5; Ctrl-A B C D E F 6-11; backspace 12; Ctrl-K L 13-14; Enter 15;
# Ctrl-N P U 16-18; newest 19; Ctrl-X Y 20-21; DEL 22; ESC 23; "ESC [" 24; up down right left 26-29;
# home end 30-31; page up, page down, insert, delete 32-35; the alphabet 42.
# Host tokens: text 0, y 1, CR LF 2, LF 3, CR 4, SUB 5, ESC 9, "ESC [" 14, bold red 15, reset 16,
# CSI 5 A 22, ESC c 31, OSC cut 36, UTF-8 lead 39 and continuation 40, wrapping line 54.
seed() { # name flags capacity-2 cols-10 rows-3 operations...
    local name=$1 header
    header=$(printf '%02x' "$2" "$3" "$4" "$5")
    shift 5
    printf '%s' "$header" "$@" | xxd -r -p >"$out/$name"
}

seed typing-and-moves 1 88 10 3 $trigger "$(op 0 0 1 2 29 29 3 34 3 31 4 42 30 7 11 9 35 12 22 10)"
seed kill-and-yank 1 88 10 3 $trigger "$(op 0 42 30 28 28 13 6 21 21 18 21 31 12)" "$(op 0 15)"
seed history 1 88 10 3 "$(op 2 111 110 101 0 116 119 111 0 116 119 111 0 0 120)" $trigger \
    "$(op 0 26 26 32 33 27 17 16 19 15)" $trigger "$(op 0 0 15 0 15 26 15)"
seed host-around-prompt 3 60 30 5 $trigger "$(op 0 42 29 29)" "$(op 1 0 15 9)" "$(op 1 14 3 2 0 16 5)" \
    "$(op 1 39)" "$(op 1 40 2 36 5)" "$(op 0 0 1)" "$(op 1 22 3 54 1 5)" "$(op 0 14 0)" "$(op 1 31 5)"
seed wrap-at-the-edge 1 60 0 2 $trigger "$(op 0 0 0 0 0 0 0 0 0 1 1 29 12 28 0)" "$(op 0 42 31 12 12 30)"
seed abandon-and-inactive 1 20 10 3 $trigger "$(op 0 0 1 23 2)" "$(op 0 0 8)" "$(op 1 0 5)" "$(op 0 24 0)" c1
seed one-byte-line 1 0 10 3 $trigger "$(op 0 0 1 42 21 12 21)"
seed raw-bytes 0 30 10 3 c0 "$(op 0 97 27 91 68 27 79 67 200 8 127 13)" "$(op 1 27 91 51 49 109 26)" \
    "$(op 2 97 0 0 98 0 98)" c1 "$(op 0 27 91 91 65 27 91 49 50 51 52 53 54 55 56 57 48 49 50 126)"
