#!/usr/bin/env bash
# Checks that an executable is built like a hardened Debian program: PIE, strong stack protector,
# fortified sources, full RELRO with immediate binding, and control-flow protection.
#   hardening.sh EXECUTABLE COMPILE_COMMANDS_JSON OBJECT...
set -uo pipefail
exe=$1 commands=$2
shift 2
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Debian 12's start-up objects carry no CET marking, so hardening-check's control-flow test cannot
# pass on any program here; the project's own objects are checked for it below instead.
hardening-check --nocfprotection "$exe" || fail "hardening-check"

for flag in -fstack-protector-strong -fstack-clash-protection -fcf-protection=full; do
    readelf -p .GCC.command.line "$exe" | grep -q -- "$flag" || fail "$exe was not compiled with $flag"
done
# The program calls no libc function that fortification could guard, so hardening-check cannot
# tell; the compile commands must still ask for it.
grep -q -- '-D_FORTIFY_SOURCE=2' "$commands" || fail "no -D_FORTIFY_SOURCE=2 in $commands"
[ $# -gt 0 ] || fail "no object files to check"
for object in "$@"; do
    readelf -n "$object" | grep -q 'x86 feature: IBT, SHSTK' || fail "$object lacks the IBT and SHSTK marking"
done
[ $failed -eq 0 ] && echo "hardened: $exe"
exit $failed
