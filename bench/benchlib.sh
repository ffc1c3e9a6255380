# Shared by the bench/*.sh scripts (sourced): the benchmark build and the generated test tables.
# shellcheck shell=bash
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# bench_build BUILD_DIR TARGET...: a Release build with the benchmarks' programs, brought up to date.
bench_build() {
    local build=$1
    shift
    if ! grep -qs '^KAL_BENCH:BOOL=ON' "$build/CMakeCache.txt" || [ "${REBUILD:-0}" = 1 ]; then
        cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAL_BENCH=ON >/dev/null
    fi
    cmake --build "$build" --target "$@" -j2 >/dev/null
}

# make_dbf PATH RECORDS SEED NAME_PREFIX CODEPAGE_MARK: a dBASE III file of six fields of mixed types
# (name, city, quantity, price, day, flag); the same arguments give the same bytes.
make_dbf() {
    python3 - "$@" <<'PY'
import struct, sys, random, datetime
path, n, seed, prefix, mark = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], int(sys.argv[5])
fields = [(b"NAME", b"C", 30, 0), (b"CITY", b"C", 20, 0), (b"QTY", b"N", 10, 0),
          (b"PRICE", b"N", 12, 2), (b"DAY", b"D", 8, 0), (b"FLAG", b"L", 1, 0)]
reclen = 1 + sum(f[2] for f in fields)
hdrlen = 32 + 32 * len(fields) + 1
random.seed(seed)
cities = ["Warszawa", "Kraków", "Gdańsk", "Łódź", "Poznań", "Wrocław"]
with open(path, "wb") as f:
    f.write(struct.pack("<BBBBIHH17xB2x", 3, 126, 12, 7, n, hdrlen, reclen, mark))
    for name, typ, size, dec in fields:
        f.write(struct.pack("<11sc4xBB14x", name, typ, size, dec))
    f.write(b"\r")
    day0 = datetime.date(2000, 1, 1)
    for i in range(n):
        d = day0 + datetime.timedelta(days=i % 9000)
        f.write(b" " + ("%s %d" % (prefix, i)).ljust(30).encode("cp1250")
                + random.choice(cities).ljust(20).encode("cp1250")
                + str(i % 1000).rjust(10).encode() + ("%.2f" % (i * 0.37)).rjust(12).encode()
                + d.strftime("%Y%m%d").encode() + (b"T" if i % 2 else b"F"))
    f.write(b"\x1a")
PY
}

# wall_seconds CMD...: the wall-clock seconds of a command; its output goes to $work/last.txt.
# shellcheck disable=SC2154 # work: the calling script's scratch folder
wall_seconds() {
    local s e
    s=$(date +%s.%N)
    "$@" >"$work/last.txt"
    e=$(date +%s.%N)
    echo "$e - $s" | bc -l
}

ratio() { echo "scale=2; $1 / $2" | bc -l; }
