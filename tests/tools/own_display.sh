# Sourced by the tests that start the real program on a display of its own:
# the one a test run shares is busy with the web players of other tests,
# and a client that connects while it is may be turned away. The caller
# sets $work (a fresh folder) and lists the programs it starts in $pids.
#   start_own_display   starts Xvfb with its files in $work, exports
#                       DISPLAY and sets $xvfb to its process id
#   window_of TITLE PID the id of PID's window titled TITLE, once it is
#                       shown (fails when PID ends or no such window comes)
#   use_own_folders TMP the program's settings, data and state in $work,
#                       its temporary files in TMP, the X display, no D-Bus
#   end_test            the clean-up at exit: ends the programs, stops the
#                       display server, removes $work; the status stays
#   start ARGS...       starts $tesmiro with ARGS in the background, its
#                       output into $work/tesmiro.log; $pid is its id
#   fail TEXT           says TEXT and what the programs wrote, and exits 1
#   titled TITLE        whether a window titled TITLE is there
#   press_until WINDOW KEY CONDITION
#                       presses KEY (WINDOW focused first, unless empty)
#                       until the shell CONDITION holds, else fails
#                       (xdotool)
xvfb=
pids=

use_own_folders() {
  export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data" TMPDIR="$1"
  export QT_QPA_PLATFORM=xcb
  # No session bus to start: D-Bus would fork the sanitised program for one.
  export DBUS_SESSION_BUS_ADDRESS="${DBUS_SESSION_BUS_ADDRESS:-unix:path=/nonexistent/tesmiro-test-bus}"
}

end_test() {
  status=$?
  for p in $pids; do
    kill "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}

start_own_display() {
  # The server picks a free display number itself and writes it once it
  # listens, so that two of these started together never pick the same one.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "no display could be started:"; cat "$work/xvfb.log"; return 1; }
  DISPLAY=":$(tr -d '\n' <"$work/display")"
  export DISPLAY
  unset XAUTHORITY
  # It writes its number once it listens; twice a program started then
  # could not connect. Wait until the server answers a client too.
  for _ in $(seq 1 100); do
    xwininfo -root >/dev/null 2>&1 && break
    sleep 0.1
  done
  xwininfo -root >/dev/null 2>&1 || { echo "the display server on $DISPLAY does not answer:"; cat "$work/xvfb.log"; return 1; }
}

window_of() {
  for _ in $(seq 1 60); do
    sleep 0.5
    if ! kill -0 "$2" 2>/dev/null; then
      echo "tesmiro ended early on $DISPLAY:" >&2; cat "$work/tesmiro.log" >&2
      echo "the display server said:" >&2; cat "$work/xvfb.log" >&2; return 1
    fi
    found=$(xwininfo -root -tree | grep -F "\"$1\"" | awk '{print $1}' | head -n 1)
    [ -n "$found" ] && { echo "$found"; return 0; }
  done
  echo "no window titled \"$1\"; windows:" >&2; xwininfo -root -tree | grep '"' | head -n 20 >&2
  cat "$work/tesmiro.log" >&2; return 1
}

start() {
  "$tesmiro" "$@" >>"$work/tesmiro.log" 2>&1 &
  pid=$!
  pids="$pids $pid"
}

fail() { echo "$*"; cat "$work/tesmiro.log"; exit 1; }

titled() { xwininfo -root -tree | grep -qF "\"$1\""; }

press_until() {
  for _ in $(seq 1 10); do
    [ -z "$1" ] || { xdotool windowfocus "$1" 2>/dev/null || true; sleep 0.2; }
    xdotool key "$2"
    for _ in $(seq 1 25); do
      eval "$3" && return 0
      sleep 0.2
    done
  done
  fail "pressing $2 did not bring: $3"
}
