#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a while, each from a scratch copy of its
# seed corpus (fuzz/corpus/<target>/), so the repository is never modified.
#
#   scripts/fuzz.sh BUILD_DIR [SECONDS] [TARGET...]
#
# SECONDS per target (default 60). FUZZ_JOBS targets run at once (default 1).
# FUZZ_KEEP=DIR keeps the grown corpora, the logs and any finding in DIR (default: a
# temporary folder, removed unless something was found). Exits 1 when any target finds
# something (a crash, a violated property, a leak, a timeout or running out of memory);
# the input is kept and named in the output.
set -euo pipefail

usage() {
  echo "usage: scripts/fuzz.sh BUILD_DIR [SECONDS] [TARGET...]" >&2
  exit 2
}
[ $# -ge 1 ] || usage
build_dir=$(cd "$1" && pwd)
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : 1 ))
[[ "$seconds" =~ ^[0-9]+$ ]] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${FUZZ_JOBS:-1}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in "$root"/fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
fi

if [ -n "${FUZZ_KEEP:-}" ]; then
  work=$FUZZ_KEEP
  mkdir -p "$work"
  keep=1
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/kalvoren-fuzz.XXXXXX")
  keep=0
fi
# Files the readers under test write go to memory when the system offers it.
scratch_base=/dev/shm
[ -d "$scratch_base" ] && [ -w "$scratch_base" ] || scratch_base=$work
scratch=$(mktemp -d "$scratch_base/kalvoren-fuzz-scratch.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

run_target() {
  local name=$1
  local binary="$build_dir/fuzz/fuzz_$name"
  local corpus="$work/corpus/$name"
  local log="$work/$name.log"
  if [ ! -x "$binary" ]; then
    echo "fuzz_$name: not built in $build_dir" >&2
    return 1
  fi
  mkdir -p "$corpus" "$work/findings"
  cp -R "$root/fuzz/corpus/$name/." "$corpus/"
  local start=$SECONDS
  local status=0
  KALVOREN_FUZZ_SCRATCH="$scratch" \
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:allocator_may_return_null=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$binary" "$corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/findings/$name-" \
    >"$log" 2>&1 || status=$?
  local files
  files=$(find "$corpus" -type f | wc -l)
  local runs units
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  # libFuzzer's own count of the inputs that add coverage, and their size.
  units=$(grep -o 'corp: [0-9]*/[0-9.]*[a-zA-Z]*' "$log" | tail -1 | sed 's/corp: //')
  if [ $status -ne 0 ]; then
    echo "fuzz_$name: FOUND SOMETHING after $((SECONDS - start)) s (exit $status); log: $log"
    grep -E "^(property violated|SUMMARY|==[0-9]+==ERROR|x = )|Test unit written" "$log" |
      head -8 | sed 's/^/    /'
    return 1
  fi
  echo "fuzz_$name: nothing found in $((SECONDS - start)) s, ${runs:-?} runs," \
    "corpus ${units:-?} (inputs/bytes), $files files"
}

failed=0
running=0
for name in "${targets[@]}"; do
  run_target "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done

if [ $failed -ne 0 ]; then
  echo "fuzzing found something: inputs and logs are in $work" >&2
  exit 1
fi
[ $keep -eq 1 ] && echo "corpora and logs kept in $work" || rm -rf "$work"
