#!/usr/bin/env bash
# Fault injection: applies each fault of a list, one at a time, to a scratch
# copy of a project tree, rebuilds it (preset "ci"), runs the whole test suite
# and prints which tests caught the fault. Use it to show that a changed test
# suite still catches every fault the old one caught.
#
#   scripts/fault-check.sh [-n] [-t TREE] [-s SCRATCH] [-f FAULTS] [-j JOBS] [ID ...]
#
#   -n       only check that every fault's original text occurs once in TREE.
#   TREE     the project tree to check (default: the one holding this script).
#            Its tracked and untracked, not ignored files are copied, so
#            uncommitted changes count; no file of TREE is changed.
#   SCRATCH  where the copy and its own build/ci directory live (default:
#            TREE/build/fault-check, which git ignores). Kept between runs: a
#            rerun copies and rebuilds only what changed.
#   FAULTS   the fault list (default: faults.txt beside this script), so the
#            same faults can be applied to another tree.
#   JOBS     parallel build and test jobs (default 2).
#   ID ...   only these faults (default: all).
#   TEST_TIMEOUT (environment) seconds per test, default 300.
#
# The table goes to standard output, progress to standard error, each test
# run's log to SCRATCH/logs. The unchanged copy is built and tested first and
# must pass. A test that fails is run once more: only a test that fails twice
# counts, so a test that is merely slow on a busy machine does not. Network
# tests run inside the harness' private namespaces, as in every ctest run.
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true # "&" in C++ code is no pattern

here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$here/.." && pwd)
scratch=""
faults="$here/faults.txt"
jobs=2
check_only=""
while getopts "nt:s:f:j:" option; do
    case $option in
    n) check_only=1 ;;
    t) tree=$(cd "$OPTARG" && pwd) ;;
    s) scratch=$OPTARG ;;
    f) faults=$OPTARG ;;
    j) jobs=$OPTARG ;;
    *) sed -n '2,/^set -e/{/^#/p}' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

say() { echo "fault-check: $*" >&2; }
die() { say "$*"; exit 1; }

# --- The fault list -------------------------------------------------------
# Blocks separated by blank lines; "#" starts a comment line:
#   id: NAME
#   file: PATH (inside the tree)
#   what: one-line description
#   - original line     (one or more; the exact text, which must occur once)
#   + replacement line  (none or more)
# The text of a "- " or "+ " line starts after that two-character prefix; a
# bare "-" or "+" is an empty line.
ids=() files=() whats=() froms=() tos=()
add_fault() {
    [ -n "$id$file$what$from$to" ] || return 0
    from=${from#$'\n'} to=${to#$'\n'}
    [ -n "$id" ] && [ -n "$file" ] && [ -n "$what" ] && [ -n "$from" ] \
        || die "$faults: fault '${id:-?}' needs id, file, what and a non-empty original text"
    for known in "${ids[@]}"; do [ "$known" != "$id" ] || die "$faults: fault '$id' listed twice"; done
    ids+=("$id") files+=("$file") whats+=("$what") froms+=("$from") tos+=("$to")
    id="" file="" what="" from="" to=""
}
id="" file="" what="" from="" to=""
while IFS= read -r line || [ -n "$line" ]; do
    case $line in
    "") add_fault ;;
    "#"*) ;;
    "id: "*) id=${line#id: } ;;
    "file: "*) file=${line#file: } ;;
    "what: "*) what=${line#what: } ;;
    "- "* | "-") from+=$'\n'${line:2} ;;
    "+ "* | "+") to+=$'\n'${line:2} ;;
    *) die "$faults: cannot read line: $line" ;;
    esac
done <"$faults"
add_fault

# How often the text $2 occurs in the file $1.
occurrences() {
    local rest count=0
    rest=$(cat "$1"; printf x)
    rest=${rest%x}
    while [[ $rest == *"$2"* ]]; do
        rest=${rest#*"$2"}
        count=$((count + 1))
    done
    echo "$count"
}

# The faults to apply, as list indexes; each must fit the tree exactly.
[ $# -gt 0 ] || set -- "${ids[@]}"
selected=() problems=""
for id in "$@"; do
    k=""
    for i in "${!ids[@]}"; do [ "${ids[$i]}" != "$id" ] || k=$i; done
    [ -n "$k" ] || die "no fault '$id' in $faults"
    selected+=("$k")
    if [ ! -f "$tree/${files[$k]}" ]; then
        problems+=$'\n'"  $id: no file ${files[$k]}"
    elif n=$(occurrences "$tree/${files[$k]}" "${froms[$k]}") && [ "$n" -ne 1 ]; then
        problems+=$'\n'"  $id: the original text occurs $n times in ${files[$k]}, not once"
    fi
done
[ -z "$problems" ] || die "faults that do not fit $tree:$problems"
if [ -n "$check_only" ]; then
    say "all ${#selected[@]} faults fit $tree"
    exit 0
fi

# --- The scratch copy -----------------------------------------------------
scratch=${scratch:-$tree/build/fault-check}
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
copy="$scratch/src"
build="$copy/build/ci"
logs="$scratch/logs"
timeout=${TEST_TIMEOUT:-300}
# ccache without the directory in its key: copies of different trees share
# the objects of the files they have in common.
export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work} CCACHE_NOHASHDIR=1

# Files are copied only when their content differs, so that the build sees
# new times only on files that changed (a fault's file is restored the same way).
sync_copy() {
    mkdir -p "$copy"
    local list="$scratch/files.txt"
    git -C "$tree" ls-files --cached --others --exclude-standard | sort >"$list"
    while IFS= read -r f; do
        [ -e "$tree/$f" ] || continue # deleted, not yet committed
        if ! cmp -s "$tree/$f" "$copy/$f"; then
            mkdir -p "$(dirname "$copy/$f")"
            cp -P "$tree/$f" "$copy/$f"
        fi
    done <"$list"
    # Files the tree no longer has go from the copy (its build directory stays).
    (cd "$copy" && find . -path ./build -prune -o \( -type f -o -type l \) -print | sed 's|^\./||' | sort) \
        | comm -23 - "$list" | while IFS= read -r f; do rm -f "$copy/$f"; done
}

# --- Building and testing -------------------------------------------------
build_copy() {
    (cd "$copy" && cmake --build --preset ci -j "$jobs") >"$1" 2>&1
}

# Runs the suite; prints the tests that failed twice, one per line.
run_tests() {
    local log=$1
    rm -f "$build/Testing/Temporary/LastTestsFailed.log"
    (cd "$copy" && ctest --preset ci -j "$jobs" --timeout "$timeout" --repeat until-pass:2) >"$log" 2>&1 || true
    if [ -f "$build/Testing/Temporary/LastTestsFailed.log" ]; then
        cut -d: -f2- "$build/Testing/Temporary/LastTestsFailed.log"
    fi
    # ctest ends its output with this line only when it ran the tests.
    grep -q '^Total Test time' "$log" || echo "(ctest did not run: see $log)"
}

# --- Applying a fault -----------------------------------------------------
target="" backup="$scratch/original"
restore() {
    if [ -n "$target" ]; then
        cp "$backup" "$target" # a new time, so the next build compiles it again
        target=""
    fi
}
trap restore EXIT

apply_fault() {
    local k=$1 path="$copy/${files[$1]}" content
    content=$(cat "$path"; printf x)
    content=${content%x}
    cp "$path" "$backup"
    target=$path
    printf '%s' "${content/"${froms[$k]}"/"${tos[$k]}"}" >"$path"
}

# --- The run --------------------------------------------------------------
mkdir -p "$logs"
say "copying $tree to $copy"
sync_copy
say "configuring and building the unchanged copy"
(cd "$copy" && cmake --preset ci) >"$logs/configure.log" 2>&1 || die "configure failed: $logs/configure.log"
build_copy "$logs/baseline-build.log" || die "the unchanged copy does not build: $logs/baseline-build.log"
say "testing the unchanged copy"
baseline=$(run_tests "$logs/baseline-tests.log")
[ -z "$baseline" ] || die "the unchanged copy fails tests ($logs/baseline-tests.log):"$'\n'"$baseline"
total=$(grep -oE 'tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/baseline-tests.log" | grep -oE '[0-9]+$')
skipped=$(sed -n '/tests did not run:/,$p' "$logs/baseline-tests.log" | grep -oE ' - [^ ]+ \(Skipped\)' \
    | sed -E 's/ - (.*) \(Skipped\)/\1/' | tr '\n' ' ' || true)

echo "Fault check of $tree ($(git -C "$tree" describe --always --dirty)): $total tests, faults of $faults"
[ -z "$skipped" ] || echo "Skipped by the unchanged copy, so they catch nothing here: $skipped"
echo
echo "| fault | what | failing | tests |"
echo "|---|---|---|---|"
for k in "${selected[@]}"; do
    id=${ids[$k]}
    say "fault $id: ${whats[$k]}"
    apply_fault "$k"
    if build_copy "$logs/$id-build.log"; then
        failed=$(run_tests "$logs/$id-tests.log" | sort)
        count=$(grep -c . <<<"$failed" || true)
        names=$(tr '\n' ' ' <<<"$failed" | sed 's/ $//; s/ /, /g')
    else
        count="build failed" names="see $logs/$id-build.log"
    fi
    restore
    echo "| $id | ${whats[$k]} | $count | $names |"
done
say "rebuilding the unchanged copy"
build_copy "$logs/final-build.log" || die "the restored copy does not build: $logs/final-build.log"
