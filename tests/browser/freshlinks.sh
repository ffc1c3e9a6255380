#!/usr/bin/env bash
# A new merchant's first shop, checked by linkchecker from its start page: every page, frame, style
# sheet and picture it links reaches a file. Usage: freshlinks.sh MAKER WORK
set -euo pipefail
maker=$1
work=$2
command -v linkchecker >/dev/null || { echo "linkchecker is missing (scripts/install-deps.sh installs it)"; exit 1; }
rm -rf "$work"
mkdir -p "$work"
"$maker" "$work" > "$work/build-report.txt" 2> "$work/build-errors.txt" || { cat "$work/build-errors.txt"; exit 1; }
start=$(tail -n 1 "$work/build-report.txt")
# linkchecker drops root's rights to nobody's: the shop is checked from a copy anyone can read, since the
# build tree may lie below a private folder.
public=$(mktemp -d /tmp/kalmenor-links.XXXXXX)
trap 'rm -rf "$public"' EXIT
cp -r "$(dirname "$start")" "$public/shop"
chmod -R a+rX "$public"
if ! linkchecker --no-status --no-warnings -o text "file://$public/shop/$(basename "$start")" > "$work/links.txt" 2>&1; then
  cat "$work/build-errors.txt" "$work/links.txt"
  exit 1
fi
grep -q ' 0 errors found' "$work/links.txt" || { cat "$work/links.txt"; exit 1; }
# A shop without broken links has nothing to count either.
if grep -q 'Missing pictures' "$work/build-errors.txt"; then cat "$work/build-errors.txt"; exit 1; fi
echo "fresh shop: $(grep -o '[0-9]* links in [0-9]* URLs checked' "$work/links.txt"), 0 broken"
