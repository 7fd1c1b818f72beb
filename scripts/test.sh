#!/usr/bin/env bash
# Builds the project and runs the tests with CTest; arguments go to ctest. It installs only what the
# chosen labels need (-L unit needs no browser and no Wine); a label whose tools are missing is not
# registered, so CTest skips it.
#   scripts/test.sh              every test
#   scripts/test.sh -L unit      one label: unit e2e abuse valgrind sanitize package windows hardening lint web arm64
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# What each label needs beyond the build.
packages_for() {
    case $1 in
    e2e | abuse) echo "${HEADLESS_PACKAGES[*]}" ;;
    valgrind) echo "${HEADLESS_PACKAGES[*]} valgrind" ;;
    package) echo "${PACKAGE_PACKAGES[*]}" ;;
    hardening) echo "${HARDENING_PACKAGES[*]}" ;;
    lint) echo "${LINT_PACKAGES[*]}" ;;
    windows) echo "${HEADLESS_PACKAGES[*]} ${WINDOWS_PACKAGES[*]}" ;;
    web) echo "${HEADLESS_PACKAGES[*]} ${WEB_PACKAGES[*]}" ;;
    arm64) echo "${HEADLESS_PACKAGES[*]} ${HARDENING_PACKAGES[*]} ${PACKAGE_PACKAGES[*]} ${ARM64_PACKAGES[*]}" ;;
    esac
}
LABELS=(unit e2e abuse valgrind sanitize package windows hardening lint web arm64)

# The labels the arguments choose: those matching a -L/--label-regex, else all of them.
chosen=() regexes=()
arguments=("$@")
for ((i = 0; i < ${#arguments[@]}; ++i)); do
    case ${arguments[i]} in
    -L | --label-regex) regexes+=("${arguments[i + 1]:-}") ;;
    --label-regex=*) regexes+=("${arguments[i]#*=}") ;;
    -L?*) regexes+=("${arguments[i]#-L}") ;;
    esac
done
for label in "${LABELS[@]}"; do
    if [ ${#regexes[@]} -eq 0 ]; then
        chosen+=("$label")
        continue
    fi
    for regex in "${regexes[@]}"; do
        if [[ $label =~ $regex ]]; then
            chosen+=("$label")
            break
        fi
    done
done
[ ${#chosen[@]} -gt 0 ] || die "no test label matches ${regexes[*]} (labels: ${LABELS[*]})"

packages=()
for label in "${chosen[@]}"; do
    read -r -a needed <<<"$(packages_for "$label")"
    packages+=("${needed[@]}")
done
ensure_packages "${BUILD_PACKAGES[@]}" "${packages[@]}"
if [[ " ${chosen[*]} " == *" web "* ]]; then
    ensure_node
fi
build_project all
say "running the tests: ${chosen[*]}"
ctest --test-dir "$BUILD_DIR" --output-on-failure --parallel "$(nproc)" "$@"
