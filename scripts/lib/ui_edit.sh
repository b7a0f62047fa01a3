# Sourced by ui-check.sh: corrects a copy of the sample through the text view as
# a person does (a candidate from the context menu, a find, a replace, a ruby
# correction, a click, typing, Enter, Delete, Ctrl+Z), saves it, and runs the same
# operations through `lexova edit`: the two files must be identical.
#
# Needs from ui-check.sh: $work, $build, start_editor, wait_window, keys, shot,
# fail, step, pids.

# The text view's canvas on the screen: at 10 % the page is smaller than the view,
# and the view's own background (RGB 192,192,127) lies right of it and below it,
# so its bounding box starts at the canvas' top-left corner. Prints "X Y".
canvas_origin() {
  local file="$work/find.png"
  import -window root "$file"
  local box
  box=$(convert "$file" -fill black +opaque "rgb(192,192,127)" -fill white -opaque "rgb(192,192,127)" -trim \
    -format "%X %Y" info:- 2> /dev/null) || return 1
  echo "$box" | tr -d '+'
}

# lexova with the editor's private settings.
lex() {
  env XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" "$build/lexova" "$@"
}

# Probes every character of the first page through lexova edit at 10 %: the
# centre of its cell on the canvas and the context menu there. Prints three
# points "X Y" (a character of a long line, one with candidates, one under ruby)
# and the code of the first.
probe_points() {
  local doc=$1
  lex layout "$doc" --page 0 --scale 10 --json | python3 -c '
import json, sys
d = json.load(sys.stdin)
for index, line in enumerate(d["lines"]):
    if line["annotation"] or len(line["chars"]) < 9:
        continue
    for ch in line["chars"]:
        x, y, w, h = ch["rect"]
        print(x + w // 2, y + h // 2, index, json.dumps(ch["code"]))
' > "$work/points.txt"
  {
    echo "view 2 10"
    while read -r x y _ _; do echo "menu $x $y"; done < "$work/points.txt"
  } > "$work/probe.script"
  lex edit "$doc" --script "$work/probe.script" --json 2> /dev/null | python3 -c '
import json, sys
points = [l.split(" ", 3) for l in open(sys.argv[1], encoding="utf-8").read().splitlines()]
states = [json.loads(l) for l in sys.stdin if l.strip()][1:]
menus = [s.get("menu", []) for s in states]
click = points[4]
cand = next(p for p, m in zip(points, menus) if m and m[0] != "-" and p[2] != click[2])
ruby = next(p for p, m in zip(points, menus) if "ルビ修正(&M)..." in m and p[2] != click[2])
# The replace: a character of a line no other step touches, but for the last of its line.
touched = {click[2], cand[2], ruby[2]}
lines = {}
for p in points:
    lines.setdefault(p[2], []).append(p)
other = next(l[2] for k, l in lines.items() if k not in touched)
print(click[0], click[1], cand[0], cand[1], ruby[0], ruby[1], other[0], other[1], other[3])
' "$work/points.txt"
}

# The id of a window whose title matches, if one comes within 1.5 s.
maybe_window() {
  for _ in $(seq 15); do
    local w
    w=$(xdotool search --name "$1" 2> /dev/null | head -1 || true)
    if [ -n "$w" ]; then echo "$w"; return 0; fi
    sleep 0.1
  done
  return 0
}

edit_through_the_view() {
  local doc="$work/docs/edit.xml" ref="$work/docs/ref.xml"
  cp "$work/docs/rashomon.xml" "$doc"
  cp "$work/docs/rashomon.xml" "$ref"
  local cx cy kx ky rx ry sx sy code
  read -r cx cy kx ky rx ry sx sy code < <(probe_points "$doc") ||
    fail "the sample has no character to click, no candidates or no ruby"
  step "edit through the text view"
  start_editor "$doc"
  local editor=$!
  pids+=("$editor")
  local main
  main=$(wait_window "Lexova PRO 訂正プログラム edit.xml")
  sleep 0.5
  keys "$main" alt+v p 1
  local origin ox oy
  origin=$(canvas_origin) || fail "the text view's canvas was not found on the screen"
  read -r ox oy <<< "$origin"
  click() { xdotool mousemove --sync $((ox + $1)) $((oy + $2)) click "${3:-1}"; sleep 0.4; }
  # (Enter changes the lines' places: the steps that keep them come first.)
  click "$kx" "$ky" 3
  shot 13-candidate-menu
  keys "$main" Down Return
  # Find: the character after the caret selected, Find Next, then closed.
  click "$sx" "$sy"
  keys "$main" shift+Down ctrl+f
  local dialog question
  dialog=$(wait_window "^検索$")
  xdotool windowfocus --sync "$dialog" 2> /dev/null || true
  xdotool key --delay 60 Return
  sleep 0.4
  shot 13b-found
  question=$(maybe_window "^Lexova PRO 訂正プログラム$")
  [ -z "$question" ] || keys "$question" Escape
  xdotool windowfocus --sync "$dialog" 2> /dev/null || true
  xdotool key --delay 60 Escape
  sleep 0.4
  # Replace: the character after the caret selected, replaced by "X" (Replace), then closed.
  click "$sx" "$sy"
  keys "$main" shift+Down ctrl+h
  dialog=$(wait_window "^置換$")
  xdotool windowfocus --sync "$dialog" 2> /dev/null || true
  xdotool key --delay 60 Tab
  xdotool type --delay 80 "X"
  xdotool key --delay 60 alt+r
  sleep 0.4
  shot 14-replaced
  # No further hit on the page: the question to go on is answered No.
  question=$(maybe_window "^Lexova PRO 訂正プログラム$")
  [ -z "$question" ] || keys "$question" Escape
  xdotool windowfocus --sync "$dialog" 2> /dev/null || true
  xdotool key --delay 60 Escape
  sleep 0.4
  # Ruby: the dialog from the context menu; the selected ruby text typed over.
  click "$rx" "$ry" 3
  keys "$main" m
  dialog=$(wait_window "^ルビ修正$")
  shot 15-ruby-dialog
  xdotool windowfocus --sync "$dialog" 2> /dev/null || true
  xdotool type --delay 80 "Y"
  xdotool key --delay 60 Return
  sleep 0.4
  # A click, typing, Enter, Delete, and Ctrl+Z (back to before the Delete).
  click "$cx" "$cy"
  xdotool type --delay 80 "ab"
  keys "$main" Return Delete
  shot 16-typed-enter-delete
  keys "$main" ctrl+z
  shot 17-undone
  keys "$main" ctrl+s
  shot 18-saved
  keys "$main" alt+f x
  local status=0
  wait "$editor" || status=$?
  [ "$status" -eq 0 ] || fail "the editor ended with status $status after editing"
  pids=()

  # The same through lexova edit.
  cat > "$work/same.script" << EOF
view 2 10
menu $kx $ky 0
click $sx $sy
key down --shift
find $code
dialog close
click $sx $sy
key down --shift
replace $code X
dialog close
menu $rx $ry
ruby open
ruby text Y
ruby ok
click $cx $cy
keytext a
keytext b
key enter
key del
undo
save
EOF
  lex edit "$ref" --script "$work/same.script" 2> "$work/same.log" || fail "lexova edit: $(cat "$work/same.log")"
  cmp -s "$doc" "$ref" || {
    diff <(iconv -f SHIFT_JIS -t UTF-8 "$ref") <(iconv -f SHIFT_JIS -t UTF-8 "$doc") | head -20 >&2
    fail "the editor's file differs from lexova edit's"
  }
}
