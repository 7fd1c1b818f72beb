#!/usr/bin/env bash
# Builds the viewer and its Debian package; the last line printed is the package's path,
# build/package/sierpinski-viewer_<version>-1_<arch>.deb. The same commit gives the same bytes.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev
build_project sierpinski-viewer package_docs
say "making the Debian package"
rm -rf "$BUILD_DIR/package"
(cd "$BUILD_DIR" && cpack -G DEB -B "$BUILD_DIR/package" >/dev/null) || die "cpack failed"
deb=$(echo "$BUILD_DIR"/package/*.deb)
say "install it with: sudo apt install $deb"
echo "$deb"
