#!/usr/bin/env bash
# The editor's start-up time: from starting the program with the sample document
# to its main window on the screen with the document's name in the title, on a
# private X display (Xvfb). Runs it N times (default 10) and prints the times.
#
#   bench/editor-startup.sh [--build DIR] [--runs N] [FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
runs=10
file=samples/rashomon.xml
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) file=$1; shift ;;
  esac
done
editor=$(realpath "$build/lexova-editor")
file=$(realpath "$file")
title="Lexova PRO 訂正プログラム $(basename "$file")"
work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -z "$xvfb" ] || { kill "$xvfb" 2> /dev/null || true; wait "$xvfb" 2> /dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT
. scripts/lib/xvfb.sh
start_display || { echo "no X display could be started" >&2; exit 1; }
mkdir -p "$work/run"
chmod 700 "$work/run"

times=()
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  (exec env XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
    XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb "$editor" "$file") &
  pid=$!
  until xdotool search --onlyvisible --name "$title" > /dev/null 2>&1; do
    kill -0 "$pid" 2> /dev/null || { echo "run $run: the editor ended before its window showed" >&2; exit 1; }
    [ $(( $(date +%s%N) - start )) -lt 20000000000 ] || { echo "run $run: no window after 20 s" >&2; exit 1; }
    sleep 0.005
  done
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
  kill -TERM "$pid"
  wait "$pid"
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "editor start-up to a shown window with $(basename "$file"), $runs runs (ms): ${times[*]}"
echo "min ${sorted[0]} ms, median ${sorted[$(( runs / 2 ))]} ms, max ${sorted[$(( runs - 1 ))]} ms"
