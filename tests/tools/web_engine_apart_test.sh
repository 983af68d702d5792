#!/bin/sh
# Qt WebEngine and Qt Multimedia stay out of the program, which loads each
# with its plugin when it first needs it (a web page, a sound): the plugins
# link them, the program does not, nor the audio system under Multimedia.
#   web_engine_apart_test.sh PROGRAM WEB_ENGINE_PLUGIN SOUND_PLUGIN
set -eu
fail() { echo "$1"; exit 1; }
ldd "$2" | grep -q 'libQt6WebEngineCore' || fail "the plugin does not link Qt WebEngine: $2"
ldd "$3" | grep -q 'libQt6Multimedia' || fail "the plugin does not link Qt Multimedia: $3"
if ldd "$1" | grep 'libQt6WebEngine'; then fail "the program links Qt WebEngine: $1"; fi
if ldd "$1" | grep -i -E 'multimedia|pulse'; then fail "the program links Qt Multimedia: $1"; fi
echo "Qt WebEngine comes with $2 alone, Qt Multimedia with $3 alone"
