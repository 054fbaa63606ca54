#!/usr/bin/env bash
# `make bench`: the row calculation, whole runs, and the batch tool on 10^5 and 10^6 rows.
set -euo pipefail
build=${1:-build}
"$build/bench/calculation_bench" --benchmark_min_time=0.5
"$build/bench/batch_bench"
