#!/usr/bin/env bash
# Open -> draw -> close -> open again, 1,000 times in one process: every opening must give a
# window that draws (window_test's WindowCycles case). It runs on a private display with a
# window manager, from tests/e2e/lib.sh: without one, Wine waits 2 s at every close for a
# window manager that never answers, and 1,000 cycles would take over half an hour.
#   window_cycles_test.sh WINDOW_TEST.exe [CYCLES]
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/e2e/lib.sh"
exe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
build="$(dirname "$exe")"
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build="$(dirname "$build")"; done
wine_env "$build"
E2E_WORK="$(mktemp -d /tmp/slate-cycles.XXXXXX)"
trap e2e_cleanup EXIT
e2e_start_display
e2e_ensure_wineserver
SLATE_WINDOW_CYCLES="${2:-1000}" "$SLATE_ROOT/scripts/wine-run" "$exe" \
  --gtest_filter=WindowCycles.EveryOpeningGivesAWindow
