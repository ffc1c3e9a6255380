#!/usr/bin/env bash
# Builds the dBASE and Paradox fuzz targets with clang (libFuzzer, ASan, UBSan) in build-fuzz, seeds their
# corpora from the sample tables and runs each for a bounded time. Exits non-zero when one crashes.
#   FUZZ_SECONDS   seconds per target (default 30)
#   FUZZ_BUILD_DIR build folder (default build-fuzz in the repository)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-30}
tables=$root/tests/fixtures/tables

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKAL_TESTS=ON -DKAL_FUZZ=ON -DKAL_SANITIZE=OFF >/dev/null
cmake --build "$build" --target fuzz_dbase_open fuzz_paradox_open fuzz_paradox_write -j2

# A seed is the table file's length (4 bytes, little-endian), the table file, then its companion file.
seed() { # seed OUT TABLE [COMPANION]
    python3 - "$@" <<'PY'
import struct, sys
out, table = sys.argv[1], sys.argv[2]
companion = sys.argv[3] if len(sys.argv) > 3 and sys.argv[3] else None
data = open(table, 'rb').read()
extra = open(companion, 'rb').read()[:200000] if companion else b''
open(out, 'wb').write(struct.pack('<I', len(data)) + data + extra)
PY
}

corpus=$build/fuzz-corpus
mkdir -p "$corpus/dbase" "$corpus/paradox" "$corpus/paradox_write" "$build/fuzz-artifacts"
seed "$corpus/dbase/dbase_8b" "$tables/dbase_8b.dbf" "$tables/dbase_8b.dbt"
seed "$corpus/dbase/dbase_03" "$tables/dbase_03.dbf"
seed "$corpus/dbase/encoding_1250" "$tables/encoding_1250.dbf"
# Layouts no sample table has: dBASE II and 7, Visual FoxPro's newer types, a Mazovia mark.
python3 "$root/tests/fuzz/make_dbase_seeds.py" "$corpus/dbase"
seed "$corpus/paradox/country" "$tables/country.db"
seed "$corpus/paradox/orders" "$tables/ORDERS.DB"
seed "$corpus/paradox/areacodes" "$tables/AREACODES.DB"
seed "$corpus/paradox/typsammlung" "$tables/TypSammlung.DB" "$tables/TypSammlung.MB"
seed "$corpus/paradox/biolife" "$tables/biolife.db" "$tables/biolife.mb"
# The writer's seeds: the table, then its blob file and primary index split the same way.
seed3() { # seed3 OUT TABLE BLOBS INDEX
    python3 - "$@" <<'PY'
import struct, sys
out, table, blobs, index = sys.argv[1:5]
def part(p):
    return open(p, 'rb').read()[:100000] if p else b''
data, b, i = part(table), part(blobs), part(index)
open(out, 'wb').write(struct.pack('<I', len(data)) + data + struct.pack('<I', len(b)) + b + i)
PY
}
seed3 "$corpus/paradox_write/typsammlung" "$tables/TypSammlung.DB" "$tables/TypSammlung.MB" "$tables/TypSammlung.PX"
seed3 "$corpus/paradox_write/orders" "$tables/ORDERS.DB" "" "$tables/ORDERS.PX"
seed3 "$corpus/paradox_write/areacodes" "$tables/AREACODES.DB" "" "$tables/AREACODES.PX"

status=0
for target in dbase_open paradox_open paradox_write; do
    echo "== fuzzing $target for $seconds s"
    if ! "$build/tests/fuzz/fuzz_${target}" "$corpus/${target%_open}" \
        -max_total_time="$seconds" -max_len=300000 -timeout=20 -rss_limit_mb=4096 \
        -artifact_prefix="$build/fuzz-artifacts/${target}-" -print_final_stats=1; then
        echo "fuzz_${target} found a failure; the input is in $build/fuzz-artifacts" >&2
        status=1
    fi
done
exit $status
