#!/bin/sh
# Starts the real program as a user would, with a project argument, on a
# real (virtual) display, and checks after a few seconds that it still runs
# and shows the project's window. A picture of the window is kept. With
# TESMIRO_SMOKE_WEB_ENGINE=loaded the program must have loaded its web engine
# plugin by then (it starts the player ahead of the first preview), with
# "absent" it must not have (the plugin is missing).
#   smoke_test.sh TESMIRO GRAB_WINDOW MAKE_PROJECT OUT_DIR
# The program gets a display of its own (own_display.sh says why).
set -eu
tesmiro=$1 grab=$2 make_project=$3 out=$4
. "$(dirname "$0")/own_display.sh"

work=$(mktemp -d)
trap end_test EXIT
start_own_display
# A first start: no settings, no backup, and a TMPDIR that names no folder.
use_own_folders "$work/gone"
mkdir -p "$work/my projects"
"$make_project" "$work/my projects/smoke.tsm" 8 >/dev/null

"$tesmiro" "$work/my projects/smoke.tsm" >"$work/tesmiro.log" 2>&1 &
pid=$!
pids=$pid
id=$(window_of "[ smoke.tsm ] - Tesmiro" "$pid")
# Still there a few seconds later, not stuck in a question.
sleep 3
kill -0 "$pid" 2>/dev/null || { echo "tesmiro ended:"; cat "$work/tesmiro.log"; exit 1; }
case "${TESMIRO_SMOKE_WEB_ENGINE:-}" in
  loaded)
    # On a busy machine the player may start some seconds after the window.
    for _ in $(seq 1 60); do
      grep -q 'tesmiro-web-engine.so' "/proc/$pid/maps" && break
      sleep 0.5
    done
    grep -q 'tesmiro-web-engine.so' "/proc/$pid/maps" || { echo "the player was not started ahead"; exit 1; } ;;
  absent) if grep -q 'libQt6WebEngine' "/proc/$pid/maps"; then echo "Qt WebEngine was loaded"; exit 1; fi ;;
esac
mkdir -p "$out"
"$grab" "$id" "$out/smoke-main-window.png"
echo "window $id kept in $out/smoke-main-window.png"
