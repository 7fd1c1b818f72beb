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
    tail -2 "$log" | grep "^/.*\.$1\$" || { echo "FAIL: scripts/package.sh $1 in $3 named no package" >&2; exit 1; }
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
share/icons/hicolor/256x256/apps/sierpinski-viewer.png
share/icons/hicolor/48x48/apps/sierpinski-viewer.png
share/icons/hicolor/scalable/apps/sierpinski-viewer.svg
share/man/man1/sierpinski-viewer.1.gz
$metainfo
EOF
)
expected=$(sort <<<"$common
share/doc/sierpinski-viewer/copyright
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

# What a user's system reads from the packages, against its source of truth: the architecture
# (the program's own), the names and summary (the product's facts), the desktop entry's icon (one
# the package installs), and the ceilings every description gives (the program's header).
machine=$(readelf -h "$root/bin/sierpinski-viewer" | sed -n 's/^ *Machine: *//p')
case $machine in
*X86-64*) deb_arch=amd64 rpm_arch=x86_64 ;;
*AArch64*) deb_arch=arm64 rpm_arch=aarch64 ;;
*) deb_arch="(none for $machine)" rpm_arch="(none for $machine)" ;;
esac
[ "$deb_arch" = "${arch:-amd64}" ] || fail "the packaged program is for $machine, not ${arch:-amd64}"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$deb_arch" ] || fail "the .deb's Architecture is not $deb_arch"
[ "$(rpm -qp --qf '%{ARCH}' "$rpm")" = "$rpm_arch" ] || fail "the RPM's architecture is not $rpm_arch"
desktop=$root/share/applications/sierpinski-viewer.desktop
for key in "Name=$PRODUCT_NAME" "Comment=$PROJECT_DESCRIPTION"; do
    grep -qxF "$key" "$desktop" || fail "the desktop entry lacks $key"
done
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -n "$(find "$root/share/icons/hicolor" -path "*/apps/$icon.*")" ] || fail "the desktop entry's icon '$icon' is not in the package"
for element in "name>$PRODUCT_NAME<" "summary>$PROJECT_DESCRIPTION<" "developer_name>$PRODUCT_PUBLISHER<"; do
    grep -qF "<$element" "$root/$metainfo" || fail "the metainfo lacks <$element"
done
[ "$(rpm -qp --qf '%{SUMMARY}|%{VENDOR}' "$rpm")" = "$PROJECT_DESCRIPTION|$PRODUCT_PUBLISHER" ] ||
    fail "the RPM's summary and vendor: $(rpm -qp --qf '%{SUMMARY}|%{VENDOR}' "$rpm")"
ceiling() { sed -n "s/^constexpr int $1 = \([0-9]*\);.*/\1/p" "$source/src/viewer/view_state.h"; }
triangle_ceiling=$(ceiling TRIANGLE_MAX_DEPTH) carpet_ceiling=$(ceiling CARPET_MAX_DEPTH)
{ [ -n "$triangle_ceiling" ] && [ -n "$carpet_ceiling" ]; } || fail "no ceilings in src/viewer/view_state.h"

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
    for depths in "depth 0 to $triangle_ceiling" "depth 0 to $carpet_ceiling"; do
        grep -qE "$depths([^0-9]|\$)" <<<"$text" || fail "a description does not say '$depths': $text"
    done
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

# The RPM: MIT, the one version, not relocatable, its changelog the project's, its licences marked
# so, the .deb's files less the Debian-only ones once installed (the licences even without the
# documentation), and rpmlint silent but for the tags the README explains.
[ "$(rpm -qp --qf '%{LICENSE} %{VERSION}' "$rpm")" = "MIT $VERSION" ] || fail "RPM licence and version"
prefixes=$(rpm -qp --qf '[%{PREFIXES}]' "$rpm")
[ -z "$prefixes" ] || fail "the RPM is relocatable under $prefixes"
changelog=$(rpm -qp --changelog "$rpm")
head -1 <<<"$changelog" | grep -qF "$PRODUCT_MAINTAINER - $VERSION-1" ||
    fail "the RPM's changelog does not begin with $VERSION by $PRODUCT_MAINTAINER: $(head -1 <<<"$changelog")"
[ "$(grep -c '^\* ' <<<"$changelog")" = "$(grep -cE '^## [0-9.]+ \(' "$source/CHANGELOG.md")" ] ||
    fail "the RPM's changelog has not one entry for each release of CHANGELOG.md"
licenses=$(printf '/usr/share/licenses/sierpinski-viewer/%s\n' LICENSE LICENSE.freeglut)
[ "$(rpm -qp --licensefiles "$rpm")" = "$licenses" ] || fail "the RPM's %license files: $(rpm -qp --licensefiles "$rpm")"
rpm --root "$work/rpmroot" --initdb
# (Debian's rpm warns that it is not Debian's package manager.)
rpm --root "$work/rpmroot" --install --nodeps --ignorearch "$rpm" 2>"$work/log" || fail "rpm --install: $(cat "$work/log")"
installed=$(cd "$work/rpmroot/usr" && find . -type f | sed 's|^\./||' | sort)
[ "$installed" = "$(sort <<<"$common"$'\n'"${licenses//\/usr\//}")" ] ||
    fail "the RPM's files differ: $(diff <(echo "$common") <(echo "$installed"))"
rpm --root "$work/rpmroot" --erase --nodeps sierpinski-viewer 2>/dev/null
rpm --root "$work/rpmroot" --install --nodeps --ignorearch --excludedocs "$rpm" 2>/dev/null
for license in $licenses; do
    [ -f "$work/rpmroot$license" ] || fail "installed without its documentation, the RPM has no $license"
done
# rpmlint 2.4 takes a manual page's section for its name, so it never finds one for a program.
lint=$(rpmlint "$rpm" 2>&1 | grep -E ': [EW]: ' |
       grep -vE ': (E: no-signature|E: no-packager-tag|W: no-url-tag|W: invalid-license|W: manpage-not-compressed|W: no-manual-page-for-binary)( |$)' || true)
[ -z "$lint" ] || fail "rpmlint: $lint"

# The RPM's program has freeglut linked in, so that it needs only libraries that every RPM
# distribution has under these upstream names, and no glibc newer than 2.34. Unpacked as rpm2cpio
# unpacks it, it draws the pictures the .deb's program draws.
allowed='^(lib(GL|OpenGL|GLX|GLU|X11|Xi|Xrandr|Xxf86vm|m|c)\.so\.[0-9]+|ld-linux-(x86-64|aarch64)\.so\.[0-9]+)\((GLIBC_[0-9.]+)?\)\(64bit\)$|^rpmlib\(|^rtld\(GNU_HASH\)$'
requires=$(rpm -qp --requires "$rpm")
unlisted=$(grep -vE "$allowed" <<<"$requires" || true)
[ -z "$unlisted" ] || fail "the RPM requires what is not on the list of upstream sonames: $unlisted"
newest_glibc=$(grep -o 'GLIBC_[0-9.]*' <<<"$requires" | sort -V | tail -1)
[ "$(printf '%s\n' "$newest_glibc" GLIBC_2.34 | sort -V | tail -1)" = GLIBC_2.34 ] ||
    fail "the RPM's program needs $newest_glibc, newer than GLIBC_2.34"
mkdir "$work/rpm2cpio"
(cd "$work/rpm2cpio" && rpm2cpio "$rpm" | cpio -idm --quiet) || fail "rpm2cpio | cpio"
program=$work/rpm2cpio/usr/bin/sierpinski-viewer
needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
echo "the RPM's program needs $(paste -sd ' ' <<<"$needed") and at most $newest_glibc"
! grep -q libglut <<<"$needed" || fail "the RPM's program needs a shared freeglut: $needed"
cmake --build "$build" --target e2e_tests >/dev/null || fail "building e2e_tests failed"
launcher=$work/rpm-viewer
{ echo '#!/bin/sh'; printf 'exec'; printf ' %q' ${run[@]+"${run[@]}"} "$program"; echo ' "$@"'; } >"$launcher"
chmod +x "$launcher"
slowdown=1
[ -z "$arch" ] || slowdown=30 # emulation
VIEWER=$launcher VIEWER_SLOWDOWN=$slowdown "$build/tests/e2e_tests" \
    --gtest_filter='Viewer.LeftGoesDeeperAndStopsAtTwelve:Viewer.MiddleSwitchesToTheCarpetAndBackWithEachCeiling' \
    >"$work/log" 2>&1 || fail "the RPM's program does not draw the pictures: $(cat "$work/log")"
grep -q '^\[  PASSED  \] 2 tests' "$work/log" || fail "the RPM's program was not run through both tests: $(cat "$work/log")"

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

# A packager's build of the release as unpacked: no git anywhere on the PATH and no GoogleTest, and
# the program still builds, with one notice that the tests are off.
mkdir "$work/no-git"
for tool in /usr/bin/* /bin/*; do
    case $(basename "$tool") in git*) ;; *) ln -sf "$tool" "$work/no-git/" ;; esac
done
configure=$(PATH=$work/no-git cmake -S "$elsewhere" -B "$work/packager" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON 2>&1) ||
    fail "configuring the unpacked release without git and GoogleTest: $configure"
grep -q 'GoogleTest not found.*BUILD_TESTING' <<<"$configure" || fail "no notice naming BUILD_TESTING: $configure"
PATH=$work/no-git cmake --build "$work/packager" --parallel "$(nproc)" >"$work/log" 2>&1 ||
    fail "building the unpacked release without git and GoogleTest: $(tail -20 "$work/log")"
[ -x "$work/packager/sierpinski-viewer" ] || fail "the packager's build made no program"

# The release's checksums, signed with a key of a throwaway keyring, verify as the README says;
# once SHA256SUMS is changed they do not; and without a key nothing is signed, in one line.
export GNUPGHOME=$work/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --quiet --passphrase '' --quick-generate-key 'Release test <release@test.invalid>' ed25519 sign never 2>/dev/null
key=$(gpg --batch --with-colons --list-secret-keys | awk -F: '$1 == "fpr" { print $10; exit }')
mkdir "$work/release"
cp "$deb" "$rpm" "$work/release/"
RELEASE_SIGNING_KEY=$key "$source/scripts/checksums.sh" "$work/release" >"$work/log" 2>&1 || fail "checksums.sh: $(cat "$work/log")"
(cd "$work/release" && gpg --batch --verify SHA256SUMS.asc SHA256SUMS 2>/dev/null && sha256sum --quiet -c SHA256SUMS) ||
    fail "the signed release does not verify"
head -1 "$work/release/SHA256SUMS.asc" | grep -qx -- '-----BEGIN PGP SIGNATURE-----' || fail "SHA256SUMS.asc is not armoured"
sed -i '1s/^./0/' "$work/release/SHA256SUMS"
gpg --batch --verify "$work/release/SHA256SUMS.asc" "$work/release/SHA256SUMS" 2>/dev/null &&
    fail "a changed SHA256SUMS still verifies"
notice=$(unset RELEASE_SIGNING_KEY && "$source/scripts/checksums.sh" "$work/release" 2>&1)
{ [ "$(wc -l <<<"$notice")" -eq 1 ] && grep -q "not signed" <<<"$notice"; } || fail "unsigned, checksums.sh said: $notice"
[ ! -e "$work/release/SHA256SUMS.asc" ] || fail "an unsigned run left the old signature"

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
