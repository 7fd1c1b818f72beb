#!/usr/bin/env bash
# Builds the viewer and starts it. Arguments go to the viewer (GLUT reads -display, -geometry, ...).
# With no X display to show it on, renders the picture gallery instead.
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

has_display() {
    [ -n "${DISPLAY:-}" ] || return 1
    command -v xdpyinfo >/dev/null || return 0 # cannot check; let GLUT try
    timeout 10 xdpyinfo >/dev/null 2>&1
}

if ! has_display; then
    say "no X display (DISPLAY='${DISPLAY:-}'): rendering the gallery into $ROOT/gallery instead"
    exec "$ROOT/scripts/gallery.sh" "$ROOT/gallery"
fi
ensure_packages "${BUILD_PACKAGES[@]}"
build_project sierpinski-viewer
say "starting the viewer: left button deeper, right shallower, middle other figure; close the window to quit"
exec "$BUILD_DIR/sierpinski-viewer" "$@"
