# Sourced by ui-check.sh: the settings sheet "環境設定" from the keyboard, under
# fresh settings. A user colour is defined and given to ひらがな and the sheet
# closed with OK; after a restart hiragana are drawn in it and 文字種別色 holds 18
# for class 1. すべて基本色に戻す brings the default list back. A colour changed
# live on 表示テキスト情報 shows at once, and Cancel restores the view.
#
# Needs from ui-check.sh: $work, $build, start_editor, wait_window, keys, shot,
# fail, step, pids.

# The pixels of the text view (right of x = $2) of screenshot $1 exactly of colour $3.
count_colour() {
  convert "$1" -crop "+$2+0" +repage -fill white +opaque "$3" -fill black -opaque "$3" -negate \
    -format "%[fx:round(mean*w*h)]" info:-
}

# Pixels of colour $1 on the screen once there are more than $2 (or fewer than $3):
# the count when it came within 10 s, else the last count. The view is redrawn
# after the sheet's changes; an editor built with sanitizers takes its time.
colour_count_until() {
  local n=0
  for _ in $(seq 40); do
    import -window root "$work/shot.png"
    n=$(count_colour "$work/shot.png" 0 "$1")
    if { [ -n "$2" ] && [ "$n" -gt "$2" ]; } || { [ -n "$3" ] && [ "$n" -lt "$3" ]; }; then break; fi
    sleep 0.25
  done
  echo "$n"
}

# Keys to a menu, one at a time, each after the screen settled (a slow editor's
# menu must be open before its item's key comes).
menu_keys() {
  local w=$1
  shift
  for k in "$@"; do
    xdotool windowfocus --sync "$w" 2> /dev/null || true
    xdotool key "$k"
    settle
  done
}

# The stored value of a setting in the sheet's settings.
stored_setting() {
  env XDG_CONFIG_HOME="$work/config-settings" "$build/lexova" settings | sed -n "s|^$1 = \(.*\) (default .*|\1|p"
}

# The system colour chooser, open: the colour typed into its HTML field and taken.
choose_colour() {
  local chooser
  chooser=$(wait_window "色|Color|Colour")
  xdotool windowfocus --sync "$chooser" 2> /dev/null || true
  xdotool key --delay 60 alt+h ctrl+a
  xdotool type --delay 40 "$1"
  xdotool key --delay 60 Return
  settle
}

settings_through_the_sheet() {
  local dir="$work/settings"
  mkdir -p "$dir"
  cp samples/rashomon.xml "$dir/"
  local doc="$dir/rashomon.xml"
  step "the settings sheet: a user colour for ひらがな"
  config_home="$work/config-settings" start_editor "$doc"
  local pid=$!
  pids+=("$pid")
  local main sheet
  main=$(wait_window "Lexova PRO 訂正プログラム rashomon.xml")
  sleep 0.5
  menu_keys "$main" alt+v d s  # colours by character class
  menu_keys "$main" alt+t k
  sheet=$(wait_window "^環境設定$")
  xdotool windowfocus --sync "$sheet" 2> /dev/null || true
  # The second page; ひらがな; the third user colour; its colour defined.
  xdotool key --delay 80 ctrl+Tab alt+m Down alt+u Right Right
  sleep 0.3
  shot 28-sheet-user-colour
  xdotool key --delay 80 alt+s
  choose_colour "#dc0000"
  shot 29-sheet-colour-defined
  # OK from the class list (Return reaches the default button there).
  xdotool windowfocus --sync "$sheet" 2> /dev/null || true
  xdotool key --delay 80 alt+m Return
  settle
  [ "$(stored_setting "Settings/文字種別色" | cut -d, -f2)" = 18 ] ||
    fail "文字種別色 does not hold 18 for ひらがな after OK: $(stored_setting "Settings/文字種別色")"

  step "restart: hiragana in the user colour"
  keys "$main" alt+f x
  local status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "the editor ended with status $status"
  config_home="$work/config-settings" start_editor "$doc"
  pid=$!
  pids=("$pid")
  main=$(wait_window "Lexova PRO 訂正プログラム rashomon.xml")
  sleep 0.8
  shot 30-hiragana-in-the-user-colour
  local red
  red=$(colour_count_until "rgb(220,0,0)" 100 "")
  [ "$red" -gt 100 ] || fail "no hiragana drawn in the user colour ($red pixels)"

  step "すべて基本色に戻す"
  menu_keys "$main" alt+t k
  sheet=$(wait_window "^環境設定$")
  xdotool windowfocus --sync "$sheet" 2> /dev/null || true
  xdotool key --delay 80 ctrl+Tab alt+r alt+m Return
  settle
  [ "$(stored_setting "Settings/文字種別色")" = "0,0,11,4,0,0,0,0,0,11,11,11,4,2,9" ] ||
    fail "すべて基本色に戻す left $(stored_setting "Settings/文字種別色")"
  shot 31-basic-colours-again
  red=$(colour_count_until "rgb(220,0,0)" "" 20)
  [ "$red" -lt 20 ] || fail "hiragana are still in the user colour ($red pixels)"

  step "Cancel after a live colour change"
  menu_keys "$main" alt+v d e  # the cursor line emphasised, the other lines in their colour
  settle
  import -window root "$work/before.png"
  menu_keys "$main" alt+t k
  sheet=$(wait_window "^環境設定$")
  # The sheet moved off the text view, which shows the change while it is open.
  xdotool windowmove --sync "$sheet" 800 0 2> /dev/null || xdotool windowmove "$sheet" 800 0
  settle
  xdotool windowfocus --sync "$sheet" 2> /dev/null || true
  xdotool key --delay 80 ctrl+shift+Tab alt+n
  choose_colour "#00a000"
  shot 32-live-colour
  local green
  green=$(colour_count_until "rgb(0,160,0)" 100 "")
  [ "$green" -gt 100 ] || fail "the other lines are not drawn in the new colour while the sheet is open ($green)"
  xdotool windowfocus --sync "$sheet" 2> /dev/null || true
  xdotool key --delay 80 Escape
  sleep 0.6
  shot 33-cancelled
  green=$(colour_count_until "rgb(0,160,0)" "" 20)
  [ "$green" -lt 20 ] || fail "Cancel left the live colour in the view ($green)"
  local changed
  changed=$( (compare -metric AE "$work/before.png" "$work/shot.png" null: 2>&1 || true) | cut -d' ' -f1)
  [ "${changed%.*}" -lt 400 ] || fail "after Cancel the window differs from before the sheet ($changed pixels)"
  keys "$main" alt+f x
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "the editor ended with status $status"
  pids=()
}
