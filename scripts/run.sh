#!/usr/bin/env bash
# Builds Tesmiro and runs its main job. Until the main window lands, that is
# writing a small demonstration movie, out/demo.swf.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh

build="$root/build-release"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESMIRO_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target tesmiro-demo
mkdir -p out
"$build/src/app/tesmiro-demo" out/demo.swf
