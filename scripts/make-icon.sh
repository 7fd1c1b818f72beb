#!/usr/bin/env bash
# Makes the application icons from the program's own figure: the arrowhead drawn by the program's
# drawArrowhead into SVG (tools/icon), as a scalable icon at depth 4 and a 256 x 256 PNG of it, and
# a 48 x 48 PNG at depth 3 with bolder lines, so that the figure still reads at that size.
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
"$icon" 3 8 | rsvg-convert -w 48 -h 48 -o "$icons/sierpinski-viewer-48.png"
echo "wrote $icons/sierpinski-viewer.svg, sierpinski-viewer-256.png and sierpinski-viewer-48.png"
