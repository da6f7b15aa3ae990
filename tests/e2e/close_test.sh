#!/usr/bin/env bash
# Closing the window ends the game within 2 s with status 0, no crash report and nothing
# left behind, whenever it happens. Each round closes the game once at each moment of the
# table below, after a random delay into that moment.
#   close_test.sh GAME_EXE ROBOT [ROUNDS]      (1 round unless given)
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rounds=${3:-1}
e2e_setup "$1" "$2"

# The spin has begun once the window is no longer black.
spinning() { [ "$(count_colour "0 0 900 600" 000000)" -lt 270000 ]; }

# sleep_random MAX_MS: sleeps 0 to MAX_MS ms and leaves the delay in DELAY_MS.
sleep_random() {
  DELAY_MS=$((RANDOM % ($1 + 1)))
  sleep "$(printf '%d.%03d' $((DELAY_MS / 1000)) $((DELAY_MS % 1000)))"
}

# Each moment brings the game there, waits a random time into it and closes the window.
close_in_title() {
  game_start
  game_window
  wait_until 30 spinning || e2e_fail "the title never showed"
  sleep_random 400 # the spin lasts 13 frames of at least 15 ms
  click_close_button
}

close_in_menu() {
  game_to_menu
  sleep_random 500
  click_close_button
}

# Mouse moves over the board: each one is read and answered with a redraw of the board.
close_in_redraw() {
  game_to_board
  (while :; do xdotool mousemove $((WIN_X + 300)) $((WIN_Y + 300)) mousemove \
    $((WIN_X + 500)) $((WIN_Y + 400)); done) >/dev/null 2>&1 &
  local mover=$!
  sleep_random 500
  mark_end_action
  key_to_game alt+F4
  kill "$mover"
  wait "$mover" 2>/dev/null
}

# A game solved but for one click; SOLVED_AT is where the last click goes.
solve_but_one() {
  game_to_board
  local result
  result="$("$ROBOT" play "$SCREEN" "$WIN_X" "$WIN_Y" "$ASSETS" last)" ||
    e2e_fail "the robot could not play: $result"
  read -r _ last_x last_y <<<"$(grep '^last' <<<"$result")"
}

close_in_typing() {
  solve_but_one
  xdotool mousemove "$last_x" "$last_y" click 1
  sleep_random 900 # seven steps 150 ms apart
  click_close_button
}

close_in_key_wait() {
  solve_but_one
  watch_message "$E2E_WORK/typed"
  xdotool mousemove "$last_x" "$last_y" click 1
  wait "$WATCH_PID" || e2e_fail "the message never settled"
  sleep_random 500
  click_close_button
}

moments=(title menu redraw typing key_wait)
for ((round = 1; round <= rounds; round++)); do
  for moment in "${moments[@]}"; do
    "close_in_$moment"
    game_ends_within 2
    [ "$GAME_STATUS" = 0 ] || e2e_fail "closed in $moment: status $GAME_STATUS"
    e2e_pass "round $round: closed in $moment ${DELAY_MS} ms in"
  done
done
e2e_pass "$rounds round(s) of ${#moments[@]} moments, each closed cleanly"
