#!/usr/bin/env bash
# Closing the window ends the game within 2 s, with no crash report and nothing left
# behind: during the title spin (close button), in the menu (Alt+F4) and in a game (close
# button).
#   close_test.sh GAME_EXE ROBOT
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

# The spin has begun once the window is no longer black.
spinning() { [ "$(count_colour "0 0 900 600" 000000)" -lt 270000 ]; }

game_start
game_window
wait_until 30 spinning || e2e_fail "the title never showed"
click_close_button
menu_ready && say "(the menu was already written when the close button was clicked)"
game_ends_within 2
e2e_pass "closed at the title"

game_to_menu
mark_end_action
key_to_game alt+F4
game_ends_within 2
e2e_pass "closed in the menu"

game_to_board
click_cell 0
click_close_button
game_ends_within 2
e2e_pass "closed during a game"
