#!/usr/bin/env bash
# Runs one static checker over the project's own sources with the checked-in configuration
# (.clang-tidy, .cppcheck-suppressions); any finding fails.
#   lint.sh clang-tidy|cppcheck SOURCE_DIR BUILD_DIR
set -euo pipefail
tool=$1 src=$2 build=$3
vendored="$src/tools/xharness/stb_image_write.cpp" # stb's own code, compiled in one file

case $tool in
clang-tidy)
    status=0
    report=$(run-clang-tidy -quiet -p "$build" "^$src/(src|tools|tests|bench)/(?!xharness/stb_image_write)" 2>&1) ||
        status=$?
    grep -E 'warning:|error:' -A3 <<<"$report" || true
    exit $status
    ;;
cppcheck)
    cppcheck --project="$build/compile_commands.json" --library=googletest \
        --enable=warning,style,performance,portability --inline-suppr --quiet --error-exitcode=1 \
        --suppressions-list="$src/.cppcheck-suppressions" -i "$build" -i "$vendored" \
        --template='{file}:{line}: {severity} ({id}) {message}'
    ;;
*)
    echo "usage: $0 clang-tidy|cppcheck SOURCE_DIR BUILD_DIR" >&2
    exit 2
    ;;
esac
