# Shared by scripts/test, scripts/play and scripts/wine-run: paths, package installation,
# the virtual display and the persistent wineserver. Source it; it defines functions only.

SLATE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SLATE_BUILD="${SLATE_BUILD_DIR:-$SLATE_ROOT/build}"
SLATE_CROSS="$SLATE_BUILD/mingw"
SLATE_NATIVE="$SLATE_BUILD/native"
SLATE_TSAN="$SLATE_BUILD/tsan"

# Debian packages the build, the tests and the game need.
SLATE_PACKAGES=(cmake ninja-build g++ googletest clang-format
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool imagemagick x11-utils openbox
  libbenchmark-dev libpixman-1-dev fonts-arphic-ukai fonts-kristi fonts-dejavu-core
  python3-fonttools)
# The second compiler's build: clang, and lld to link it.
SLATE_PACKAGES+=(clang lld)
# The game's installer: makensis, which CPack drives.
SLATE_PACKAGES+=(nsis)
# Sound: stb_vorbis decodes OGG Vorbis, built into the library.
SLATE_PACKAGES+=(libstb-dev)
# The decoding tests encode their OGG test tone with oggenc.
SLATE_PACKAGES+=(vorbis-tools)

say() { printf '==> %s\n' "$*" >&2; }

# Installs whichever of the given Debian packages are missing (apt-get update first).
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  say "installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds the Windows program and its tests.
build_cross() {
  if [ ! -f "$SLATE_CROSS/build.ninja" ]; then
    cmake -S "$SLATE_ROOT" -B "$SLATE_CROSS" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$SLATE_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
  fi
  cmake --build "$SLATE_CROSS" "$@"
}

# Configures (once) and builds the runtime, the game and the examples with clang for
# Windows, warnings as errors. A compile check: the game gets no pictures or music, so no
# Wine is needed, and no tests are built.
build_clang() {
  local dir="$SLATE_BUILD/clang"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$SLATE_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$SLATE_ROOT/cmake/clang-mingw-w64-x86_64.cmake" \
      -DSLATE_BUILD_TESTS=OFF -DSLATE_EMBED_ASSETS=OFF -DSLATE_INSTALL=OFF \
      -DCMAKE_C_FLAGS=-Werror -DCMAKE_CXX_FLAGS=-Werror >/dev/null
  fi
  cmake --build "$dir" "$@"
}

# Configures (once) and builds the portable code natively, with sanitizers.
build_native() {
  if [ ! -f "$SLATE_NATIVE/build.ninja" ]; then
    cmake -S "$SLATE_ROOT" -B "$SLATE_NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DSLATE_SANITIZE=ON >/dev/null
  fi
  cmake --build "$SLATE_NATIVE" "$@"
}

# Configures (once) and builds the given native targets with ThreadSanitizer.
build_tsan() {
  if [ ! -f "$SLATE_TSAN/build.ninja" ]; then
    cmake -S "$SLATE_ROOT" -B "$SLATE_TSAN" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
  fi
  cmake --build "$SLATE_TSAN" "$@"
}

# start_xvfb [FIRST [XVFB_OPTION...]]: Xvfb on the first free display from FIRST on (90, or
# SLATE_FIRST_DISPLAY), with these extra options. Returns once the display answers, with
# DISPLAY exported and SLATE_XVFB_PID set; fails with a message if no display came up in
# time. Shared by every script and by the end-to-end tests.
start_xvfb() {
  local first=${1:-${SLATE_FIRST_DISPLAY:-90}} n i
  [ $# -gt 0 ] && shift
  command -v Xvfb >/dev/null && command -v xdpyinfo >/dev/null ||
    { say "Xvfb or xdpyinfo is missing (packages xvfb, x11-utils)"; return 1; }
  SLATE_XVFB_PID=""
  for ((n = first; n < first + 40; n++)); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp "$@" >/dev/null 2>&1 &
    SLATE_XVFB_PID=$!
    # Up to 10 s for the server to answer. The lock file names the server that owns the
    # display: one that lost it to another server starting at the same moment exits, and
    # the next number is tried.
    for i in $(seq 200); do
      kill -0 "$SLATE_XVFB_PID" 2>/dev/null || break
      if [ "$(tr -dc 0-9 2>/dev/null <"/tmp/.X$n-lock")" = "$SLATE_XVFB_PID" ] &&
        DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.05
    done
    stop_xvfb
  done
  say "no X display answered (tried :$first to :$((n - 1))): each Xvfb exited or stayed silent for 10 s"
  return 1
}

# Stops the display started above. A display that has already died is not an error: the
# tests that ran on it have their own verdicts.
stop_xvfb() {
  [ -n "${SLATE_XVFB_PID:-}" ] || return 0
  kill "$SLATE_XVFB_PID" 2>/dev/null || true
  wait "$SLATE_XVFB_PID" 2>/dev/null || true
  SLATE_XVFB_PID=""
}

# The project-local Wine prefix lives under the cross build folder. With SLATE_PLAIN_FONTS=1
# it is a second one, wineprefix-plain, which scripts/wine-run gives none of the font
# replacements: the faces a stock Windows has, and no others.
wine_env() {
  export WINEPREFIX="${1:-$SLATE_CROSS}/wineprefix${SLATE_PLAIN_FONTS:+-plain}"
  export WINEDEBUG=-all
  # No Mono or Gecko install prompts in a fresh prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# One wineserver serves a whole run; it is ended with the run.
start_wineserver() {
  mkdir -p "$WINEPREFIX"
  wineserver -p
}
stop_wineserver() { wineserver -k 2>/dev/null || true; }
