#!/usr/bin/env bash
# Makes the application icon from the program's own picture of the arrowhead at depth 5: the
# square around the triangle, 256 x 256, with the gallery (scripts/gallery.sh) and ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../scripts/common.sh"
ensure_packages imagemagick
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/../scripts/gallery.sh" "$work" arrowhead=5 >/dev/null
convert-im6.q16 "$work/arrowhead-5.png" -crop 260x260+120+84 +repage -resize 256x256 \
    "$here/sierpinski-viewer.png"
echo "wrote $here/sierpinski-viewer.png"
