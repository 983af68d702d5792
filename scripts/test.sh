#!/usr/bin/env bash
# Builds Tesmiro with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test (C++ units and the independent checks of written movies).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

TESMIRO_WITH_CLANG=1 bash scripts/install-deps.sh

build="$root/build-ci"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESMIRO_SANITIZE=ON -DTESMIRO_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
