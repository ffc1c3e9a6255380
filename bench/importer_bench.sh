#!/usr/bin/env bash
# Importer speed against the usual tools, on 200,000 records of a six-field dBASE file:
#   importer copy --create  vs  ogr2ogr -f SQLite      (goal: ratio <= 1.0, medians of 5 pairs)
#   importer export --csv  vs  sqlite3 -csv           (goal: ratio <= 1.0, medians of 5 pairs)
#   importer export --html / --text  vs  sqlite3 -html / -separator '|'   (goal: ratio <= 1.5)
# usage: bench/importer_bench.sh [BUILD_DIR] [RECORDS]
set -euo pipefail
source "$(dirname "$0")/benchlib.sh"
build=${1:-$here/build-bench}
records=${2:-200000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bench_build "$build" importer
importer=$build/src/ui/importer/importer
make_dbf "$work/big.dbf" "$records" 7 Product 0

# Native target with the same six fields (a native table file holds one table named after the file).
sqlite3 "$work/target.db" 'CREATE TABLE target ("NAME" CHAR(30), "CITY" CHAR(20), "QTY" DOUBLE, "PRICE" DOUBLE, "DAY" DATE, "FLAG" BOOLEAN)'

# CPU seconds (user + system) of a command and its children: steadier than wall time on a busy machine.
seconds() {
    /usr/bin/time -o "$work/time" -f '%U %S' "$@" >/dev/null 2>&1
    awk '{ printf "%.2f", $1 + $2 }' "$work/time"
}

# Median of five pairs run one after the other, so both sides meet the same load of the machine.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
pairs() { # pairs NAME_A CMD_A... -- CMD_B...: prints "median_a median_b"
    local a=() b=() seen=0 arg
    for arg in "$@"; do
        if [ "$arg" = "--" ]; then seen=1; continue; fi
        if [ $seen = 0 ]; then a+=("$arg"); else b+=("$arg"); fi
    done
    : > "$work/ta"; : > "$work/tb"
    for i in 1 2 3 4 5; do
        rm -f "$work"/new*.sqlite "$work/ogr.sqlite"
        seconds "${a[@]}" >> "$work/ta"; echo >> "$work/ta"
        seconds "${b[@]}" >> "$work/tb"; echo >> "$work/tb"
    done
    echo "$(median < "$work/ta") $(median < "$work/tb")"
}

t_copy=$(seconds "$importer" copy "$work/big.dbf" "$work/target.db" --yes)
printf 'importer copy     %6.2f s CPU (%s records)\n' "$t_copy" "$(sqlite3 "$work/target.db" 'select count(*) from target')"
if command -v ogr2ogr >/dev/null; then
    read -r t_new t_ogr < <(pairs "$importer" copy "$work/big.dbf" "$work/new.sqlite" --create -- \
                                 ogr2ogr -f SQLite "$work/ogr.sqlite" "$work/big.dbf")
    printf 'importer copy --create %6.2f s CPU, ogr2ogr -f SQLite %6.2f s (medians of 5 pairs)\n' "$t_new" "$t_ogr"
    echo "copy ratio (goal <= 1.0): $(ratio "$t_new" "$t_ogr")"
else
    echo "ogr2ogr not installed (Debian package gdal-bin): no copy ratio"
fi

read -r t_csv t_sqlcsv < <(pairs "$importer" export --csv "$work/target.db" "$work/out.csv" -- \
                                 sh -c "sqlite3 -csv -header '$work/target.db' 'select * from target' > '$work/ref.csv'")
printf 'export csv %6.2f s CPU, sqlite3 -csv %6.2f s (medians of 5 pairs)\n' "$t_csv" "$t_sqlcsv"
echo "csv export ratio (goal <= 1.0): $(ratio "$t_csv" "$t_sqlcsv")"

t_html=$(seconds "$importer" export --html "$work/target.db" "$work/out.html")
t_text=$(seconds "$importer" export --text --separator '|' "$work/target.db" "$work/out.txt")
t_sqlhtml=$(seconds sh -c "sqlite3 -html '$work/target.db' 'select * from target' > '$work/ref.html'")
t_sqltext=$(seconds sh -c "sqlite3 -separator '|' '$work/target.db' 'select * from target' > '$work/ref.txt'")
printf 'export html %6.2f s CPU, sqlite3 -html %6.2f s, ratio (goal <= 1.5): %s\n' "$t_html" "$t_sqlhtml" "$(ratio "$t_html" "$t_sqlhtml")"
printf 'export text %6.2f s CPU, sqlite3 -separator %6.2f s, ratio (goal <= 1.5): %s\n' "$t_text" "$t_sqltext" "$(ratio "$t_text" "$t_sqltext")"
