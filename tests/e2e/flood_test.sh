#!/usr/bin/env bash
# COUNT mouse messages (100,000 unless given) posted to the game window at full speed
# during play: moves, presses, releases, double clicks at random points. The game lives;
# once the flood stops it settles (its queue drops what does not fit; Wine's own queue of
# posted messages is unbounded and drains at the GUI thread's pace), the board on the
# screen is still a permutation of the 20 tiles, and the next legal click shows exactly
# that move.
#   flood_test.sh GAME_EXE ROBOT MOUSE_FLOOD_EXE [COUNT]
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
FLOOD="$(cd "$(dirname "$3")" && pwd)/$(basename "$3")"
count=${4:-100000}
e2e_setup "$1" "$2"

game_to_board
"$SLATE_ROOT/scripts/wine-run" "$FLOOD" "$GAME_TITLE" "$count" >"$E2E_WORK/flood.log" 2>&1 ||
  e2e_fail "the flood did not run: $(cat "$E2E_WORK/flood.log")"
flood_end=$(date +%s%N)
kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game died under the flood"
e2e_pass "$(tr -d '\r' <"$E2E_WORK/flood.log")"

# A cell above or below the blank, or beside it.
neighbour_of_blank() {
  local b c
  for c in "${!tiles[@]}"; do [ "${tiles[c]}" = 19 ] && b=$c; done
  if [ $((b % 4)) -gt 0 ]; then echo $((b - 1)); else echo $((b + 1)); fi
}

# The flood's own clicks still being read would keep changing the board: wait for two
# equal reads, then one legal click must give exactly the expected board.
board="$(board_read 5000)" || e2e_fail "after the flood the screen shows no permutation of the tiles"
for i in $(seq 600); do
  sleep 0.1
  again="$(board_read 5000)" || e2e_fail "the screen shows no permutation of the tiles"
  [ "$again" = "$board" ] && break
  board=$again
done
settled_ms=$((($(date +%s%N) - flood_end) / 1000000))
[ "$again" = "$board" ] || e2e_fail "the board was still changing a minute after the flood"
read -r -a tiles <<<"$board"
n=$(neighbour_of_blank)
expected="$(board_apply "${tiles[@]}" "$n")"
click_cell "$n"
board_read 3000 $expected >/dev/null || e2e_fail "a legal click after the flood did not show exactly"
e2e_pass "idle again ${settled_ms} ms after the flood; the board is a permutation and a legal click shows"
# The game's timing build stamps each frame: one frame per message the game read.
stamps="$E2E_WORK/SlidePuzzle-timing.txt"
[ -f "$stamps" ] && e2e_pass "the game read $(grep -c '^board drawn' "$stamps") messages of the $count"

click_close_button
game_ends_within 2
