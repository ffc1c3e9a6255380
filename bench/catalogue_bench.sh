#!/usr/bin/env bash
# Catalogue speed at merchant scale: ~20,000 tree nodes over 10,000 products with small pictures.
# Prints the seconds of loading and saving the tree file and of opening the products list with its
# pictures (each should stay well under a second).
# usage: bench/catalogue_bench.sh [BUILD_DIR] [PRODUCTS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-bench}
count=${2:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

if [ ! -f "$build/build.ninja" ] || [ "${REBUILD:-0}" = 1 ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target kal_kalmenor_ui -j2 >/dev/null
bench=$build/catalogue_bench
libs=()
for lib in ui/kalmenor/libkal_kalmenor_ui.a ui/common/libkal_uicommon.a generator/libkal_generator.a \
           publish/libkal_publish.a catalogue/libkal_catalogue.a shell/libkal_shell.a shell/tables/libkal_tables.a; do
    [ -f "$build/src/$lib" ] && libs+=("$build/src/$lib")
done
# shellcheck disable=SC2046
g++ -std=gnu++20 -O2 -fPIC -I"$here/src" -DKAL_SOURCE_DIR="\"$here\"" -DQT_NO_KEYWORDS \
    "$here/bench/catalogue_bench.cpp" -o "$bench" "${libs[@]}" "${libs[@]}" \
    $(pkg-config --cflags --libs Qt6Widgets Qt6Gui Qt6Core Qt6Network pxlib) -ljpeg -lsqlite3 -lshp

"$bench" "$work/program" "$count" >/dev/null   # prepares the folder (not timed) and warms the caches
"$bench" "$work/program" "$count"
