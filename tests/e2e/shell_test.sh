#!/usr/bin/env bash
# Started from a shell in a console (wineconsole cmd /k), the game leaves that console alone:
# it stays visible beside the window, and closing the window ends the game but not the shell.
#   shell_test.sh GAME_EXE ROBOT
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

# The command lines of what the shell's console runs, found by the tag: the shell's names
# the game too, so the game is the line without "cmd". (No grep -q: with pipefail, the
# writer it stops early would fail the pipe.)
command_lines() { for p in $(e2e_game_processes); do tr '\0' ' ' <"/proc/$p/cmdline"; echo; done; }
shell_alive() { command_lines | grep -i 'cmd' >/dev/null; }
game_alive() { command_lines | grep -vi 'cmd' | grep "$GAME_TITLE" >/dev/null; }
console_visible() {
  local w
  for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    [ "$w" = "$WIN_ID" ] && continue
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -qi 'wineconsole\|conhost\|cmd' && return 0
  done
  return 1
}

GAME_TAG="slate-e2e-$$-$RANDOM$RANDOM"
(cd "$E2E_WORK" && exec env SLATE_E2E_TAG="$GAME_TAG" wineconsole cmd /k "$(winepath -w "$GAME_EXE" 2>/dev/null)") \
  >"$E2E_WORK/game.log" 2>&1 &
GAME_PID=$!
game_window
wait_until 30 menu_ready || e2e_fail "the menu was never written"
console_visible || e2e_fail "the shell's console was hidden while the game runs"
e2e_pass "the game runs beside its shell's visible console"

click_close_button
game_gone() { ! game_alive; }
wait_until 5 game_gone ||
  e2e_fail "the game did not end after its window was closed"
sleep 1
shell_alive || e2e_fail "closing the game ended the shell that started it"
console_visible || e2e_fail "the shell's console is not visible after the game"
e2e_pass "closed: the game ended, the shell and its console are still there"
