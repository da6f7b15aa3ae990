#!/usr/bin/env bash
# Runs a Windows program under Wine with an audio device that writes what it plays to a file:
# a private HOME whose .asoundrc makes ALSA's default PCM a `file` sink over `null`. The
# program finds the file (a Windows path) in SLATE_AUDIO_CAPTURE.
#   tests/support/audio_capture.sh prog.exe [args...]
set -eu
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
home="$(mktemp -d "${TMPDIR:-/tmp}/slate-audio.XXXXXX")"
trap '[ -n "${SLATE_KEEP_CAPTURE:-}" ] && cp "$home/capture.raw" "$SLATE_KEEP_CAPTURE"; rm -rf "$home"' EXIT
cat >"$home/.asoundrc" <<ASOUNDRC
pcm.!default {
  type file
  slave.pcm "null"
  file "$home/capture.raw"
  format "raw"
}
ASOUNDRC
export HOME="$home"
export SLATE_AUDIO_CAPTURE="Z:${home//\//\\}\\capture.raw"
status=0
"$root/scripts/wine-run" "$@" || status=$?
exit "$status"
