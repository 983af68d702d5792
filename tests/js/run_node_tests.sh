#!/bin/sh
# CTest entry for the JavaScript checks: run_node_tests.sh SOURCE_ROOT FILE.test.mjs...
# Exit 77 (skipped) only when the npm tools are not installed; a missing node is a failure.
root=$1
shift
for package in swf-parser avm1-parser @ruffle-rs/ruffle playwright-core; do
  if [ ! -f "$root/node_modules/$package/package.json" ]; then
    echo "skipped: $root/node_modules/$package is missing (run 'npm ci' in $root)"
    exit 77
  fi
done
if ! command -v node >/dev/null 2>&1; then
  echo "node is not installed" >&2
  exit 1
fi
cd "$root" || exit 1
exec node --test "$@"
