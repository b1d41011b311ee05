#!/usr/bin/env bash
# Takes the README's screenshot: the screen end-to-end test starts the program on a private Xvfb,
# turns TV on with the control bar's TV button and writes the main window with both control bars
# to the PNG file given (by default docs/main-window.png).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/main-window.png}")
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" --target test_app_screen
ORBIVANE_SCREENSHOT="$out" "$root/build/release/tests/app/test_app_screen"
echo "Wrote $out"
