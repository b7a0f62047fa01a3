#!/usr/bin/env bash
# Drives the editor as a person would, on a private X display (Xvfb) with private
# configuration, data and runtime folders: start with the sample, switch the
# layouts, edit, die with kill -9, start again with another file (recovery must
# come first and bring the edits back), hand a file over from a second copy, and
# close normally. Fails when a step does not show what it should, when the editor
# crashes, or when anything is left in /tmp.
#
#   scripts/ui-check.sh [--build DIR] [--shots DIR] [--only-edit | --only-images | --only-settings]
#
# Then a copy of the sample is corrected through the text view and the file
# compared with the same operations run by `lexova edit` (--only-edit: only that),
# and the page image view, the one-line image and the page list are checked on a
# copy with its images (--only-images: only that), and the settings sheet is
# used from the keyboard (--only-settings: only that).
# The editor gets no session bus (nothing may start one behind it) unless $bus names one.
# --shots keeps a screenshot of every step in DIR. Exit status 77: no Xvfb or
# xdotool here (the check is skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
shots=""
only_edit=""
only_images=""
only_settings=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --shots) shots=$2; shift 2 ;;
    --only-edit) only_edit=1; shift ;;
    --only-images) only_images=1; shift ;;
    --only-settings) only_settings=1; shift ;;
    *) echo "usage: $0 [--build DIR] [--shots DIR] [--only-edit | --only-images | --only-settings]" >&2; exit 2 ;;
  esac
done
for tool in Xvfb xdotool import; do
  command -v "$tool" > /dev/null || { echo "ui-check: $tool is missing: skipped"; exit 77; }
done
editor=$(realpath "$build/lexova-editor")
[ -x "$editor" ] || { echo "ui-check: no editor at $editor" >&2; exit 2; }
[ -z "$shots" ] || mkdir -p "$shots"

tmp_before=$(ls -A /tmp | sort)
work=$(mktemp -d)
xvfb=""
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2> /dev/null || true; done
  [ -z "$xvfb" ] || { kill "$xvfb" 2> /dev/null || true; wait "$xvfb" 2> /dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "ui-check: FAILED: $*" >&2
  [ -z "$shots" ] || import -window root "$shots/failure.png" 2> /dev/null || true
  exit 1
}
step() { echo "ui-check: $*"; }

. scripts/lib/xvfb.sh
start_display || { echo "no X display could be started" >&2; exit 1; }

mkdir -p "$work/run" "$work/docs"
chmod 700 "$work/run"
cp -r samples/rashomon.xml samples/rashomon "$work/docs/"
cp samples/kumono_ito.xml "$work/docs/"
backup="$work/data/tessaly/Lexova PRO User Data/_\$backup.xml"
lock="$work/run/lexova/editor.lock"
run_editor() {
  env XDG_CONFIG_HOME="${config_home:-$work/config}" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
    XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS="${bus:-disabled:}" "$editor" "$@"
}
# Starts the editor in the background; $! is the editor itself (kill -9 must
# reach it, not a shell around it).
start_editor() {
  (exec env XDG_CONFIG_HOME="${config_home:-$work/config}" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
    XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS="${bus:-disabled:}" "$editor" "$@") &
}
# The id of the first window whose title matches, waiting up to 15 s.
wait_window() {
  for _ in $(seq 150); do
    local w
    w=$(xdotool search --name "$1" 2> /dev/null | head -1 || true)
    if [ -n "$w" ]; then echo "$w"; return 0; fi
    sleep 0.1
  done
  fail "no window titled '$1'"
}
keys() {
  local w=$1
  shift
  xdotool windowfocus --sync "$w" 2> /dev/null || true
  xdotool key --delay 60 "$@"
  sleep 0.4
}
# Waits until the screen stops changing (two screenshots alike, 10 s at most):
# an editor built with sanitizers paints slowly.
settle() {
  local previous="" current
  for _ in $(seq 50); do
    import -window root "$work/settle.png"
    current=$(md5sum < "$work/settle.png")
    [ "$current" != "$previous" ] || return 0
    previous=$current
    sleep 0.2
  done
}
last_shot=""
# Takes a screenshot once the screen is still (also kept as $work/shot.png); fails
# when it shows the same as the one before (the step did nothing).
shot() {
  settle
  local file="$work/shot.png"
  [ -z "$shots" ] || file="$shots/$1.png"
  import -window root "$file"
  local sum
  sum=$(md5sum < "$file")
  [ "$sum" != "$last_shot" ] || fail "step '$1' changed nothing on the screen"
  last_shot=$sum
  [ "$file" = "$work/shot.png" ] || cp "$file" "$work/shot.png"
}

. scripts/lib/ui_edit.sh
. scripts/lib/ui_image.sh
. scripts/lib/ui_settings.sh
if [ -z "$only_edit$only_images$only_settings" ]; then
step "start with the sample"
start_editor "$work/docs/rashomon.xml"
first=$!
pids+=("$first")
main=$(wait_window "Lexova PRO 訂正プログラム rashomon.xml")
sleep 0.5
shot 01-side-by-side
keys "$main" ctrl+y && shot 02-side-by-side-swapped
keys "$main" ctrl+t && shot 03-stacked
keys "$main" ctrl+w && shot 04-full
keys "$main" ctrl+w && shot 05-full-other-view
keys "$main" ctrl+y && shot 06-side-by-side-again
keys "$main" ctrl+alt+v && shot 07-vertical-text
keys "$main" alt+n && shot 08-page-layout

step "edit: reconstruct every page from the menu"
stamp=$(stat -c %Y.%N "$backup" 2> /dev/null || fail "no backup after opening")
sleep 1.1
keys "$main" alt+a Down Return
[ "$(stat -c %Y.%N "$backup")" != "$stamp" ] || fail "the edit was not backed up"

step "kill -9, then start with another file"
kill -9 "$first"
wait "$first" 2> /dev/null || true
! pgrep -f "$work/docs/rashomon.xml" > /dev/null || fail "the editor outlived kill -9"
[ -e "$lock" ] || fail "the killed copy's lock is gone"
start_editor "$work/docs/kumono_ito.xml"
second=$!
pids+=("$second")
question=$(wait_window "^Lexova PRO 訂正プログラム$")
shot 09-recovery-offered-first
keys "$question" Return
question=$(wait_window "^Lexova PRO 訂正プログラム$")
shot 10-restored-document-save-question
keys "$question" Escape
main=$(wait_window "Lexova PRO 訂正プログラム rashomon.xml")
shot 11-restored

step "a second copy hands its file over"
run_editor "$work/docs/kumono_ito.xml" || fail "the second copy ended with status $?"
question=$(wait_window "^Lexova PRO 訂正プログラム$")
keys "$question" alt+n
main=$(wait_window "Lexova PRO 訂正プログラム kumono_ito.xml")
shot 12-forwarded-file-opened

step "close"
keys "$main" alt+f x
status=0
wait "$second" || status=$?
[ "$status" -eq 0 ] || fail "the editor ended with status $status"
[ ! -e "$backup" ] || fail "the backup was left after a normal exit"
[ ! -e "$lock" ] || fail "the lock was left after a normal exit"
pids=()
fi

[ -n "$only_images$only_settings" ] || edit_through_the_view
[ -n "$only_edit$only_settings" ] || page_images_through_the_views
[ -n "$only_edit$only_images" ] || settings_through_the_sheet

kill "$xvfb" 2> /dev/null || true
wait "$xvfb" 2> /dev/null || true
xvfb=""
rm -rf "$work"
# What is new in /tmp and stays. Other programs' passing files come and go; a
# compiler running beside the check (ccXXXXXX.s and the like) is not the editor.
new_in_tmp() { comm -13 <(echo "$tmp_before") <(ls -A /tmp | sort) | grep -Ev '^cc[A-Za-z0-9]{6}\.[a-z]+$' || true; }
left=$(new_in_tmp)
if [ -n "$left" ]; then
  sleep 3
  left=$(comm -12 <(echo "$left") <(new_in_tmp))
fi
[ -z "$left" ] || fail "left in /tmp: $left"
step "passed"
