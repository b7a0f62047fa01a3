#!/usr/bin/env bash
# Japanese input through a real input method: on a private X display (Xvfb) with
# a private session bus, ibus runs the Anthy engine; the editor (QT_IM_MODULE=ibus)
# gets a reading typed in a vertical column, converts it and commits it. The
# composition must be drawn at the caret and not be inserted, the converted text
# must go in exactly once, and one Ctrl+Z must take it out again.
#
#   scripts/ime-check.sh [--build DIR] [--shots DIR]
#
# Exit status 77: no Xvfb, xdotool, ibus or Anthy here (the check is skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
shots=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --shots) shots=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--shots DIR]" >&2; exit 2 ;;
  esac
done
for tool in Xvfb xdotool import ibus-daemon dbus-daemon; do
  command -v "$tool" > /dev/null || { echo "ime-check: $tool is missing: skipped"; exit 77; }
done
[ -f /usr/share/ibus/component/anthy.xml ] || { echo "ime-check: no Anthy engine: skipped"; exit 77; }
editor=$(realpath "$build/lexova-editor")
[ -z "$shots" ] || mkdir -p "$shots"

work=$(mktemp -d)
xvfb=""
bus_pid=""
editor_pid=""
cleanup() {
  [ -z "$editor_pid" ] || kill -9 "$editor_pid" 2> /dev/null || true
  ibus exit > /dev/null 2>&1 || true
  [ -z "$bus_pid" ] || kill "$bus_pid" 2> /dev/null || true
  [ -z "$xvfb" ] || { kill "$xvfb" 2> /dev/null || true; wait "$xvfb" 2> /dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "ime-check: FAILED: $*" >&2
  [ -z "$shots" ] || import -window root "$shots/ime-failure.png" 2> /dev/null || true
  exit 1
}
step() { echo "ime-check: $*"; }

. scripts/lib/xvfb.sh
start_display || { echo "no X display could be started" >&2; exit 1; }
mkdir -p "$work/config" "$work/data" "$work/cache" "$work/run" "$work/docs"
chmod 700 "$work/run"
cp -r samples/rashomon.xml samples/rashomon "$work/docs/"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
  XDG_RUNTIME_DIR="$work/run"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
bus_pid=$(dbus-daemon --session --fork --address="$DBUS_SESSION_BUS_ADDRESS" --print-pid)
# The engine is a Python program of the system's Python.
PATH=/usr/bin:/bin:$PATH ibus-daemon --daemonize --replace --panel=disable --cache=none
for _ in $(seq 100); do
  ibus engine anthy > /dev/null 2>&1 && break
  sleep 0.1
done
[ "$(ibus engine 2> /dev/null)" = anthy ] || fail "ibus did not take the Anthy engine"

# How many characters of the saved work file are the character $1.
occurrences() {
  iconv -f SHIFT_JIS -t UTF-8 "$work/docs/rashomon.xml" | grep -o "<result[^>]*>$1</result>" | wc -l
}
counts() {
  local c out=""
  for c in "$@"; do out+="$(occurrences "$c") "; done
  echo "$out"
}
keys() {
  xdotool key --delay 80 "$@"
  sleep 0.5
}
shot() {
  [ -z "$shots" ] || import -window root "$shots/$1.png"
}

step "type a reading in a vertical column, convert it, commit it"
(exec env QT_IM_MODULE=ibus QT_QPA_PLATFORM=xcb "$editor" "$work/docs/rashomon.xml") &
editor_pid=$!
window=""
for _ in $(seq 150); do
  window=$(xdotool search --name "rashomon.xml" 2> /dev/null | head -1 || true)
  [ -z "$window" ] || break
  sleep 0.1
done
[ -n "$window" ] || fail "the editor's window did not come"
sleep 0.5
xdotool windowfocus --sync "$window" 2> /dev/null || true
# Saved once as opened (opening may change the file: small kana, ruby), counted.
keys ctrl+s
before=$(counts 羅 生 門)
reading=$(counts ら し ょ う も ん r a)
# The caret starts on the title (horizontal); Down goes on to the body's first
# column (vertical). Ctrl+J turns Anthy's kana input on.
keys Down ctrl+j
xdotool type --delay 100 rasyoumonn
sleep 0.8
shot 19-ime-reading-at-the-caret
keys space
shot 20-ime-converted
keys Return ctrl+s
expected=$(for n in $before; do printf '%s ' $((n + 1)); done)
[ "$(counts 羅 生 門)" = "$expected" ] || fail "the converted text is not in the file once: $(counts 羅 生 門)(was $before)"
[ "$(counts ら し ょ う も ん r a)" = "$reading" ] || fail "the reading or its keys went into the file: $(counts ら し ょ う も ん r a)(was $reading)"

step "one Ctrl+Z takes it out"
keys ctrl+j ctrl+z ctrl+s
[ "$(counts 羅 生 門)" = "$before" ] || fail "Ctrl+Z left the converted text in the file"
kill "$editor_pid" 2> /dev/null || true
wait "$editor_pid" 2> /dev/null || true
editor_pid=""
step "passed"
