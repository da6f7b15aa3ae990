#!/usr/bin/env bash
# Runs one case of window_probe.exe and checks what only a whole process shows: keys
# reaching the console, the console hidden and restored, the process ending promptly
# when the user closes the window, and the game ending when it cannot open its window. Runs on the display in $DISPLAY, with the Wine prefix of
# the build folder that holds the probe.
#   window_process_test.sh CASE PROBE.exe
set -u
case_name=$1
probe=$2
wine_run="$(cd "$(dirname "$0")/.." && pwd)/scripts/wine-run"
work=$(mktemp -d /tmp/slate-probe.XXXXXX)

# No EXIT trap for the cleanup: bash runs it in the subshells of $(...) too.
fail() {
  echo "FAIL ($case_name): $*" >&2
  [ -f "$work/out" ] && sed 's/^/  probe: /' "$work/out" >&2
  rm -rf "$work"
  exit 1
}

# start_probe CONSOLE(0|1) MODE: the probe runs in the background as $pid.
start_probe() {
  SLATE_CONSOLE=$1 "$wine_run" "$probe" "$2" "Z:$work" >"$work/out" 2>&1 &
  pid=$!
}

wait_ready() {
  local i
  for i in $(seq 400); do
    [ -f "$work/ready" ] && return 0
    sleep 0.05
  done
  fail "the probe never got ready"
}

# Waits for the probe to end, at most $1 seconds, then stops it; sets $status.
wait_end() {
  local ticks=$(($1 * 50))
  while kill -0 "$pid" 2>/dev/null && [ "$ticks" -gt 0 ]; do
    sleep 0.02
    ticks=$((ticks - 1))
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid"
  status=$?
}

result() { cat "$work/result" 2>/dev/null || echo "no result"; }

expect_ok() {
  [ "$(result)" = ok ] || fail "$(result)"
}

# The user closes the window (Alt+F4: the caption's close button takes the same way, but
# without a window manager Wine draws no caption); the process must end within 2 s.
close_by_user() {
  wait_ready
  xdotool search --sync --onlyvisible --name '^window_probe$' windowfocus --sync
  sleep 0.3  # let the main thread get going
  local start
  start=$(date +%s%3N)
  xdotool key alt+F4
  wait_end 10
  elapsed=$(($(date +%s%3N) - start))
  echo "ended $elapsed ms after the close, status $status"
  [ "$elapsed" -lt 2000 ] || fail "the process took $elapsed ms to end"
  [ ! -f "$work/result" ] || fail "$(result)"
}

case "$case_name" in
  keys)
    start_probe 1 keys
    wait_ready
    xdotool search --sync --onlyvisible --name '^window_probe$' windowfocus --sync
    xdotool key ctrl+c ctrl+Break k
    wait_end 20
    expect_ok
    ;;
  console | placement | key-records)
    start_probe 1 "$case_name"
    wait_end 30
    expect_ok
    ;;
  show-console)
    start_probe 0 show-console
    wait_end 30
    expect_ok
    ;;
  close-drawing | close-waiting)
    start_probe 0 "$case_name"
    close_by_user
    [ "$status" -eq 0 ] || fail "exit status $status, not 0"
    [ -f "$work/destroyed" ] || fail "exit() did not run the static destructors"
    ;;
  alt-menu)
    # Alt alone would enter menu mode, and the Left after it would move in the menu.
    start_probe 0 alt-menu
    wait_ready
    xdotool search --sync --onlyvisible --name '^window_probe$' windowfocus --sync
    sleep 0.3
    xdotool key alt
    sleep 0.3
    xdotool key Left
    for i in $(seq 200); do [ -f "$work/left" ] && break; sleep 0.05; done
    xdotool key alt+space
    for i in $(seq 200); do [ -f "$work/menu" ] && break; sleep 0.05; done
    sleep 0.3
    xdotool key Escape
    sleep 0.3
    xdotool key Escape
    wait_end 20
    expect_ok
    ;;
  exit-with-window)
    start_probe 0 exit-with-window
    wait_end 10
    [ "$status" -eq 0 ] || fail "exit status $status, not 0"
    [ -f "$work/destroyed" ] || fail "the static destructors did not run"
    ;;
  close-drawing-console)
    start_probe 1 close-drawing
    close_by_user
    ;;
  game-without-display)
    # No display, so no window: the game must say so in one line and end at once.
    DISPLAY= "$wine_run" "$probe" >"$work/out" 2>"$work/err" &
    pid=$!
    wait_end 30
    [ "$status" -ne 0 ] && [ "$status" -lt 128 ] || fail "exit status $status"
    said=$(grep -c 'window could not be opened' "$work/err")
    [ "$said" = 1 ] || fail "said it $said times: $(cat "$work/err")"
    ;;
  *)
    fail "unknown case"
    ;;
esac
rm -rf "$work"
echo "ok"
