#!/usr/bin/env bash
# Keys typed into the game's window while it shares its shell's console are passed to that
# console for the game's _getch; after the game, none of them may be left for the shell,
# which would run them as a command line.
#   shell_keys_test.sh GAME_EXE ROBOT
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

command_lines() { for p in $(e2e_game_processes); do tr '\0' ' ' <"/proc/$p/cmdline"; echo; done; }
game_alive() { command_lines | grep -vi 'cmd' | grep "$GAME_TITLE" >/dev/null; }
game_gone() { ! game_alive; }

MARK="slate-keys-$$"
MARK_FILE="$WINEPREFIX/drive_c/$MARK.txt"
rm -f "$MARK_FILE"
GAME_TAG="slate-e2e-$$-$RANDOM$RANDOM"
(cd "$E2E_WORK" && exec env SLATE_E2E_TAG="$GAME_TAG" wineconsole cmd /k "$(winepath -w "$GAME_EXE" 2>/dev/null)") \
  >"$E2E_WORK/game.log" 2>&1 &
GAME_PID=$!
game_window
wait_until 30 menu_ready || e2e_fail "the menu was never written"

xdotool windowactivate --sync "$WIN_ID" 2>/dev/null || xdotool windowfocus --sync "$WIN_ID"
xdotool type --delay 30 "echo hi>c:\\$MARK.txt"
xdotool key Return
sleep 0.5
click_close_button
wait_until 5 game_gone || e2e_fail "the game did not end after its window was closed"
sleep 3  # the shell reads its console again, and would run what the game left there
[ ! -e "$MARK_FILE" ] || e2e_fail "the shell ran the line typed into the game's window"
e2e_pass "nothing typed into the game's window was left for the shell"
