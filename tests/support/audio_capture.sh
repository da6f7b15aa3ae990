#!/usr/bin/env bash
# Runs a Windows program under Wine with an audio device that writes what it plays to a file:
# a private HOME whose .asoundrc makes ALSA's default PCM a `file` sink over `null`. The
# program finds the file (a Windows path) in SLATE_AUDIO_CAPTURE.
#   tests/support/audio_capture.sh prog.exe [args...]
# Sourced, it only defines capture_home (tests/examples/run_example.sh uses it).

# capture_home DIR: makes DIR such a HOME, its capture DIR/capture.raw, and exports HOME and
# SLATE_AUDIO_CAPTURE for the programs started after.
capture_home() {
  mkdir -p "$1"
  cat >"$1/.asoundrc" <<ASOUNDRC
pcm.!default {
  type file
  slave.pcm "null"
  file "$1/capture.raw"
  format "raw"
}
ASOUNDRC
  export HOME="$1"
  export SLATE_AUDIO_CAPTURE="Z:${1//\//\\}\\capture.raw"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -eu
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
  home="$(mktemp -d "${TMPDIR:-/tmp}/slate-audio.XXXXXX")"
  trap 'rm -rf "$home"' EXIT
  capture_home "$home"
  status=0
  "$root/scripts/wine-run" "$@" || status=$?
  exit "$status"
fi
