#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs them on a private virtual X server with Mesa's
# software OpenGL. Arguments go to Google Benchmark (e.g. --benchmark_filter=carpet).
#   scripts/bench.sh --windows    the depth-12 frame of the Windows program under Wine against
#                                 the native program's (builds it with scripts/windows.sh)
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

windows=
if [ "${1:-}" = --windows ]; then
    windows=yes
    shift
fi
for argument in "$@"; do
    [[ $argument == --benchmark_* ]] || die "unknown option '$argument' (try --windows, or Google Benchmark's --benchmark_...)"
done
ensure_packages "${BUILD_PACKAGES[@]}" "${HEADLESS_PACKAGES[@]}" libbenchmark-dev
build_project frame_benchmarks first_frame_floor sierpinski-viewer
if [ -n "$windows" ]; then
    "$ROOT/scripts/windows.sh" --wine >/dev/null
    export WINE_VIEWER=$BUILD_DIR/windows/sierpinski-viewer-wine
    set -- --benchmark_filter=windows "$@"
fi
say "running the benchmarks (about a minute; keep the machine otherwise idle for steady numbers)"
"$BUILD_DIR/bench/frame_benchmarks" --benchmark_enable_random_interleaving=true "$@"
