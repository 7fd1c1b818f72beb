#!/usr/bin/env bash
# Builds the viewer for the browser (Emscripten) as one self-contained HTML file.
#   scripts/web.sh [PORT]     build and serve it on http://127.0.0.1:PORT/ (8000; Ctrl-C to stop)
#   scripts/web.sh --build    build only; the last line printed is the page's path
#   scripts/web.sh --test     build and run the browser tests in Chromium, Firefox and WebKit
#   scripts/web.sh --bench    build and time frames at the deepest levels and the start-up
#                             (Lighthouse) against raw WebGL
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mode=${1:-8000}
ensure_packages "${WEB_PACKAGES[@]}"
ensure_node
# Debian's emscripten finds its node modules there, also when node itself is not Debian's.
export NODE_PATH=/usr/share/nodejs

web_build=$BUILD_DIR/web
say "building the web page in $web_build"
emcmake cmake -S "$ROOT" -B "$web_build" -DCMAKE_BUILD_TYPE=Release >/dev/null || die "emcmake cmake failed"
cmake --build "$web_build" --parallel "$(nproc)" >/dev/null || die "web build failed"
folder=$web_build/web
page=$folder/sierpinski-viewer.html

browser_tools() {
    say "installing the browser test tools (playwright-core, puppeteer-core, selenium-webdriver, axe-core, lighthouse; no browser download)"
    (cd "$ROOT/web/tests" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 \
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
    say "running the browser tests in Chromium, Firefox and WebKit"
    PAGE_DIR=$folder on_display node --test --test-concurrency=1 "$ROOT/web/tests/"
    ;;
--bench)
    browser_tools
    say "timing frames in Chromium with software WebGL, against raw WebGL in the same browser"
    PAGE_DIR=$folder node "$ROOT/web/tests/frame-times.mjs"
    say "timing the start-up in Lighthouse (mobile and desktop), against a raw WebGL floor page (a few minutes)"
    PAGE_DIR=$folder node "$ROOT/web/tests/start-up.mjs"
    ;;
*)
    [[ $mode =~ ^[0-9]+$ ]] || die "unknown option '$mode' (try --build, --test, --bench or a port number)"
    say "serving the viewer; open the address below in a browser, Ctrl-C to stop"
    exec node "$ROOT/web/serve.mjs" "$folder" "$mode"
    ;;
esac
