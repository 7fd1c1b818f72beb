#!/usr/bin/env bash
# Builds the viewer and its package: the Debian package, or with `rpm` the RPM. The last line
# printed is the package's path, in build/package/ (or $PACKAGE_DIR). The same commit gives the
# same bytes whatever the umask, time zone, locale or folder.
#   scripts/package.sh [deb|rpm]
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

kind=${1:-deb}
# Each kind's program and the tools that pack it (CPack reads executables' types with file).
case $kind in
deb) generator=DEB program=sierpinski-viewer tools=(dpkg-dev file) ;;
rpm) generator=RPM program=sierpinski-viewer-rpm tools=(rpm file "${RPM_PROGRAM_PACKAGES[@]}") ;;
*) die "unknown package kind '$kind' (try deb or rpm)" ;;
esac
ensure_packages "${BUILD_PACKAGES[@]}" "${tools[@]}"
build_project "$program" package_docs
say "making the $generator package"
out=${PACKAGE_DIR:-$BUILD_DIR/package}
mkdir -p "$out"
rm -f "$out"/*."$kind"
# CPack writes the parts of a .deb with the umask's modes, and they are stored so.
umask 022
# rpmbuild cannot work in a folder whose path has a space, so CPack works in one of its own.
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
(cd "$BUILD_DIR" && cpack -G "$generator" -B "$staging" >/dev/null) || die "cpack failed"
mv "$staging"/*."$kind" "$out"/
package=$(echo "$out"/*."$kind")
if [ "$kind" = deb ]; then
    say "install it with: sudo apt install $package"
else
    say "install it with: sudo dnf install $package"
fi
echo "$package"
