# Sourced by ui-check.sh: the page image beside the text, as a person sees it. On
# a copy of the sample with its page images, under fresh settings: the image view
# at 50 % and 100 % shows the scan, with the character at the cursor framed (the
# frame's inside is compared with the scan itself); a click on a character at 10 %
# frames that character; Alt+S shows the line image over the text view; a row of
# the page list changes the page, the frame, the preview and the status pane; an
# edit after saving puts "*" on its row; with the images moved away the image view
# turns grey, no dialog comes up and nothing crashes.
#
# Needs from ui-check.sh: $work, $shots, start_editor, wait_window, maybe_window,
# keys, shot, fail, step, pids, canvas_origin (ui_edit.sh).

# The blue frame around the cursor character in the image view: "X Y W H", or
# nothing when there is none.
blue_frame() {
  convert "$1" -fill black +opaque "rgb(0,127,255)" -fill white -opaque "rgb(0,127,255)" -trim \
    -format "%X %Y %w %h" info:- 2> /dev/null | tr -d '+' | awk '$3 > 1 && $4 > 1'
}

# The box "X Y W H" of the cursor's first character on page N (from 1) of a work
# file: the first character of the first ordinary line of its first text or table block.
first_char_box() {
  python3 - "$1" "$2" << 'PY'
import re, sys
text = open(sys.argv[1], "rb").read().decode("cp932")
page = re.findall(r"<page\b.*?</page>", text, re.S)[int(sys.argv[2]) - 1]
for block in re.findall(r"<block\b.*?</block>", page, re.S):
    if not re.match(r'<block[^>]*type="(text|table)"', block):
        continue
    for line in re.findall(r"<line\b.*?</line>", block, re.S):
        if not re.match(r'<line[^>]*attr=""', line):
            continue
        c = re.search(r'<char x="(\d+)" y="(\d+)" width="(\d+)" height="(\d+)"', line)
        if c:
            print(*c.groups())
            sys.exit(0)
sys.exit(1)
PY
}

# Whether the inside of the blue frame on screenshot $1 shows the scan $2 at
# $3 percent around the box "$4 $5 $6 $7": the root-mean-square difference of
# the two gray crops, slightly blurred (thin strokes a pixel apart are the same
# picture), from 0 to 1, must stay under 0.15. (The same crop two pixels off
# gives about 0.22, a blank one about 0.48.)
frame_shows_scan() {
  local file=$1 scan=$2 percent=$3 bx=$4 by=$5 bw=$6 bh=$7
  local fx fy fw fh
  read -r fx fy fw fh <<< "$(blue_frame "$file")"
  [ -n "$fx" ] || { echo "no frame"; return 1; }
  local w=$((fw - 10)) h=$((fh - 10))
  [ "$w" -gt 2 ] && [ "$h" -gt 2 ] || { echo "frame too small: $fw x $fh"; return 1; }
  local sx=$((bx * percent / 100 + 1)) sy=$((by * percent / 100 + 1))
  convert "$file" -crop "${w}x${h}+$((fx + 5))+$((fy + 5))" +repage -colorspace gray -blur 0x1 "$work/a.png"
  convert "$scan" -filter box -resize "${percent}%" -crop "${w}x${h}+${sx}+${sy}" +repage -colorspace gray \
    -blur 0x1 "$work/b.png"
  local rmse
  rmse=$( (compare -metric RMSE "$work/a.png" "$work/b.png" null: 2>&1 || true) | sed -n 's/.*(\(.*\)).*/\1/p')
  echo "difference $rmse"
  awk -v r="$rmse" 'BEGIN { exit !(r != "" && r < 0.15) }'
}

page_images_through_the_views() {
  local dir="$work/images" out
  mkdir -p "$dir"
  cp -r samples/rashomon.xml samples/rashomon "$dir/"
  local doc="$dir/rashomon.xml"
  step "the page image beside the text"
  config_home="$work/config-images" start_editor "$doc"
  local pid=$!
  pids+=("$pid")
  local main
  main=$(wait_window "Lexova PRO 訂正プログラム rashomon.xml")
  sleep 0.8
  local bx by bw bh
  read -r bx by bw bh < <(first_char_box "$doc" 1) || fail "no first character on page 1"
  shot 21-image-at-50
  out=$(frame_shows_scan "$work/shot.png" "$dir/rashomon/p01.tif" 50 "$bx" "$by" "$bw" "$bh") ||
    fail "at 50 % the framed character is not the scan's ($out)"
  keys "$main" alt+v p 0
  shot 22-image-at-100
  out=$(frame_shows_scan "$work/shot.png" "$dir/rashomon/p01.tif" 100 "$bx" "$by" "$bw" "$bh") ||
    fail "at 100 % the framed character is not the scan's ($out)"

  step "a click on a character frames it in the image"
  keys "$main" alt+v p 1
  local ox oy fx fy fw fh
  settle
  read -r ox oy <<< "$(canvas_origin)" || fail "the text view's canvas was not found"
  settle
  import -window root "$work/shot.png"
  read -r fx fy fw fh <<< "$(blue_frame "$work/shot.png")"
  [ -n "$fx" ] || fail "no frame at 10 %"
  # The image view's page origin: the frame less the box at 10 %.
  local ix=$((fx + 4 - bx / 10)) iy=$((fy + 4 - by / 10))
  # A character of a long line of the text view, at 10 %.
  local cx cy
  read -r cx cy < <(env XDG_CONFIG_HOME="$work/config-images" "$build/lexova" layout "$doc" --page 0 --scale 10 \
    --json | python3 -c '
import json, sys
d = json.load(sys.stdin)
line = max((l for l in d["lines"] if not l["annotation"]), key=lambda l: len(l["chars"]))
x, y, w, h = line["chars"][len(line["chars"]) // 2]["rect"]
print(x + w // 2, y + h // 2)')
  xdotool mousemove --sync $((ox + cx)) $((oy + cy)) click 1
  sleep 0.5
  shot 23-clicked-character-framed
  read -r fx fy fw fh <<< "$(blue_frame "$work/shot.png")"
  [ -n "$fx" ] || fail "no frame after the click"
  local dx=$((fx + fw / 2 - ix - cx)) dy=$((fy + fh / 2 - iy - cy))
  [ "${dx#-}" -le 5 ] && [ "${dy#-}" -le 5 ] ||
    fail "the frame is not at the clicked character (off by $dx, $dy)"

  step "Alt+S: the line image beside the column"
  keys "$main" alt+v p 5
  settle
  import -window root "$work/before.png"
  keys "$main" alt+s
  shot 24-line-image
  local diff
  # (compare's status is 1 when the pictures differ.)
  # What changed in the text view (right of its canvas' left edge, below the toolbar).
  convert "$work/before.png" -crop +$((ox + 2))+$((oy + 2)) +repage "$work/t1.png"
  convert "$work/shot.png" -crop +$((ox + 2))+$((oy + 2)) +repage "$work/t2.png"
  diff=$( (compare "$work/t1.png" "$work/t2.png" -compose src -highlight-color black -lowlight-color white \
    miff:- 2> /dev/null || true) | convert - -trim -format "%w %h" info:-)
  read -r dx dy <<< "$diff"
  [ -n "$dx" ] && [ "$dx" -gt 10 ] && [ "$dy" -gt 30 ] || fail "Alt+S showed no line image over the text view ($diff)"
  keys "$main" alt+n

  step "the page list changes the page"
  local lx ly
  read -r lx ly _ _ <<< "$(convert "$work/shot.png" -crop 200x1024+0+0 +repage -fill black +opaque "srgb(48,140,198)" \
    -fill white -opaque "srgb(48,140,198)" -trim -format "%X %Y %w %h" info:- | tr -d '+')"
  [ -n "$ly" ] || fail "no selected row in the page list"
  settle
  import -window root "$work/before.png"
  xdotool mousemove --sync $((lx + 20)) $((ly + 2 * 14 + 7)) click 1
  sleep 0.6
  shot 25-page-3
  read -r bx by bw bh < <(first_char_box "$doc" 3) || fail "no first character on page 3"
  out=$(frame_shows_scan "$work/shot.png" "$dir/rashomon/p03.tif" 50 "$bx" "$by" "$bw" "$bh") ||
    fail "page 3's first character is not framed in its scan ($out)"
  # The preview (the list's lower part) changed.
  convert "$work/before.png" -crop 200x250+0+560 +repage "$work/p1.png"
  convert "$work/shot.png" -crop 200x250+0+560 +repage "$work/p3.png"
  [ "$( (compare -metric AE "$work/p1.png" "$work/p3.png" null: 2>&1 || true) | cut -d' ' -f1)" != 0 ] ||
    fail "the preview did not change with the page"

  step "an edit puts * on its row"
  keys "$main" ctrl+s
  settle
  import -window root "$work/shot.png"
  convert "$work/shot.png" -crop 22x14+$lx+$((ly + 28)) +repage "$work/row-saved.png"
  xdotool type --delay 80 "x"
  sleep 0.5
  shot 26-edited-row
  convert "$work/shot.png" -crop 22x14+$lx+$((ly + 28)) +repage "$work/row-edited.png"
  [ "$( (compare -metric AE "$work/row-saved.png" "$work/row-edited.png" null: 2>&1 || true) | cut -d' ' -f1)" != 0 ] ||
    fail "the edited page's row did not get its mark"

  step "the images moved away"
  mv "$dir/rashomon" "$dir/moved"
  xdotool mousemove --sync $((lx + 20)) $((ly + 3 * 14 + 7)) click 1
  sleep 0.6
  shot 27-image-missing
  [ -z "$(blue_frame "$work/shot.png")" ] || fail "a frame is drawn without an image"
  # Below the message the image view is all grey.
  local grey
  grey=$(convert "$work/shot.png" -crop 150x150+$((ix + 5))+$((iy + 60)) +repage -fill white \
    -opaque "rgb(192,192,192)" -fill black +opaque white -format "%[fx:mean]" info:-)
  awk -v g="$grey" 'BEGIN { exit !(g > 0.95) }' || fail "the image view is not grey without its image ($grey)"
  [ -z "$(maybe_window "^Lexova PRO 訂正プログラム$")" ] || fail "a dialog came up for the missing image"
  kill -0 "$pid" 2> /dev/null || fail "the editor ended with the image missing"
  keys "$main" Down Down
  [ -z "$(maybe_window "^Lexova PRO 訂正プログラム$")" ] || fail "a dialog came up while moving the cursor"
  keys "$main" ctrl+s alt+f x
  local status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "the editor ended with status $status"
  pids=()
}
