#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the whole test suite, then each fuzz target briefly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBIVANE_SANITIZE=ON >/dev/null
cmake --build "$root/build/test"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$root/build/test"
ctest --output-on-failure -j "$(nproc)" --timeout 300
# Each fuzz target for a few seconds, from its seeds (scripts/fuzz.sh TARGET SECONDS runs one longer).
bash "$root/scripts/fuzz.sh" all "${ORBIVANE_FUZZ_SECONDS:-4}"
