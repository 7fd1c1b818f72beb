#!/usr/bin/env bash
# Renders PNG pictures of both figures from the real viewer on a private virtual X server:
#   scripts/gallery.sh [FOLDER] [arrowhead=0,2,5] [carpet=1,3]     (FOLDER defaults to gallery/)
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

folder=${1:-$ROOT/gallery}
[ $# -gt 0 ] && shift
for figure in "$@"; do
    [[ $figure =~ ^(arrowhead|carpet)=[0-9]+(,[0-9]+)*$ ]] || die "'$figure' is not arrowhead=D,D,... or carpet=D,D,..."
done
ensure_packages "${BUILD_PACKAGES[@]}" "${HEADLESS_PACKAGES[@]}"
build_project sierpinski-gallery
say "rendering the gallery into $folder"
"$BUILD_DIR/tools/sierpinski-gallery" "$folder" "$@"
