#!/usr/bin/env bash
# The main job: sets up, builds, and runs the tessel tool on the example exam page:
# what a read keeps and loses, the elements read, the page written back, published as HTML,
# and opened in the editor (its rows, and its window drawn into a PNG).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
page=examples/exam-page.tsm
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "== tessel check $page"
build/bin/tessel check "$page"
build/bin/tessel dump "$page" >"$out/dump.jsonl"
echo "== tessel dump $page: $(wc -l <"$out/dump.jsonl") elements; the first three:"
sed -n 1,3p "$out/dump.jsonl"
build/bin/tessel markup "$page" >"$out/page.tsm"
echo "== tessel markup $page: $(wc -c <"$out/page.tsm") bytes written back; the start, in UTF-8:"
iconv -f GBK -t UTF-8 "$out/page.tsm" >"$out/page.txt" || true
cut -c1-400 "$out/page.txt" | sed -n 1,3p
build/bin/tessel html "$page" --project examples --page >build/exam-page.html
echo "== tessel html $page: published as build/exam-page.html ($(wc -c <build/exam-page.html) bytes); its inputs and links:"
iconv -f GBK -t UTF-8 build/exam-page.html | grep -o '<input[^>]*>\|<a [^>]*>\|<Img [^>]*>' | sed -n 1,12p
build/bin/tessel rows "$page" --project examples >"$out/rows.txt"
echo "== tessel rows $page: $(($(wc -l <"$out/rows.txt") - 1)) rows in a 600-pixel-wide editor; the first five:"
sed -n 1,5p "$out/rows.txt"
build/bin/tessel render "$page" --project examples --width 640 --height 720 -o build/exam-page.png
echo "== tessel render $page: the editor's window drawn into build/exam-page.png"
