#!/usr/bin/env bash
# Builds Tesmiro with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test (C++ units and the independent checks of written movies).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

TESMIRO_WITH_CLANG=1 bash scripts/install-deps.sh

# Compiler warnings are errors in every build below (GCC and clang alike).
# Set TESMIRO_WERROR=OFF in the environment to see them all at once instead.
werror="-DTESMIRO_WERROR=${TESMIRO_WERROR:-ON}"
# A check that cannot run here (node, Ruffle, Chromium, ImageMagick missing)
# is a failure in CI, not a skip.
export TESMIRO_CI=1

build="$root/build-ci"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESMIRO_SANITIZE=ON -DTESMIRO_BENCH=OFF \
  "$werror" >/dev/null
cmake --build "$build" -j "$(nproc)"

# The optimised build users install, with the benchmarks: optimisation brings
# warnings of its own, and they are errors too.
release="$root/build-release-ci"
cmake -S . -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESMIRO_TESTS=OFF -DTESMIRO_BENCH=ON \
  "$werror" >/dev/null
cmake --build "$release" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The web player's engine cannot start its sandbox as root (CI runs as root).
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
# GUI unit tests set QT_QPA_PLATFORM=offscreen themselves; the tests that
# need a real display (the program started as a user starts it, the player
# in its web view) get one from the virtual X server ctest runs under.

# The fuzz targets, each for a bounded time on a copy of its corpus (the
# fuzzer adds what it finds to the folder it runs on).
fuzz="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESMIRO_FUZZ=ON -DTESMIRO_TESTS=OFF \
  "$werror" >/dev/null
cmake --build "$fuzz" -j "$(nproc)" --target script_compiler_fuzz project_reader_fuzz kvg_loader_fuzz image_decoders_fuzz sound_readers_fuzz project_build_fuzz
for target in script_compiler project_reader kvg_loader image_decoders sound_readers project_build; do
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$target/." "$work/"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  echo "fuzzing $target for 60 s"
  set +e
  "$fuzz/fuzz/${target}_fuzz" -max_total_time=60 "${dict[@]}" "$work" >"$work.log" 2>&1
  status=$?
  set -e
  tail -n 3 "$work.log"
  rm -f "$work.log"
  rm -rf "$work"
  [ "$status" -eq 0 ] || { echo "fuzzing $target found a fault"; exit 1; }
done

# Last, so that its summary closes the output. Besides each test alone, every
# test program runs once whole in shuffled order (the tests named *_shuffled;
# Google Test prints the seed, which --gtest_random_seed=N repeats).
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
