#!/usr/bin/env bash
# Builds Tesmiro and starts it; arguments are passed on (a project file to
# open). It needs a display: on a machine without one, run it as
#   xvfb-run -a bash scripts/run.sh [project.tsm]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "tesmiro: no display (DISPLAY is not set); run it as: xvfb-run -a bash scripts/run.sh $*" >&2
  exit 2
fi

bash scripts/install-deps.sh

build="$root/build-release"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESMIRO_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target tesmiro
exec "$build/src/app/tesmiro" "$@"
