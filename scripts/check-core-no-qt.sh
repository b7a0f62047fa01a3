#!/bin/sh
# Fails when a source of the core includes a Qt header: the core must build and
# be tested without a window system.
src=${1:-src}
found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]|qt)' \
  "$src/document" "$src/editing" "$src/reconstruct" "$src/export" "$src/imaging" "$src/text" "$src/io" "$src/host" "$src/settings" "$src/platform" "$src/shell" "$src/layout" "$src/textview" "$src/pageview" "$src/interchange" 2>/dev/null)
if [ -n "$found" ]; then
  echo "Qt include in the core:"
  echo "$found"
  exit 1
fi
echo "core is free of Qt includes"
