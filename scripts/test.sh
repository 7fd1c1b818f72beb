#!/usr/bin/env bash
# Builds what the chosen tests need and runs them with CTest. It installs only what their labels
# need (-L unit needs no browser and no Wine); a label whose tools are missing is not registered.
# Takes CTest's own selection options, read as CTest reads them, and refuses anything else before
# installing or building.
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

LABELS=(unit e2e abuse valgrind sanitize package windows hardening lint web arm64)
usage="usage: scripts/test.sh [-L REGEX] [-LE REGEX] [-R REGEX] [-E REGEX] [-j N] [--output-on-failure]
  labels: ${LABELS[*]}"

# What each label needs beyond the build: Debian packages, then build targets. The labels whose
# tests build for themselves (sanitize, web, lint's compilation database) need only the configure.
packages_for() {
    case $1 in
    e2e | abuse) echo "${HEADLESS_PACKAGES[*]}" ;;
    valgrind) echo "${HEADLESS_PACKAGES[*]} valgrind" ;;
    package) echo "${HEADLESS_PACKAGES[*]} ${PACKAGE_PACKAGES[*]}" ;;
    hardening) echo "${HARDENING_PACKAGES[*]}" ;;
    lint) echo "${LINT_PACKAGES[*]}" ;;
    windows) echo "${HEADLESS_PACKAGES[*]} ${WINDOWS_PACKAGES[*]}" ;;
    web) echo "${HEADLESS_PACKAGES[*]} ${WEB_PACKAGES[*]}" ;;
    arm64) echo "${HEADLESS_PACKAGES[*]} ${HARDENING_PACKAGES[*]} ${PACKAGE_PACKAGES[*]} ${ARM64_PACKAGES[*]}" ;;
    esac
}
targets_for() {
    case $1 in
    unit) echo unit_tests ;;
    e2e) echo e2e_tests ;;
    abuse | valgrind) echo abuse_tests ;;
    windows | arm64) echo e2e_tests abuse_tests ;;
    package) echo e2e_tests ;;
    hardening) echo sierpinski-viewer ;;
    esac
}

ctest_args=(--output-on-failure --no-tests=error) includes=() excludes=() exclude_names=() jobs=$(nproc)
while [ $# -gt 0 ]; do
    option=$1
    case $option in
    -h | --help) echo "$usage"; exit 0 ;;
    --output-on-failure) shift; continue ;;
    -L | --label-regex | -LE | --label-exclude | -R | --tests-regex | -E | --exclude-regex | -j | --parallel)
        [ $# -ge 2 ] || { echo "error: $option needs a value" >&2; echo "$usage" >&2; exit 2; }
        value=$2
        shift 2
        ;;
    -j[0-9]*) value=${option#-j} option=-j; shift ;;
    --*=*) value=${option#*=} option=${option%%=*}; shift ;;
    *) echo "error: unknown option '$option'" >&2; echo "$usage" >&2; exit 2 ;;
    esac
    case $option in
    -L | --label-regex) includes+=("$value") ;;
    -LE | --label-exclude) excludes+=("$value") ;;
    -R | --tests-regex) ;;
    -E | --exclude-regex)
        exclude_names+=("$value")
        continue
        ;;
    -j | --parallel)
        [[ $value =~ ^[1-9][0-9]*$ ]] || { echo "error: $option takes a number of jobs, not '$value'" >&2; exit 2; }
        jobs=$value
        continue
        ;;
    *) echo "error: unknown option '$option'" >&2; echo "$usage" >&2; exit 2 ;;
    esac
    ctest_args+=("$option" "$value")
done

# The labels chosen as CTest chooses them: matching every -L and no -LE (each test has one label).
chosen=()
for label in "${LABELS[@]}"; do
    for regex in ${includes[@]+"${includes[@]}"}; do [[ $label =~ $regex ]] || continue 2; done
    for regex in ${excludes[@]+"${excludes[@]}"}; do [[ $label =~ $regex ]] && continue 2; done
    chosen+=("$label")
done
[ ${#chosen[@]} -gt 0 ] || die "no test label matches the selection (labels: ${LABELS[*]})"

packages=() targets=()
for label in "${chosen[@]}"; do
    read -r -a needed <<<"$(packages_for "$label")"
    packages+=(${needed[@]+"${needed[@]}"})
    read -r -a needed <<<"$(targets_for "$label")"
    targets+=(${needed[@]+"${needed[@]}"})
done
ensure_packages "${BUILD_PACKAGES[@]}" ${packages[@]+"${packages[@]}"}
if [[ " ${chosen[*]} " == *" web "* || " ${chosen[*]} " == *" lint "* ]]; then
    ensure_node
fi
if [ ${#targets[@]} -gt 0 ]; then
    mapfile -t targets < <(printf '%s\n' "${targets[@]}" | sort -u)
    build_project "${targets[@]}"
else
    configure_project
fi
# A test program left unbuilt stands in CTest as one unlabelled "..._NOT_BUILT" test, which an
# -LE selection would otherwise run.
[[ " ${targets[*]} " == *" e2e_tests "* && " ${targets[*]} " == *" abuse_tests "* ]] || exclude_names+=('_NOT_BUILT$')
if [ ${#exclude_names[@]} -gt 0 ]; then
    ctest_args+=(--exclude-regex "$(IFS='|'; echo "${exclude_names[*]}")")
fi
say "running the tests: ${chosen[*]}"
ctest --test-dir "$BUILD_DIR" --parallel "$jobs" "${ctest_args[@]}"
