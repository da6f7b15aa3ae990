#!/usr/bin/env bash
# The game's installer, used as a player and a deployment script would, on a display of its
# own, in two fresh Wine prefixes, one for each kind of install.
# For everyone: an older version installed silently, then this one over it, again, and into
# another folder with /D=; the files, the shortcut and the uninstall entry checked; a
# per-user install over it refused; the game started from the shortcut's target and seen on
# the screen; the uninstaller and the installer refused while it runs; then closed,
# uninstalled silently, and nothing it made left behind.
# For one user (/CurrentUser): a folder that cannot be made refused; an older version, this
# one over it without a switch; an install for everyone over it refused; the refusals while
# the game runs; a move into a folder with non-ASCII letters; the uninstall.
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
  [ -f "$E2E_WORK/log" ] && tail -15 "$E2E_WORK/log" | grep -v '^ALSA' | sed 's/^/  log: /' >&2
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
# No Mono or Gecko prompts, and no menu builder: a Start-menu shortcut must not become a
# desktop entry on the machine that runs the test.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall'

# fresh_prefix NAME: a new Wine prefix, and the places an install of either kind goes.
fresh_prefix() {
  wineserver -k 2>/dev/null
  export WINEPREFIX="$E2E_WORK/$1"
  wineboot -i >/dev/null 2>&1 || fail "no fresh prefix $1"
  wineserver -w
  wineserver -p
  c="$WINEPREFIX/drive_c"
  profile="$c/users/$(whoami)"
  menu_all="$c/ProgramData/Microsoft/Windows/Start Menu/Programs"
  menu_user="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
  # The folders given with /D= lie in the player's own, which must stay.
  mkdir -p "$c/Games" "$c/Spiele/Schöne-Bilder-拼图"
  snapshot >"$E2E_WORK/before"
}
# kind all|user: which registry root, Start menu and default folder the checks expect.
kind() {
  if [ "$1" = all ]; then
    key="HKLM\\$uninstall_key" lnk_unix="$menu_all/SlidePuzzle.lnk" default='C:\Program Files\SlidePuzzle'
  else
    key="HKCU\\$uninstall_key" lnk_unix="$menu_user/SlidePuzzle.lnk"
    default="C:\\users\\$(whoami)\\AppData\\Local\\Programs\\SlidePuzzle"
  fi
  lnk="$(winepath -w "$lnk_unix" 2>/dev/null)"
  entry_file="$(winepath -w "$E2E_WORK/entry.reg" 2>/dev/null)"
}

# What the installer must leave as it found it, and what a refusal must not touch: drive C
# outside Windows' own folder and the temporary folders (where an uninstaller copies itself,
# as NSIS does), and both lists of uninstall entries.
# The user's programs folder and the Uninstall key under HKCU, which the first install for
# one user may make, are the user's own, as on Windows, and stay empty.
snapshot() {
  (cd "$c" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -print | sort) |
    grep -v '^\./users/[^/]*/AppData/Local/Programs$'
  wine reg query "HKLM\\$uninstall_key" /s 2>/dev/null | tr -d '\r'
  wine reg query "HKCU\\$uninstall_key" /s 2>/dev/null | tr -d '\r' | grep -v '^reg: \|^$'
}

# load_entry, then entry NAME: a value of the entry, read from an export (UTF-16), since
# reg query prints in the console's code page and loses non-ASCII letters. DWORDs come as
# 0x... numbers.
load_entry() {
  rm -f "$E2E_WORK/entry.reg"
  wine reg export "$key\\SlidePuzzle" "$entry_file" /y >/dev/null 2>&1
}
entry() {
  iconv -f UTF-16 -t UTF-8 "$E2E_WORK/entry.reg" 2>/dev/null | tr -d '\r' | sed -n "s/^\"$1\"=//p" |
    sed -e 's/^dword:/0x/' -e 's/^"\(.*\)"$/\1/' -e 's/\\\\/\x01/g' -e 's/\\"/"/g' -e 's/\x01/\\/g'
}
entries() {
  for root in HKLM HKCU; do wine reg query "$root\\$uninstall_key" /s 2>/dev/null; done |
    tr -d '\r' | grep -c 'DisplayName.*SlidePuzzle'
}
run_setup() { wine "$@" >>"$E2E_WORK/log" 2>&1; }

# check_install FOLDER VERSION: one complete install of VERSION in FOLDER (Windows path),
# of the kind last chosen, and one entry in all.
check_install() {
  local dir="$1" unix
  unix="$(winepath -u "$1" 2>/dev/null)"
  for f in SlidePuzzle.exe README.md LICENSE Uninstall.exe; do
    [ -f "$unix/$f" ] || fail "$f is not in $dir"
  done
  n="$(entries)"
  [ "$n" = 1 ] || fail "$n uninstall entries"
  load_entry
  [ "$(entry DisplayVersion)" = "$2" ] || fail "the entry's version is $(entry DisplayVersion), not $2"
  [ "$(entry InstallLocation)" = "$dir" ] || fail "the entry points at $(entry InstallLocation)"
  [ -f "$lnk_unix" ] || fail "no Start-menu shortcut at $lnk_unix"
}

# refused WHAT PROGRAM ARGS...: says so with exit code 2 and changes nothing at all.
refused() {
  local what="$1" code
  shift
  snapshot >"$E2E_WORK/held"
  run_setup "$@"
  code=$?
  [ "$code" = 2 ] || fail "$what: exit code $code, not 2"
  snapshot >"$E2E_WORK/now"
  diff "$E2E_WORK/held" "$E2E_WORK/now" >"$E2E_WORK/diff" || fail "$what changed: $(cat "$E2E_WORK/diff")"
  say "$what: refused, exit code 2, nothing changed"
}

# uninstalled FOLDER: the silent uninstall in FOLDER leaves the prefix as it was first.
uninstalled() {
  local unix
  unix="$(winepath -u "$1")"
  run_setup "$1\\Uninstall.exe" /S || fail "the uninstaller in $1 failed"
  # The uninstaller runs on from a copy in the temporary folder.
  folder_gone() { [ ! -e "$unix" ]; }
  wait_until 60 folder_gone || fail "the install folder is left: $(ls -R "$unix")"
  sleep 1
  snapshot >"$E2E_WORK/after"
  diff "$E2E_WORK/before" "$E2E_WORK/after" >&2 || fail "the uninstall left the differences above"
}

say "for everyone: older version, then $version over it, twice, then into another folder"
fresh_prefix machine
kind all
pf="$default"
games='C:\Games\SlidePuzzle'
run_setup "$E2E_WORK/old/older-setup.exe" /S || fail "the older installer failed"
check_install "$pf" 0.9.0
run_setup "${setup[0]}" /S || fail "the installer failed over the older version"
check_install "$pf" "$version"
run_setup "${setup[0]}" /S /AllUsers || fail "the second run of the installer failed"
check_install "$pf" "$version"
run_setup "${setup[0]}" /S "/D=$games" || fail "the installer failed with /D"
check_install "$games" "$version"
[ ! -e "$c/Program Files/SlidePuzzle" ] || fail "the earlier folder is left after the move"
refused "for one user over an install for everyone" "${setup[0]}" /S /CurrentUser

say "the entry in Add/Remove Programs and the shortcut"
[ "$(entry DisplayName)" = SlidePuzzle ] || fail "display name $(entry DisplayName)"
[ -n "$(entry Publisher)" ] || fail "no publisher"
[ $(($(entry EstimatedSize))) -gt 1000 ] || fail "size $(entry EstimatedSize) KiB"
[ "$(entry DisplayIcon)" = "$games\\SlidePuzzle.exe,0" ] || fail "icon $(entry DisplayIcon)"
[ "$(entry UninstallString)" = "\"$games\\Uninstall.exe\"" ] || fail "uninstall $(entry UninstallString)"
wine "$shortcut_info" "$lnk" >"$E2E_WORK/shortcut" 2>&1 || fail "unreadable shortcut: $(cat "$E2E_WORK/shortcut")"
info="$(tr -d '\r' <"$E2E_WORK/shortcut")"
target="$(sed -n 's/^target=//p' <<<"$info")"
# Under Wine the shortcut starts the game itself: Wine's conhost takes no command line. On
# Windows 10 and later it starts conhost.exe with the game's quoted path instead.
[ "$target" = "$games\\SlidePuzzle.exe" ] || fail "the shortcut starts $target"
grep -Fqx "arguments=" <<<"$info" || fail "the shortcut's arguments: $info"
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
uninstalled "$games"
say "for everyone: install, upgrade, /D, shortcut, start, refusals while running, clean uninstall"

# For one user, in a prefix of its own: a folder that cannot be made, an older version and this one over it, the other kind
# refused, the refusals while the game runs, a move into a folder with non-ASCII letters,
# and the uninstall.
say "for one user: refusals, older version, $version over it, a non-ASCII folder"
fresh_prefix user
kind user
# A drive on which no folder can be made, whatever the rights of whoever runs the test.
ln -s /proc "$WINEPREFIX/dosdevices/r:"
refused "a folder that cannot be made" "${setup[0]}" /S /CurrentUser '/D=R:\SlidePuzzle'
run_setup "$E2E_WORK/old/older-setup.exe" /S /CurrentUser || fail "the older installer for one user failed"
check_install "$default" 0.9.0
# Without a switch the kind already installed is kept.
run_setup "${setup[0]}" /S || fail "the installer failed over the older version for one user"
check_install "$default" "$version"
refused "for everyone over an install for one user" "${setup[0]}" /S /AllUsers
(cd "$(winepath -u "$default")" && exec wine SlidePuzzle.exe) >"$E2E_WORK/game.log" 2>&1 &
GAME_PID=$!
game_window
refused "reinstall for one user while the game runs" "${setup[0]}" /S
refused "uninstall for one user while the game runs" "$default\\Uninstall.exe" /S "_?=$default"
wine taskkill /f /im SlidePuzzle.exe >/dev/null 2>&1
wait "$GAME_PID" 2>/dev/null
GAME_PID=""
# No spaces: NSIS takes /D= unquoted, and Wine quotes an argument with spaces.
wide='C:\Spiele\Schöne-Bilder-拼图\SlidePuzzle'
run_setup "${setup[0]}" /S "/D=$wide" || fail "the installer failed in $wide"
check_install "$wide" "$version"
[ ! -e "$(winepath -u "$default")" ] || fail "the earlier folder is left after the move"
uninstalled "$wide"
say "PASS: both kinds installed, upgraded, refused where they must be, and uninstalled cleanly"
