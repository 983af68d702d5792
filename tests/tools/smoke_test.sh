#!/bin/sh
# Starts the real program as a user would, with a project argument, on a
# real (virtual) display, and checks after a few seconds that it still runs
# and shows the project's window. A picture of the window is kept. With
# TESMIRO_SMOKE_WEB_ENGINE=loaded the program must have loaded its web engine
# plugin by then (it starts the player ahead of the first preview), with
# "absent" it must not have (the plugin is missing).
#   smoke_test.sh TESMIRO GRAB_WINDOW MAKE_PROJECT OUT_DIR
# The program gets a display of its own: the one a test run shares is busy
# with the web players of other tests, and a client that connects while it
# is may be turned away.
set -eu
tesmiro=$1 grab=$2 make_project=$3 out=$4

work=$(mktemp -d)
pid=
xvfb=
cleanup() {
  status=$?
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
# The server picks a free display number itself and writes it once it
# listens, so that two of these started together never pick the same one.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "no display could be started:"; cat "$work/xvfb.log"; exit 1; }
DISPLAY=":$(tr -d '\n' <"$work/display")"
export DISPLAY
unset XAUTHORITY
# It writes its number once it listens; twice a program started then
# could not connect. Wait until the server answers a client too.
for _ in $(seq 1 100); do
  xwininfo -root >/dev/null 2>&1 && break
  sleep 0.1
done
xwininfo -root >/dev/null 2>&1 || { echo "the display server on $DISPLAY does not answer:"; cat "$work/xvfb.log"; exit 1; }
# A first start: no settings, no backup, and a TMPDIR that names no folder.
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data" TMPDIR="$work/gone"
export QT_QPA_PLATFORM=xcb
# No session bus to start: D-Bus would fork the sanitised program for one.
export DBUS_SESSION_BUS_ADDRESS="${DBUS_SESSION_BUS_ADDRESS:-unix:path=/nonexistent/tesmiro-test-bus}"
mkdir -p "$work/my projects"
"$make_project" "$work/my projects/smoke.tsm" 8 >/dev/null

"$tesmiro" "$work/my projects/smoke.tsm" >"$work/tesmiro.log" 2>&1 &
pid=$!
title='"[ smoke.tsm ] - Tesmiro"'
id=
for _ in $(seq 1 60); do
  sleep 0.5
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "tesmiro ended early on $DISPLAY:"; cat "$work/tesmiro.log"
    echo "the display server said:"; cat "$work/xvfb.log"; exit 1
  fi
  id=$(xwininfo -root -tree | grep -F "$title" | awk '{print $1}' | head -n 1)
  [ -n "$id" ] && break
done
if [ -z "$id" ]; then
  echo "no window titled $title; windows:"; xwininfo -root -tree | grep '"' | head -n 20
  cat "$work/tesmiro.log"; exit 1
fi
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
