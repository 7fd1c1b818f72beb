#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs them on a private virtual X server with Mesa's
# software OpenGL. Arguments go to Google Benchmark (e.g. --benchmark_filter=carpet).
#   scripts/bench.sh --windows    the depth-12 frame of the Windows program under Wine against
#                                 the native program's (builds it with scripts/windows.sh)
#   scripts/bench.sh --arm64      the same of the arm64 program under qemu-user, for information
#                                 (builds it with scripts/cross.sh)
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

other=
case ${1:-} in
--windows | --arm64)
    other=${1#--}
    shift
    ;;
esac
for argument in "$@"; do
    [[ $argument == --benchmark_* ]] ||
        die "unknown option '$argument' (try --windows, --arm64, or Google Benchmark's --benchmark_...)"
done
ensure_packages "${BUILD_PACKAGES[@]}" "${HEADLESS_PACKAGES[@]}" libbenchmark-dev
build_project frame_benchmarks first_frame_floor sierpinski-viewer
case $other in
windows)
    "$ROOT/scripts/windows.sh" --wine >/dev/null
    export OTHER_VIEWER=$BUILD_DIR/windows/sierpinski-viewer-wine OTHER_ROUNDS=21
    ;;
arm64)
    "$ROOT/scripts/cross.sh" arm64 >/dev/null
    # A frame takes some 30 times as long under emulation: fewer rounds, longer deadlines.
    export OTHER_VIEWER=$BUILD_DIR/cross/arm64/sierpinski-viewer-arm64 OTHER_ROUNDS=5 VIEWER_SLOWDOWN=30
    ;;
esac
if [ -n "$other" ]; then
    export OTHER_KIND=$other
    set -- --benchmark_filter="$other" "$@"
fi
say "running the benchmarks (about a minute; keep the machine otherwise idle for steady numbers)"
"$BUILD_DIR/bench/frame_benchmarks" --benchmark_enable_random_interleaving=true "$@"
