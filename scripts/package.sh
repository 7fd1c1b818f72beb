#!/usr/bin/env bash
# Builds the viewer and its Debian package, build/sierpinski-viewer_<version>_<arch>.deb.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev
build_project sierpinski-viewer
say "making the Debian package"
(cd "$BUILD_DIR" && cpack -G DEB) || die "cpack failed"
say "install it with: sudo apt install $(ls "$BUILD_DIR"/sierpinski-viewer_*.deb)"
