#!/usr/bin/env bash
# Fails when two tracked paths are equal but for case: they would be one file on a file system
# that ignores case (Windows, macOS).
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  paths=$(git ls-files)
else
  paths=$(find . -path ./.git -prune -o -path './build*' -prune -o -type f -print | sed 's|^\./||')
fi
# Every path and every folder above it, then those that occur more than once when case is ignored.
clashes=$(printf '%s\n' "$paths" | awk -F/ '{ p = ""; for (i = 1; i <= NF; i++) { p = (i > 1 ? p "/" : "") $i; print p } }' |
          sort -u | sort -f | uniq -Di)
if [ -n "$clashes" ]; then
  echo "Paths equal but for case (rename one of each group):" >&2
  printf '%s\n' "$clashes" | sed 's/^/  /' >&2
  exit 1
fi
echo "case check: $(printf '%s\n' "$paths" | wc -l) paths, no two equal but for case"
