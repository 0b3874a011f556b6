#!/usr/bin/env bash
# Renders the application mark at every size the program and the desktop use:
# app_icon.png (256) is the window and task bar icon, app_icon_32.png the
# about page's picture, and together with the other sizes they become the
# installed hicolor theme icons, so menu, task bar and about page show one
# drawing. Run after editing app_icon.svg and commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 256 -h 256 app_icon.svg -o app_icon.png
for size in 16 22 24 32 48 64 128; do
    rsvg-convert -w "$size" -h "$size" app_icon.svg -o "app_icon_${size}.png"
done
