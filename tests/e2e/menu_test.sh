#!/usr/bin/env bash
# The menu: every word whole on screen; each item shows its highlight colour on its letters
# while the pointer is over it and turns green again when the pointer leaves every item;
# ABOUT does nothing; a click acts where the message after the press lands; ESC ends the
# game with status 0.
#   menu_test.sh GAME_EXE ROBOT
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

game_to_menu
menu_baseline
for item in ESC ABOUT PLAY MUSIC; do
  [ "${MENU_GREEN_COUNT[$item]}" -ge 100 ] ||
    e2e_fail "$item is not written in green (${MENU_GREEN_COUNT[$item]} pixels)"
done

# Every word ends inside the window, and ESC inside its hot rectangle, in whatever face
# stands in for the script the menu names.
colour_at_most "896 546 4 54" "$MENU_GREEN" 0 || e2e_fail "ABOUT runs past the window's right edge"
colour_at_most "80 546 40 54" "$MENU_GREEN" 0 || e2e_fail "ESC runs past its hot rectangle"
e2e_pass "ABOUT ends inside the window and ESC inside its hot rectangle"

# Each hover starts from a full green redraw, so ESC and ABOUT are written in their own font.
for item in ESC ABOUT PLAY MUSIC; do
  move_to ${ITEM_CENTRE[$item]}
  wait_until 3 item_highlighted "$item" || e2e_fail "$item does not highlight in ${ITEM_HIGHLIGHT[$item]}"
  move_to $OUTSIDE
  wait_until 3 item_restored "$item" || e2e_fail "$item does not turn green again"
  e2e_pass "$item highlights in ${ITEM_HIGHLIGHT[$item]} and turns green again"
done

still_menu() {
  local what="$1"
  # A highlight drawn after the clicks shows they have all been read.
  move_to ${ITEM_CENTRE[ESC]}
  wait_until 3 item_highlighted ESC || e2e_fail "no menu after $what"
  kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended after $what"
  ! board_read >/dev/null || e2e_fail "a game started after $what"
  move_to $OUTSIDE
  wait_until 3 item_restored ESC || e2e_fail "the menu did not come back after $what"
}

click_at ${ITEM_CENTRE[ABOUT]}
still_menu "a click on ABOUT"
e2e_pass "ABOUT does nothing"

move_to ${ITEM_CENTRE[PLAY]}
xdotool mousedown 1
move_to $OUTSIDE
xdotool mouseup 1
still_menu "a press on PLAY released outside it"
e2e_pass "a press on PLAY whose next message lies outside PLAY does not start the game"

move_to $OUTSIDE
xdotool mousedown 1
move_to ${ITEM_CENTRE[PLAY]}
board="$(board_read 10000)" || e2e_fail "a press outside and a move into PLAY did not start the game"
xdotool mouseup 1
e2e_pass "a press outside followed by a move into PLAY starts the game"
click_close_button
game_ends_within 2

game_to_menu
mark_end_action
click_at ${ITEM_CENTRE[ESC]}
game_ends_within 2
[ "$GAME_STATUS" = 0 ] || e2e_fail "ESC ended the game with status $GAME_STATUS"
e2e_pass "ESC ends the game with status 0"
