#!/bin/bash
# Whole velmora-render runs that make several things of one picture, against
# the one file alone, run in turns:
#   bench/drawn-once.sh [BUILD_DIR] [ROUNDS]
# defaults: build, 3 rounds. Reports the median wall time of
#   a PNG file of the 900 x 400 mm desk mat at 300 dpi, alone and with --tracking,
#   a one-page PDF of it, and the same as a poster of A4 pages and of 987 pages of 50 x 50 mm
#   overlapping by 20 mm,
# and the ratio of each second one to the first.
set -euo pipefail
build=${1:-build}
rounds=${2:-3}
render="$build/cli/velmora-render"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mat=(--quiet --mm 900x400 --dpi 300)

seconds() {  # wall time of one run, in seconds
    local start end
    start=$(date +%s.%N)
    "$render" "${mat[@]}" "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}

median() { sort -g | awk '{v[NR]=$1} END {printf "%.3f\n", (NR % 2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }

compare() {  # label, then the two runs' arguments separated by --
    local label=$1 first=() second=() a b
    shift
    while [ "$1" != "--" ]; do first+=("$1"); shift; done
    shift
    second=("$@")
    : >"$out/a"
    : >"$out/b"
    for _ in $(seq "$rounds"); do
        seconds "${first[@]}" >>"$out/a"
        seconds "${second[@]}" >>"$out/b"
    done
    a=$(median <"$out/a")
    b=$(median <"$out/b")
    awk -v l="$label" -v a="$a" -v b="$b" 'BEGIN { printf "%-28s %9.3f s %9.3f s  ratio %.2f\n", l, a, b, b / a }'
}

compare "png / png + tracking" -o "$out/x.png" -- -o "$out/x.png" --tracking
compare "one-page pdf / a4 poster" -o "$out/x.pdf" -- -o "$out/x.pdf" --paper A4
compare "one-page pdf / 987 pages" -o "$out/x.pdf" -- -o "$out/x.pdf" --paper 50x50 --overlap 20
