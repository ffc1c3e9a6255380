#!/usr/bin/env bash
# Catalogue speed at merchant scale: ~20,000 tree nodes over 10,000 products with small pictures.
# Prints the seconds of loading and saving the tree file and of opening the products list with its
# pictures (each should stay well under a second).
# usage: bench/catalogue_bench.sh [BUILD_DIR] [PRODUCTS]
set -euo pipefail
source "$(dirname "$0")/benchlib.sh"
build=${1:-$here/build-bench}
count=${2:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

bench_build "$build" catalogue_bench
bench=$build/bench/catalogue_bench

"$bench" "$work/program" "$count" >/dev/null   # prepares the folder (not timed) and warms the caches
"$bench" "$work/program" "$count"
