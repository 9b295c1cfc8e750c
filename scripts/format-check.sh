#!/usr/bin/env bash
# Fails when a tracked C++ source differs from the house style (.clang-format), and names the
# files; `bash scripts/format-check.sh --fix` formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The tracked sources; outside a git work tree (a copied tree) every source but the builds'.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path './build*' -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
fi
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  if clang-format --output-replacements-xml "$f" | grep -q '<replacement '; then bad+=("$f"); fi
done
if [ ${#bad[@]} -ne 0 ]; then
  echo "format check: ${#bad[@]} file(s) differ from .clang-format:" >&2
  printf '  %s\n' "${bad[@]}" >&2
  echo "run: bash scripts/format-check.sh --fix (or git clang-format on your change)" >&2
  exit 1
fi
echo "format check: ${#files[@]} files as .clang-format says"
