#!/usr/bin/env bash
# Builds the viewer and starts it. Arguments go to the viewer (GLUT reads -display, -geometry, ...).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build_project
say "starting the viewer: left button deeper, right shallower, middle other figure; close the window to quit"
exec "$BUILD_DIR/sierpinski-viewer" "$@"
