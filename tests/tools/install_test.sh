#!/bin/sh
# cmake --install puts the program, its resources, the desktop entry and
# the project file type where the desktop finds them.
#   install_test.sh BUILD_DIR
set -eu
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
fail() { echo "$1"; exit 1; }
[ -x "$prefix/bin/tesmiro" ] || fail "no program"
# The web engine plugin in <prefix>/<libdir>/tesmiro, where the program looks.
find "$prefix" -path "$prefix/lib*/tesmiro/tesmiro-web-engine.so" | grep -q . || fail "no web engine plugin"
find "$prefix" -path "$prefix/lib*/tesmiro/tesmiro-sound.so" | grep -q . || fail "no sound plugin"
[ -d "$prefix/share/tesmiro/effect/in" ] || fail "no effect templates"
# The help page, where Help > ヘルプ (F1) and the version dialog's link look
# for it, with the section that link opens and every page and style sheet
# it links to.
help="$prefix/share/tesmiro/help"
[ -f "$help/index.html" ] && [ ! -L "$help/index.html" ] || fail "no help page"
grep -q 'id="about"' "$help/index.html" || fail "the help page has no section about the program"
for link in $(grep -o 'href="[^"#:]*"' "$help/index.html" | sed 's/^href="//; s/"$//'); do
  [ -f "$help/$link" ] || fail "the help page links to $link, which is not installed"
done
desktop="$prefix/share/applications/tesmiro.desktop"
grep -qx 'Exec=tesmiro %f' "$desktop" || fail "desktop entry does not pass the file"
grep -qx 'MimeType=application/x-tesmiro-project;' "$desktop" || fail "desktop entry without the project type"
mime="$prefix/share/mime/packages/tesmiro-project.xml"
grep -q '<mime-type type="application/x-tesmiro-project">' "$mime" || fail "no project type"
grep -q '<glob pattern="\*.tsm"/>' "$mime" || fail "the type does not claim .tsm"
[ -f "$prefix/share/icons/hicolor/scalable/apps/tesmiro.svg" ] || fail "no icon"
echo "installed under $prefix"
