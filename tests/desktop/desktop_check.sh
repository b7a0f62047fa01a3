#!/usr/bin/env bash
# The desktop integration as installed: `cmake --install` puts the editor, the
# tool, the help, the desktop entry, the icon and the MIME type in place; the
# desktop entry is valid; and the desktop's MIME database tells a work file from
# any other XML file by its content.
#   tests/desktop/desktop_check.sh BUILD_DIR
set -euo pipefail
build=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "desktop check: $*" >&2; exit 1; }

DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr > /dev/null
for f in bin/lexova-editor bin/lexova share/lexova/help/index.html share/lexova/readme.htm \
  share/applications/lexova-editor.desktop share/icons/hicolor/scalable/apps/lexova-editor.svg \
  share/mime/packages/lexova-workfile.xml; do
  [ -f "$tmp/root/usr/$f" ] || fail "not installed: $f"
done
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$tmp/root/usr/share/applications/lexova-editor.desktop" || fail "invalid desktop entry"
fi
xmllint --noout "$tmp/root/usr/share/mime/packages/lexova-workfile.xml" "$tmp/root/usr/share/icons/hicolor/scalable/apps/lexova-editor.svg"

if ! command -v update-mime-database > /dev/null || ! command -v gio > /dev/null; then
  echo "desktop check: no shared-mime-info or gio: MIME detection not checked"
  exit 0
fi
mkdir -p "$tmp/share/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$tmp/root/usr/share/mime/packages/lexova-workfile.xml" \
  "$tmp/share/mime/packages/"
update-mime-database "$tmp/share/mime" > /dev/null 2>&1
printf '<?xml version="1.0"?>\n<paper><page/></paper>\n' > "$tmp/other.xml"
cp "$src/samples/kumono_ito.xml" "$tmp/WORK.XML"
type_of() {
  XDG_DATA_DIRS="$tmp/share" XDG_DATA_HOME="$tmp/none" gio info -a standard::content-type "$1" |
    sed -n 's/.*standard::content-type: //p'
}
[ "$(type_of "$src/samples/rashomon.xml")" = application/x-lexova-workfile ] || fail "a work file is not recognised"
[ "$(type_of "$tmp/WORK.XML")" = application/x-lexova-workfile ] || fail "an upper-case .XML work file is not recognised"
[ "$(type_of "$tmp/other.xml")" = application/xml ] || fail "another XML file was taken for a work file"
echo "desktop check: passed"
