#!/bin/sh
# The real program asked to end by the system, and killed, on a display of
# its own:
# - SIGTERM while the start-up asks whether to restore the backup (a modal
#   question): it ends, its scratch folder goes and the backup stays;
# - the backup restored (unsaved changes), a preview built, a modal warning
#   of the build open: SIGTERM ends it without a question, its scratch folder
#   with the preview goes, and the changes are in the backup again;
# - a run killed with SIGKILL leaves its scratch folder, which the next
#   start removes; a running program's folder stays, and SIGHUP and SIGTERM
#   end both;
# - asked twice, with an edit unsaved: SIGTERM and then SIGHUP, and the
#   terminal it runs in closed (SIGHUP from the shell, then another from
#   the system once the shell has gone): the edit is in the backup, the
#   scratch folder goes, and the next start offers the backup.
#   end_signals_test.sh TESMIRO MAKE_PROJECT
set -eu
tesmiro=$1 make_project=$2
. "$(dirname "$0")/own_display.sh"
command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/install-deps.sh installs it)"; exit 1; }
command -v script >/dev/null || { echo "script is missing (util-linux)"; exit 1; }

work=$(mktemp -d)
trap end_test EXIT
start_own_display
use_own_folders "$work/tmp"
backup="$work/state/tesmiro/_autobackup.tmp"
mkdir -p "$work/tmp" "$work/state/tesmiro" "$work/config/tesmiro"
# Only the end may write the backup: no timer does.
printf '[Tesmiro]\nAutoBackUpInterval=0\n' >"$work/config/tesmiro/tesmiro.ini"
"$make_project" "$work/p.tsm" 8 --backup "$backup" >/dev/null
cp "$backup" "$work/offered.tmp"

# The scratch folder of the program `$1`, once it has made it.
scratch_of() {
  for _ in $(seq 1 100); do
    for lock in "$work"/tmp/tesmiro-*/.running; do
      [ "$(head -n 1 "$lock" 2>/dev/null)" = "$1" ] && { dirname "$lock"; return 0; }
    done
    sleep 0.2
  done
  fail "program $1 made no scratch folder in $work/tmp"
}
# Ends the program `$2` with signal number `$1`, which must end it as the
# signal would; one that hangs is killed after 30 s (status 137).
end_with() {
  kill "-$1" "$2"
  (sleep 30 && kill -KILL "$2") >/dev/null 2>&1 &
  guard=$!
  code=0
  wait "$2" || code=$?
  kill "$guard" 2>/dev/null || true
  [ "$code" -eq $((128 + $1)) ] || fail "program $2 ended with status $code after signal $1"
}
# Waits up to 30 s until `$1` holds.
wait_for() {
  for _ in $(seq 1 600); do
    eval "$1" && return 0
    sleep 0.05
  done
  fail "this never came: $1"
}
# Whether `$1`, not necessarily a child of ours, still runs.
alive() { [ -e "/proc/$1" ] && [ "$(sed 's/.*) //' "/proc/$1/stat" | cut -c 1)" != Z ]; }
# In the window of the program $pid, once shown, a new folder item named
# "editedbytest", not saved; then many files in its scratch folder,
# $folder: removing them takes the end a while, so that a signal sent once
# the backup is written surely comes before the end is done.
edit_and_crowd() {
  main=$(window_of "[ p.tsm ] - Tesmiro" "$pid")
  folder=$(scratch_of "$pid")
  press_until "$main" ctrl+l 'titled "ファイルのプロパティ"'
  xdotool type --delay 20 editedbytest
  press_until "" Return '! titled "ファイルのプロパティ"'
  titled "[ p.tsm ] - Tesmiro *" || fail "the new item did not change the project"
  mkdir "$folder/crowd" && (cd "$folder/crowd" && seq 1 20000 | xargs touch)
}
# The edit kept and the scratch folder `$1` gone after `$2`.
kept_edit() {
  [ ! -e "$1" ] || fail "the scratch folder $1 stayed after $2"
  [ "$(head -c 6 "$backup" 2>/dev/null)" = TSMBUP ] || fail "no backup after $2"
  grep -aqF editedbytest "$backup" || fail "the edit is not in the backup after $2"
}

# 1. Asked at the start whether to restore the backup.
start
window_of "(新規) - Tesmiro" "$pid" >/dev/null
folder=$(scratch_of "$pid")
sleep 1
end_with 15 "$pid"
[ ! -e "$folder" ] || fail "the scratch folder $folder stayed after SIGTERM"
cmp -s "$backup" "$work/offered.tmp" || fail "the backup offered at the start did not stay as it was"

# 2. The backup restored, a preview of it built, its warning open.
start
window_of "(新規) - Tesmiro" "$pid" >/dev/null
folder=$(scratch_of "$pid")
press_until "" Return 'titled "[ p.tsm ] - Tesmiro *"'
rm "$backup"
main=$(window_of "[ p.tsm ] - Tesmiro *" "$pid")
# The fixture streams a WAV file, which the build warns of.
press_until "$main" F5 '[ -e "$folder/_preview.html" ] && titled "警告"'
end_with 15 "$pid"
[ ! -e "$folder" ] || fail "the scratch folder $folder with the preview stayed after SIGTERM"
[ "$(head -c 6 "$backup" 2>/dev/null)" = TSMBUP ] || fail "the unsaved changes are not in the backup"
grep -aqF "$work/p.tsm" "$backup" || fail "the backup is not that of p.tsm"

# 3. Killed, then started again twice.
start "$work/p.tsm"
killed=$pid
window_of "[ p.tsm ] - Tesmiro" "$killed" >/dev/null
left=$(scratch_of "$killed")
echo "movie" >"$left/_preview.swf"
kill -KILL "$killed"
wait "$killed" 2>/dev/null || true
[ -e "$left/_preview.swf" ] || fail "the killed program's folder is already gone"
start "$work/p.tsm"
first=$pid
kept=$(scratch_of "$first")
[ ! -e "$left" ] || fail "the next start left the killed program's folder $left"
start "$work/p.tsm"
second=$pid
scratch_of "$second" >/dev/null
window_of "[ p.tsm ] - Tesmiro" "$second" >/dev/null
[ -e "$kept/.running" ] || fail "a second start removed the running program's folder $kept"
end_with 1 "$first"
end_with 15 "$second"
[ "$(ls "$work/tmp" | grep -c '^tesmiro-')" -eq 0 ] || fail "scratch folders stayed: $(ls "$work/tmp")"

# 4. SIGTERM, and SIGHUP once the end is under way.
rm -f "$backup"
start "$work/p.tsm"
edit_and_crowd
kill -TERM "$pid"
wait_for '[ -e "$backup" ]'
kill -HUP "$pid"
code=0
wait "$pid" || code=$?
[ "$code" -eq 129 ] || [ "$code" -eq 143 ] || fail "program $pid ended with status $code after SIGTERM and SIGHUP"
kept_edit "$folder" "SIGTERM and SIGHUP"

# 5. The program the foreground job of an interactive shell in a terminal,
# which is closed. The shell passes the hang-up on to its job, then runs
# its exit trap; this one holds the shell, and with it the system's second
# SIGHUP, until the end is under way.
rm -f "$backup"
cat >"$work/bashrc" <<EOF
PS1='\$ '
trap 'for _ in \$(seq 1 600); do [ -e "$backup" ] && break; sleep 0.05; done' EXIT
EOF
cat >"$work/job.sh" <<EOF
echo \$\$ >"$work/job"
exec "$tesmiro" "$work/p.tsm" >>"$work/tesmiro.log" 2>&1
EOF
mkfifo "$work/keys"
exec 3<>"$work/keys"
script -qfc "bash --rcfile $work/bashrc -i" /dev/null <"$work/keys" >"$work/terminal.log" 2>&1 &
terminal=$!
pids="$pids $terminal"
echo "sh $work/job.sh" >&3
wait_for '[ -s "$work/job" ]'
pid=$(cat "$work/job")
pids="$pids $pid"
edit_and_crowd
# The terminal goes, and its side of the pseudo-terminal with it.
kill -KILL "$terminal"
wait_for '! alive "$pid"'
kept_edit "$folder" "the terminal closed"
start
window_of "(新規) - Tesmiro" "$pid" >/dev/null
press_until "" Return 'titled "[ p.tsm ] - Tesmiro *"'
end_with 15 "$pid"
echo "every end left what it should"
