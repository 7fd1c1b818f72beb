#!/usr/bin/env bash
# Builds what a release needs into build/release/: the source archive of the last commit
# (sierpinski-viewer-<version>.tar.gz, one top folder, the commit's time recorded inside it), the
# Debian package and the RPM for amd64 and for arm64, the Windows program as an installer and as a
# zip, the web page as one HTML file, and SHA256SUMS over them (signed when RELEASE_SIGNING_KEY names
# a GnuPG key: see checksums.sh), all from one commit: it refuses to run with uncommitted changes.
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

[ $# -eq 0 ] || die "release.sh takes no arguments"
ensure_packages git
git -C "$ROOT" rev-parse --verify -q HEAD >/dev/null || die "the source archive is made from git's last commit: no commit in $ROOT"
changes=$(git -C "$ROOT" status --porcelain)
[ -z "$changes" ] || die "uncommitted changes: the programs would be built from them but the source archive from the last commit. Commit or stash them first:
$changes"

deb=$("$ROOT/scripts/package.sh" deb | tail -1)
rpm=$("$ROOT/scripts/package.sh" rpm | tail -1)
arm64=$("$ROOT/scripts/cross.sh" arm64 | tail -2)
read_product_facts "$BUILD_DIR"
page=$("$ROOT/scripts/web.sh" --build | tail -1)
windows=$("$ROOT/scripts/windows.sh" | tail -2) # the zip and the installer

release=$BUILD_DIR/release
rm -rf "$release"
mkdir -p "$release"
say "writing the release of sierpinski-viewer $VERSION into $release"
git -C "$ROOT" -c tar.umask=0022 archive --format=tar --prefix="sierpinski-viewer-$VERSION/" HEAD |
    gzip -9n >"$release/sierpinski-viewer-$VERSION.tar.gz"
mapfile -t arm64 <<<"$arm64"
mapfile -t windows <<<"$windows"
cp "$deb" "$rpm" "${arm64[@]}" "${windows[@]}" "$release/"
cp "$page" "$release/sierpinski-viewer-$VERSION.html"
"$ROOT/scripts/checksums.sh" "$release"
cat "$release/SHA256SUMS"
