#!/usr/bin/env bash
# Runs one static checker over the project's own sources with the checked-in configuration
# (.clang-tidy, .cppcheck-suppressions, .shellcheckrc); any finding fails, and so does finding
# nothing to check.
#   check-lint.sh clang-tidy|cppcheck|shellcheck|javascript SOURCE_DIR BUILD_DIR
set -euo pipefail
tool=${1:-} src=${2:-} build=${3:-}
vendored=$src/tools/xharness/stb_image_write.cpp # stb's own code, compiled in one file

# The C++ sources of ours that the build compiles, from its compilation database.
compiled_sources() {
    sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" |
        while IFS= read -r file; do
            case $file in
            "$vendored") ;;
            "$src"/src/* | "$src"/tests/* | "$src"/tools/* | "$src"/bench/*) echo "$file" ;;
            esac
        done | sort -u
}

checked() {
    [ "$1" -gt 0 ] || { echo "FAIL: $tool found no file to check under $src"; exit 1; }
    echo "$tool checked $1 files"
}

case $tool in
clang-tidy)
    mapfile -t files < <(compiled_sources)
    checked ${#files[@]}
    printf '%s\0' "${files[@]}" | xargs -0 -n 1 -P "$(nproc)" clang-tidy --quiet -p "$build"
    ;;
cppcheck)
    mapfile -t files < <(compiled_sources)
    checked ${#files[@]}
    cppcheck --project="$build/compile_commands.json" --library=googletest \
        --enable=warning,style,performance,portability --inline-suppr --quiet --error-exitcode=1 \
        --suppressions-list="$src/.cppcheck-suppressions" -i "$build" -i "$vendored" \
        --template='{file}:{line}: {severity} ({id}) {message}'
    ;;
shellcheck)
    mapfile -t files < <(cd "$src" && printf '%s\n' scripts/*.sh tests/checks/*.sh .ci/run)
    checked ${#files[@]}
    (cd "$src" && shellcheck -x "${files[@]}")
    ;;
javascript)
    # The page's script is inlined into one HTML file at build time: Node checks it, and the
    # server, the browser driver, the tests and the benchmarks, parse as the engines will.
    mapfile -t files < <(cd "$src" && printf '%s\n' web/page.js web/*.mjs web/tests/*.mjs tools/browser/*.mjs bench/web/*.mjs)
    checked ${#files[@]}
    (cd "$src" && for file in "${files[@]}"; do node --check "$file" || exit 1; done)
    ;;
*)
    echo "usage: $0 clang-tidy|cppcheck|shellcheck|javascript SOURCE_DIR BUILD_DIR" >&2
    exit 2
    ;;
esac
