#!/usr/bin/env bash
# The Windows program's resources, its installer under Wine, its signing and its reproducibility,
# each scenario in a Wine prefix of its own (scripts/windows.sh --wine must have built them):
#   resources  the exe carries the icon (GLUT_ICON, the only icon group), version information of
#              the project's version in its numbers and strings, and the manifest (asInvoker,
#              Windows 7 to 11, no DPI setting); the installer has its dialogs, the program's
#              version in its File row and the one UpgradeCode
#   install    msiexec /i with its dialogs, on Enter alone but for a folder typed on the folder page
#              (a screenshot of each page kept in BUILD_DIR/windows/dialogs), installs the files
#              there, a Start-menu shortcut to them and an Uninstall entry with name, version,
#              publisher, install location and no repair; the installed program passes an
#              end-to-end case
#   upgrade    the installer built from the previous release's sources, then this one, leaves one
#              entry and this one's files only
#   uninstall  installed without dialogs (/qb) into a folder with spaces, msiexec /x leaves no file
#              of the product and no key
#   signing    with a throwaway certificate and a time-stamping authority on 127.0.0.1,
#              scripts/windows.sh signs the program and the installer, osslsigncode verifies both
#              and their timestamps, and the signed program still runs; the signed installer
#              replaces the unsigned one of the same version in the folder that one was given; a
#              signing run that fails leaves no program, zip or installer behind
#   reproducible  built again in another folder (a space in its path), umask, time zone and
#              locale, the zip and the installer are the same bytes
#   check-windows.sh SCENARIO SOURCE_DIR BUILD_DIR
set -euo pipefail
scenario=$1 source=$2 build=$3
work=$(mktemp -d)
# Wine's server must be gone before its prefix is: it writes there as it ends.
trap '{ wineserver -k; wineserver -w; } 2>/dev/null || true; rm -rf "$work"' EXIT
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
# A folder of the user's choice, with spaces, as Windows and as Wine's Linux path name it.
chosen='C:\Sierpinski Tools\My Viewer'
chosen_path="$WINEPREFIX/drive_c/Sierpinski Tools/My Viewer"

# The installer's files are those installed in FOLDER.
installs_files() {
    local folder=$1 msi_files=$2 file
    for file in sierpinski-viewer.exe README.txt LICENSE.txt LICENSE-freeglut.txt; do
        cmp -s "$folder/$file" "$msi_files/$file" || fail "$folder/$file is not the installer's"
    done
}
# The Uninstall entry of product CODE has VALUE (a regular expression after the name).
entry_has() {
    local entry
    entry=$(wine reg query "$(uninstall_key "$1")" 2>/dev/null | tr -d '\r')
    grep -qE "^ +$2$" <<<"$entry" || fail "the Uninstall entry lacks $2: $entry"
}
one_entry() {
    local entries
    entries=$(wine uninstaller --list 2>/dev/null | grep -cF "$PRODUCT_NAME" || true)
    [ "$entries" -eq 1 ] || fail "$entries entries for $PRODUCT_NAME in Settings, Apps"
}

# Goes through the installer's dialogs as a user with a keyboard: each page found by its title,
# its screenshot taken, Enter pressed; on the folder page the folder FOLDER typed first.
# shellcheck disable=SC2317 # run by xvfb-run
walk_dialogs() {
    local msi=$1 shots=$2 folder=$3 title=$4 page id
    wine msiexec /i "$msi" &
    local installer=$!
    for page in Welcome Folder Finished; do
        id=$(timeout 60 xdotool search --sync --name "^$title: $page\$" | head -1)
        [ -n "$id" ] || { echo "no page titled '$title: $page'"; kill "$installer"; return 1; }
        sleep 0.5 # drawn
        import -window "$id" "$shots/${page,,}.png"
        [ "$page" != Folder ] || { xdotool key Tab Tab ctrl+a; xdotool type "$folder"; }
        xdotool key Return
    done
    wait "$installer"
    wineserver --wait
}

# The sources of the previous release: the newest commit whose changelog begins with a release
# other than the one this tree's begins with.
previous_release() {
    local current commit top
    current=$(grep -m1 '^## ' "$source/CHANGELOG.md")
    for commit in $(git -C "$source" log --format=%H -- CHANGELOG.md); do
        top=$(git -C "$source" show "$commit:CHANGELOG.md" | grep -m1 '^## ')
        if [[ $top =~ ^##\ [0-9] ]] && [ "$top" != "$current" ]; then echo "$commit"; return 0; fi
    done
    return 1
}

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
    # The numeric block, which Windows Installer and Explorer read, says the same version.
    fixed=$(python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", data, at + 8)
print(*("%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) for ms, ls in ((file_ms, file_ls), (product_ms, product_ls))))' "$exe")
    [ "$fixed" = "$VERSION.0 $VERSION.0" ] || fail "VERSIONINFO's FILEVERSION and PRODUCTVERSION are $fixed, not $VERSION.0"
    # The installer's row for the program carries that version, with no file hash in its stead.
    # (Each table is read whole first: grep -q leaving a pipe early would fail it under pipefail.)
    files=$(msiinfo export "$msi" File) hashes=$(msiinfo export "$msi" MsiFileHash)
    properties=$(msiinfo export "$msi" Property) tables=$(msiinfo tables "$msi")
    grep -qP "^ViewerExe\t[^\t]*\tsierpinski-viewer\.exe\t[0-9]+\t$VERSION\.0\t1033\t" <<<"$files" ||
        fail "the installer's File row for the program lacks version $VERSION.0: $(grep ViewerExe <<<"$files")"
    ! grep -q '^ViewerExe' <<<"$hashes" || fail "the program has a file hash as well as a version"
    # The UpgradeCode ties every version together: this is its one value, for ever.
    grep -qP '^UpgradeCode\t\{6F1D8A4C-3B2E-4E57-9C1A-5D0B7E2F8A63\}\r?$' <<<"$properties" ||
        fail "the installer's UpgradeCode changed: $(grep UpgradeCode <<<"$properties")"
    for table in Dialog Control ControlEvent EventMapping TextStyle CompLocator; do
        grep -qx "$table" <<<"$tables" || fail "the installer has no $table table"
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
    case $scenario in
    install)
        shots=$win/dialogs
        rm -rf "$shots" && mkdir -p "$shots"
        started=$(date +%s)
        xvfb-run -a bash -c "$(declare -f walk_dialogs); walk_dialogs \"\$@\"" bash "$msi" "$shots" "$chosen" \
            "$PRODUCT_NAME $VERSION Setup" || fail "the installer's dialogs did not lead to its end"
        echo "through the dialogs in $(($(date +%s) - started)) s; the welcome page: $shots/welcome.png"
        folder=$chosen_path where=$chosen
        ;;
    upgrade)
        commit=$(previous_release) || { fail "no previous release in the history of $source (a full clone is needed)"; exit 1; }
        mkdir "$work/previous"
        git -C "$source" archive "$commit" | tar -x -C "$work/previous"
        mkdir -p "$work/previous/build/windows"
        cp -r "$win/freeglut" "$work/previous/build/windows/"
        mapfile -t previous < <(BUILD_DIR="$work/previous/build" "$work/previous/scripts/windows.sh" 2>"$work/log" | tail -2)
        [ ${#previous[@]} -eq 2 ] || { cat "$work/log"; fail "the previous release's windows.sh"; exit 1; }
        echo "the previous release: $(git -C "$source" log -1 --format='%h %s' "$commit")"
        on_wine msiexec /i "${previous[1]}" /qn || fail "installing the previous release"
        [ -f "$installed/sierpinski-viewer.exe" ] || fail "the previous release did not install its program"
        started=$(date +%s)
        on_wine msiexec /i "$msi" /qn || fail "msiexec /i exited $?"
        echo "upgraded in $(($(date +%s) - started)) s"
        folder=$installed where="C:\\Program Files\\$PRODUCT_NAME"
        copies=$(cd "$WINEPREFIX/drive_c" && find . -name sierpinski-viewer.exe ! -path './windows/*')
        [ "$copies" = "./Program Files/$PRODUCT_NAME/sierpinski-viewer.exe" ] || fail "programs after the upgrade: $copies"
        [ "$(find "$installed" -type f | wc -l)" -eq 4 ] || fail "not this version's four files: $(ls "$installed")"
        ;;
    uninstall)
        # shellcheck disable=SC2016 # the inner shell expands them
        timeout 120 xvfb-run -a sh -c 'wine msiexec /i "$1" INSTALLDIR="$2" /qb; wineserver --wait' sh "$msi" "$chosen" ||
            fail "msiexec /i /qb"
        folder=$chosen_path where=$chosen
        ;;
    esac
    installs_files "$folder" "$win/msi"
    shortcut=$(find "$WINEPREFIX/drive_c" -name "$PRODUCT_NAME.lnk")
    if [ -z "$shortcut" ] || [ "$(wc -l <<<"$shortcut")" -ne 1 ]; then fail "not one Start-menu shortcut: $shortcut"; fi
    grep -qxF "$where\\sierpinski-viewer.exe" <<<"$(strings -a "$shortcut")" ||
        fail "the shortcut does not point at the installed program"
    for value in "DisplayName +REG_SZ +$PRODUCT_NAME" "DisplayVersion +REG_SZ +$VERSION" \
                 "Publisher +REG_SZ +$PRODUCT_PUBLISHER" "InstallLocation +REG_SZ +${where//\\/\\\\}\\\\" \
                 "NoRepair +REG_DWORD +0x1"; do
        entry_has "$code" "$value"
    done
    grep -q '^ARPPRODUCTICON' <<<"$(msiinfo export "$msi" Property)" || fail "the installer gives its entry no icon"
    one_entry
    case $scenario in
    install) end_to_end "$where\\sierpinski-viewer.exe" ;;
    uninstall)
        started=$(date +%s)
        on_wine msiexec /x "$msi" /qn || fail "msiexec /x exited $?"
        echo "uninstalled in $(($(date +%s) - started)) s"
        left=$(diff "$work/before" <(prefix_files) | grep -v "^> \./Sierpinski Tools$" | grep '^[<>]' || true)
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
    # A time-stamping authority of our own, on 127.0.0.1.
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Sierpinski Viewer test TSA" \
        -addext "extendedKeyUsage=critical,timeStamping" -keyout "$work/tsa.key" -out "$work/tsa.pem" 2>/dev/null
    mkdir "$work/tsa"
    python3 "$source/tests/checks/timestamp-authority.py" "$work/tsa.pem" "$work/tsa.key" "$work/tsa" >"$work/tsa/url" &
    authority=$!
    trap 'kill $authority 2>/dev/null; { wineserver -k; wineserver -w; } 2>/dev/null || true; rm -rf "$work"' EXIT
    for _ in $(seq 50); do [ -s "$work/tsa/url" ] && break; sleep 0.1; done
    signing=(WINDOWS_SIGNING_CERT="$work/cert.p12" WINDOWS_SIGNING_PASSWORD_FILE="$work/password"
             WINDOWS_SIGNING_TIMESTAMP_URL="$(cat "$work/tsa/url")")
    build_elsewhere "$work/build" "${signing[@]}"
    signed=$work/build/windows/sierpinski-viewer.exe
    for file in "$signed" "${BUILT[1]}"; do
        osslsigncode verify -CAfile "$work/cert.pem" -TSA-CAfile "$work/tsa.pem" -in "$file" >"$work/verify" 2>&1 ||
            fail "osslsigncode finds no good signature on $file: $(cat "$work/verify")"
        grep -q 'Timestamp Server Signature verification: ok' "$work/verify" ||
            fail "the signature on $file has no good timestamp: $(cat "$work/verify")"
    done
    unzip -p "${BUILT[0]}" "*/sierpinski-viewer.exe" | cmp -s - "$signed" || fail "the zip does not carry the signed program"
    ! osslsigncode verify -in "$exe" >/dev/null 2>&1 || fail "the program built without a certificate is signed"

    # The signed build replaces the unsigned one of the same version, in the folder it was given.
    make_prefix
    on_wine msiexec /i "$msi" INSTALLDIR="$chosen" /qn || fail "installing the unsigned installer"
    on_wine msiexec /i "${BUILT[1]}" /qn || fail "installing the signed installer over the unsigned one"
    one_entry
    cmp -s "$chosen_path/sierpinski-viewer.exe" "$signed" || fail "the installed program is not the signed one"
    [ ! -e "$installed" ] || fail "the signed installer went to Program Files, not to the folder the first was given"
    entry_has "$(product_code "${BUILT[1]}")" "InstallLocation +REG_SZ +${chosen//\\/\\\\}\\\\"

    export WINEPREFIX=$win/wine-prefix # the windows label's own
    end_to_end "$signed"

    # A run whose signing fails (a wrong password) leaves none of the earlier run's files behind.
    echo "a wrong password" >"$work/wrong"
    if env BUILD_DIR="$work/build" "${signing[@]}" WINDOWS_SIGNING_PASSWORD_FILE="$work/wrong" \
        "$source/scripts/windows.sh" >"$work/log" 2>&1; then fail "windows.sh signed with a wrong password"; fi
    for file in "$signed" "${BUILT[@]}"; do
        [ ! -e "$file" ] || fail "a failed signing run left $file"
    done
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
