#!/usr/bin/env bash
# The main job: sets up, builds, and runs the tessel tool on the example exam page:
# what a read keeps and loses, then the page written back.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
page=examples/exam-page.tsm
echo "== tessel check $page"
build/bin/tessel check "$page"
echo "== tessel dump $page (first elements)"
build/bin/tessel dump "$page" | head -n 5
echo "== tessel markup $page (written back, converted to UTF-8 for display)"
build/bin/tessel markup "$page" | iconv -f GBK -t UTF-8 | head -c 1200
echo
