#!/usr/bin/env bash
# Installs what is missing, builds Orbivane optimised and starts it; arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/release" --target orbivane
exec "$root/build/release/app/orbivane" "$@"
