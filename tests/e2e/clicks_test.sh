#!/usr/bin/env bash
# Clicks on the board: only a left press on a cell beside the blank moves a tile. A click
# on the blank, on a diagonal or distant cell, a right click and the second press of a
# double click change nothing. A later legal move, whose result must be exactly that one
# move, shows that the messages before it were all read.
#   clicks_test.sh GAME_EXE ROBOT
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

game_to_board
read -r -a tiles <<<"$BOARD"

blank_cell() {
  local c
  for c in "${!tiles[@]}"; do [ "${tiles[c]}" = 19 ] && echo "$c"; done
}

# cell_if COL ROW: the cell, if it is on the board.
cell_if() { [ "$1" -ge 0 ] && [ "$1" -lt 5 ] && [ "$2" -ge 0 ] && [ "$2" -lt 4 ] && echo $((4 * $1 + $2)); }

# Neighbours of the blank beside it and above or below it.
beside_blank() {
  local b=$(blank_cell)
  cell_if $((b / 4 - 1)) $((b % 4)) || cell_if $((b / 4 + 1)) $((b % 4))
}
above_or_below_blank() {
  local b=$(blank_cell)
  cell_if $((b / 4)) $((b % 4 - 1)) || cell_if $((b / 4)) $((b % 4 + 1))
}

# A tile slid from above or below the blank must give exactly the expected board. Had a
# click before it moved the tile beside the blank, this cell would no longer be beside
# the blank and the board would differ.
legal_move_shows() {
  local n expected
  n=$(above_or_below_blank)
  expected="$(board_apply "${tiles[@]}" "$n")"
  click_cell "$n"
  board_read 3000 $expected >/dev/null || e2e_fail "after $1 the board is not the expected one"
  read -r -a tiles <<<"$expected"
}

b=$(blank_cell)
col=$((b / 4)) row=$((b % 4))
diagonal=$(cell_if $((col + 1)) $((row + 1)) || cell_if $((col - 1)) $((row - 1)) ||
  cell_if $((col + 1)) $((row - 1)) || cell_if $((col - 1)) $((row + 1)))
distant=$(cell_if $(((col + 2) % 5)) "$row")
click_cell "$b"
click_cell "$diagonal"
click_cell "$distant"
click_cell "$(beside_blank)" 3
legal_move_shows "clicks on the blank, a diagonal cell, a distant cell and a right click"
e2e_pass "the blank, a diagonal cell ($diagonal), a distant cell ($distant) and a right click move nothing"

# A double click across the border of two cells: its first press moves the tile beside
# the blank, and its second press, on the tile that just moved, would move it back if it
# counted as a press.
b=$(blank_cell)
col=$((b / 4)) row=$((b % 4))
y=$((150 * row + 75))
if [ "$col" -gt 0 ]; then first=$((180 * col - 1)) second=$((180 * col)) n=$((b - 4)); else
  first=180 second=179 n=$((b + 4))
fi
expected="$(board_apply "${tiles[@]}" "$n")"
xdotool mousemove $((WIN_X + first)) $((WIN_Y + y)) click 1 mousemove $((WIN_X + second)) $((WIN_Y + y)) click 1
read -r -a tiles <<<"$expected"
legal_move_shows "a double click"
e2e_pass "the second press of a double click moves nothing"

click_close_button
game_ends_within 2
