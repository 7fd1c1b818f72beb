#!/usr/bin/env bash
# The Windows program's resources, its installer under Wine, its signing and its reproducibility,
# each scenario in a Wine prefix of its own (scripts/windows.sh --wine must have built them):
#   resources  the exe carries the icon (GLUT_ICON, the only icon group), version information of
#              the project's version and the manifest (asInvoker, Windows 7 to 11, no DPI setting)
#   install    msiexec /i installs the files, a Start-menu shortcut to the installed program and an
#              Uninstall entry with name, version and publisher; the installed program passes an
#              end-to-end case
#   upgrade    an older installer, then this one, leaves one entry and this one's files
#   uninstall  msiexec /x leaves no file of the product and no key
#   signing    with a throwaway certificate, scripts/windows.sh signs the program and the
#              installer, osslsigncode verifies both, and the signed program still runs
#   reproducible  built again in another folder (a space in its path), umask, time zone and
#              locale, the zip and the installer are the same bytes
#   check-windows.sh SCENARIO SOURCE_DIR BUILD_DIR
set -euo pipefail
scenario=$1 source=$2 build=$3
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

win=$build/windows
# shellcheck source=/dev/null # the product's facts, written by CMake
source "$build/product.sh"
msi=$win/$WINDOWS_ARTEFACT.msi
exe=$win/sierpinski-viewer.exe
# Wine's own menu builder would write menu files of its own for the shortcut: they are not the product's.
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEDEBUG=-all

# Runs a Wine command on a private Xvfb and waits for Wine to finish with the prefix.
# shellcheck disable=SC2016 # the inner shell expands them
on_wine() { xvfb-run -a sh -c 'wine "$@"; status=$?; wineserver --wait; exit $status' sh "$@"; }
# The product's files in the prefix, and Windows Installer's own folder left out.
prefix_files() { (cd "$WINEPREFIX/drive_c" && find . ! -path './windows/Installer*' | sort); }
uninstall_key() { echo "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{$1}"; }
product_code() { msiinfo export "$1" Property | sed -n 's/^ProductCode\t\(.*\)\r\?$/\1/p' | tr -d '{}\r'; }
installed="$WINEPREFIX/drive_c/Program Files/$PRODUCT_NAME"

# One end-to-end case (window, title, size, first picture, clicks) against the program at the
# Windows path, through a launcher as the windows label runs the zip's program.
end_to_end() {
    WINE_PROGRAM=$1 VIEWER=$win/sierpinski-viewer-wine "$build/tests/e2e_tests" --gtest_filter='Viewer.WindowIsTitledAndFiveHundredPixelsSquare:Viewer.RightStopsAtZero' \
        --gtest_brief=1 || fail "the program at $1 failed the end-to-end case"
}

# Builds the zip and the installer again in the folder FOLDER, with freeglut already built for
# Windows, under the environment given; sets BUILT to their paths.
build_elsewhere() {
    local folder=$1
    shift
    mkdir -p "$folder/windows"
    cp -r "$win/freeglut" "$folder/windows/"
    mapfile -t BUILT < <(env BUILD_DIR="$folder" "$@" "$source/scripts/windows.sh" 2>"$work/log" | tail -2)
    [ ${#BUILT[@]} -eq 2 ] || { cat "$work/log"; fail "scripts/windows.sh in $folder"; exit 1; }
}

make_prefix() { xvfb-run -a sh -c 'wineboot --init && wineserver --wait' >/dev/null 2>&1 || fail "wineboot"; }

case $scenario in
resources)
    resources=$(wrestool -l "$exe")
    echo "$resources"
    [ "$(grep -c 'type=group_icon' <<<"$resources")" -eq 1 ] || fail "not one icon group"
    grep -q -- "--type=14 --name='GLUT_ICON'" <<<"$resources" || fail "no icon group named GLUT_ICON"
    wrestool -x --type=14 --name=GLUT_ICON "$exe" -o "$work/icon.ico"
    sizes=$(icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | paste -sd ' ')
    [ "$sizes" = "16 32 48 256" ] || fail "icon sizes '$sizes', not 16 32 48 256"
    info=$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -c '[:print:]' '\n' | grep -v '^$')
    for field in "FileVersion $VERSION" "ProductVersion $VERSION" "ProductName $PRODUCT_NAME" \
                 "OriginalFilename sierpinski-viewer.exe" "LegalCopyright .*MIT" "FileDescription ."; do
        read -r name value <<<"$field"
        grep -A1 -x "$name" <<<"$info" | tail -1 | grep -q -- "$value" || fail "VERSIONINFO $name is not '$value'"
    done
    manifest=$(wrestool -x --raw --type=24 "$exe")
    grep -q 'level="asInvoker"' <<<"$manifest" || fail "the manifest does not ask for asInvoker"
    for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
              1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
        grep -q "{$os}" <<<"$manifest" || fail "the manifest lacks supportedOS {$os}"
    done
    ! grep -qE '<(dpiAware|dpiAwareness)>' <<<"$manifest" || fail "the manifest declares DPI awareness"
    ;;
install | upgrade | uninstall)
    make_prefix
    prefix_files >"$work/before"
    code=$(product_code "$msi")
    if [ "$scenario" = upgrade ]; then
        # The same files but for an older README, as an older version's installer with its own
        # product code.
        cp -r "$win/msi" "$work/old"
        echo "an older version" >"$work/old/README.txt"
        (cd "$work/old" && TZ=UTC wixl --arch x64 -D Version=1.0.0 -D ProductCode=0C6E3B8E-6A1D-4F0B-8E55-2B7A4C9D1EFF \
            -D UpgradeCode="$WINDOWS_UPGRADE_CODE" -D ProductName="$PRODUCT_NAME" -D Publisher="$PRODUCT_PUBLISHER" \
            -D Description="$PROJECT_DESCRIPTION" -D Files=. -o "$work/old.msi" "$source/packaging/windows/sierpinski-viewer.wxs" 2>&1) || fail "wixl"
        on_wine msiexec /i "$work/old.msi" /qn || fail "installing the older installer"
        grep -q "an older version" "$installed/README.txt" || fail "the older installer did not install its README"
    fi
    on_wine msiexec /i "$msi" /qn || fail "msiexec /i exited $?"
    for file in sierpinski-viewer.exe README.txt LICENSE.txt LICENSE-freeglut.txt; do
        cmp -s "$installed/$file" "$win/msi/$file" || fail "Program Files\\$PRODUCT_NAME\\$file is not the installer's"
    done
    shortcut=$(find "$WINEPREFIX/drive_c" -name "$PRODUCT_NAME.lnk")
    if [ -z "$shortcut" ] || [ "$(wc -l <<<"$shortcut")" -ne 1 ]; then fail "not one Start-menu shortcut: $shortcut"; fi
    grep -qxF "C:\\Program Files\\$PRODUCT_NAME\\sierpinski-viewer.exe" <<<"$(strings -a "$shortcut")" ||
        fail "the shortcut does not point at the installed program"
    entry=$(wine reg query "$(uninstall_key "$code")" 2>/dev/null | tr -d '\r')
    for value in "DisplayName +REG_SZ +$PRODUCT_NAME" "DisplayVersion +REG_SZ +$VERSION" "Publisher +REG_SZ +$PRODUCT_PUBLISHER"; do
        grep -qE "^ +$value$" <<<"$entry" || fail "the Uninstall entry lacks $value: $entry"
    done
    properties=$(msiinfo export "$msi" Property)
    grep -q '^ARPPRODUCTICON' <<<"$properties" || fail "the installer gives its entry no icon"
    entries=$(wine uninstaller --list 2>/dev/null | grep -cF "$PRODUCT_NAME" || true)
    [ "$entries" -eq 1 ] || fail "$entries entries for $PRODUCT_NAME in Settings, Apps"
    case $scenario in
    install) end_to_end "C:\\Program Files\\$PRODUCT_NAME\\sierpinski-viewer.exe" ;;
    uninstall)
        on_wine msiexec /x "$msi" /qn || fail "msiexec /x exited $?"
        left=$(diff "$work/before" <(prefix_files) || true)
        [ -z "$left" ] || fail "files left by uninstalling: $left"
        ! wine reg query "$(uninstall_key "$code")" >/dev/null 2>&1 || fail "the Uninstall entry is still there"
        ! grep -qiE 'sierpinski|veldmora' "$WINEPREFIX"/*.reg || fail "keys left in the registry: $(grep -iE 'sierpinski|veldmora' "$WINEPREFIX"/*.reg)"
        ;;
    esac
    ;;
signing)
    # A certificate that signs code, good for a day, and its password.
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Sierpinski Viewer test" \
        -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
    echo "not a secret" >"$work/password"
    openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout "file:$work/password" -out "$work/cert.p12"
    build_elsewhere "$work/build" WINDOWS_SIGNING_CERT="$work/cert.p12" WINDOWS_SIGNING_PASSWORD_FILE="$work/password"
    signed=$work/build/windows/sierpinski-viewer.exe
    for file in "$signed" "${BUILT[1]}"; do
        osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >"$work/verify" 2>&1 ||
            fail "osslsigncode finds no good signature on $file: $(cat "$work/verify")"
    done
    unzip -p "${BUILT[0]}" "*/sierpinski-viewer.exe" | cmp -s - "$signed" || fail "the zip does not carry the signed program"
    ! osslsigncode verify -in "$exe" >/dev/null 2>&1 || fail "the program built without a certificate is signed"
    export WINEPREFIX=$win/wine-prefix # the windows label's own
    end_to_end "$signed"
    ;;
reproducible)
    build_elsewhere "$work/another build" sh -c 'umask 002 && exec "$@"' sh env TZ=Pacific/Kiritimati LC_ALL=C.UTF-8
    for built in "${BUILT[@]}"; do
        cmp -s "$built" "$win/$(basename "$built")" || fail "$(basename "$built") built elsewhere differs"
    done
    ;;
*)
    echo "usage: $0 resources|install|upgrade|uninstall|signing|reproducible SOURCE_DIR BUILD_DIR" >&2
    exit 2
    ;;
esac
[ $failed -eq 0 ] && echo "Windows $scenario checked"
exit $failed
