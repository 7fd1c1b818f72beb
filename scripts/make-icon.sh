#!/usr/bin/env bash
# Makes the application icons from the program's own figure: the arrowhead drawn by the program's
# drawArrowhead into SVG (tools/icon), as a scalable icon at depth 4 and a 256 x 256 PNG of it, and
# smaller PNGs at lower depths with bolder lines, so that the figure still reads at their sizes:
# 48 x 48 (depth 3) for the desktop, 32 x 32 (depth 2) and 16 x 16 (depth 1) for Windows.
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

[ $# -eq 0 ] || die "make-icon.sh takes no arguments"
ensure_packages "${BUILD_PACKAGES[@]}" librsvg2-bin
build_project sierpinski-icon
icon=$BUILD_DIR/tools/sierpinski-icon
icons=$ROOT/packaging/icons
mkdir -p "$icons"
"$icon" 4 3 >"$icons/sierpinski-viewer.svg"
rsvg-convert -w 256 -h 256 "$icons/sierpinski-viewer.svg" -o "$icons/sierpinski-viewer-256.png"
# Size in pixels, depth, and line width in pixels of a 256-pixel icon.
for small in "48 3 8" "32 2 10" "16 1 16"; do
    read -r size depth stroke <<<"$small"
    "$icon" "$depth" "$stroke" | rsvg-convert -w "$size" -h "$size" -o "$icons/sierpinski-viewer-$size.png"
done
echo "wrote $icons/sierpinski-viewer.svg and sierpinski-viewer-{256,48,32,16}.png"
