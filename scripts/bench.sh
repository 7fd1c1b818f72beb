#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs them on a private virtual X server with Mesa's
# software OpenGL. Arguments go to Google Benchmark (e.g. --benchmark_filter=carpet).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${HEADLESS_PACKAGES[@]}" libbenchmark-dev
build_project frame_benchmarks first_frame_floor sierpinski-viewer
say "running the benchmarks (about a minute; keep the machine otherwise idle for steady numbers)"
"$BUILD_DIR/bench/frame_benchmarks" --benchmark_enable_random_interleaving=true "$@"
