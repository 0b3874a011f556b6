#!/usr/bin/env bash
# Renders the memo toolbar strips. The hot strip (buttons under the mouse)
# is the same drawing with deeper ink and the amber accent.
set -euo pipefail
cd "$(dirname "$0")"
sed -e 's/#34525E/#0F3D4C/g' -e 's/#1B7F8C/#E8892B/g' \
    -e 's/Ink #0F3D4C, accent #E8892B/Ink #0F3D4C, accent #E8892B (hot state)/' toolbar.svg > toolbar_hot.svg
rsvg-convert toolbar.svg -o toolbar.png
rsvg-convert toolbar_hot.svg -o toolbar_hot.png
