#!/bin/sh
# Two real programs of one user side by side, on a display of their own:
# - the first, alone, with an edit: its backup is "_autobackup.tmp";
# - a third one with an edit is killed and leaves a backup of its own;
# - the second starts while the first runs: it offers only the killed one's
#   backup, and its answer No, its ticks and its quit leave the first's
#   backup as it was (the first is stopped meanwhile, so that nothing
#   rewrites it);
# - the first killed, the next start offers its backup.
#   backup_owners_test.sh TESMIRO MAKE_PROJECT
set -eu
tesmiro=$1 make_project=$2
. "$(dirname "$0")/own_display.sh"
command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/install-deps.sh installs it)"; exit 1; }

work=$(mktemp -d)
first=
# A stopped program would never see end_test's SIGTERM; end_test takes the
# status from $?.
trap 'status=$?; set +e; [ -z "$first" ] || kill -CONT "$first" 2>/dev/null; (exit "$status"); end_test' EXIT
start_own_display
use_own_folders "$work/tmp"
state="$work/state/tesmiro"
mkdir -p "$work/tmp" "$state" "$work/config/tesmiro"
# A tick every 1.2 s.
printf '[Tesmiro]\nAutoBackUpInterval=0.02\n' >"$work/config/tesmiro/tesmiro.ini"
"$make_project" "$work/a.tsm" 8 >/dev/null
"$make_project" "$work/b.tsm" 8 >/dev/null

# Waits until `$1` holds (30 s at most).
until_true() {
  for _ in $(seq 1 150); do
    eval "$1" && return 0
    sleep 0.2
  done
  fail "this never came: $1"
}
# Inserts an action into the project of the window titled `$1`, which marks
# it changed; waits until its ticks have written it to the backup `$2` (the
# project `$3`).
edit() {
  window=$(window_of "$1" "$pid")
  press_until "$window" ctrl+Insert "titled \"$1 *\""
  until_true "grep -aqF \"\$work/$3\" \"$2\" 2>/dev/null"
}
backup_of() { [ "$(head -c 6 "$1" 2>/dev/null)" = TSMBUP ] && grep -aqF "$work/$2" "$1"; }

# 1. The first program, alone, with an edit.
start "$work/a.tsm"
first=$pid
edit "[ a.tsm ] - Tesmiro" "$state/_autobackup.tmp" a.tsm

# 2. Another one with an edit, killed.
start "$work/b.tsm"
killed=$pid
edit "[ b.tsm ] - Tesmiro" "$state/_autobackup-2.tmp" b.tsm
backup_of "$state/_autobackup.tmp" a.tsm || fail "the second program wrote over the first one's backup"
kill -KILL "$killed"
wait "$killed" 2>/dev/null || true

# 3. The second program, the first one stopped (its lock still held).
kill -STOP "$first"
until_true 'grep -q "^State:.*stopped" "/proc/$first/status"'
cp "$state/_autobackup.tmp" "$work/first.tmp"
whole() { cmp -s "$state/_autobackup.tmp" "$work/first.tmp" || fail "after $1 the first program's backup is not as it was"; }
start
second=$pid
window_of "(新規) - Tesmiro" "$second" >/dev/null
whole "the second start"
# The killed one's backup is asked about; No. Declined, it is the second
# program's own and its next tick removes it; a second question (about the
# first program's backup) would hold the ticks back.
press_until "" Escape '[ ! -e "$state/_autobackup-2.tmp" ]'
whole "the answer No and a tick"
# Two more ticks of the unchanged project, each seen removing what stands
# under the second program's name.
for _ in 1 2; do
  echo "tick" >"$state/_autobackup-2.tmp"
  until_true '[ ! -e "$state/_autobackup-2.tmp" ]'
done
whole "the ticks"
# File > Quit: nothing to save, no question.
# The q goes only to an open menu: a menu that opens late must not take a
# second Alt+F, nor the window a stray q.
main=$(window_of "(新規) - Tesmiro" "$second")
shown() { xdotool search --onlyvisible --pid "$second" 2>/dev/null | wc -l; }
for _ in $(seq 1 10); do
  kill -0 "$second" 2>/dev/null || break
  if [ "$(shown)" -le 1 ]; then
    xdotool windowfocus "$main" 2>/dev/null || true
    sleep 0.2
    xdotool key alt+f
  fi
  for _ in $(seq 1 25); do [ "$(shown)" -ge 2 ] && break; sleep 0.2; done
  [ "$(shown)" -ge 2 ] && xdotool key q
  for _ in $(seq 1 25); do kill -0 "$second" 2>/dev/null || break; sleep 0.2; done
done
kill -0 "$second" 2>/dev/null && fail "File > Quit did not end the second program"
code=0
wait "$second" || code=$?
[ "$code" -eq 0 ] || fail "the second program ended with status $code on File > Quit"
whole "the quit"

# 4. The first program killed: the next start offers its backup.
kill -KILL "$first"
kill -CONT "$first" 2>/dev/null || true
wait "$first" 2>/dev/null || true
first=
start
window_of "(新規) - Tesmiro" "$pid" >/dev/null
press_until "" Return 'titled "[ a.tsm ] - Tesmiro *"'
kill -TERM "$pid"
wait "$pid" || true
backup_of "$state/_autobackup.tmp" a.tsm || fail "the restored project's backup is not the first one's"
echo "each program kept to its own backup"
