#!/usr/bin/env bash
# Reading a 200,000-record dBASE file with six fields of mixed types through the table engine (every
# field of every record, as a Table and as a Query result), against converting the same file with
# ogr2ogr -f SQLite. Prints the ratios; goal: engine / ogr2ogr <= 0.5.
# usage: bench/dbase_read_bench.sh [BUILD_DIR] [RECORDS]
set -euo pipefail
source "$(dirname "$0")/benchlib.sh"
build=${1:-$here/build-bench}
records=${2:-200000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bench_build "$build" dbase_read_bench
bench=$build/bench/dbase_read_bench
make_dbf "$work/big.dbf" "$records" 11 Towar 200

t_table=$(wall_seconds "$bench" table "$work/big.dbf")
printf 'engine, Table     %6.2f s  (%s)\n' "$t_table" "$(cat "$work/last.txt")"
t_query=$(wall_seconds "$bench" query "$work/big.dbf")
printf 'engine, Query     %6.2f s  (%s)\n' "$t_query" "$(cat "$work/last.txt")"
if command -v ogr2ogr >/dev/null; then
    t_ogr=$(wall_seconds ogr2ogr -f SQLite "$work/ogr.sqlite" "$work/big.dbf")
    printf 'ogr2ogr -f SQLite %6.2f s\n' "$t_ogr"
    echo "Table / ogr2ogr (goal <= 0.5): $(ratio "$t_table" "$t_ogr")"
    echo "Query / ogr2ogr (goal <= 0.5): $(ratio "$t_query" "$t_ogr")"
else
    echo "ogr2ogr not installed (Debian package gdal-bin): no ratio"
fi
