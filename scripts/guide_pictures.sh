#!/usr/bin/env bash
# Draws the pictures of the user's guide (docs/guide.md) headless with the programs of a build:
# Tessel Studio on the example page, its tool window, two of the editor's dialogs, and the page
# as `tessel publish` writes it, opened in headless Chromium. It builds nothing: build first
# (scripts/build.sh, or ninja -C build tessel tessel_studio).
#
#   scripts/guide_pictures.sh [BUILD]     BUILD: the build folder (build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tessel=$build/bin/tessel
studio=$build/bin/tessel-studio
chromium=${CHROMIUM:-chromium}
images=docs/images
for program in "$tessel" "$studio"; do
  [ -x "$program" ] || { echo "guide_pictures.sh: $program is not built" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The studio and the publisher work on a copy, so that nothing is ever written beside the
# example itself (the studio's settings are a temporary file of its own).
cp -r examples "$work/course"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The studio's window on the example page, with the tool window where it floats over it, and
# the tool window alone.
"$studio" "$work/course/exam-page.tsm" --snapshot "$images/guide_studio.png" \
  --snapshot-tools "$images/guide_tool_window.png"

# Two of the editor's dialogs as the author fills them in: a picture and a formula of the
# project. The answers are cancelled, so the page stays as it is.
cat >"$work/dialogs.play" <<PLAY
key End
answer 2009=Image\\Map.BMP 2040=50 2011=1 snapshot=$images/guide_image_dialog.png cancel
command image
answer 2184=Formula\\Sum.fml 2040=100 snapshot=$images/guide_formula_dialog.png cancel
command formula
PLAY
"$tessel" play "$work/dialogs.play" "$work/course/exam-page.tsm" --project "$work/course"

# The published page as a browser shows it.
"$tessel" publish "$work/course/exam-page.tsm" "$work/published" >/dev/null
if command -v "$chromium" >/dev/null; then
  sandbox=()
  [ "$(id -u)" = 0 ] && sandbox=(--no-sandbox)  # Chromium's sandbox refuses to run as root
  "$chromium" --headless "${sandbox[@]}" --disable-gpu --hide-scrollbars \
    --user-data-dir="$work/chromium" --window-size=900,700 \
    --screenshot="$PWD/$images/guide_published.png" "file://$work/published/index.html" \
    >/dev/null 2>&1
else
  echo "guide_pictures.sh: $chromium is not installed; $images/guide_published.png is not drawn" >&2
fi
ls -l "$images"/guide_*.png
