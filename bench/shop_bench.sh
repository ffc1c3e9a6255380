#!/usr/bin/env bash
# Shop generation speed: a generated catalogue of 10,000 products (two small JPEG pictures each, size
# and colour lists on a third of them, statuses mixed) in 500 categories and subcategories, built into
# an empty folder, against Hugo building 10,000 content pages of similar size and copying the same
# 20,000 pictures as static files, and against `cp -r` of the shop's own output (the floor of creating
# that many files). Each time is the median of three runs, Kalmenor and Hugo taking turns. Prints:
#   Kalmenor / Hugo at 10,000 products         (goal <= 0.5)
#   time(20,000) / time(10,000) for Kalmenor   (goal <= 2.1)
#   peak memory of the build at 10,000         (goal <= 100 MB)
#   Kalmenor / cp -r of its output at 10,000   (goal <= 1.3)
# With BASELINE=PATH (a shop_bench program of an earlier version) that one builds the 10,000 too, in
# the same turns, and the ratio new / earlier is printed: the machine's load hits both alike.
# usage: [THEME=classic|modern] [BASELINE=PATH] bench/shop_bench.sh [BUILD_DIR] [PRODUCTS]
set -euo pipefail
source "$(dirname "$0")/benchlib.sh"
build=${1:-$here/build-bench}
count=${2:-10000}
double=$((count * 2))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

if ! command -v hugo >/dev/null; then
    # Debian has it; take it from there when the package is available, as the other tools of the bench.
    if [ "$(id -u)" -eq 0 ] && apt-cache policy hugo 2>/dev/null | grep -q 'Candidate: [0-9]'; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends hugo >/dev/null
    fi
    command -v hugo >/dev/null || { echo "hugo is missing (apt-get install hugo)" >&2; exit 1; }
fi

bench_build "$build" shop_bench
bench=$build/bench/shop_bench

median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

# Kalmenor: prepare (not timed), then build into an empty folder.
for n in "$count" "$double"; do
    "$bench" prepare "$work/program$n" "$n"
    mkdir -p "$work/config$n"
    # A missing settings file would give a fresh installation's (modern) pages: name the theme.
    theme=0; [ "${THEME:-classic}" = modern ] && theme=1
    printf '[Opcje]\r\nmotyw=%s\r\n' "$theme" > "$work/config$n/KVO.INI"
done
sync
# Hugo: the same number of pages of about the size of a product page, the same pictures as static files.
site=$work/hugo
mkdir -p "$site/content/p" "$site/layouts/_default" "$site/static/img"
cat > "$site/hugo.toml" <<'TOML'
baseURL = "http://example.org/"
title = "Bench"
disableKinds = ["taxonomy", "term", "RSS", "sitemap", "robotsTXT", "404"]
TOML
cat > "$site/layouts/_default/single.html" <<'HTML'
<html><head><meta charset="UTF-8"><title>{{ .Title }}</title><script src="/sk.js"></script>
<style>body{font-family: Arial;color: #000000;font-size: 11;margin: 0;letter-spacing: 0.1em;word-spacing: 0.5em}</style></head>
<body><form name="m"><p><b>{{ .Title }}</b><img align=left src="/img/{{ .Params.id }}D.jpg"><BR clear=all>
<p align=justify>{{ .Content }}<hr><b><p>Price: {{ .Params.price }} $</b><br>
Size <select name="R"><option>S</option><option>M</option><option>L</option></select>
Quantity: <input type="text" name="t" value="1" size="2">
<img name="k" src="/img/kupuj.jpg" onclick="parent.e(m.t.value,{{ .Params.price }},&quot;{{ .Title }}&quot;,0,0,0);">
<a href="javascript:history.back()"><img src="/img/prev.jpg"></a></form></body></html>
HTML
cat > "$site/layouts/_default/list.html" <<'HTML'
<html><body>{{ range .Pages }}<a href="{{ .RelPermalink }}">{{ .Title }}</a> {{ end }}</body></html>
HTML
python3 - "$site" "$count" <<'PY'
import sys
site, n = sys.argv[1], int(sys.argv[2])
text = "A sturdy product for everyday use, made to last and easy to care for. " * 12
for i in range(1, n + 1):
    pid = "ID%09dP" % i
    with open(f"{site}/content/p/{pid}.md", "w") as f:
        f.write(f'---\ntitle: "Product number {i}"\nid: "{pid}"\nprice: "{10 + i % 997}.00"\n---\n{text}\n')
PY
cp "$work/program$count/Bd/jpg/"*.jpg "$site/static/img/"
sync

# Three turns: Kalmenor at both sizes, Hugo, and cp -r of Kalmenor's output; each into a fresh folder.
# Nothing is removed until the end: ext4 creates files slowly for a minute or more after a mass delete
# (it passes over the inodes just freed), which would time the deletes instead of the programs.
# Each command starts with nothing left to write from the one before (sync), so none pays for another's
# files being written out.
timed() {
    sync
    wall_seconds "$@"
}
k1=(); k2=(); h=(); c=(); b=(); peak_kb=0
for turn in 1 2 3; do
    k1+=("$(timed "$bench" build "$work/program$count" "$work/config$count" "$work/shop$count.$turn")")
    kb=$(awk '/^peak_kb/ {print $2}' "$work/last.txt")
    [ "$kb" -gt "$peak_kb" ] && peak_kb=$kb
    h+=("$(timed hugo --quiet -s "$site" -d "$work/hugo-public.$turn")")
    c+=("$(timed cp -r "$work/shop$count.$turn" "$work/copy.$turn")")
    k2+=("$(timed "$bench" build "$work/program$double" "$work/config$double" "$work/shop$double.$turn")")
    if [ -n "${BASELINE:-}" ]; then
        b+=("$(timed "$BASELINE" build "$work/program$count" "$work/config$count" "$work/baseline.$turn")")
    fi
done
pages=$(find "$work/shop$count.1" -maxdepth 1 -name '*.html' | wc -l)
t_k1=$(median "${k1[@]}"); t_k2=$(median "${k2[@]}"); t_h=$(median "${h[@]}"); t_c=$(median "${c[@]}")

echo "Kalmenor build of $count products: ${t_k1}s ($pages pages, runs ${k1[*]}), peak memory $((peak_kb / 1024)) MB"
echo "Kalmenor build of $double products: ${t_k2}s (runs ${k2[*]})"
echo "Hugo build of $count pages with $((count * 2)) pictures: ${t_h}s (runs ${h[*]})"
echo "cp -r of the $count-product shop: ${t_c}s (runs ${c[*]})"
echo "ratio Kalmenor / Hugo at $count: $(ratio "$t_k1" "$t_h")  (goal <= 0.5)"
echo "ratio time($double) / time($count): $(ratio "$t_k2" "$t_k1")  (goal <= 2.1)"
echo "peak memory at $count: $((peak_kb / 1024)) MB  (goal <= 100)"
echo "ratio Kalmenor / cp -r of its output at $count: $(ratio "$t_k1" "$t_c")  (goal <= 1.3)"
if [ -n "${BASELINE:-}" ]; then
    t_b=$(median "${b[@]}")
    echo "earlier version at $count: ${t_b}s (runs ${b[*]})"
    echo "ratio this / earlier version at $count: $(ratio "$t_k1" "$t_b")"
fi
