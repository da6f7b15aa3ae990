# Shared by scripts/test, scripts/play and scripts/wine-run: paths, package installation,
# the virtual display and the persistent wineserver. Source it; it defines functions only.

SLATE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SLATE_BUILD="${SLATE_BUILD_DIR:-$SLATE_ROOT/build}"
SLATE_CROSS="$SLATE_BUILD/mingw"
SLATE_NATIVE="$SLATE_BUILD/native"

# Debian packages the build, the tests and the game need.
SLATE_PACKAGES=(cmake ninja-build g++ googletest clang-format
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool imagemagick x11-utils openbox
  libbenchmark-dev libpixman-1-dev fonts-arphic-ukai fonts-kristi fonts-dejavu-core)
# The second compiler's build: clang, and lld to link it.
SLATE_PACKAGES+=(clang lld)

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

# Starts Xvfb on the first free display and exports DISPLAY; SLATE_XVFB_PID holds its pid.
start_xvfb() {
  local n=${SLATE_FIRST_DISPLAY:-90}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  SLATE_XVFB_PID=$!
  local i
  for i in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  export DISPLAY=":$n"
}

stop_xvfb() {
  [ -n "${SLATE_XVFB_PID:-}" ] || return 0
  kill "$SLATE_XVFB_PID" 2>/dev/null
  wait "$SLATE_XVFB_PID" 2>/dev/null
  SLATE_XVFB_PID=""
}

# The project-local Wine prefix lives under the cross build folder.
wine_env() {
  export WINEPREFIX="${1:-$SLATE_CROSS}/wineprefix"
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
