#!/usr/bin/env bash
# Cross-builds the viewer for 64-bit Windows with Debian's mingw-w64, linked statically against
# freeglut built from Debian's own source package, into build/windows/, and packs it as a zip and
# as an installer (MSI, with Debian's wixl). The last two lines printed are their paths; the same
# commit gives the same bytes. With a code-signing certificate, the program and the installer are
# signed (osslsigncode): WINDOWS_SIGNING_CERT names a PKCS#12 file, WINDOWS_SIGNING_PASSWORD_FILE a
# file holding its password, and WINDOWS_SIGNING_TIMESTAMP_URL, if set, an RFC 3161 time-stamping
# authority that vouches for when they were signed.
#   scripts/windows.sh            build the zip and the installer
#   scripts/windows.sh --wine     build them and make the Wine prefix the tests and benchmarks use
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

win=$BUILD_DIR/windows
freeglut=$win/freeglut # the source package, its build and the static library, made once
toolchain=$ROOT/cmake/mingw-w64-x86_64.cmake

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
    dsc=$(one_file "$freeglut"/source/freeglut_*.dsc)
    (cd "$freeglut/source" && sed -n '/^Checksums-Sha256:/,/^[^ ]/s/^ \([0-9a-f]\{64\}\) [0-9]* \(.*\)/\1  \2/p' "$dsc" |
        sha256sum --check --quiet --strict) || die "the files of $(basename "$dsc") do not match its checksums"
    local archive
    archive=$(one_file "$freeglut"/source/freeglut_*.orig.tar.gz)
    tar -C "$freeglut/source" -xzf "$archive"
}

# freeglut as a static library for Windows, with GL/glut.h, in $freeglut/root.
build_freeglut() {
    [ -f "$freeglut/root/lib/libglut.a" ] && [ -f "$freeglut/root/COPYING" ] && return 0
    fetch_freeglut_source
    local source
    source=$(one_file "$freeglut"/source/freeglut-*/)
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
# that the same commit and certificate give the same bytes; with a time-stamping authority, its
# countersignature keeps the signature valid after the certificate expires (and, holding the
# authority's time, is new on every run). A file that could not be signed is removed.
sign() {
    [ -n "${WINDOWS_SIGNING_CERT:-}" ] || return 0
    local timestamp=()
    [ -z "${WINDOWS_SIGNING_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$WINDOWS_SIGNING_TIMESTAMP_URL")
    osslsigncode sign -pkcs12 "$WINDOWS_SIGNING_CERT" -readpass "$WINDOWS_SIGNING_PASSWORD_FILE" \
        -n "$PRODUCT_NAME" -h sha256 -time "$epoch" "${timestamp[@]}" -in "$1" -out "$1.signed" >/dev/null ||
        { rm -f "$1" "$1.signed"; die "signing $1 failed"; }
    mv "$1.signed" "$1"
}

# The viewer cross-built with the project's own CMake, stripped into $win; reads the product's
# facts from that build.
build_viewer() {
    build_freeglut
    say "cross-building the viewer for Windows in $win/viewer"
    # pkg-config must see only the Windows freeglut, not the host's glut.pc.
    PKG_CONFIG_LIBDIR=$freeglut/root/lib/pkgconfig cmake -S "$ROOT" -B "$win/viewer" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_FIND_ROOT_PATH="$freeglut/root" -DCMAKE_BUILD_TYPE=Release >/dev/null || die "configuring the viewer failed"
    cmake --build "$win/viewer" --parallel "$(nproc)" --target sierpinski-viewer >/dev/null || die "building the viewer failed"
    read_product_facts "$win/viewer"
    # What a run that fails from here on would have replaced goes first, so that no earlier run's
    # zip or installer is left beside this run's program.
    rm -f "$win/sierpinski-viewer.exe" "$win/$WINDOWS_ARTEFACT.zip" "$win/$WINDOWS_ARTEFACT.msi"
    # strip writes the time into the PE header, unless SOURCE_DATE_EPOCH says which.
    SOURCE_DATE_EPOCH=$epoch x86_64-w64-mingw32-strip -o "$win/sierpinski-viewer.exe" "$win/viewer/sierpinski-viewer.exe"
    sign "$win/sierpinski-viewer.exe"
}

# The zip: one folder with the program, the licences and a short README, every entry with the
# last commit's time in UTC and the usual modes, in a fixed order, without extra attributes.
make_zip() {
    local folder=$win/zip/$WINDOWS_ARTEFACT
    rm -rf "$win/zip" "$win/$WINDOWS_ARTEFACT.zip"
    mkdir -p "$folder"
    cp "$win/sierpinski-viewer.exe" "$folder/"
    crlf "$ROOT/LICENSE" "$folder/LICENSE.txt"
    crlf "$freeglut/root/COPYING" "$folder/LICENSE-freeglut.txt"
    crlf "$win/viewer/windows-resources/README.txt" "$folder/README.txt"
    local files=(sierpinski-viewer.exe README.txt LICENSE.txt LICENSE-freeglut.txt)
    chmod 755 "$folder/sierpinski-viewer.exe"
    chmod 644 "$folder"/*.txt
    touch -d "@$epoch" "$folder"/*
    (cd "$win/zip" && TZ=UTC zip -X -D -9 -q "$win/$WINDOWS_ARTEFACT.zip" "${files[@]/#/$WINDOWS_ARTEFACT/}") ||
        die "zip failed"
}

# The installer: the zip's files and the icon, with the commit's time, packed by wixl, with the
# tables wixl cannot write added (packaging/windows/msi-tables.py). Its product code follows from
# everything that goes into it, so that each distinct build has its own and the same build the
# same; the package code follows from the content, and the times wixl writes are set to the
# commit's (msi-reproducible.py).
make_msi() {
    say "making the installer with wixl"
    local msi=$win/$WINDOWS_ARTEFACT.msi windows=$ROOT/packaging/windows product_code content
    rm -rf "$win/msi" "$msi"
    cp -r "$win/zip/$WINDOWS_ARTEFACT" "$win/msi"
    cp "$win/viewer/windows-resources/sierpinski-viewer.ico" "$win/msi/"
    touch -d "@$epoch" "$win/msi"/*
    content=$( (cd "$win/msi" && sha256sum -- *) && cat "$windows/sierpinski-viewer.wxs" "$windows/msi-tables.py")
    product_code=$(/usr/bin/python3 -c 'import hashlib, sys, uuid
print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), hashlib.sha256(sys.stdin.buffer.read()).hexdigest())).upper())' \
        "$WINDOWS_UPGRADE_CODE" <<<"$VERSION $content")
    (cd "$win/msi" && TZ=UTC wixl --arch x64 -D Version="$VERSION" -D ProductCode="$product_code" \
        -D UpgradeCode="$WINDOWS_UPGRADE_CODE" -D ProductName="$PRODUCT_NAME" -D Publisher="$PRODUCT_PUBLISHER" \
        -D Description="$PROJECT_DESCRIPTION" -D Files=. -o "$msi" "$windows/sierpinski-viewer.wxs" 2>&1) ||
        die "wixl failed"
    /usr/bin/python3 "$windows/msi-tables.py" "$msi" "$win/msi/sierpinski-viewer.exe" || die "msi-tables.py failed"
    /usr/bin/python3 "$windows/msi-reproducible.py" "$msi" "$epoch" || die "msi-reproducible.py failed"
    sign "$msi"
}

# Wine's prefix for this build folder, made once, and the one launcher that runs a Windows program
# under Wine for the tests and the benchmark: this build's program in this prefix, unless
# WINE_PROGRAM and WINEPREFIX name others. Its arguments go to the program.
make_wine_launcher() {
    local prefix=$win/wine-prefix
    if [ ! -f "$prefix/system.reg" ]; then
        say "making the Wine prefix $prefix (once per build folder; about 20 s)"
        local server
        server=$(mktemp -d) # Wine's server folder, for this once
        WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all TMPDIR=$server \
            xvfb-run -a sh -c 'wineboot --init && wineserver --wait' >/dev/null 2>&1 || die "wineboot failed"
        rm -rf "$server"
    fi
    cat >"$win/sierpinski-viewer-wine" <<SCRIPT
#!/usr/bin/env bash
# A Windows viewer under Wine: this build's, in this build folder's prefix, unless WINE_PROGRAM and
# WINEPREFIX name others.
export WINEPREFIX=\${WINEPREFIX:-$(printf %q "$prefix")} WINEDLLOVERRIDES=\${WINEDLLOVERRIDES:-'mscoree,mshtml='} WINEDEBUG=-all
exec wine "\${WINE_PROGRAM:-$(printf %q "$win/sierpinski-viewer.exe")}" "\$@"
SCRIPT
    chmod +x "$win/sierpinski-viewer-wine"
}

main() {
    local mode=${1:-}
    case $mode in '' | --wine) ;; *) die "unknown option '$mode' (try --wine)" ;; esac
    [ $# -le 1 ] || die "windows.sh takes one option at most"
    ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    if [ -n "${WINDOWS_SIGNING_CERT:-}" ]; then
        [ -f "$WINDOWS_SIGNING_CERT" ] || die "WINDOWS_SIGNING_CERT: no file $WINDOWS_SIGNING_CERT"
        [ -f "${WINDOWS_SIGNING_PASSWORD_FILE:-}" ] || die "WINDOWS_SIGNING_PASSWORD_FILE must name the file with the certificate's password"
        say "signing the program and the installer with $WINDOWS_SIGNING_CERT"
        [ -n "${WINDOWS_SIGNING_TIMESTAMP_URL:-}" ] ||
            say "without a timestamp (no WINDOWS_SIGNING_TIMESTAMP_URL): Windows rejects the signatures once the certificate expires"
    else
        say "not signing (no WINDOWS_SIGNING_CERT): Windows will warn before the first start"
    fi
    mkdir -p "$win"
    epoch=$(cmake -DSOURCE_DIR="$ROOT" -P "$ROOT/packaging/source_date_epoch.cmake")
    build_viewer
    make_zip
    make_msi
    [ "$mode" != --wine ] || make_wine_launcher
    say "built the Windows program; on Windows, double-click the installer, or extract the zip and double-click sierpinski-viewer.exe:"
    echo "$win/$WINDOWS_ARTEFACT.zip"
    echo "$win/$WINDOWS_ARTEFACT.msi"
}

main "$@"
