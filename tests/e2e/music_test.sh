#!/usr/bin/env bash
# The music, heard for real: ALSA's default device is a file over the null device, so what
# the game plays through Wine's ALSA driver lands in a file as it plays. Music sounds at the
# menu, MUSIC stops it, a second MUSIC starts it again, and it goes on once the game begins.
#   music_test.sh GAME_EXE ROBOT
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

audio="$E2E_WORK/audio.raw"
mkdir -p "$E2E_WORK/home"
cat >"$E2E_WORK/home/.asoundrc" <<ASOUND
pcm.!default { type file; slave.pcm "null"; file "$audio"; format "raw" }
ASOUND

# Sound is playing when the file grows by data that is not all zero within half a second.
# (The file starts again when the device is opened anew.)
sounding() {
  local from to
  from=$(stat -c %s "$audio" 2>/dev/null || echo 0)
  sleep 0.5
  to=$(stat -c %s "$audio" 2>/dev/null || echo 0)
  [ "$to" -ge "$from" ] || from=0
  [ "$(tail -c +$((from + 1)) "$audio" 2>/dev/null | head -c $((to - from)) | tr -d '\0' | wc -c)" -gt 1000 ]
}
silent() { ! sounding; }

# No PulseAudio: a server the user may run would take the sound away from ALSA.
game_to_menu HOME="$E2E_WORK/home" PULSE_SERVER=unix:/nonexistent
wait_until 10 sounding || e2e_fail "no music at the menu"
e2e_pass "music sounds at the menu"

click_at ${ITEM_CENTRE[MUSIC]}
sleep 0.3
wait_until 5 silent || e2e_fail "MUSIC did not stop the music"
e2e_pass "MUSIC stops it"

click_at ${ITEM_CENTRE[MUSIC]}
wait_until 10 sounding || e2e_fail "a second MUSIC did not start the music again"
e2e_pass "a second MUSIC starts it again"

click_at ${ITEM_CENTRE[PLAY]}
board_read 10000 >/dev/null || e2e_fail "no board after PLAY"
sleep 1
sounding || e2e_fail "the music stopped when the game began"
e2e_pass "the music goes on in the game"

click_close_button
game_ends_within 2
