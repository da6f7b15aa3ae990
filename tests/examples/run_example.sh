#!/usr/bin/env bash
# Runs one example as a user would and checks on the screen what it is meant to show: the
# program starts (from its own folder) on a private display with a window manager; once its
# window shows, the check of the table below looks at it, giving it real mouse input where
# the example is interactive; then the window's close button is clicked and the process
# must end with nothing left behind.
#   run_example.sh NAME EXE [KEEP_DIR]
# KEEP_DIR receives NAME.png, the screen the check accepted (scripts/example-gallery).
# With SLATE_UPDATE_REFERENCES=1 a reference check writes the screen as the new reference.
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$HERE/../e2e/lib.sh"

# name            check (and its argument): "reference SCALE" compares the screen, scaled to
#                 SCALE %, with reference/NAME.png; the other checks are functions below
TABLE="
first_window      reference 100
shapes            reference 100
pen_styles        reference 100
text_fonts        reference 100
drawing_pad       drawing_pad
bouncing_ball     bouncing_ball
plasma            reference 25
image_rotation    reference 25
lights_out        lights_out
snake             snake
clock             clock
paint             paint
sound_board       sound_board
breakout          breakout
sprites           reference 50
bunnymark         bunnymark
"
# A screen matches its reference when at most 0.3 % of its pixels differ from it by more
# than 10 % in some channel: room for a changed font hint, none for a missing shape. The
# plasma and the pictures are compared at a quarter of their size, which keeps their
# references small and still shows a wrong angle, place or colour.
FUZZ=10%
MOST_DIFFERING_PER_MILLE=3

NAME=$1
GAME_EXE="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
KEEP="${3:-}"
read -r CHECK SCALE <<<"$(awk -v n="$NAME" '$1 == n { print $2, $3 }' <<<"$TABLE")"
[ -n "$CHECK" ] || { say "no example $NAME in the table"; exit 1; }
GAME_TITLE="$(basename "$GAME_EXE" .exe)"
GAME_SIZE=800x450

# capture NAME: the window's client area as $E2E_WORK/NAME.png.
capture() {
  convert "xwd:$SCREEN" -crop "${WIN_W}x$WIN_H+$WIN_X+$WIN_Y" +repage "$E2E_WORK/$1.png"
}

# The screen at the reference's scale, as $E2E_WORK/scaled.png.
capture_scaled() {
  capture screen && convert "$E2E_WORK/screen.png" -scale "$SCALE%" "$E2E_WORK/scaled.png"
}

keep() { [ -z "$KEEP" ] || { mkdir -p "$KEEP" && cp "$E2E_WORK/$1.png" "$KEEP/$NAME.png"; }; }

# count SHOT "X Y W H" RRGGBB: pixels of exactly that colour in a rectangle of a capture.
count() {
  local x y w h
  read -r x y w h <<<"$2"
  convert "$E2E_WORK/$1.png" -crop "${w}x$h+$x+$y" +repage -fill black +opaque "#$3" \
    -fill white -opaque "#$3" -format '%[fx:round(mean*w*h)]' info:
}

# box SHOT RRGGBB: "W H X Y", the bounding box of that colour in a capture.
box() {
  convert "$E2E_WORK/$1.png" -fill black +opaque "#$2" -trim -format '%w %h %X %Y' info: |
    tr -d +
}

# The screen differs from the reference in no more pixels than allowed.
matches_reference() {
  capture_scaled
  DIFFERING=$(compare -metric AE -fuzz "$FUZZ" "$REFERENCE" "$E2E_WORK/scaled.png" \
    "$E2E_WORK/difference.png" 2>&1 >/dev/null | awk '{ printf "%d", $1 }')
  local pixels=$((WIN_W * SCALE / 100 * WIN_H * SCALE / 100))
  [ "${DIFFERING:-999999}" -le $((pixels * MOST_DIFFERING_PER_MILLE / 1000)) ]
}

check_reference() {
  REFERENCE="$HERE/reference/$NAME.png"
  if [ "${SLATE_UPDATE_REFERENCES:-0}" = 1 ]; then
    sleep 3
    capture_scaled
    mkdir -p "$HERE/reference"
    cp "$E2E_WORK/scaled.png" "$REFERENCE"
    say "wrote $REFERENCE"
  else
    [ -f "$REFERENCE" ] || e2e_fail "no reference picture $REFERENCE"
    if ! wait_until 15 matches_reference; then
      mkdir -p "$E2E_BUILD/e2e-screens"
      cp "$E2E_WORK/difference.png" "$E2E_BUILD/e2e-screens/$NAME-difference.png"
      e2e_fail "$DIFFERING pixels differ from reference/$NAME.png" \
        "(see e2e-screens/$NAME-difference.png)"
    fi
    e2e_pass "the screen matches reference/$NAME.png ($DIFFERING pixels differ)"
  fi
  keep screen
}

# A drag along three sides of a box leaves a blue stroke on exactly those sides; moving
# without the button draws nothing; a right click gives a clean page.
PEN=0000AA
CANVAS="0 40 800 410"
check_drawing_pad() {
  sleep 1
  capture empty
  [ "$(count empty "$CANVAS" $PEN)" = 0 ] || e2e_fail "the page is not empty at the start"
  local x=$WIN_X y=$WIN_Y
  xdotool mousemove $((x + 150)) $((y + 150)) sleep 0.1 mousedown 1 sleep 0.1 \
    mousemove $((x + 650)) $((y + 150)) sleep 0.1 mousemove $((x + 650)) $((y + 350)) sleep 0.1 \
    mousemove $((x + 150)) $((y + 350)) sleep 0.1 mouseup 1 sleep 0.1 \
    mousemove $((x + 400)) $((y + 250)) sleep 0.1 mousemove $((x + 150)) $((y + 200)) sleep 0.1 \
    mousemove 1279 1023 sleep 0.5
  capture stroke
  local side s
  # Each side, a band 10 pixels across the 6-pixel pen: at least 95 % of the stroke is there.
  for side in "160 145 480 10 2736" "645 160 10 180 1026" "160 345 480 10 2736"; do
    read -r -a s <<<"$side"
    [ "$(count stroke "${s[*]:0:4}" $PEN)" -ge "${s[4]}" ] ||
      e2e_fail "the stroke is broken in ${s[*]:0:4}"
  done
  # The open side (the button was up) and the inside of the box stay white.
  [ "$(count stroke "140 165 20 170" $PEN)" = 0 ] || e2e_fail "a line was drawn without the button"
  [ "$(count stroke "170 170 460 160" $PEN)" = 0 ] || e2e_fail "blue inside the box"
  e2e_pass "the drag drew its three sides and nothing else"
  xdotool mousemove $((x + 400)) $((y + 250)) click 3 sleep 0.5
  capture wiped
  [ "$(count wiped "$CANVAS" $PEN)" = 0 ] || e2e_fail "a right click did not wipe the page"
  e2e_pass "a right click wiped the page"
  keep stroke
}

# Two looks 0.3 s apart each show one ball (about the area of a disc of radius 30: no trail of
# earlier frames) and the ball has moved. A look may catch the screen while Wine copies a
# frame to it, top half new and bottom half old: a ball of up to one step (5 pixels) more
# in size, or else a look again.
BALL=FFFF55
one_ball() {
  local w h x y
  capture "$1"
  BALL_PIXELS=$(count "$1" "0 0 $WIN_W $WIN_H" $BALL)
  read -r w h x y <<<"$(box "$1" $BALL)"
  BALL_AT="$x $y" BALL_SIZE="$w x $h"
  [ "$BALL_PIXELS" -ge 2545 ] && [ "$BALL_PIXELS" -le 3300 ] &&
    [ "$w" -ge 58 ] && [ "$w" -le 66 ] && [ "$h" -ge 58 ] && [ "$h" -le 66 ]
}

check_bouncing_ball() {
  local look first
  sleep 1
  for look in first second; do
    [ "$look" = second ] && first="$BALL_AT" && sleep 0.3
    wait_until 3 one_ball "$look" ||
      e2e_fail "the $look look: $BALL_PIXELS ball pixels, $BALL_SIZE, at $BALL_AT"
  done
  [ "$first" != "$BALL_AT" ] || e2e_fail "the ball did not move from $first"
  e2e_pass "one ball, at $first and then at $BALL_AT"
  keep second
}

# Bunnies (tinted, over a light grey field) move between two looks, the status line is
# written, and a click adds a thousand: much less of the field stays grey.
FIELD="0 20 800 430"
FIELD_GREY=F5F5F5
STATUS=55FF55
check_bunnymark() {
  sleep 1
  capture first
  local status before after moved
  status=$(count first "0 0 800 20" $STATUS)
  [ "$status" -ge 100 ] || e2e_fail "no count and fps line ($status pixels)"
  before=$(count first "$FIELD" $FIELD_GREY)
  sleep 0.5
  capture second
  moved=$(compare -metric AE "$E2E_WORK/first.png" "$E2E_WORK/second.png" \
    "$E2E_WORK/difference.png" 2>&1 >/dev/null | awk '{ printf "%d", $1 }')
  [ "${moved:-0}" -ge 200 ] || e2e_fail "the bunnies did not move ($moved pixels changed)"
  click_at 400 300
  sleep 3
  capture more
  after=$(count more "$FIELD" $FIELD_GREY)
  [ "$after" -le $((before - 5000)) ] ||
    e2e_fail "a click added no bunnies: $before grey pixels before, $after after"
  e2e_pass "bunnies move ($moved pixels), a click covered $((before - after)) more pixels"
  keep more
}

# The board as the screen shows it, row by row: 1 for a lit light (its centre is yellow).
LIT=FFFF55
board() {
  capture board
  convert "$E2E_WORK/board.png" -crop 400x400+40+25 +repage -sample '5x5!' txt:- |
    awk -v lit="#$LIT" 'NR > 1 { printf "%s%s", ($3 == lit ? 1 : 0), ($1 ~ /^4,/ ? " " : "") }'
}

board_is() { BOARD="$(board)" && [ "$BOARD" = "$1 " ]; }

# The win message is written in light green beside the board.
win_written() {
  capture won && WIN_PIXELS=$(count won "500 210 300 100" 55FF55) && [ "$WIN_PIXELS" -ge 200 ]
}

# press COLUMN ROW: a click on a light.
press() { click_at $((40 + 80 * $1 + 40)) $((25 + 80 * $2 + 40)); }

# The level's five presses, made again, switch every light off; the first shows the rule
# (the light and its four neighbours switch). Then the win is written, and a click
# starts the level again.
LEVEL="11101 11101 01111 11011 01010"
check_lights_out() {
  wait_until 10 board_is "$LEVEL" || e2e_fail "the board at the start is $BOARD"
  cp "$E2E_WORK/board.png" "$E2E_WORK/start.png"
  press 2 1
  wait_until 5 board_is "11001 10011 01011 11011 01010" || e2e_fail "after one press: $BOARD"
  press 0 0
  press 1 3
  press 3 3
  press 4 1
  wait_until 5 board_is "00000 00000 00000 00000 00000" || e2e_fail "not solved: $BOARD"
  wait_until 5 win_written || e2e_fail "no win message ($WIN_PIXELS pixels of it)"
  e2e_pass "solved in five presses, the win written"
  click_at 600 400
  wait_until 5 board_is "$LEVEL" || e2e_fail "no new game after the win: $BOARD"
  e2e_pass "a click starts a new game"
  keep start
}

# The snake's head (yellow) at two looks: HEAD_BEFORE, then HEAD_AT, as "X Y" cells.
HEAD=FFFF55
head_cell() {
  local w h x y
  capture "$1"
  read -r w h x y <<<"$(box "$1" $HEAD)"
  [ "${w:-0}" -ge 16 ] && [ "${w:-0}" -le 20 ] && echo "$((x / 20)) $(((y - 30) / 20))"
}
two_looks() {
  HEAD_BEFORE="$(head_cell before)" && sleep "$1" && HEAD_AT="$(head_cell after)"
}
pips() { count "$1" "0 0 800 30" 55FFFF; }
moves_right() { two_looks 0.3 && [ "${HEAD_AT% *}" != "${HEAD_BEFORE% *}" ]; }
moves_down() {
  two_looks 0.3 && [ "${HEAD_AT% *}" = "${HEAD_BEFORE% *}" ] &&
    [ "${HEAD_AT#* }" -gt "${HEAD_BEFORE#* }" ]
}
stands() { two_looks 0.4 && [ "$HEAD_AT" = "$HEAD_BEFORE" ]; }
ate() { capture fed && PIPS=$(pips fed) && [ "$PIPS" -ge 100 ]; }

# With no input the snake moves right; it reaches the food laid ahead of it and the score
# shows a pip; a key turns it down; held Space stops it, and it goes on once Space is up.
check_snake() {
  wait_until 5 moves_right || e2e_fail "the snake did not move: $HEAD_BEFORE, then $HEAD_AT"
  e2e_pass "it moves on its own: $HEAD_BEFORE, then $HEAD_AT"
  wait_until 5 ate || e2e_fail "no point for the food (${PIPS:-0} pip pixels)"
  e2e_pass "the score rose on the food"
  key_to_game Down
  wait_until 3 moves_down || e2e_fail "Down did not turn it: $HEAD_BEFORE, then $HEAD_AT"
  e2e_pass "Down turned it: $HEAD_BEFORE, then $HEAD_AT"
  keep after
  xdotool keydown space
  wait_until 3 stands || { xdotool keyup space; e2e_fail "it went on with Space held"; }
  xdotool keyup space
  wait_until 3 moves_down || e2e_fail "it stayed after Space came up"
  e2e_pass "held Space stops it, and it goes on after"
}

# The red second hand is drawn, and two looks a second apart differ on the face.
SECOND_HAND=AA0000
check_clock() {
  sleep 1
  capture first
  sleep 1
  capture second
  local hand changed
  hand=$(count second "200 25 400 400" $SECOND_HAND)
  [ "$hand" -ge 150 ] || e2e_fail "no second hand ($hand pixels)"
  changed=$(compare -metric AE -fuzz 10% "$E2E_WORK/first.png" "$E2E_WORK/second.png" \
    "$E2E_WORK/difference.png" 2>&1 >/dev/null | awk '{ printf "%d", $1 }')
  [ "${changed:-0}" -ge 100 ] || e2e_fail "the hands did not move in a second ($changed pixels)"
  e2e_pass "the hands moved: $changed pixels changed in a second"
  keep second
}

# A red stroke drawn with the mouse, saved with S; a new page, then L loads the file back:
# the page shows the saved picture again, pixel for pixel, and so does the file itself.
# Closing with a stroke unsaved asks first; C cancels that close, and on the second close
# Y saves and closes.
PAINTED=AA0000
PAGE="0 40 800 410"
stroke() {
  local x=$WIN_X y=$WIN_Y
  xdotool mousemove $((x + $1)) $((y + $2)) sleep 0.1 mousedown 1 sleep 0.1 \
    mousemove $((x + $3)) $((y + $4)) sleep 0.1 mousemove $((x + $5)) $((y + $6)) sleep 0.1 \
    mouseup 1 sleep 0.1 mousemove 1279 1023 sleep 0.3
}
# page SHOT: the page of a capture, or of the saved file, as $E2E_WORK/SHOT-page.png.
page_of() {
  local x y w h
  read -r x y w h <<<"$PAGE"
  convert "$1" -crop "${w}x$h+$x+$y" +repage "$E2E_WORK/$2-page.png"
}
same_page() {
  capture "$1" && page_of "$E2E_WORK/$1.png" "$1" &&
    SAME=$(compare -metric AE "$E2E_WORK/$1-page.png" "$E2E_WORK/file-page.png" \
      /dev/null 2>&1 | awk '{ printf "%d", $1 }') && [ "$SAME" = 0 ]
}
red_on_page() { capture "$1" && [ "$(count "$1" "$PAGE" $PAINTED)" -ge "$2" ]; }
asks() { capture asking && [ "$(count asking "200 170 400 110" AAAAAA)" -ge 20000 ]; }

check_paint() {
  local file
  file="$(dirname "$GAME_EXE")/painting.png"
  rm -f "$file"
  sleep 1
  click_at 72 20  # the palette's red
  stroke 150 150 650 150 650 350
  wait_until 3 red_on_page drawn 2000 || e2e_fail "the stroke is not on the page"
  key_to_game s
  wait_until 5 test -s "$file" || e2e_fail "S saved no painting.png"
  page_of "$file" file
  same_page drawn || e2e_fail "the saved file differs from the screen in $SAME pixels"
  e2e_pass "S saved the page as it shows"
  click_at 400 300 3
  xdotool mousemove 1279 1023  # the pointer would show in the page
  wait_until 3 eval '! red_on_page wiped 1' || e2e_fail "the right button left a page"
  key_to_game l
  wait_until 5 same_page loaded || e2e_fail "L gave back a page $SAME pixels away from the file"
  e2e_pass "L loaded the file back exactly"
  keep loaded
  stroke 200 380 600 380 600 390
  click_close_button
  wait_until 3 asks || e2e_fail "closing with unsaved drawing did not ask"
  kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the close ended the program before asking"
  e2e_pass "closing asked about saving first"
  key_to_game c
  gone() { ! asks; }
  wait_until 3 gone || e2e_fail "C left the question on the screen"
  kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "C closed the program"
  red_on_page cancelled 2000 || e2e_fail "the page under the question did not come back"
  e2e_pass "C cancelled the close: the page is back and the program runs on"
  click_close_button
  wait_until 3 asks || e2e_fail "closing again after a cancel did not ask"
  mark_end_action
  key_to_game y
  game_ends_within 3
  [ "$file" -nt "$E2E_WORK/file-page.png" ] || e2e_fail "Y closed without saving"
  e2e_pass "Y saved and closed"
  rm -f "$file"
  CLOSED_BY_CHECK=1
}

# The board shows its eight pads, the music plays from the start, and each key plays its
# note over it: after A the capture holds A's note (523 Hz) beside the bass (131 Hz), and
# after G G's (784 Hz), which A's part of the capture did not.
heard() {  # heard FROM: the bass's, A's and G's loudest level in the capture after byte FROM
  python3 "$HERE/../support/tone_levels.py" "$E2E_WORK/home/capture.raw" 48000 "$1" \
    130.81 523.25 783.99 | awk '{ printf "%s ", $2 }'
}
check_sound_board() {
  sleep 1
  capture board
  [ "$(count board "0 0 800 450" 0000AA)" -ge 50000 ] || e2e_fail "the pads are not drawn"
  keep board
  local key from bass a g want
  for key in a g; do
    from=$(stat -c %s "$E2E_WORK/home/capture.raw" 2>/dev/null || echo 0)
    key_to_game "$key"
    sleep 0.6
    read -r bass a g <<<"$(heard "$from")"
    want="$bass > 0.1 && (\"$key\" == \"a\" ? $a > 0.1 && $g < 0.05 : $g > 0.1)"
    awk "BEGIN { exit !($want) }" </dev/null ||
      e2e_fail "after ${key^^}: bass $bass, A $a, G $g"
    e2e_pass "after ${key^^}: bass $bass, A $a, G $g"
  done
}

# Breakout, played with the real mouse: the wall stands at the start, the paddle follows the
# pointer, and a robot that keeps the paddle under the ball (read off the screen) sees the
# ball break bricks; each break blips over the music, the bottom row at 1320 Hz, which the
# tune never plays.
WALL="40 60 720 110"
BOTTOM_ROW=50A0FF
PADDLE=C8DCFF
paddle_at() {  # paddle_at X: the paddle's centre is within 12 pixels of X
  local w h x y
  capture paddle
  read -r w h x y <<<"$(box paddle $PADDLE)"
  PADDLE_AT=$((x + w / 2))
  [ $((PADDLE_AT - $1)) -le 12 ] && [ $(($1 - PADDLE_AT)) -le 12 ]
}
check_breakout() {
  sleep 1
  capture start
  local bricks from x
  bricks=$(count start "$WALL" $BOTTOM_ROW)
  [ "$bricks" -ge 9000 ] || e2e_fail "the wall's bottom row has $bricks of its pixels"
  for x in 150 650; do
    move_to "$x" 430
    wait_until 3 paddle_at "$x" || e2e_fail "the pointer at $x left the paddle at $PADDLE_AT"
  done
  e2e_pass "the paddle follows the pointer"
  from=$(stat -c %s "$E2E_WORK/home/capture.raw" 2>/dev/null || echo 0)
  local w h y end=$((SECONDS + 8))
  while [ $SECONDS -lt $end ]; do
    capture play
    read -r w h x y <<<"$(box play FFFFFF)"
    [ "${w:-0}" -gt 0 ] && [ "$w" -lt 40 ] && move_to $((x + w / 2)) 430
    [ "$(count play "$WALL" $BOTTOM_ROW)" -le $((bricks - 2000)) ] && break
  done
  keep play
  local left
  left=$(count play "$WALL" $BOTTOM_ROW)
  [ "$left" -le $((bricks - 900)) ] || e2e_fail "no brick broke: $left of $bricks pixels stand"
  e2e_pass "the ball broke bricks ($left of $bricks pixels of the bottom row stand)"
  local blip
  blip=$(python3 "$HERE/../support/tone_levels.py" "$E2E_WORK/home/capture.raw" 48000 "$from" \
    1320 | awk '{ print $2 }')
  awk "BEGIN { exit !($blip > 0.05) }" </dev/null || e2e_fail "no blip in the capture ($blip)"
  e2e_pass "the breaks blipped (1320 Hz at $blip)"
}

E2E_BUILD="$(dirname "$GAME_EXE")"
while [ "$E2E_BUILD" != / ] && [ ! -f "$E2E_BUILD/CMakeCache.txt" ]; do
  E2E_BUILD="$(dirname "$E2E_BUILD")"
done
wine_env "$E2E_BUILD"
E2E_WORK="$(mktemp -d /tmp/slate-example.XXXXXX)"
trap e2e_cleanup EXIT
e2e_start_display
e2e_ensure_wineserver

# The examples that play sound play into a capture device of their own.
if [ "$CHECK" = sound_board ] || [ "$CHECK" = breakout ]; then
  . "$HERE/../support/audio_capture.sh"
  capture_home "$E2E_WORK/home"
fi

# Started from another folder than its own, as from a shell somewhere else: the files an
# example uses lie beside it and are found there. A tag finds its processes.
GAME_TAG="slate-example-$$-$RANDOM$RANDOM"
(cd "$E2E_WORK" && exec env SLATE_E2E_TAG="$GAME_TAG" \
  "$SLATE_ROOT/scripts/wine-run" "$GAME_EXE") >"$E2E_WORK/game.log" 2>&1 &
GAME_PID=$!
game_window
"check_$CHECK"
[ -n "${CLOSED_BY_CHECK:-}" ] || { click_close_button && game_ends_within 3; }
