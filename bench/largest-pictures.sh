#!/bin/bash
# The largest picture (8192 x 5792, high resolution) of every pattern written
# by velmora-render as BMP and as PNG, whole processes, in turns:
#   bench/largest-pictures.sh [ROUNDS] [PROGRAM...]
# defaults: 3 rounds, build/cli/velmora-render. With several programs (an
# older build, say) each one runs in turn for every picture. Prints each
# program's best wall time per pattern and format and the PNG's size.
set -euo pipefail
rounds=${1:-3}
shift || true
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(build/cli/velmora-render)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

best() { sort -g | head -n 1; }

printf "%-40s %-7s %8s %8s %8s %9s\n" program pattern "bmp s" "png s" "png/bmp" "png MB"
for pattern in 0 1 2 3 4 5; do
    for ((round = 0; round < rounds; round++)); do
        for p in "${!programs[@]}"; do
            for format in bmp png; do
                start=$(date +%s.%N)
                "${programs[$p]}" --pattern "$pattern" --size 52 --hires --quiet -o "$out/picture.$format"
                end=$(date +%s.%N)
                awk -v s="$start" -v e="$end" 'BEGIN { print e - s }' >>"$out/$p.$pattern.$format"
                [ "$format" = png ] && stat -c %s "$out/picture.png" >"$out/$p.$pattern.size"
                rm -f "$out/picture.$format"
            done
        done
    done
    for p in "${!programs[@]}"; do
        bmp=$(best <"$out/$p.$pattern.bmp")
        png=$(best <"$out/$p.$pattern.png")
        awk -v name="${programs[$p]}" -v n="$pattern" -v b="$bmp" -v g="$png" -v size="$(cat "$out/$p.$pattern.size")" \
            'BEGIN { printf "%-40s %-7s %8.3f %8.3f %8.2f %9.1f\n", name, n, b, g, g / b, size / 1e6 }'
    done
done
