#!/usr/bin/env bash
# The game's installer, used as a player and a deployment script would, in a fresh Wine
# prefix on a display of its own: an older version installed silently, then this one over
# it, again, and into another folder with /D=; the files, the shortcut and the uninstall
# entry checked; the game started from the shortcut's target and seen on the screen; the
# uninstaller and the installer refused while it runs; then closed, uninstalled silently,
# and nothing it made left behind.
#   installer_test.sh BUILD SHORTCUT_INFO_EXE ROBOT
set -uo pipefail
build="$(cd "$1" && pwd)"
shortcut_info="$2"
ROBOT="$3" # reads the screen
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

E2E_WORK="$(mktemp -d /tmp/slate-installer.XXXXXX)"
GAME_PID=""
cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "${E2E_WM_PID:-}" ] && kill "$E2E_WM_PID" 2>/dev/null && wait "$E2E_WM_PID" 2>/dev/null
  stop_xvfb
  rm -rf "${E2E_WORK:?}"
}
trap cleanup EXIT
fail() {
  say "FAIL (installer): $*"
  exit 1
}

# The installers: this version, and an older one made from the same tree.
cpack --config "$build/CPackConfig-Installer.cmake" -B "$E2E_WORK/new" >"$E2E_WORK/log" 2>&1 ||
  fail "cpack: $(tail -5 "$E2E_WORK/log")"
cpack --config "$build/CPackConfig-Installer.cmake" -B "$E2E_WORK/old" -D CPACK_PACKAGE_VERSION=0.9.0 \
  -D CPACK_PACKAGE_FILE_NAME=older-setup -D CPACK_NSIS_COMPRESSOR=zlib >"$E2E_WORK/log" 2>&1 ||
  fail "cpack of the older version"
setup=("$E2E_WORK"/new/SlidePuzzle-*-setup.exe)
[ -f "${setup[0]}" ] || fail "no SlidePuzzle-<version>-setup.exe made"
version="$(basename "${setup[0]}" | sed 's/SlidePuzzle-\(.*\)-setup.exe/\1/')"

e2e_start_display
export WINEPREFIX="$E2E_WORK/prefix" WINEDEBUG=-all
# No Mono or Gecko prompts, and no menu builder: the Start-menu shortcut must not become a
# desktop entry on the machine that runs the test.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineboot -i >/dev/null 2>&1 || fail "no fresh prefix"
wineserver -w
wineserver -p

c="$WINEPREFIX/drive_c"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
lnk='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\SlidePuzzle.lnk'
lnk_unix="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/SlidePuzzle.lnk"
made=("$c/Program Files/SlidePuzzle" "$c/Games/SlidePuzzle" "$lnk_unix")
# The folder given with /D= lies in one of the player's own, which must stay.
mkdir -p "$c/Games"

# What the installer must leave as it found it: drive C outside Windows' own folder and the
# temporary folders (where an uninstaller copies itself, as NSIS does), and the list of
# uninstall entries.
snapshot() {
  (cd "$c" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -print | sort)
  wine reg query "$key" 2>/dev/null | tr -d '\r'
}
snapshot >"$E2E_WORK/before"

entry() { wine reg query "$key\\SlidePuzzle" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/.*$1 *REG_[A-Z]* *//p"; }
entries() { wine reg query "$key" /s 2>/dev/null | tr -d '\r' | grep -c 'DisplayName.*SlidePuzzle'; }
run_setup() { wine "$@" >>"$E2E_WORK/log" 2>&1; }

# check_install FOLDER VERSION: one complete install of VERSION in FOLDER (Windows path).
check_install() {
  local dir="$1" unix
  unix="$(winepath -u "$1" 2>/dev/null)"
  for f in SlidePuzzle.exe README.md LICENSE Uninstall.exe; do
    [ -f "$unix/$f" ] || fail "$f is not in $dir"
  done
  [ "$(entries)" = 1 ] || fail "$(entries) uninstall entries"
  [ "$(entry DisplayVersion)" = "$2" ] || fail "the entry's version is $(entry DisplayVersion), not $2"
  [ "$(entry InstallLocation)" = "$dir" ] || fail "the entry points at $(entry InstallLocation)"
  [ -f "$lnk_unix" ] || fail "no Start-menu shortcut"
}

say "older version, then $version over it, twice, then into another folder"
pf='C:\Program Files\SlidePuzzle'
games='C:\Games\SlidePuzzle'
run_setup "$E2E_WORK/old/older-setup.exe" /S || fail "the older installer failed"
check_install "$pf" 0.9.0
run_setup "${setup[0]}" /S || fail "the installer failed over the older version"
check_install "$pf" "$version"
run_setup "${setup[0]}" /S || fail "the second run of the installer failed"
check_install "$pf" "$version"
run_setup "${setup[0]}" /S "/D=$games" || fail "the installer failed with /D"
check_install "$games" "$version"
[ ! -e "$c/Program Files/SlidePuzzle" ] || fail "the earlier folder is left after the move"

say "the entry in Add/Remove Programs and the shortcut"
[ "$(entry DisplayName)" = SlidePuzzle ] || fail "display name $(entry DisplayName)"
[ -n "$(entry Publisher)" ] || fail "no publisher"
[ $(($(entry EstimatedSize))) -gt 1000 ] || fail "size $(entry EstimatedSize) KiB"
[ "$(entry DisplayIcon)" = "$games\\SlidePuzzle.exe,0" ] || fail "icon $(entry DisplayIcon)"
[ "$(entry UninstallString)" = "\"$games\\Uninstall.exe\"" ] || fail "uninstall $(entry UninstallString)"
wine "$shortcut_info" "$lnk" >"$E2E_WORK/shortcut" 2>&1 || fail "unreadable shortcut: $(cat "$E2E_WORK/shortcut")"
info="$(tr -d '\r' <"$E2E_WORK/shortcut")"
target="$(sed -n 's/^target=//p' <<<"$info")"
[ "$target" = "$games\\SlidePuzzle.exe" ] || fail "the shortcut starts $target"
grep -Fqx "folder=$games" <<<"$info" || fail "the shortcut's folder: $info"
grep -Fqx "icon=$games\\SlidePuzzle.exe,0" <<<"$info" || fail "the shortcut's icon: $info"
grep -q '^icons=[1-9]' <<<"$info" || fail "the game carries no icon: $info"
[ -z "$(find ~/.local/share/applications -newer "$E2E_WORK/before" -name '*SlidePuzzle*' 2>/dev/null)" ] ||
  fail "a desktop entry was written on this machine"

say "the game from the shortcut's target"
(cd "$(winepath -u "$games")" && exec wineconsole "$target") >"$E2E_WORK/game.log" 2>&1 &
GAME_PID=$!
GAME_TITLE=SlidePuzzle
game_window
wait_until 60 menu_ready || fail "the menu never showed"

# While the game runs, each of these says so and changes nothing (exit code 2). In place
# (_?=) the uninstaller is waited for; without /S its message box is answered on screen.
uninstaller="$games\\Uninstall.exe"
refused=(
  "silent uninstall|$uninstaller|/S|_?=$games"
  "uninstall on screen|$uninstaller|_?=$games"
  "silent reinstall|${setup[0]}|/S"
)
box=""
for row in "${refused[@]}"; do
  IFS='|' read -r what prog _ <<<"$row"
  IFS='|' read -ra args <<<"${row#*|*|}"
  wine "$prog" "${args[@]}" >>"$E2E_WORK/log" 2>&1 &
  pid=$!
  if [ "$what" = "uninstall on screen" ]; then
    box_shown() { box="$(xdotool search --onlyvisible --name "SlidePuzzle Uninstall" | head -1)" && [ -n "$box" ]; }
    wait_until 30 box_shown || fail "$what: no message box"
    xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
  fi
  wait "$pid"
  code=$?
  [ "$code" = 2 ] || fail "$what while the game runs: exit code $code, not 2"
  check_install "$games" "$version"
  kill -0 "$GAME_PID" 2>/dev/null || fail "$what: the game ended"
  say "$what while the game runs: refused${box:+ with a message box on screen}, exit code 2, install intact"
  box=""
done

say "closing the game and uninstalling"
click_at ${ITEM_CENTRE[ESC]}
for i in $(seq 200); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GAME_PID" 2>/dev/null && fail "ESC did not end the game"
GAME_PID=""
run_setup "$uninstaller" /S || fail "the uninstaller failed"
# The uninstaller runs on from a copy in the temporary folder.
games_unix="$(winepath -u "$games")"
folder_gone() { [ ! -e "$games_unix" ]; }
wait_until 60 folder_gone || fail "the install folder is left: $(ls -R "$games_unix")"
sleep 1
for thing in "${made[@]}"; do
  [ ! -e "$thing" ] || fail "$thing is left"
done
snapshot >"$E2E_WORK/after"
diff "$E2E_WORK/before" "$E2E_WORK/after" >&2 || fail "the uninstall left the differences above"
say "PASS: install, upgrade, /D, shortcut, start, refusals while running, clean uninstall"
