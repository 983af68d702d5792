#!/bin/sh
# Qt WebEngine stays out of the program, which loads it with its plugin
# when it first needs a web page: the plugin links it, the program does not.
#   web_engine_apart_test.sh PROGRAM PLUGIN
set -eu
fail() { echo "$1"; exit 1; }
ldd "$2" | grep -q 'libQt6WebEngineCore' || fail "the plugin does not link Qt WebEngine: $2"
if ldd "$1" | grep 'libQt6WebEngine'; then fail "the program links Qt WebEngine: $1"; fi
echo "Qt WebEngine comes with $2 alone"
