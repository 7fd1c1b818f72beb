#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary folder and checks that every file is
# where it belongs and carries the project's one version; that lintian and appstreamcli find
# nothing; that the desktop entry and the manual page are clean, the dependencies computed and the
# packaged program runs; that a second build gives the same bytes; and that the uninstall target
# takes away what `cmake --install` put in place, after cpack as well.
#   package.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1 build=$2
work=$(mktemp -d)
# The test installs from the build folder too; the user's own install manifest is put back.
[ -e "$build/install_manifest.txt" ] && cp -p "$build/install_manifest.txt" "$work/user_manifest"
trap '[ -e "$work/user_manifest" ] && cp -p "$work/user_manifest" "$build/install_manifest.txt"; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
(cd "$build" && env -u SOURCE_DATE_EPOCH cpack -G DEB -B "$work/out" >/dev/null) || { echo "FAIL: cpack"; exit 1; }
deb=$(echo "$work"/out/*.deb)
echo "package: $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "package version $(dpkg-deb -f "$deb" Version), not $version-1"
dpkg-deb -x "$deb" "$work/root"

root=$work/root/usr
[ -x "$root/bin/sierpinski-viewer" ] || fail "no executable usr/bin/sierpinski-viewer"
metainfo=share/metainfo/org.veldmora.sierpinski_viewer.metainfo.xml
expected=$(sort <<EOF
bin/sierpinski-viewer
share/applications/sierpinski-viewer.desktop
share/doc/sierpinski-viewer/changelog.Debian.gz
share/doc/sierpinski-viewer/changelog.gz
share/doc/sierpinski-viewer/copyright
share/icons/hicolor/256x256/apps/sierpinski-viewer.png
share/lintian/overrides/sierpinski-viewer
share/man/man1/sierpinski-viewer.1.gz
$metainfo
EOF
)
carried=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
[ "$carried" = "$expected" ] || fail "the package's files differ: $(diff <(echo "$expected") <(echo "$carried"))"

# lintian prints nothing but overrides for a clean package, pedantic and experimental tags too.
tags=$(lintian --pedantic --display-experimental "$deb" 2>/dev/null | grep -v '^O:' || true)
[ -z "$tags" ] || fail "lintian: $tags"
validation=$(appstreamcli validate --no-net --pedantic "$root/$metainfo" 2>&1) || fail "appstreamcli: $validation"
[ "$(wc -l <<<"$validation")" -eq 1 ] || fail "appstreamcli: $validation"
grep -q '<launchable type="desktop-id">sierpinski-viewer.desktop</launchable>' "$root/$metainfo" ||
    fail "the metainfo does not launch the installed desktop entry"
grep -q "<release version=\"$version\"" "$root/$metainfo" || fail "the metainfo lacks release $version"
zcat "$root/share/man/man1/sierpinski-viewer.1.gz" | head -1 | grep -q "\"sierpinski-viewer $version\"" ||
    fail "the manual page is not of version $version"
zcat "$root/share/doc/sierpinski-viewer/changelog.gz" | cmp -s - "$source/CHANGELOG.md" || fail "changelog.gz is not CHANGELOG.md"
grep -q "^## $version " "$source/CHANGELOG.md" || fail "CHANGELOG.md has no entry for $version"

hints=$(desktop-file-validate "$root/share/applications/sierpinski-viewer.desktop" 2>&1) || fail "desktop entry"
[ -z "$hints" ] || fail "desktop entry: $hints"
grep -qx 'Exec=sierpinski-viewer' "$root/share/applications/sierpinski-viewer.desktop" || fail "Exec line"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man1/sierpinski-viewer.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page: $warnings"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libglut3.12 libopengl0 libglx0 libglu1; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library"
done

output=$(env -u DISPLAY "$root/bin/sierpinski-viewer" 2>&1) && fail "the packaged viewer ran without a display"
grep -q 'failed to open display' <<<"$output" || fail "the packaged viewer did not start: $output"

# Installed by hand, then packaged again a second later with no SOURCE_DATE_EPOCH in the
# environment: the same bytes, and the manifest of the install left alone for uninstalling.
cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install"
cp "$build/install_manifest.txt" "$work/manifest"
sleep 1
(cd "$build" && env -u SOURCE_DATE_EPOCH cpack -G DEB -B "$work/again" >/dev/null) || fail "cpack again"
cmp -s "$deb" "$work"/again/*.deb || fail "two builds of the package differ"
cmp -s "$build/install_manifest.txt" "$work/manifest" || fail "cpack rewrote install_manifest.txt"
cmake --build "$build" --target uninstall >/dev/null || fail "the uninstall target"
left=$(find "$work/prefix" -type f)
[ -z "$left" ] || fail "left after uninstalling: $left"

[ $failed -eq 0 ] && echo "package checked"
exit $failed
