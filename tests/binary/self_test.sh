#!/usr/bin/env bash
# Shows that the release checks can fail: each DLL of DIST_DIR is checked
# under the other's name, where its exports, module name, host imports and
# returns are all wrong, and then against the other calling convention;
# every such check must fail and say why.
#   self_test.sh DIST_DIR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dist=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$dist/Quessel.dll" "$scratch/Vorlane.dll" && cp "$dist/Vorlane.dll" "$scratch/Quessel.dll" || exit 1

failures=0
# expect_failure CHECK DLL TEXT: the check fails and its message holds TEXT.
# DLL is a path under the scratch folder.
expect_failure() {
  local output
  if output=$("$here/check_release.sh" "$1" "$scratch/$2" 2>&1); then
    echo "check $1 passed on $2: $output"
    failures=$((failures + 1))
  elif ! grep -qF -- "$3" <<<"$output"; then
    echo "check $1 on $2 failed without '$3': $output"
    failures=$((failures + 1))
  fi
}

expect_failure module_name Vorlane.dll "names the module 'Quessel.dll'"
expect_failure exports Vorlane.dll "missing: 1 _ODBG_Plugininit"
expect_failure exports Quessel.dll "unexpected: 12 _ODBG_Plugincmd"
expect_failure imports Vorlane.dll "_Addtolist is not imported by name from ollydbg.exe"
expect_failure imports Quessel.dll "_Addtolist from ollydbg.exe is not one of the host services"
expect_failure returns Vorlane.dll "_ODBG_Plugininit is not exported"
expect_failure returns Quessel.dll "MAPFilePerRecordHandler is not exported"
expect_failure icon Vorlane.dll "no icon group named SHFTLEFT_ICO"

# A DLL with a debug section added.
mkdir "$scratch/debug" && printf 'debug' >"$scratch/note" &&
  "${OBJCOPY:-i686-w64-mingw32-objcopy}" --add-section .debug_info="$scratch/note" "$dist/Quessel.dll" \
    "$scratch/debug/Quessel.dll" 2>/dev/null || exit 1
expect_failure no_debug_sections debug/Quessel.dll "carries debug sections: .debug_i"

# The real DLLs, with the conventions swapped.
mkdir "$scratch/real" && cp "$dist/Vorlane.dll" "$dist/Quessel.dll" "$scratch/real/" || exit 1
RETURNS_OVERRIDE='MAPFilePerRecordHandler ret' \
  expect_failure returns real/Quessel.dll "MAPFilePerRecordHandler returns with 'ret \$0x8', not 'ret'"
RETURNS_OVERRIDE='_ODBG_Plugininit ret_$0x10' \
  expect_failure returns real/Vorlane.dll "_ODBG_Plugininit returns with 'ret', not 'ret \$0x10'"

[ "$failures" -eq 0 ] && echo "ok: every check failed on the swapped DLLs"
[ "$failures" -eq 0 ]
