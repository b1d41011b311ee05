#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer) in
# build/fuzz and runs one of them, or each in turn, for a number of seconds:
#
#     scripts/fuzz.sh TARGET|all SECONDS [libFuzzer options...]
#
# Targets: hive, hardware, desktop_wire, avi, compound_file. Each starts from its seeds in
# fuzz/corpus/TARGET; inputs that reach new code are kept in build/fuzz/corpus/TARGET, and an input
# that fails is written to build/fuzz/crashes/ (the run then fails).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=(hive hardware desktop_wire avi compound_file)
if (( $# < 2 )); then
  echo "usage: scripts/fuzz.sh TARGET|all SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target=$1 seconds=$2
shift 2
if [[ "$target" == all ]]; then
  chosen=("${targets[@]}")
elif [[ " ${targets[*]} " == *" $target "* ]]; then
  chosen=("$target")
else
  echo "fuzz.sh: unknown target $target (${targets[*]})" >&2
  exit 2
fi

build="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORBIVANE_FUZZ=ON -DORBIVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target "${chosen[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/crashes"
for t in "${chosen[@]}"; do
  mkdir -p "$build/corpus/$t"
  echo "fuzzing $t for ${seconds}s"
  log="$build/fuzz_$t.log"
  status=0
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$t-" "$@" "$build/corpus/$t" "$root/fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  grep -E "^stat::number_of_executed_units|^Done" "$log" || true
  if (( status != 0 )); then
    tail -n 60 "$log" >&2
    echo "fuzz_$t failed: the input is in $build/crashes/" >&2
    exit 1
  fi
done
