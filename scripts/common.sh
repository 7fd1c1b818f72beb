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

# The packages each kind of work needs.
BUILD_PACKAGES=(cmake make g++ libglut-dev libglu1-mesa-dev libgtest-dev)
# A virtual X server with software OpenGL, xdotool for the clicks and Xlib for reading pixels back.
HEADLESS_PACKAGES=(xvfb xauth xdotool x11-utils libgl1-mesa-dri libx11-dev libstb-dev)
# The Windows build (a cross-compiler, apt's source fetching, zip) and Wine to run it.
WINDOWS_PACKAGES=(mingw-w64 wine wine64 zip debian-archive-keyring)
# The web build and its browser tests in the three engines, Firefox and WebKit on a virtual X
# server with a session bus.
WEB_PACKAGES=(emscripten chromium firefox-esr webkit2gtk-driver xvfb xauth dbus-daemon)
# The static checkers, hardening-check (devscripts) with readelf (binutils), and what builds and
# checks the Debian package and the RPM.
LINT_PACKAGES=(clang-tidy cppcheck shellcheck)
HARDENING_PACKAGES=(devscripts binutils)
PACKAGE_PACKAGES=(dpkg-dev desktop-file-utils man-db lintian appstream rpm rpmlint file)

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

# Configures (optimised by default) and builds the named targets (all: every one) in $BUILD_DIR.
build_project() {
    say "building $* in $BUILD_DIR"
    cmake -S "$ROOT" -B "$BUILD_DIR" >/dev/null || die "cmake configure failed"
    cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target "$@" || die "build failed"
}
