#!/usr/bin/env bash
# Builds the project and runs every test. Extra arguments go to ctest (e.g. -L unit).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${HEADLESS_PACKAGES[@]}" "${CHECK_PACKAGES[@]}" "${WEB_PACKAGES[@]}" \
    "${WINDOWS_PACKAGES[@]}"
ensure_node
build_project
say "running the tests: unit, end-to-end on a private Xvfb, sanitizers, memcheck, packages, hardening, lint, web, Windows under Wine"
ctest --test-dir "$BUILD_DIR" --output-on-failure --parallel "$(nproc)" "$@"
