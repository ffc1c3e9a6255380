#!/usr/bin/env bash
# Reading a 200,000-record dBASE file with six fields of mixed types through the table engine (every
# field of every record, as a Table and as a Query result), against converting the same file with
# ogr2ogr -f SQLite. Prints the ratios; goal: engine / ogr2ogr <= 0.5.
# usage: bench/dbase_read_bench.sh [BUILD_DIR] [RECORDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-bench}
records=${2:-200000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ ! -f "$build/src/shell/tables/libkal_tables.a" ] || [ "${REBUILD:-0}" = 1 ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target kal_tables -j2 >/dev/null
bench=$build/dbase_read_bench
# shellcheck disable=SC2046
g++ -std=gnu++20 -O2 -fPIC -I"$here/src" -DQT_NO_KEYWORDS "$here/bench/dbase_read_bench.cpp" -o "$bench" \
    "$build/src/shell/tables/libkal_tables.a" $(pkg-config --cflags --libs Qt6Core pxlib) -lsqlite3 -lshp

python3 - "$work/big.dbf" "$records" <<'PY'
import struct, sys, random, datetime
path, n = sys.argv[1], int(sys.argv[2])
fields = [(b"NAME", b"C", 30, 0), (b"CITY", b"C", 20, 0), (b"QTY", b"N", 10, 0),
          (b"PRICE", b"N", 12, 2), (b"DAY", b"D", 8, 0), (b"FLAG", b"L", 1, 0)]
reclen = 1 + sum(f[2] for f in fields)
hdrlen = 32 + 32 * len(fields) + 1
random.seed(11)
cities = ["Warszawa", "Kraków", "Gdańsk", "Łódź", "Poznań", "Wrocław"]
with open(path, "wb") as f:
    f.write(struct.pack("<BBBBIHH17xB2x", 3, 126, 12, 7, n, hdrlen, reclen, 0xC8))
    for name, typ, size, dec in fields:
        f.write(struct.pack("<11sc4xBB14x", name, typ, size, dec))
    f.write(b"\r")
    day0 = datetime.date(2000, 1, 1)
    for i in range(n):
        d = day0 + datetime.timedelta(days=i % 9000)
        f.write(b" " + ("Towar %d" % i).ljust(30).encode("cp1250")
                + random.choice(cities).ljust(20).encode("cp1250")
                + str(i % 1000).rjust(10).encode() + ("%.2f" % (i * 0.37)).rjust(12).encode()
                + d.strftime("%Y%m%d").encode() + (b"T" if i % 2 else b"F"))
    f.write(b"\x1a")
PY

seconds() { local s e; s=$(date +%s.%N); "$@" >"$work/last.txt"; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
ratio() { echo "scale=2; $1 / $2" | bc -l; }

t_table=$(seconds "$bench" table "$work/big.dbf")
printf 'engine, Table     %6.2f s  (%s)\n' "$t_table" "$(cat "$work/last.txt")"
t_query=$(seconds "$bench" query "$work/big.dbf")
printf 'engine, Query     %6.2f s  (%s)\n' "$t_query" "$(cat "$work/last.txt")"
if command -v ogr2ogr >/dev/null; then
    t_ogr=$(seconds ogr2ogr -f SQLite "$work/ogr.sqlite" "$work/big.dbf")
    printf 'ogr2ogr -f SQLite %6.2f s\n' "$t_ogr"
    echo "Table / ogr2ogr (goal <= 0.5): $(ratio "$t_table" "$t_ogr")"
    echo "Query / ogr2ogr (goal <= 0.5): $(ratio "$t_query" "$t_ogr")"
else
    echo "ogr2ogr not installed (Debian package gdal-bin): no ratio"
fi
