# Runs a test program (the arguments) on an X server of its own, for tests
# that type through the server: on the one a test run shares, the windows
# and popups of other tests would take their keys.
set -u
work=$(mktemp -d)
. "$(dirname "$0")/own_display.sh"
trap end_test EXIT
start_own_display || exit 1
"$@"
