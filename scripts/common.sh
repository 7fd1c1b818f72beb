# shellcheck shell=bash disable=SC2034 # the *_PACKAGES lists are for the scripts that source this
# Shared by the project's scripts: say what is happening, install missing Debian packages, build.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}

say() { printf '==> %s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Installs those of the named Debian packages that are not installed yet, as root or through sudo.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null | grep -qx installed || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || die "need root or sudo to install: ${missing[*]}"
        sudo=(sudo)
    fi
    say "installing Debian packages: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq || die "apt-get update failed"
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null || die "apt-get install failed: ${missing[*]}"
}

# apt's own client with a private configuration in FOLDER, so that the system's apt settings stay
# as they are: entries of TYPE (deb or deb-src) made from this machine's Debian sources (those
# signed with Debian's archive key, or at a .../debian mirror path), and lists, cache and state of
# its own. Further apt options follow. Updates the lists and sets APT_OPTIONS for later apt-get calls.
private_apt() {
    local folder=$1 type=$2
    shift 2
    rm -rf "$folder/parts" "$folder/lists"
    mkdir -p "$folder/parts" "$folder/lists/partial" "$folder/cache/archives/partial" "$folder/state"
    if [ -f /etc/apt/sources.list ]; then
        sed -n "s/^deb \(.*\/debian\(-security\)\?\/\? .*\)/$type \1/p" /etc/apt/sources.list >"$folder/parts/debian.list"
    fi
    shopt -s nullglob
    awk -v type="$type" 'BEGIN { RS = ""; FS = "\n" }
         { deb = 0; off = 0; debian = 0; out = ""
           for (i = 1; i <= NF; i++) {
             line = $i
             if (line ~ /^Types:/) {
               n = split(substr(line, 7), types, " ")
               for (j = 1; j <= n; j++) if (types[j] == "deb") deb = 1
               line = "Types: " type
             }
             if (line ~ /^Enabled: *no/) off = 1
             if (line ~ /^Signed-By:.*debian-archive-keyring/ || line ~ /^URIs:.*\/debian(-security)?\/?$/) debian = 1
             out = out line "\n"
           }
           if (deb && !off && debian) printf "%s\n", out }' /dev/null /etc/apt/sources.list.d/*.sources >"$folder/parts/debian.sources"
    shopt -u nullglob
    find "$folder/parts" -type f -empty -delete
    [ -n "$(ls "$folder/parts")" ] || die "found no Debian archive in /etc/apt to fetch from"
    APT_OPTIONS=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$folder/parts"
                 -o "Dir::State::Lists=$folder/lists" -o "Dir::Cache=$folder/cache" -o "Dir::State=$folder/state"
                 -o APT::Sandbox::User="$(id -un)" "$@")
    apt-get "${APT_OPTIONS[@]}" -qq update || die "apt-get update of the private lists in $folder failed"
}

# The packages each kind of work needs.
BUILD_PACKAGES=(cmake make g++ libglut-dev libglu1-mesa-dev libgtest-dev)
# A virtual X server with software OpenGL, xdotool for the clicks and Xlib for reading pixels back.
HEADLESS_PACKAGES=(xvfb xauth xdotool x11-utils libgl1-mesa-dri libx11-dev libstb-dev)
# The Windows build (a cross-compiler, apt's source fetching, zip, icotool, wixl and what makes its
# installers reproducible, osslsigncode), Wine to run it, and what its checks read MSIs, certificates,
# and zips with and photograph the installer's pages with (ImageMagick).
WINDOWS_PACKAGES=(mingw-w64 wine wine64 zip debian-archive-keyring icoutils wixl msitools python3-olefile osslsigncode
                  openssl unzip imagemagick)
# The arm64 build (a cross compiler) and qemu-user to run it.
ARM64_PACKAGES=(crossbuild-essential-arm64 qemu-user)
# The web build and its browser tests in the three engines, Firefox and WebKit on a virtual X
# server with a session bus.
WEB_PACKAGES=(emscripten chromium firefox-esr webkit2gtk-driver xvfb xauth dbus-daemon)
# The static checkers, hardening-check (devscripts) with readelf (binutils), and what builds and
# checks the Debian package and the RPM, and signs a release in its test.
LINT_PACKAGES=(clang-tidy cppcheck shellcheck)
HARDENING_PACKAGES=(devscripts binutils)
PACKAGE_PACKAGES=(dpkg-dev desktop-file-utils man-db lintian appstream rpm rpmlint file rpm2cpio cpio gnupg)
# What the RPM's program links besides the build's own libraries: freeglut's, linked in.
RPM_PROGRAM_PACKAGES=(libxi-dev libxxf86vm-dev)

# Node.js and npm for the browser tests and benchmarks: the machine's own if it has them, else
# Debian's. Their packages (package.json) want Node.js 18 or later.
ensure_node() {
    if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
        ensure_packages nodejs npm
    fi
    local major
    major=$(node -p 'process.versions.node.split(".")[0]')
    [ "$major" -ge 18 ] || die "Node.js $(node --version) is too old for the browser tools: they need 18 or later"
}

# Configures and builds the named targets in $BUILD_DIR.
build_project() {
    configure_project
    say "building $* in $BUILD_DIR"
    cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target "$@" || die "build failed"
}

# Configures the build folder (optimised by default) without building anything.
configure_project() {
    say "configuring the build in $BUILD_DIR"
    cmake -S "$ROOT" -B "$BUILD_DIR" >/dev/null || die "cmake configure failed"
}

# The one path a glob names, or a stop naming the glob when it names none or several.
one_file() {
    if [ $# -ne 1 ] || [ ! -e "$1" ]; then
        die "expected one file, found: $*"
    fi
    echo "$1"
}

# The product's facts (VERSION, PRODUCT_NAME, WINDOWS_ARTEFACT, ...) as the build folder FOLDER
# (default $BUILD_DIR) has them from CMake.
read_product_facts() {
    local facts=${1:-$BUILD_DIR}/product.sh
    [ -f "$facts" ] || die "no $facts: configure the build first"
    # shellcheck source=/dev/null
    source "$facts"
}
