#!/usr/bin/env bash
# Both release archives, unpacked as their users unpack them: every relative link and
# picture reference in every document they ship must name a file inside the same archive.
# Addresses with a scheme (https:, mailto:) and links within a page (#...) are not files.
#   links_test.sh BUILD
set -uo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d /tmp/slate-links.XXXXXX)"
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL (links): $*" >&2
  exit 1
}

for config in CPackConfig.cmake CPackConfig-Slate.cmake; do
  cpack --config "$build/$config" -B "$work/packages" >"$work/log" 2>&1 || fail "cpack: $(tail -5 "$work/log")"
done
archives=("$work"/packages/*.zip)
[ ${#archives[@]} = 2 ] || fail "expected two archives, got: ${archives[*]}"

# The targets of a Markdown or HTML document: [text](target "title"), ![alt](target),
# [label]: target, src="target" and href="target".
targets() {
  grep -oE '\]\([^)]+\)' "$1" | sed -E 's/^\]\(//; s/\)$//; s/ +"[^"]*"$//'
  grep -oE '^ {0,3}\[[^]]+\]: +[^ ]+' "$1" | sed -E 's/^[^:]*: +//'
  grep -oE '(src|href)="[^"]+"' "$1" | sed -E 's/^[a-z]+="//; s/"$//'
}

checked=0
for archive in "${archives[@]}"; do
  name="$(basename "$archive" .zip)"
  mkdir -p "$work/unpacked/$name"
  (cd "$work/unpacked/$name" && cmake -E tar xf "$archive") || fail "cannot unpack $name"
  root="$(realpath "$work/unpacked/$name")"
  [ -f "$root/$name/README.md" ] || fail "$name has no README.md of its own"
  while IFS= read -r -d '' doc; do
    while IFS= read -r target; do
      case "$target" in '' | '#'* | *://* | mailto:*) continue ;; esac
      path="$(realpath -m "$(dirname "$doc")/${target%%#*}")"
      case "$path" in "$root"/*) ;; *) fail "${doc#"$root"/} links outside $name: $target" ;; esac
      [ -e "$path" ] || fail "${doc#"$root"/} links to $target, which $name does not hold"
      checked=$((checked + 1))
    done < <(targets "$doc")
  done < <(find "$root" \( -name '*.md' -o -name '*.html' -o -name '*.txt' \) -print0)
done
echo "links: $checked relative links and pictures resolve in ${#archives[@]} archives"
