#!/usr/bin/env bash
# Builds the demo shop with the given maker program into WORK and runs the browser tests on it.
set -euo pipefail
maker=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -d "$here/node_modules/playwright-core" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi
rm -rf "$work"
mkdir -p "$work"
"$maker" "$work" classic > "$work/build-report.txt"
start=$(tail -n 1 "$work/build-report.txt")
exec node "$here/shop.test.mjs" "$(dirname "$start")" "$work"
