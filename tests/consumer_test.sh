#!/usr/bin/env bash
# Builds the consumer project (tests/consumer) against Slate the way another program would
# get it, with the toolchain file of the given build, and runs it under Wine, where it
# checks its own window's pixels.
#   consumer_test.sh install BUILD WORK  against `cmake --install` of the sdk component
#   consumer_test.sh archive BUILD WORK  against the release archive, unpacked into a
#                                        temporary folder, with the archive's own toolchain
#                                        file (the game's archive is checked too)
#   consumer_test.sh subdir  BUILD WORK  configured from the sources through
#                                        add_subdirectory, which must leave the game and
#                                        the tests out
# WORK keeps the consumer's builds between runs; archive mode uses a fresh folder each time.
set -u
mode=$1
build="$(cd "$2" && pwd)"
work="$3/$mode"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../scripts/common.sh"
toolchain="$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$build/CMakeCache.txt")"
mkdir -p "$work"

fail() {
  echo "FAIL (consumer $mode): $*" >&2
  [ -f "$work/log" ] && tail -n 30 "$work/log" >&2
  exit 1
}

# configure DIR [cmake args...] and compile DIR: the consumer project in DIR.
configure() {
  local dir=$1
  shift
  cmake -S "$here/consumer" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" "$@" >"$work/log" 2>&1 || fail "configure"
}
compile() { cmake --build "$1" >>"$work/log" 2>&1 || fail "build"; }

# The program runs in the Wine prefix of the build that is tested, not in one of its own.
run() {
  wine_env "$build"
  wine "$1/consumer.exe" >"$work/log" 2>&1 || fail "run"
  cat "$work/log"
}

# archive NAME: the one archive of that name that CPack made.
archive() {
  local files=("$work"/packages/$1)
  [ -f "${files[0]}" ] || fail "no $1 in $(ls "$work/packages")"
  echo "${files[0]}"
}

case $mode in
install)
  rm -rf "$work/prefix"
  cmake --install "$build" --component sdk --prefix "$work/prefix" >"$work/log" 2>&1 ||
    fail "install"
  [ ! -e "$work/prefix/include/slate/draw_target.h" ] || fail "an internal header is installed"
  # The toolchain file keeps package searches inside the MinGW root: name the folder.
  configure "$work/build" -DSlate_DIR="$work/prefix/lib/cmake/Slate"
  compile "$work/build"
  run "$work/build"
  ;;
archive)
  rm -rf "$work"
  mkdir -p "$work/unpacked"
  for config in CPackConfig.cmake CPackConfig-Slate.cmake; do
    cpack --config "$build/$config" -B "$work/packages" >>"$work/log" 2>&1 || fail "cpack"
  done
  game="$(archive 'SlidePuzzle-*-win64.zip')"
  listing="$(cmake -E tar tf "$game")"
  for file in SlidePuzzle.exe README.md LICENSE OFL-Kristi.txt ARPHICPL.txt; do
    grep -q "/$file\$" <<<"$listing" || fail "$file is not in $(basename "$game")"
  done
  (cd "$work/unpacked" && cmake -E tar xf "$(archive 'Slate-*-mingw-w64.zip')") ||
    fail "unpacking"
  package=("$work"/unpacked/Slate-*/lib/cmake/Slate)
  [ -f "${package[0]}/SlateConfig.cmake" ] || fail "no CMake package in the archive"
  # From the archive alone: its own toolchain file, nothing of the sources.
  toolchain=("$work"/unpacked/Slate-*/cmake/mingw-w64-x86_64.cmake)
  [ -f "${toolchain[0]}" ] || fail "no toolchain file in the archive's cmake/"
  configure "$work/build" -DSlate_DIR="${package[0]}"
  compile "$work/build"
  run "$work/build"
  # The examples' sources in the archive build on their own against its package.
  examples=("$work"/unpacked/Slate-*/examples)
  [ -f "${examples[0]}/picture.bmp" ] || fail "the rotation example's picture is not in the archive"
  cmake -S "${examples[0]}" -B "$work/examples" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DSlate_DIR="${package[0]}" >"$work/log" 2>&1 ||
    fail "configure the examples"
  compile "$work/examples"
  [ -f "$work/examples/picture.bmp" ] || fail "the rotation example's picture is not beside it"
  # Snake from the package, played with real X keys by its screen check. It runs from the
  # project's build, whose Wine prefix is ready.
  mkdir -p "$build/consumer-examples"
  cp "$work/examples/snake.exe" "$build/consumer-examples/"
  bash "$here/examples/run_example.sh" snake "$build/consumer-examples/snake.exe" \
    >"$work/log" 2>&1 || fail "snake built against the package"
  rm -rf "$work"
  ;;
subdir)
  # Generating is enough: a consumer linking a Slate::slate that does not exist fails there.
  # Building would only compile the library a second time.
  configure "$work/build" -DSLATE_SOURCE_DIR="$here/.."
  if cmake --build "$work/build" --target help | grep -Eq '^(SlidePuzzle|assetgen|gtest)\b'; then
    fail "the game or the tests came along with the library"
  fi
  ;;
*) fail "unknown mode" ;;
esac
