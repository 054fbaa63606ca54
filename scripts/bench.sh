#!/usr/bin/env bash
# `make bench`: the calculation benchmarks.
set -euo pipefail
build=${1:-build}
"$build/bench/calculation_bench" --benchmark_min_time=0.5
