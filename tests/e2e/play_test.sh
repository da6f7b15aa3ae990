#!/usr/bin/env bash
# A robot plays a whole game: it reads the board off the screen, solves it clicking only
# beside the blank, watches the congratulation being typed in its colour, and checks that a
# key in the game window lets the game go on and that a mouse move then redraws the board
# and types the message again, once a key has been pressed. The close button ends it all.
#   play_test.sh GAME_EXE ROBOT
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

game_to_board
e2e_pass "dealt: $BOARD"

result="$("$ROBOT" play "$SCREEN" "$WIN_X" "$WIN_Y" "$ASSETS" last)" || e2e_fail "the robot could not play: $result"
read -r _ last_x last_y <<<"$(grep '^last' <<<"$result")"
e2e_pass "played $(grep -o 'clicks [0-9]*' <<<"$result"), one click left"

watch_message "$E2E_WORK/typed"
xdotool mousemove "$last_x" "$last_y" click 1
wait "$WATCH_PID" || e2e_fail "the message never settled: $(cat "$E2E_WORK/typed")"
typing_ok "$E2E_WORK/typed" || e2e_fail "the message was not typed in seven steps: $(cat "$E2E_WORK/typed")"
e2e_pass "solved; congratulation typed in its colour, step by step: $(cat "$E2E_WORK/typed")"

# The release of the last click is already queued: after a key the game reads it, draws
# the board over the message and types the message again. An arrow key sends the console
# two codes; it is still one key.
watch_message "$E2E_WORK/again"
key_to_game Right
wait "$WATCH_PID" || e2e_fail "a key did not let the game go on: $(cat "$E2E_WORK/again")"
typing_ok "$E2E_WORK/again" || e2e_fail "the message was not typed again: $(cat "$E2E_WORK/again")"
e2e_pass "a key lets the game go on"

# Now the game waits for a key again: a mouse move waits in the queue until one comes.
watch_message "$E2E_WORK/waiting" 1500
move_to 450 500
wait "$WATCH_PID"
[ "$(wc -w <"$E2E_WORK/waiting")" = 1 ] || e2e_fail "the game went on without a key: $(cat "$E2E_WORK/waiting")"
e2e_pass "the game waits for one key per congratulation, an arrow key counting once"
watch_message "$E2E_WORK/moved"
key_to_game space
wait "$WATCH_PID" || e2e_fail "the mouse move did not redraw the board: $(cat "$E2E_WORK/moved")"
typing_ok "$E2E_WORK/moved" || e2e_fail "the message was not typed again: $(cat "$E2E_WORK/moved")"
e2e_pass "a mouse move redraws the board and types the message again"

click_close_button
game_ends_within 2
