#!/usr/bin/env bash
# Builds the Debian package and the RPM with scripts/package.sh and checks that every file is where
# it belongs and carries the project's one version; that lintian, rpmlint and appstreamcli find
# nothing; that the desktop entry, the manual page and the icons are sound, the dependencies
# computed and the packaged program runs; that a build elsewhere (another folder, umask, time zone
# and locale, unpacked as a release with other file times inside another git repository) gives the
# same bytes; and that the uninstall target takes away what `cmake --install` put in place, under
# any prefix, and fails, naming them, where files remain. With ARCH, the same of the packages that
# scripts/cross.sh makes for that architecture (BUILD_DIR's own, and one built elsewhere), but the
# uninstall target, which is the same for every architecture.
#   check-package.sh SOURCE_DIR BUILD_DIR [ARCH]
set -euo pipefail
unset SOURCE_DATE_EPOCH # the packages take their dates from the project's history
source=$1 build=$2 arch=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
# Builds a package of KIND from the sources in SOURCE with the build folder BUILD; prints its path,
# or everything the build said if it fails.
package() {
    local log=$work/log
    if [ -z "$arch" ]; then
        BUILD_DIR=$3 PACKAGE_DIR=$3/out "$2/scripts/package.sh" "$1" >"$log" 2>&1
    else
        BUILD_DIR=$3 "$2/scripts/cross.sh" "$arch" >"$log" 2>&1
    fi || { echo "FAIL: building the $1 package with the sources in $2 in $3:" >&2; cat "$log" >&2; exit 1; }
    tail -2 "$log" | grep "^/.*\.$1\$"
}

# shellcheck source=/dev/null # the product's facts, written by CMake
source "$build/product.sh"
one=$work/one # the first build: a new one natively, BUILD_DIR's own for another architecture
run=() # what runs a program of the packages' architecture
if [ -n "$arch" ]; then
    one=$build
    run=("$one/cross/$arch/run")
fi
deb=$(package deb "$source" "$one")
rpm=$(package rpm "$source" "$one")
echo "packages: $(basename "$deb") $(basename "$rpm")"
[ "$(dpkg-deb -f "$deb" Version)" = "$VERSION-1" ] || fail "package version $(dpkg-deb -f "$deb" Version), not $VERSION-1"
dpkg-deb -x "$deb" "$work/root"

root=$work/root/usr
[ -x "$root/bin/sierpinski-viewer" ] || fail "no executable usr/bin/sierpinski-viewer"
metainfo=share/metainfo/org.veldmora.sierpinski_viewer.metainfo.xml
common=$(sort <<EOF
bin/sierpinski-viewer
share/applications/sierpinski-viewer.desktop
share/doc/sierpinski-viewer/changelog.gz
share/doc/sierpinski-viewer/copyright
share/icons/hicolor/256x256/apps/sierpinski-viewer.png
share/icons/hicolor/48x48/apps/sierpinski-viewer.png
share/icons/hicolor/scalable/apps/sierpinski-viewer.svg
share/man/man1/sierpinski-viewer.1.gz
$metainfo
EOF
)
expected=$(sort <<<"$common
share/doc/sierpinski-viewer/changelog.Debian.gz
share/lintian/overrides/sierpinski-viewer")
carried=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
[ "$carried" = "$expected" ] || fail "the package's files differ: $(diff <(echo "$expected") <(echo "$carried"))"

# lintian prints nothing but overrides for a clean package, pedantic and experimental tags too.
tags=$(lintian --pedantic --display-experimental "$deb" 2>/dev/null | grep -v '^O:' || true)
[ -z "$tags" ] || fail "lintian: $tags"
validation=$(appstreamcli validate --no-net --pedantic "$root/$metainfo" 2>&1) || fail "appstreamcli: $validation"
[ "$(wc -l <<<"$validation")" -eq 1 ] || fail "appstreamcli: $validation"
grep -q '<launchable type="desktop-id">sierpinski-viewer.desktop</launchable>' "$root/$metainfo" ||
    fail "the metainfo does not launch the installed desktop entry"
grep -q "<release version=\"$VERSION\"" "$root/$metainfo" || fail "the metainfo lacks release $VERSION"
zcat "$root/share/man/man1/sierpinski-viewer.1.gz" | head -1 | grep -q "\"sierpinski-viewer $VERSION\"" ||
    fail "the manual page is not of version $VERSION"
zcat "$root/share/doc/sierpinski-viewer/changelog.gz" | cmp -s - "$source/CHANGELOG.md" || fail "changelog.gz is not CHANGELOG.md"
grep -q "^## $VERSION " "$source/CHANGELOG.md" || fail "CHANGELOG.md has no entry for $VERSION"

hints=$(desktop-file-validate "$root/share/applications/sierpinski-viewer.desktop" 2>&1) || fail "desktop entry"
[ -z "$hints" ] || fail "desktop entry: $hints"
grep -qx 'Exec=sierpinski-viewer' "$root/share/applications/sierpinski-viewer.desktop" || fail "Exec line"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man1/sierpinski-viewer.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual page: $warnings"
# Every description says how the figures are drawn, in the same words.
for text in "$(tr -s ' \n' ' ' <"$root/$metainfo")" \
            "$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$root/share/man/man1/sierpinski-viewer.1.gz" | tr -s ' \n' ' ')" \
            "$(dpkg-deb -f "$deb" Description | tr -s ' \n' ' ')" "$(rpm -qp --qf '%{DESCRIPTION}' "$rpm" | tr -s ' \n' ' ')"; do
    if ! grep -q 'open line strips' <<<"$text" || ! grep -q 'filled quadrilaterals' <<<"$text"; then
        fail "a description does not say 'open line strips' and 'filled quadrilaterals': $text"
    fi
done
# The icons: the scalable one as the program draws it now, the PNGs of their folders' sizes.
icons=$root/share/icons/hicolor
cmake --build "$build" --target sierpinski-icon >/dev/null || fail "building sierpinski-icon failed"
"$build/tools/sierpinski-icon" 4 3 | cmp -s - "$icons/scalable/apps/sierpinski-viewer.svg" ||
    fail "the scalable icon is not the figure sierpinski-icon draws (run scripts/make-icon.sh)"
for size in 48 256; do
    file -b "$icons/${size}x$size/apps/sierpinski-viewer.png" | grep -q "PNG image data, $size x $size," ||
        fail "the ${size}x$size icon is $(file -b "$icons/${size}x$size/apps/sierpinski-viewer.png")"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libglut3.12 libopengl0 libglx0 libglu1; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library"
done
output=$(env -u DISPLAY "${run[@]}" "$root/bin/sierpinski-viewer" 2>&1) && fail "the packaged viewer ran without a display"
grep -q 'failed to open display' <<<"$output" || fail "the packaged viewer did not start: $output"

# The RPM: MIT, the one version, its libraries required, the .deb's files less the Debian-only
# ones once installed, and rpmlint silent but for the tags the README explains.
[ "$(rpm -qp --qf '%{LICENSE} %{VERSION}' "$rpm")" = "MIT $VERSION" ] || fail "RPM licence and version"
rpm -qp --requires "$rpm" | grep -q '^libglut\.so\.3' || fail "the RPM does not require libglut"
rpm --root "$work/rpmroot" --initdb
# (Debian's rpm warns that it is not Debian's package manager.)
rpm --root "$work/rpmroot" --install --nodeps --ignorearch "$rpm" 2>"$work/log" || fail "rpm --install: $(cat "$work/log")"
installed=$(cd "$work/rpmroot/usr" && find . -type f | sed 's|^\./||' | sort)
[ "$installed" = "$common" ] || fail "the RPM's files differ: $(diff <(echo "$common") <(echo "$installed"))"
# rpmlint 2.4 takes a manual page's section for its name, so it never finds one for a program.
lint=$(rpmlint "$rpm" 2>&1 | grep -E ': [EW]: ' |
       grep -vE ': (E: no-signature|E: no-packager-tag|W: no-url-tag|W: invalid-license|W: manpage-not-compressed|W: no-manual-page-for-binary)( |$)' || true)
[ -z "$lint" ] || fail "rpmlint: $lint"

# Built again elsewhere, as a release unpacked inside a repository of another project whose last
# commit is from 2001, its files dated 2001 too, under another umask, time zone and locale.
elsewhere="$work/another project/sierpinski-viewer"
mkdir -p "$elsewhere"
git -C "$work/another project" init -q
git -C "$work/another project" -c user.name=x -c user.email=x@x.invalid commit -q --allow-empty -m 2001 --date=@978307200
tar -C "$source" --exclude=./.git --exclude='./build*' --exclude=./gallery --exclude=node_modules -cf - . |
    tar -C "$elsewhere" -xf -
find "$elsewhere" -exec touch -h -d @978307200 {} +
if git -C "$source" rev-parse -q --verify HEAD >/dev/null 2>&1; then
    git -C "$source" log -1 --format=%ct >"$elsewhere/packaging/commit-time" # as git archive writes it
fi
for kind in deb rpm; do
    again=$(umask 002 && export TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 && package $kind "$elsewhere" "$elsewhere/build")
    cmp -s "$again" "$(dirname "$deb")/$(basename "$again")" || fail "the $kind built elsewhere differs"
done
if [ -n "$arch" ]; then
    [ $failed -eq 0 ] && echo "$arch packages checked"
    exit $failed
fi

# Installed by hand under a prefix with a space and a ';', taken away again by the uninstall
# target, and packaging in between leaves the list of installed files alone.
prefix="$work/pre fix;with/a semicolon"
cmake --install "$work/one" --prefix "$prefix" >/dev/null || fail "cmake --install"
cp "$work/one/installed_files.txt" "$work/manifest"
package deb "$source" "$work/one" >/dev/null
cmp -s "$work/one/installed_files.txt" "$work/manifest" || fail "packaging rewrote installed_files.txt"
cmake --build "$work/one" --target uninstall >/dev/null || fail "the uninstall target"
left=$(find "$work/pre fix;with" -type f)
[ -z "$left" ] || fail "left after uninstalling: $left"
# A file that cannot be removed (here a folder in its place) fails the target, naming it.
cmake --install "$work/one" --prefix "$prefix" >/dev/null
rm "$prefix/bin/sierpinski-viewer" && mkdir "$prefix/bin/sierpinski-viewer"
output=$(cmake --build "$work/one" --target uninstall 2>&1) && fail "the uninstall target succeeded with a file left"
grep -A2 'Could not remove' <<<"$output" | grep -qF "$prefix/bin/sierpinski-viewer" ||
    fail "the uninstall target did not name what it left: $output"

[ $failed -eq 0 ] && echo "packages checked"
exit $failed
