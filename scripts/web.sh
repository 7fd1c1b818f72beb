#!/usr/bin/env bash
# Builds the viewer for the browser (Emscripten) and serves it on http://127.0.0.1:8000/.
#   scripts/web.sh [PORT]     build and serve (Ctrl-C to stop)
#   scripts/web.sh --test     build and run the browser tests in headless Chromium
#   scripts/web.sh --bench    build and measure frame times at the deepest levels
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mode=${1:-serve}
ensure_packages "${WEB_PACKAGES[@]}"
ensure_node
# Debian's emscripten finds its node modules there, also when node itself is not Debian's.
export NODE_PATH=/usr/share/nodejs

web_build=$BUILD_DIR/web
say "building the web page in $web_build"
emcmake cmake -S "$ROOT" -B "$web_build" -DCMAKE_BUILD_TYPE=Release >/dev/null || die "emcmake cmake failed"
cmake --build "$web_build" --parallel "$(nproc)" || die "web build failed"
page=$web_build/web

browser_tools() {
    say "installing the browser test tools (playwright-core, no browser download)"
    (cd "$ROOT/web/tests" && npm ci --no-audit --no-fund --loglevel=error) || die "npm ci failed"
}

case $mode in
--test)
    browser_tools
    say "running the browser tests in Chromium"
    PAGE_DIR=$page node --test --test-concurrency=1 "$ROOT/web/tests/"
    ;;
--bench)
    browser_tools
    say "measuring frame times in Chromium with software WebGL"
    PAGE_DIR=$page node "$ROOT/web/tests/frame-times.mjs"
    ;;
*)
    say "serving the viewer; open the address below in a browser, Ctrl-C to stop"
    exec node "$ROOT/web/serve.mjs" "$page" "${mode/serve/8000}"
    ;;
esac
