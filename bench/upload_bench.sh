#!/usr/bin/env bash
# Upload speed: a shop of about 2,000 files (product pages and pictures of the generator benchmark, or
# files of the same sizes when that benchmark cannot run) sent to a local pyftpdlib server in passive
# mode, by Kalmenor and by lftp's "mirror -R" over one connection. Prints:
#   commands per file, Kalmenor and lftp   (goal: Kalmenor <= lftp)
#   Kalmenor / lftp for N files            (goal <= 1.0)
#   republish with nothing changed / 1 s   (goal < 1.0)
#   Kalmenor / lftp when every file changed (each one replaces its old copy through a rename; no goal)
#   both again for 400 files with 2 ms each way on the control connection (bench/delayproxy.py): the
#   round trips a distant server costs, which the loopback hides (no goal)
# usage: bench/upload_bench.sh [BUILD_DIR] [FILES]
set -euo pipefail
source "$(dirname "$0")/benchlib.sh"
build=${1:-$here/build-bench}
files=${2:-2000}
work=$(mktemp -d)
server_pid=
slow_pids=
cleanup() {
    # shellcheck disable=SC2086
    kill $server_pid $slow_pids 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen

command -v lftp >/dev/null || { echo "lftp is missing (apt-get install lftp)" >&2; exit 1; }
python=/usr/bin/python3
[ -x "$python" ] || python=python3

bench_build "$build" upload_bench shop_bench
bench=$build/bench/upload_bench

# The shop: the generator benchmark's pages and pictures when it runs, else files of the same sizes.
shop=$work/shop
products=$(( files / 3 ))
shop_bench=$build/bench/shop_bench
if [ -x "$shop_bench" ] && "$shop_bench" prepare "$work/program" "$products" >/dev/null 2>&1 \
    && mkdir -p "$work/config" && "$shop_bench" build "$work/program" "$work/config" "$shop" >/dev/null 2>&1; then
    echo "shop: generator benchmark, $products products"
else
    rm -rf "$shop"
    mkdir -p "$shop/img"
    for i in $(seq 1 "$products"); do
        id=$(printf 'ID%09dP' "$i")
        head -c 6000 /dev/urandom | base64 > "$shop/$id.html"
        head -c 9000 /dev/urandom > "$shop/img/${id}D.jpg"
        head -c 3000 /dev/urandom > "$shop/img/${id}M.jpg"
    done
    echo "shop: synthetic pages and pictures"
fi
count=$(find "$shop" -maxdepth 2 -type f | wc -l)

home=$work/ftp
mkdir -p "$home"
"$python" "$here/tests/support/ftpserver.py" "$home" kupiec tajne > "$work/port.txt" &
server_pid=$!
for _ in $(seq 1 50); do [ -s "$work/port.txt" ] && break; sleep 0.1; done
port=$(head -1 "$work/port.txt")

seconds() { local s e; s=$(date +%s.%N); "$@" >"$work/last.txt" 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }

t_k=$(seconds "$bench" "$shop" "$port")
sent=$(awk '/^files/ {print $2}' "$work/last.txt")
[ "$sent" = "$count" ] || { echo "Kalmenor sent $sent of $count files" >&2; cat "$work/last.txt" >&2; exit 1; }
commands_k=$(awk '/^commands/ {print $2}' "$work/last.txt")
# The same shop again, nothing changed: only the manifest is read.
t_again=$(seconds "$bench" "$shop" "$port")
unchanged=$(awk '/^unchanged/ {print $2}' "$work/last.txt")
[ "$unchanged" = "$count" ] || { echo "republish found $unchanged of $count unchanged" >&2; exit 1; }
t_l=$(seconds lftp -d -u kupiec,tajne -p "$port" -e "set ftp:passive-mode on; set net:max-retries 1; \
    mirror -R --parallel=1 '$shop' lftp-copy; quit" 127.0.0.1)
commands_l=$(grep -c -- '---> ' "$work/last.txt" || true)
same_as_shop() {
    diff -r -x .kalmenor-manifest "$shop" "$home/Kalmenor" >/dev/null || { echo "Kalmenor's upload differs from the shop" >&2; exit 1; }
    diff -r "$shop" "$home/lftp-copy" >/dev/null || { echo "lftp's upload differs from the shop" >&2; exit 1; }
}
same_as_shop

# Every file one byte longer: both send them all again over the copies they made.
find "$shop" -type f -exec sh -c 'for f; do printf " " >> "$f"; done' sh {} +
t_k2=$(seconds "$bench" "$shop" "$port")
commands_k2=$(awk '/^commands/ {print $2}' "$work/last.txt")
t_l2=$(seconds lftp -d -u kupiec,tajne -p "$port" -e "set ftp:passive-mode on; set net:max-retries 1; \
    mirror -R --parallel=1 '$shop' lftp-copy; quit" 127.0.0.1)
commands_l2=$(grep -c -- '---> ' "$work/last.txt" || true)
same_as_shop

# 400 files of the shop to another server behind the delaying proxy.
slow=$work/slow
mkdir -p "$slow/img" "$work/ftp2"
# (through files: head ending a pipe early would fail it under pipefail)
find "$shop" -maxdepth 1 -type f | sort > "$work/pages.txt"
find "$shop/img" -maxdepth 1 -type f | sort > "$work/pictures.txt"
head -200 "$work/pages.txt" | xargs cp -t "$slow"
head -200 "$work/pictures.txt" | xargs cp -t "$slow/img"
"$python" "$here/tests/support/ftpserver.py" "$work/ftp2" kupiec tajne > "$work/port2.txt" &
slow_pids=$!
for _ in $(seq 1 50); do [ -s "$work/port2.txt" ] && break; sleep 0.1; done
python3 "$here/bench/delayproxy.py" "$(head -1 "$work/port2.txt")" 2 > "$work/proxy.txt" &
slow_pids="$slow_pids $!"
for _ in $(seq 1 50); do [ -s "$work/proxy.txt" ] && break; sleep 0.1; done
proxy=$(head -1 "$work/proxy.txt")
slow_lftp() {
    lftp -u kupiec,tajne -p "$proxy" -e "set ftp:passive-mode on; set net:max-retries 1; \
        mirror -R --parallel=1 '$slow' lftp-copy; quit" 127.0.0.1
}
t_sk=$(seconds "$bench" "$slow" "$proxy")
t_sl=$(seconds slow_lftp)
find "$slow" -type f -exec sh -c 'for f; do printf " " >> "$f"; done' sh {} +
t_sk2=$(seconds "$bench" "$slow" "$proxy")
t_sl2=$(seconds slow_lftp)
diff -r -x .kalmenor-manifest "$slow" "$work/ftp2/Kalmenor" >/dev/null || { echo "Kalmenor's slow upload differs" >&2; exit 1; }
diff -r "$slow" "$work/ftp2/lftp-copy" >/dev/null || { echo "lftp's slow upload differs" >&2; exit 1; }

printf 'Commands per file: Kalmenor %.2f, lftp %.2f (goal: Kalmenor <= lftp)\n' \
    "$(echo "$commands_k / $count" | bc -l)" "$(echo "$commands_l / $count" | bc -l)"
printf 'Kalmenor %.2f s, lftp %.2f s\n' "$t_k" "$t_l"
printf 'Kalmenor / lftp for %d files: %.2f (goal <= 1.0)\n' "$count" "$(echo "$t_k / $t_l" | bc -l)"
printf 'Republish of %d unchanged files: %.2f s, / 1 s: %.2f (goal < 1.0)\n' "$count" "$t_again" "$t_again"
printf 'Every file changed: Kalmenor %.2f s (%.2f commands per file), lftp %.2f s (%.2f); Kalmenor / lftp: %.2f\n' \
    "$t_k2" "$(echo "$commands_k2 / $count" | bc -l)" "$t_l2" "$(echo "$commands_l2 / $count" | bc -l)" \
    "$(echo "$t_k2 / $t_l2" | bc -l)"
printf '2 ms each way, 400 files: fresh Kalmenor %.2f s, lftp %.2f s (%.2f); every file changed %.2f s, %.2f s (%.2f)\n' \
    "$t_sk" "$t_sl" "$(echo "$t_sk / $t_sl" | bc -l)" "$t_sk2" "$t_sl2" "$(echo "$t_sk2 / $t_sl2" | bc -l)"
