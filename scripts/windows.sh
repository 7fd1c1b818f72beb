#!/usr/bin/env bash
# Cross-builds the viewer for 64-bit Windows with Debian's mingw-w64, linked statically against
# freeglut built from Debian's own source package, into build/windows/, and packs it as a zip and
# as an installer (MSI, with Debian's wixl). The last two lines printed are their paths; the same
# commit gives the same bytes. With a code-signing certificate, the program and the installer are
# signed (osslsigncode): WINDOWS_SIGNING_CERT names a PKCS#12 file, WINDOWS_SIGNING_PASSWORD_FILE a
# file holding its password.
#   scripts/windows.sh            build the zip and the installer
#   scripts/windows.sh --wine     build them and make the Wine prefix the tests and benchmarks use
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mode=${1:-}
case $mode in '' | --wine) ;; *) die "unknown option '$mode' (try --wine)" ;; esac
ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
win=$BUILD_DIR/windows
freeglut=$win/freeglut # the source package, its build and the static library, made once
toolchain=$ROOT/cmake/mingw-w64-x86_64.cmake
mkdir -p "$win"

# freeglut's source package from Debian's archive, its checksums checked, unpacked in $freeglut/source.
fetch_freeglut_source() {
    local apt=$freeglut/apt
    rm -rf "$freeglut/source"
    mkdir -p "$freeglut/source"
    say "fetching freeglut's source package from Debian's archive (a private apt configuration in $apt)"
    private_apt "$apt" deb-src
    (cd "$freeglut/source" && apt-get "${APT_OPTIONS[@]}" -qq source --download-only freeglut >/dev/null) ||
        die "apt-get source freeglut failed"
    # apt checked the .dsc against the signed index; the .dsc's own checksums vouch for the rest.
    local dsc
    dsc=$(echo "$freeglut"/source/freeglut_*.dsc)
    (cd "$freeglut/source" && sed -n '/^Checksums-Sha256:/,/^[^ ]/s/^ \([0-9a-f]\{64\}\) [0-9]* \(.*\)/\1  \2/p' "$dsc" |
        sha256sum --check --quiet --strict) || die "the files of $(basename "$dsc") do not match its checksums"
    tar -C "$freeglut/source" -xzf "$freeglut"/source/freeglut_*.orig.tar.gz
}

# freeglut as a static library for Windows, with GL/glut.h, in $freeglut/root.
build_freeglut() {
    [ -f "$freeglut/root/lib/libglut.a" ] && [ -f "$freeglut/root/COPYING" ] && return 0
    fetch_freeglut_source
    local source
    source=$(echo "$freeglut"/source/freeglut-*/)
    say "cross-building freeglut $(basename "$source" | sed 's/freeglut-//') for Windows"
    rm -rf "$freeglut/build" "$freeglut/root"
    # freeglut's own warnings are not ours to mend: its output goes to a log, shown if it fails.
    local log=$freeglut/build.log
    { cmake -S "$source" -B "$freeglut/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
          -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF \
          -DFREEGLUT_REPLACE_GLUT=ON -DINSTALL_PDB=OFF -DCMAKE_INSTALL_PREFIX="$freeglut/root" &&
      cmake --build "$freeglut/build" --parallel "$(nproc)" &&
      cmake --install "$freeglut/build"; } >"$log" 2>&1 || { cat "$log" >&2; die "building freeglut failed (log: $log)"; }
    cp "$source/COPYING" "$freeglut/root/COPYING"
}

# Text for Windows: CRLF line ends.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }

# Signs a program or an installer in place, when there is a certificate, at the commit's time, so
# that the same commit and certificate give the same bytes.
sign() {
    [ -n "${WINDOWS_SIGNING_CERT:-}" ] || return 0
    osslsigncode sign -pkcs12 "$WINDOWS_SIGNING_CERT" -readpass "$WINDOWS_SIGNING_PASSWORD_FILE" \
        -n "Sierpinski Viewer" -h sha256 -time "$epoch" -in "$1" -out "$1.signed" >/dev/null ||
        die "signing $1 failed"
    mv "$1.signed" "$1"
}

if [ -n "${WINDOWS_SIGNING_CERT:-}" ]; then
    [ -f "$WINDOWS_SIGNING_CERT" ] || die "WINDOWS_SIGNING_CERT: no file $WINDOWS_SIGNING_CERT"
    [ -f "${WINDOWS_SIGNING_PASSWORD_FILE:-}" ] || die "WINDOWS_SIGNING_PASSWORD_FILE must name the file with the certificate's password"
fi

build_freeglut
say "cross-building the viewer for Windows in $win/viewer"
# pkg-config must see only the Windows freeglut, not the host's glut.pc.
PKG_CONFIG_LIBDIR=$freeglut/root/lib/pkgconfig cmake -S "$ROOT" -B "$win/viewer" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_FIND_ROOT_PATH="$freeglut/root" -DCMAKE_BUILD_TYPE=Release >/dev/null || die "configuring the viewer failed"
cmake --build "$win/viewer" --parallel "$(nproc)" --target sierpinski-viewer >/dev/null || die "building the viewer failed"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win/viewer/CMakeCache.txt")
name=sierpinski-viewer-$version-windows-x86_64
epoch=$(cmake -DSOURCE_DIR="$ROOT" -P "$ROOT/packaging/source_date_epoch.cmake")
# strip writes the time into the PE header, unless SOURCE_DATE_EPOCH says which.
SOURCE_DATE_EPOCH=$epoch x86_64-w64-mingw32-strip -o "$win/sierpinski-viewer.exe" "$win/viewer/sierpinski-viewer.exe"
if [ -n "${WINDOWS_SIGNING_CERT:-}" ]; then
    say "signing the program and the installer with $WINDOWS_SIGNING_CERT"
else
    say "not signing (no WINDOWS_SIGNING_CERT): Windows will warn before the first start"
fi
sign "$win/sierpinski-viewer.exe"

# The zip: one folder with the program, the licences and a short README, every entry with the
# last commit's time in UTC and the usual modes, in a fixed order, without extra attributes.
rm -rf "$win/zip" "$win/$name.zip"
mkdir -p "$win/zip/$name"
cp "$win/sierpinski-viewer.exe" "$win/zip/$name/"
crlf "$ROOT/LICENSE" "$win/zip/$name/LICENSE.txt"
crlf "$freeglut/root/COPYING" "$win/zip/$name/LICENSE-freeglut.txt"
crlf "$win/viewer/windows-resources/README.txt" "$win/zip/$name/README.txt"
files=(sierpinski-viewer.exe README.txt LICENSE.txt LICENSE-freeglut.txt)
chmod 755 "$win/zip/$name/sierpinski-viewer.exe"
chmod 644 "$win/zip/$name"/*.txt
touch -d "@$epoch" "$win/zip/$name"/*
(cd "$win/zip" && TZ=UTC zip -X -D -9 -q "$win/$name.zip" "${files[@]/#/$name/}") || die "zip failed"

# The installer: the zip's files and the icon, with the commit's time, packed by wixl. Its product
# code follows from the version, the package code from the content, and the times wixl writes are
# set to the commit's (scripts/msi-reproducible.py).
say "making the installer with wixl"
wxs=$ROOT/packaging/windows/sierpinski-viewer.wxs
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' "$wxs")
product_code=$(/usr/bin/python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' \
    "$upgrade_code" "sierpinski-viewer $version")
rm -rf "$win/msi" "$win/$name.msi"
cp -r "$win/zip/$name" "$win/msi"
cp "$win/viewer/windows-resources/sierpinski-viewer.ico" "$win/msi/"
touch -d "@$epoch" "$win/msi"/*
(cd "$win/msi" && TZ=UTC wixl --arch x64 -D Version="$version" -D ProductCode="$product_code" -D Files=. \
    -o "$win/$name.msi" "$wxs" 2>&1) || die "wixl failed"
/usr/bin/python3 "$ROOT/scripts/msi-reproducible.py" "$win/$name.msi" "$epoch" || die "msi-reproducible.py failed"
sign "$win/$name.msi"

# Wine's prefix for this build folder, made once, and a script that runs the program under Wine
# with it, for the tests and the benchmark; its arguments go to the program.
if [ "$mode" = --wine ]; then
    export WINEPREFIX=$win/wine-prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "making the Wine prefix $WINEPREFIX (once per build folder; about 20 s)"
        server=$(mktemp -d) # Wine's server folder, for this once
        TMPDIR=$server xvfb-run -a sh -c 'wineboot --init && wineserver --wait' >/dev/null 2>&1 ||
            die "wineboot failed"
        rm -rf "$server"
    fi
    cat >"$win/sierpinski-viewer-wine" <<SCRIPT
#!/usr/bin/env bash
# The Windows viewer under Wine, with the prefix of this build folder.
export WINEPREFIX=$(printf %q "$WINEPREFIX") WINEDLLOVERRIDES='$WINEDLLOVERRIDES' WINEDEBUG=$WINEDEBUG
exec wine $(printf %q "$win/sierpinski-viewer.exe") "\$@"
SCRIPT
    chmod +x "$win/sierpinski-viewer-wine"
fi
say "built the Windows program; on Windows, double-click the installer, or extract the zip and double-click sierpinski-viewer.exe:"
echo "$win/$name.zip"
echo "$win/$name.msi"
