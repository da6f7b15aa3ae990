#!/usr/bin/env bash
# On a system without the menu's faces (a Wine prefix without our font replacements, as a
# stock Windows lacks "Mistral" and "华文新魏"), the game draws with the faces it carries:
# every menu word ends inside the window, and the menu and the congratulation show the same
# glyphs as the real Kristi and AR PL UKai CN faces draw (the references), not boxes.
#   faces_test.sh GAME_EXE ROBOT
#   SLATE_FACES_REFERENCE=1 faces_test.sh GAME_EXE ROBOT   writes the references instead, from
#   a game run in the usual prefix, whose replacements map the two faces to those fonts
set -uo pipefail
REFERENCE_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/reference"
[ -n "${SLATE_FACES_REFERENCE:-}" ] || export SLATE_PLAIN_FONTS=1
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || e2e_fail "no Wine prefix at $WINEPREFIX"
  E2E_OWN_SERVER=1 # the server wineboot started is stopped with the test
fi

# mask NAME "X Y W H" RRGGBB: the client rectangle with that colour white, all else black.
mask() {
  local x y w h
  read -r x y w h <<<"$2"
  convert "xwd:$SCREEN" -crop "${w}x$h+$((WIN_X + x))+$((WIN_Y + y))" +repage \
    -fill black +opaque "#$3" -fill white -opaque "#$3" -type bilevel "$E2E_WORK/$1.png"
}

# matches NAME: the mask differs from its reference in at most 5 % of the reference's glyph
# pixels (edge pixels of a glyph or two have been seen to fall apart, 2.7 %; boxes or
# another face differ in most). With SLATE_FACES_REFERENCE set, the mask becomes the
# reference.
matches() {
  local ref="$REFERENCE_DIR/$1.png" glyph differ
  if [ -n "${SLATE_FACES_REFERENCE:-}" ]; then
    mkdir -p "$REFERENCE_DIR" && cp "$E2E_WORK/$1.png" "$ref" && return 0
  fi
  glyph=$(convert "$ref" -format '%[fx:int(mean*w*h+0.5)]' info:)
  differ=$(compare -metric AE "$ref" "$E2E_WORK/$1.png" null: 2>&1)
  say "$1: $differ of $glyph glyph pixels differ from the reference"
  [ "${differ%% *}" -le $((glyph / 20)) ]
}

game_to_menu
sleep 0.5 # ABOUT is the last word written; the menu is whole once it shows
colour_at_most "880 420 20 180" "$MENU_GREEN" 0 || e2e_fail "a menu word runs into the window's right edge"
mask menu-words "0 420 900 180" "$MENU_GREEN"
matches menu-words || e2e_fail "the menu's words are not drawn in the carried faces"
e2e_pass "every menu word ends inside the window, in the carried faces"

click_at ${ITEM_CENTRE[PLAY]}
board_read 10000 >/dev/null || e2e_fail "no board after PLAY"
result="$("$ROBOT" play "$SCREEN" "$WIN_X" "$WIN_Y" "$ASSETS" last)" || e2e_fail "the robot could not play: $result"
read -r _ last_x last_y <<<"$(grep '^last' <<<"$result")"
watch_message "$E2E_WORK/typed"
xdotool mousemove "$last_x" "$last_y" click 1
wait "$WATCH_PID" || e2e_fail "the message never settled: $(cat "$E2E_WORK/typed")"
mask congratulation "$MESSAGE_RECT" "$MESSAGE_COLOUR"
matches congratulation || e2e_fail "the congratulation is not drawn in the Kai face"
e2e_pass "the congratulation shows the Kai face's glyphs"
