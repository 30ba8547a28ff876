#!/bin/bash
# Whole velmora-render processes against velmora-render-scalar (the same
# program with the scalar kernels on one thread), run in turns:
#   bench/compare-processes.sh [BUILD_DIR] [ROUNDS] [PATTERN...]
# defaults: build, 5 rounds, patterns 0 and 2; size 44, high resolution.
# Prints each program's best and median wall time, the CPU time of all its
# threads (median), and the best and median ratio of the scalar to the engine.
set -euo pipefail
build=${1:-build}
rounds=${2:-5}
shift 2 2>/dev/null || shift $#
patterns=("$@")
[ ${#patterns[@]} -gt 0 ] || patterns=(0 2)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

run() {  # prints "wall cpu" in seconds
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f "%U %S" -o "$out/time" "$@" --size 44 --hires --quiet -o "$out/picture.bmp"
    end=$(date +%s.%N)
    read -r user sys <"$out/time"
    awk -v s="$start" -v e="$end" -v u="$user" -v k="$sys" 'BEGIN { print e - s, u + k }'
}

stats() {  # best and median of a column of numbers
    sort -g | awk '{v[NR]=$1} END {printf "%.3f %.3f\n", v[1], (NR % 2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'
}

printf "%-7s %-22s %9s %9s %9s\n" pattern program "best s" "median s" "cpu s"
for pattern in "${patterns[@]}"; do
    : >"$out/scalar"
    : >"$out/engine"
    for ((round = 0; round < rounds; round++)); do
        run "$build/bench/velmora-render-scalar" --pattern "$pattern" >>"$out/scalar"
        run "$build/cli/velmora-render" --pattern "$pattern" >>"$out/engine"
    done
    for program in scalar engine; do
        read -r best median < <(cut -d' ' -f1 "$out/$program" | stats)
        read -r _ cpu < <(cut -d' ' -f2 "$out/$program" | stats)
        printf "%-7s %-22s %9s %9s %9s\n" "$pattern" "velmora-render-$program" "$best" "$median" "$cpu"
    done
    read -r low median < <(paste -d' ' "$out/scalar" "$out/engine" | awk '{print $1 / $3}' | stats)
    best=$(paste -d' ' <(cut -d' ' -f1 "$out/scalar" | sort -g) <(cut -d' ' -f1 "$out/engine" | sort -g) |
        awk 'NR == 1 {printf "%.2f", $1 / $2}')
    echo "$pattern       scalar / engine: best times $best; turn by turn median $median, lowest $low"
done
