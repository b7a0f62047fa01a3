# Sourced by the scripts that show the editor on a private X display.
# start_display: starts Xvfb on a free display, exports DISPLAY and sets $xvfb to
# its process id; returns 1 when no display came up.
start_display() {
  local n tries
  for tries in 1 2 3; do
    for n in $(seq $((90 + RANDOM % 100)) 299); do
      if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then break; fi
    done
    # -noreset: a server that resets when its last client leaves refuses the next one meanwhile.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset > /dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=":$n"
    for _ in $(seq 200); do
      kill -0 "$xvfb" 2> /dev/null || break
      if xdotool getmouselocation > /dev/null 2>&1; then return 0; fi
      sleep 0.05
    done
    kill "$xvfb" 2> /dev/null || true
    wait "$xvfb" 2> /dev/null || true
    xvfb=""
  done
  return 1
}
