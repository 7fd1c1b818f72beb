#!/usr/bin/env bash
# The set-up scripts reject what they cannot do before they install or build anything: each bad
# argument below must fail with a message naming it, without running apt-get, CMake or npm (stand-ins
# on the PATH record any call). release.sh also refuses a tree with uncommitted changes, and the
# checks refuse to pass on nothing.
#   scripts.sh SOURCE_DIR
set -uo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

mkdir "$work/bin"
for tool in apt-get sudo cmake emcmake npm cpack; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\nexit 1\n' "$tool" "$work" >"$work/bin/$tool"
done
printf '#!/bin/sh\necho installed\n' >"$work/bin/dpkg-query" # every package counts as installed
chmod +x "$work/bin"/*

# Runs SCRIPT with ARGUMENTS from the tree TREE; it must fail, say WORD, and call none of the tools.
rejects() {
    local tree=$1 script=$2 word=$3
    shift 3
    rm -f "$work/calls"
    local output status
    output=$(PATH="$work/bin:$PATH" BUILD_DIR="$work/build" "$tree/scripts/$script" "$@" 2>&1 </dev/null)
    status=$?
    [ $status -ne 0 ] || fail "$script $* succeeded"
    grep -qF -- "$word" <<<"$output" || fail "$script $* did not say '$word': $output"
    [ ! -s "$work/calls" ] || fail "$script $* ran $(cat "$work/calls") before refusing"
}

rejects "$src" web.sh --nonsense --nonsense
rejects "$src" web.sh 80a 80a
rejects "$src" windows.sh --nonsense --nonsense
rejects "$src" package.sh zip zip
rejects "$src" bench.sh --nonsense --nonsense
rejects "$src" bench.sh --windows --fast --fast
rejects "$src" gallery.sh pentagon=3 "$work/gallery" pentagon=3
rejects "$src" gallery.sh 'arrowhead=1;rm' "$work/gallery" 'arrowhead=1;rm'
rejects "$src" test.sh 'no test label matches' -L nosuchlabel
rejects "$src" test.sh 'no test label matches' -L unit -LE unit
rejects "$src" test.sh "unknown option '--bogus-option'" --bogus-option
rejects "$src" test.sh "-j takes a number" -j many
rejects "$src" test.sh '-R needs a value' -R
rejects "$src" release.sh arguments extra
rejects "$src" checksums.sh "usage: checksums.sh FOLDER" "$work/no such folder"
rejects "$src" make-icon.sh arguments extra

# A release from a tree whose files differ from its last commit would not be one commit. (The
# scripts as they are here, in a clone of the last commit.)
if git clone -q "$src" "$work/tree" 2>/dev/null; then
    cp "$src"/scripts/*.sh "$work/tree/scripts/"
    echo "// changed" >>"$work/tree/src/viewer/main.cpp"
    rejects "$work/tree" release.sh 'uncommitted changes'
fi

# The checks refuse to pass on nothing: lint with no file, hardening with no object, the package
# check with no package.
mkdir -p "$work/empty/build" "$work/empty/scripts" "$work/empty/objects"
echo '[]' >"$work/empty/build/compile_commands.json"
fails_on_nothing() {
    local word=$1 output
    shift
    if output=$(PATH="$work/bin:$PATH" "$@" 2>&1 </dev/null); then fail "$* passed on nothing"; fi
    grep -qF -- "$word" <<<"$output" || fail "$* did not say '$word': $output"
}
for tool in clang-tidy cppcheck; do
    fails_on_nothing "$tool found no file to check" "$src/tests/checks/check-lint.sh" "$tool" "$work/empty" "$work/empty/build"
done
printf '#!/bin/sh\nexit 0\n' >"$work/bin/hardening-check"
chmod +x "$work/bin/hardening-check"
fails_on_nothing "no object files to check" "$src/tests/checks/check-hardening.sh" /usr/bin/true \
    "$work/empty/build/compile_commands.json" "$work/empty/objects"
printf '#!/bin/sh\necho "==> made nothing"\n' >"$work/empty/scripts/package.sh" # says it worked, makes nothing
chmod +x "$work/empty/scripts/package.sh"
cp "$src/cmake/product.sh.in" "$work/empty/build/product.sh"
fails_on_nothing "named no package" "$src/tests/checks/check-package.sh" "$work/empty" "$work/empty/build"

[ $failed -eq 0 ] && echo "every script refused what it cannot do, before installing or building"
exit $failed
