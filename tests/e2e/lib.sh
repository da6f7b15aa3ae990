# Shared by the end-to-end tests and by scripts/play --demo; source it.
#
# It gives each run a private X display with a window manager (Xvfb keeps its frame buffer
# in a file, so the screen can be looked at every few milliseconds), starts the real game
# exactly as scripts/play does (through scripts/wine-run in a console window), and offers
# looks at the screen and mouse and key input through xdotool. Everything it starts is
# stopped by e2e_cleanup, by pid or by the tag that every process of the game carries.
#
# Positions given to the helpers are client pixels of the game window.

E2E_HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$E2E_HERE/../../scripts/common.sh"

# Hot rectangles of the menu items, as x y width height, and their colours as the screen
# holds them (RRGGBB).
declare -A ITEM_RECT=([ESC]="1 546 79 54" [ABOUT]="776 546 124 54" [PLAY]="336 421 44 179"
  [MUSIC]="456 421 52 179")
declare -A ITEM_CENTRE=([ESC]="40 572" [ABOUT]="837 572" [PLAY]="357 500" [MUSIC]="481 500")
declare -A ITEM_HIGHLIGHT=([ESC]=AA0000 [ABOUT]=FFFFFF [PLAY]=FFFF55 [MUSIC]=FF8000)
MENU_GREEN=00AA00
MESSAGE_COLOUR=1CFFFF   # the congratulation, COLORREF 0xFFFF1C
MESSAGE_RECT="100 250 800 100"
OUTSIDE="620 200"       # a point of the client area outside every menu item

e2e_fail() {
  say "FAIL: $*"
  [ -s "${E2E_WORK:-}/game.log" ] && sed 's/^/  game: /' "$E2E_WORK/game.log" >&2
  e2e_keep_screen failure
  exit 1
}

E2E_T0=$(date +%s%N)
e2e_elapsed() { printf '%d.%02d s' $((($(date +%s%N) - E2E_T0) / 1000000000)) $((($(date +%s%N) - E2E_T0) / 10000000 % 100)); }
e2e_pass() { say "ok ($(e2e_elapsed)): $*"; }

# Marks the moment an action that should end the game is taken.
mark_end_action() { E2E_END_ACTION_NS=$(date +%s%N); }

# e2e_setup GAME_EXE ROBOT: paths, a work folder, the display, the Wine server.
e2e_setup() {
  GAME_EXE="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
  ROBOT="$2"
  GAME_TITLE="$(basename "$GAME_EXE" .exe)"  # the window is titled with the exe's name
  [ -f "$GAME_EXE" ] || { say "no game at $1"; exit 1; }
  [ -x "$ROBOT" ] || { say "no robot at $2"; exit 1; }
  E2E_BUILD="$(dirname "$GAME_EXE")"
  while [ "$E2E_BUILD" != / ] && [ ! -f "$E2E_BUILD/CMakeCache.txt" ]; do
    E2E_BUILD="$(dirname "$E2E_BUILD")"
  done
  ASSETS="$E2E_BUILD/assets"  # where the build writes the pictures it embeds
  [ -f "$ASSETS/picture1.bmp" ] ||
    ASSETS="$(dirname "$(find "$E2E_BUILD" -path '*/wineprefix' -prune -o -name picture1.bmp -print | head -1)")"
  [ -f "$ASSETS/blank.bmp" ] || { say "no generated pictures under $E2E_BUILD"; exit 1; }
  wine_env "$E2E_BUILD"
  E2E_WORK="$(mktemp -d /tmp/slate-e2e.XXXXXX)"
  GAME_PID=""
  trap e2e_cleanup EXIT
  e2e_start_display
  e2e_ensure_wineserver
}

# Xvfb on the first free display from 20 on (the starter shared with scripts/), its frame
# buffer in the work folder, and openbox, so windows get a frame with a close button as on a
# desktop (and Wine does not wait for a window manager that never answers when a window
# goes away).
e2e_start_display() {
  local attempt i
  mkdir -p "$E2E_WORK/fb"
  SCREEN="$E2E_WORK/fb/Xvfb_screen0"
  # A display that answered once has been seen to go away at once, and openbox with it
  # ("Failed to open the display"); the display is then started afresh, up to three times.
  for attempt in 1 2 3; do
    start_xvfb 20 -fbdir "$E2E_WORK/fb" || exit 1
    [ -s "$SCREEN" ] || { say "the display has no frame buffer file at $SCREEN"; exit 1; }
    openbox --sm-disable >"$E2E_WORK/openbox.log" 2>&1 &
    E2E_WM_PID=$!
    for i in $(seq 200); do
      if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        xdotool mousemove 1279 1023  # the pointer waits in a corner, away from the window
        return 0
      fi
      kill -0 "$E2E_WM_PID" 2>/dev/null || break
      sleep 0.05
    done
    say "the window manager did not start on $DISPLAY (try $attempt): $(cat "$E2E_WORK/openbox.log")"
    kill "$E2E_WM_PID" 2>/dev/null
    wait "$E2E_WM_PID" 2>/dev/null
    E2E_WM_PID=""
    stop_xvfb
  done
  exit 1
}

# The server's folder is named after the prefix's device and inode.
e2e_wineserver_running() {
  local name p
  name="$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")"
  for p in $(pgrep -x wineserver64; pgrep -x wineserver); do
    [ "$(basename "$(readlink "/proc/$p/cwd" 2>/dev/null)")" = "$name" ] && return 0
  done
  return 1
}

# scripts/test keeps one server for the whole run; run alone, the tests start their own.
e2e_ensure_wineserver() {
  E2E_OWN_SERVER=0
  [ -f "$WINEPREFIX/system.reg" ] || return 0 # wine-run creates the prefix on first use
  if ! e2e_wineserver_running; then
    wineserver -p
    E2E_OWN_SERVER=1
  fi
}

# The pids of the game's own processes that are still alive (zombies do not count).
e2e_game_processes() {
  local f p
  [ -n "${GAME_TAG:-}" ] || return 0
  # One grep over every environment: a grep per process takes seconds on a busy machine.
  for f in $(grep -lzx "SLATE_E2E_TAG=$GAME_TAG" /proc/[0-9]*/environ 2>/dev/null); do
    p="${f%/environ}"
    grep -q ') Z' "$p/stat" 2>/dev/null && continue
    tr '\0' ' ' <"$p/cmdline" 2>/dev/null |
      grep -qiE "${GAME_TITLE:-SlidePuzzle}|wineconsole|conhost|winedbg" &&
      basename "$p"
  done
}

e2e_cleanup() {
  local p
  for p in $(e2e_game_processes); do kill -9 "$p" 2>/dev/null; done
  [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null
  [ "${E2E_OWN_SERVER:-0}" = 1 ] && wineserver -k 2>/dev/null
  [ -n "${E2E_WM_PID:-}" ] && kill "$E2E_WM_PID" 2>/dev/null && wait "$E2E_WM_PID" 2>/dev/null
  stop_xvfb
  rm -rf "${E2E_WORK:?}"
}

# game_start [NAME=VALUE...]: starts the game as scripts/play does, with these additions to
# its environment and a tag that finds every process it starts.
game_start() {
  GAME_TAG="slate-e2e-$$-$RANDOM$RANDOM"
  (cd "$E2E_WORK" && exec env "$@" SLATE_E2E_TAG="$GAME_TAG" SLATE_CONSOLE=1 \
    "$SLATE_ROOT/scripts/wine-run" "$GAME_EXE") >"$E2E_WORK/game.log" 2>&1 &
  GAME_PID=$!
  GAME_STARTED_NS=$(date +%s%N)
}

# Waits for the game window and sets WIN_ID, WIN_X and WIN_Y (its client area on screen);
# its size must be GAME_SIZE (the game's 900x600 unless set).
game_window() {
  local i info
  for i in $(seq 400); do
    WIN_ID="$(xdotool search --onlyvisible --name "^$GAME_TITLE\$" 2>/dev/null | head -1)"
    [ -n "$WIN_ID" ] && break
    kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended before its window showed"
    sleep 0.05
  done
  [ -n "$WIN_ID" ] || e2e_fail "no game window"
  info="$(xwininfo -id "$WIN_ID")"
  WIN_X="$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")"
  WIN_Y="$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")"
  WIN_W="$(sed -n 's/.*Width: *//p' <<<"$info")"
  WIN_H="$(sed -n 's/.*Height: *//p' <<<"$info")"
  [ "${WIN_W}x$WIN_H" = "${GAME_SIZE:-900x600}" ] ||
    e2e_fail "the client area is not ${GAME_SIZE:-900x600}: $info"
}

# wait_until SECONDS COMMAND...: polls until the command succeeds.
wait_until() {
  local end=$(($(date +%s%N) + $1 * 1000000000))
  shift
  until "$@"; do
    [ "$(date +%s%N)" -lt "$end" ] || return 1
    sleep 0.02
  done
}

# count_colour "X Y W H" RRGGBB: pixels of exactly that colour in a client rectangle.
count_colour() {
  local x y w h
  read -r x y w h <<<"$1"
  "$ROBOT" count "$SCREEN" $((WIN_X + x)) $((WIN_Y + y)) "$w" "$h" "$2"
}

colour_at_least() { [ "$(count_colour "$1" "$2")" -ge "$3" ]; }
colour_at_most() { [ "$(count_colour "$1" "$2")" -le "$3" ]; }

# The menu is written once ABOUT, its last item, shows in green.
menu_ready() { colour_at_least "${ITEM_RECT[ABOUT]}" "$MENU_GREEN" 100; }

# menu_baseline: how many pixels of each item are green, and how many already have its
# highlight colour (the picture under it may), with nothing highlighted.
declare -A MENU_GREEN_COUNT MENU_HIGHLIGHT_COUNT
menu_baseline() {
  local item
  for item in ESC ABOUT PLAY MUSIC; do
    MENU_GREEN_COUNT[$item]=$(count_colour "${ITEM_RECT[$item]}" "$MENU_GREEN")
    MENU_HIGHLIGHT_COUNT[$item]=$(count_colour "${ITEM_RECT[$item]}" "${ITEM_HIGHLIGHT[$item]}")
  done
}

# The item's letters are in its highlight colour, not green.
item_highlighted() {
  colour_at_least "${ITEM_RECT[$1]}" "${ITEM_HIGHLIGHT[$1]}" \
    $((MENU_HIGHLIGHT_COUNT[$1] + MENU_GREEN_COUNT[$1] / 2)) &&
    colour_at_most "${ITEM_RECT[$1]}" "$MENU_GREEN" $((MENU_GREEN_COUNT[$1] / 5))
}

# The item's letters are green again.
item_restored() {
  colour_at_least "${ITEM_RECT[$1]}" "$MENU_GREEN" $((MENU_GREEN_COUNT[$1] * 9 / 10)) &&
    colour_at_most "${ITEM_RECT[$1]}" "${ITEM_HIGHLIGHT[$1]}" $((MENU_HIGHLIGHT_COUNT[$1] + 5))
}

# board_read [TIMEOUT_MS [EXPECTED...]]: prints the 20 tiles on the screen.
board_read() {
  "$ROBOT" board "$SCREEN" "$WIN_X" "$WIN_Y" "$ASSETS" "$@"
}

board_apply() { "$ROBOT" apply "$@"; }

move_to() { xdotool mousemove $((WIN_X + $1)) $((WIN_Y + $2)); }
click_at() { xdotool mousemove $((WIN_X + $1)) $((WIN_Y + $2)) click "${3:-1}"; }

# The centre of a board cell (cell = 4 * column + row).
cell_centre() { echo "$((180 * ($1 / 4) + 90)) $((150 * ($1 % 4) + 75))"; }
click_cell() { click_at $(cell_centre "$1") "${2:-1}"; }

key_to_game() {
  xdotool windowactivate --sync "$WIN_ID" 2>/dev/null || xdotool windowfocus --sync "$WIN_ID"
  xdotool key "$1"
}

# The close button of the frame the window manager gives the window: the rightmost button
# of its title bar.
click_close_button() {
  local extents left right top
  extents="$(xprop -id "$WIN_ID" _NET_FRAME_EXTENTS | sed 's/.*= *//; s/,//g')"
  read -r left right top _ <<<"$extents"
  [ -n "$top" ] && [ "$top" -gt 4 ] || e2e_fail "the window has no title bar: $extents"
  mark_end_action
  xdotool mousemove $((WIN_X + WIN_W + right - top / 2 - 1)) $((WIN_Y - top / 2)) click 1
}

# typing_ok FILE: the last run of rightmost message columns that a watch recorded shows the
# congratulation typed in its seven steps, each reaching further right, after a look with
# no message or with more of it (the board drawn over it, which may pass too fast to see).
typing_ok() {
  local -a seen
  read -r -a seen <"$1"
  local n=${#seen[@]} i
  [ "$n" -ge 8 ] || return 1
  [ "${seen[n - 8]}" = -1 ] || [ "${seen[n - 8]}" -gt "${seen[n - 7]}" ] || return 1
  for ((i = n - 6; i < n; i++)); do
    [ "${seen[i]}" -gt "${seen[i - 1]}" ] || return 1
  done
}

# watch_message FILE [TIMEOUT_MS]: records the message's growth in the background until it
# settles after a change; WATCH_PID is set, and its status is 1 if nothing changed in time.
watch_message() {
  local x y w h
  read -r x y w h <<<"$MESSAGE_RECT"
  "$ROBOT" watch "$SCREEN" $((WIN_X + x)) $((WIN_Y + y)) "$w" "$h" "$MESSAGE_COLOUR" "${2:-15000}" 700 \
    >"$1" &
  WATCH_PID=$!
  sleep 0.05
}

# game_ends_within SECONDS: the game and everything it started are gone in time (from the
# last mark_end_action), and Wine showed no crash report. Sets GAME_STATUS.
game_ends_within() {
  local start=${E2E_END_ACTION_NS:-$(date +%s%N)} limit=$(($1 * 1000000000)) i
  for i in $(seq 1000); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    [ $(($(date +%s%N) - start)) -lt $((limit + 3000000000)) ] || break
    sleep 0.01
  done
  local took=$((($(date +%s%N) - start) / 1000000))
  kill -0 "$GAME_PID" 2>/dev/null && e2e_fail "the game is still running after ${took} ms"
  wait "$GAME_PID"
  GAME_STATUS=$?
  GAME_PID=""
  [ "$took" -le $(($1 * 1000)) ] || e2e_fail "the game took ${took} ms to end"
  local left
  left="$(e2e_game_processes)"
  [ -z "$left" ] || e2e_fail "processes left behind: $(for p in $left; do tr '\0' ' ' <"/proc/$p/cmdline"; done)"
  ! grep -qiE 'unhandled|winedbg|page fault' "$E2E_WORK/game.log" ||
    e2e_fail "Wine reported a crash: $(cat "$E2E_WORK/game.log")"
  ! xdotool search --name 'Program Error' >/dev/null 2>&1 || e2e_fail "Wine showed a crash dialog"
  e2e_pass "the game ended in ${took} ms with status $GAME_STATUS, nothing left behind"
}

# e2e_keep_screen NAME: a PNG of the game window (or the whole screen before it exists).
e2e_keep_screen() {
  [ -s "${SCREEN:-}" ] || return 0
  local dir="${E2E_KEEP:-$E2E_BUILD/e2e-screens}" crop=""
  mkdir -p "$dir"
  [ -n "${WIN_X:-}" ] && crop="-crop ${WIN_W}x$WIN_H+$WIN_X+$WIN_Y +repage"
  # shellcheck disable=SC2086
  convert "xwd:$SCREEN" $crop "$dir/$1.png" 2>/dev/null && say "screen kept in $dir/$1.png"
}

# From the start to the menu, and into a game: shared by the cases that play.
game_to_menu() {
  game_start "$@"
  game_window
  wait_until 30 menu_ready || e2e_fail "the menu was never written"
}

game_to_board() {
  game_to_menu "$@"
  click_at ${ITEM_CENTRE[PLAY]}
  BOARD="$(board_read 10000)" || e2e_fail "no board after PLAY"
}
