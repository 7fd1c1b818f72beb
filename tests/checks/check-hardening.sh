#!/usr/bin/env bash
# Checks that an executable is built like a hardened Debian program: PIE, strong stack protector,
# fortified sources, full RELRO with immediate binding, and the processor's control-flow protection
# (CET on x86-64, branch protection on arm64) in the project's objects and in the linked program.
#   hardening.sh EXECUTABLE COMPILE_COMMANDS_JSON OBJECT_OR_FOLDER...
set -uo pipefail
exe=$1 commands=$2
shift 2
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The control-flow flag, the marking it leaves on an object, the instructions it puts at the start
# of the program's own functions, and the disassembler that knows them.
machine=$(readelf -h "$exe" | sed -n 's/^ *Machine: *//p')
case $machine in
*X86-64*) flag=-fcf-protection=full marking='x86 feature: IBT, SHSTK' instructions=(endbr64) objdump=objdump ;;
*AArch64*) flag=-mbranch-protection=standard marking='AArch64 feature: BTI, PAC' instructions=(paciasp 'bti[[:space:]]+c')
           objdump=aarch64-linux-gnu-objdump ;;
*) fail "no control-flow protection known for $machine"; exit 1 ;;
esac

# Debian 12's start-up objects carry no control-flow marking, so the linked program carries none
# and hardening-check's control-flow test cannot pass on any program here: the project's own
# objects are checked for the marking instead, and the program for the instructions.
hardening-check --nocfprotection "$exe" || fail "hardening-check"

for switch in -fstack-protector-strong -fstack-clash-protection "$flag"; do
    readelf -p .GCC.command.line "$exe" | grep -q -- "$switch" || fail "$exe was not compiled with $switch"
done
# The program calls no libc function that fortification could guard, so hardening-check cannot
# tell; the compile commands must still ask for it.
grep -q -- '-D_FORTIFY_SOURCE=2' "$commands" || fail "no -D_FORTIFY_SOURCE=2 in $commands"

mapfile -t objects < <(find "$@" -name '*.o' | sort)
[ ${#objects[@]} -gt 0 ] || fail "no object files to check in $*"
for object in "${objects[@]}"; do
    readelf -n "$object" | grep -q "$marking" || fail "$object lacks the marking '$marking'"
done
disassembly=$("$objdump" -d "$exe")
for instruction in "${instructions[@]}"; do
    grep -qE "[[:space:]]$instruction" <<<"$disassembly" || fail "$exe carries no $instruction instruction"
done
[ $failed -eq 0 ] && echo "hardened: $exe ($machine, ${#objects[@]} objects)"
exit $failed
