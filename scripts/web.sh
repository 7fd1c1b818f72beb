#!/usr/bin/env bash
# Builds the viewer for the browser (Emscripten) as one self-contained HTML file.
#   scripts/web.sh [PORT]     build and serve it on http://127.0.0.1:PORT/ (8000; Ctrl-C to stop)
#   scripts/web.sh --build    build only; the last line printed is the page's path
#   scripts/web.sh --test     build and run the browser tests in Chromium, Firefox and WebKit, against
#                             pictures the desktop program renders first
#   scripts/web.sh --bench    build and time frames at the deepest levels against raw WebGL, the
#                             main thread's long tasks, and a first visit's start-up (Lighthouse,
#                             a new browser each run) against a raw WebGL floor page
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mode=${1:-8000}
case $mode in
--build | --test | --bench) ;;
*) [[ $mode =~ ^[0-9]+$ ]] || die "unknown option '$mode' (try --build, --test, --bench or a port number)" ;;
esac

ensure_packages "${WEB_PACKAGES[@]}"
ensure_node
# Debian's emscripten finds its node modules there, also when node itself is not Debian's.
export NODE_PATH=/usr/share/nodejs

web_build=$BUILD_DIR/web
say "building the web page in $web_build"
emcmake cmake -S "$ROOT" -B "$web_build" -DCMAKE_BUILD_TYPE=Release >/dev/null || die "emcmake cmake failed"
cmake --build "$web_build" --parallel "$(nproc)" >/dev/null || die "web build failed"
page=$web_build/sierpinski-viewer.html

browser_tools() {
    say "installing the browser test tools (playwright-core, puppeteer-core, selenium-webdriver, axe-core, lighthouse, pngjs; no browser download)"
    (cd "$ROOT" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 \
        npm ci --no-audit --no-fund --loglevel=error) || die "npm ci failed"
}

# Firefox and WebKit draw WebGL only on a display: a private Xvfb, and a session bus for WebKit.
on_display() {
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -nolisten tcp" dbus-run-session -- "$@"
}

case $mode in
--build)
    say "built; open this file in a browser, or serve it with scripts/web.sh [PORT]:"
    echo "$page"
    ;;
--test)
    browser_tools
    # The pictures the page must show: the desktop program's own, rendered on a private Xvfb.
    ensure_packages "${BUILD_PACKAGES[@]}" "${HEADLESS_PACKAGES[@]}"
    build_project sierpinski-gallery
    references=$web_build/references
    say "rendering the desktop program's pictures into $references"
    "$BUILD_DIR/tools/sierpinski-gallery" "$references" arrowhead=0,1,2,3,5,12 carpet=0,1,2,5 >/dev/null ||
        die "rendering the reference pictures failed"
    say "running the browser tests in Chromium, Firefox and WebKit"
    for tests in "$ROOT"/web/tests/*.test.mjs; do
        PAGE_DIR=$web_build REFERENCE_DIR=$references on_display node --test "$tests"
    done
    ;;
--bench)
    browser_tools
    say "timing frames in Chromium with software WebGL, against raw WebGL in the same browser"
    PAGE_DIR=$web_build node "$ROOT/bench/web/frame-times.mjs"
    say "measuring the main thread's long tasks: start-up, a click to depth 12, a wheel gesture over the picture"
    PAGE_DIR=$web_build node "$ROOT/bench/web/long-tasks.mjs"
    say "timing the start-up of a first visit in Lighthouse (mobile and desktop), against a raw WebGL floor page (several minutes)"
    PAGE_DIR=$web_build node "$ROOT/bench/web/start-up.mjs"
    ;;
*)
    say "serving the viewer; open the address below in a browser, Ctrl-C to stop"
    exec node "$ROOT/web/serve.mjs" "$web_build" "$mode"
    ;;
esac
