#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary folder and checks that every file is
# where it belongs, the desktop entry validates, the manual page formats cleanly, the dependencies
# were computed, and the packaged program runs.
#   package.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || { echo "FAIL: cpack"; exit 1; }
deb=$(echo "$work"/out/*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -x "$deb" "$work/root"

root=$work/root/usr
[ -x "$root/bin/sierpinski-viewer" ] || fail "no executable usr/bin/sierpinski-viewer"
for file in share/applications/sierpinski-viewer.desktop \
            share/icons/hicolor/256x256/apps/sierpinski-viewer.png \
            share/man/man1/sierpinski-viewer.1; do
    [ -s "$root/$file" ] || fail "no usr/$file"
done
unexpected=$(cd "$work/root" && find . -type f | grep -v -e '^./usr/bin/' -e '^./usr/share/applications/' \
    -e '^./usr/share/icons/' -e '^./usr/share/man/man1/' || true)
[ -z "$unexpected" ] || fail "files the package should not carry: $unexpected"

hints=$(desktop-file-validate "$root/share/applications/sierpinski-viewer.desktop" 2>&1) || fail "desktop entry"
[ -z "$hints" ] || fail "desktop entry: $hints"
grep -qx 'Exec=sierpinski-viewer' "$root/share/applications/sierpinski-viewer.desktop" || fail "Exec line"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man1/sierpinski-viewer.1" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page: $warnings"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libglut3.12 libopengl0 libglx0 libglu1; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library"
done

output=$(env -u DISPLAY "$root/bin/sierpinski-viewer" 2>&1) && fail "the packaged viewer ran without a display"
grep -q 'failed to open display' <<<"$output" || fail "the packaged viewer did not start: $output"

[ $failed -eq 0 ] && echo "package checked"
exit $failed
