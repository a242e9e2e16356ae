#!/usr/bin/env bash
# Draws the pictures of docs/ headless with the project's own player: the tool window on the
# example page with two characters selected, the colour picker's popup, three of the object
# dialogs and the Insert Symbol window.
set -euo pipefail
cd "$(dirname "$0")/.."
tessel=${TESSEL:-build/bin/tessel}
script=$(mktemp)
trap 'rm -f "$script"' EXIT
cat >"$script" <<'PLAY'
key End
key Left shift
key Left shift
keyup Shift
wait 400
snapshot-toolbar docs/images/tool_window.png
snapshot-picker docs/images/colour_picker.png
answer 2033=4 2018=2 snapshot=docs/images/options_dialog.png cancel
command choice
answer 2045="x = 3" snapshot=docs/images/edit_frame_dialog.png cancel
command edit
answer 2102="Play Music" 2038=SOUND\SONG.MID snapshot=docs/images/event_dialog.png cancel
key End
key Left shift
command hotlink
command symbol
symbol 4 60
snapshot-symbols docs/images/symbol_window.png
PLAY
QT_QPA_PLATFORM=offscreen "$tessel" play "$script" examples/exam-page.tsm --project examples
