#!/usr/bin/env bash
# `make run`: the desktop program on the bundled example when a display is present,
# otherwise the batch tool on it with a short summary.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
example="$root/examples/example.pyx"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/app/kalvoren" ]; then
  exec "$build/app/kalvoren" "$example"
fi

out="$build/example-results.tsv"
plot="$build/example-plot-data"
mkdir -p "$plot"
"$build/cli/kalvoren-calc" --plot-data "$plot" -o "$out" "$example"

echo
echo "Kalvoren: $(basename "$example") ($(($(wc -l <"$out") - 1)) analyses)"
# Columns (from 1): 1 sample, 20 total, 23 Si (T), 49-51 Wo En Fs, 126 group, 127 name,
# 115 PNU98-BA, 121 TBM85/86-Cpx, 199 TBM85/86-Opx-Cpx.
awk -F'\t' 'NR == 1 {
    printf "%-24s %7s %7s %6s %6s %6s  %-20s %-16s %8s %6s %6s\n", "Sample", "Total", "Si(T)",
           "Wo", "En", "Fs", "Group", "Name", "P-BA", "T-BM", "T-2px"
    next }
  { printf "%-24.24s %7s %7s %6s %6s %6s  %-20.20s %-16.16s %8s %6s %6s\n", $1, $20, $23, $49,
           $50, $51, $126, $127, $115, $121, $199 }' "$out"
echo
echo "All 211 result columns: $out"
echo "Diagram data files:     $plot/"
