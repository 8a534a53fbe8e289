#!/usr/bin/env bash
# Checks of the release DLLs read from their PE tables and code:
#   check_release.sh CHECK DLL
# CHECK is one of the check_* functions below, without the prefix. A check
# prints what is wrong and exits 1, or prints "ok: ..." and exits 0.
# OBJDUMP names the i686 objdump (default i686-w64-mingw32-objdump).
set -uo pipefail
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

fail() {
  echo "FAIL: $dll: $*" >&2
  exit 1
}

# The named exports as "ORDINAL NAME RVA", one a line, by ordinal.
pe_exports() { OBJDUMP=$objdump "$(dirname "${BASH_SOURCE[0]}")/../../tools/pe-exports" "$dll"; }

# The export directory's entries as "ORDINAL NAME", one a line, by ordinal.
exports() { pe_exports | cut -d' ' -f1,2; }

# Number of slots in the export address table (named or not).
export_slots() {
  local hex
  hex=$("$objdump" -p "$dll" | awk '/^\tExport Address Table[ \t]+[0-9a-f]+$/ { print $NF; exit }')
  echo $((16#${hex:-0}))
}

# The imports as "DLL FUNCTION", one a line; DLL names in lower case.
imports() {
  "$objdump" -p "$dll" | awk '
    /^\tDLL Name: / { module = tolower($3); next }
    module != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print module, $3; next }
    module != "" && /^$/ { next }'
}

# Every ret of the function at the export NAME, one a line: "ret" or
# "ret $0x10". Bounded by the symbol at the export's address.
returns_of() {
  local name=$1 base rva start
  base=$("$objdump" -p "$dll" | awk '/^ImageBase/ { print $2 }')
  rva=$(pe_exports | awk -v want="$name" '$2 == want { print $3; exit }')
  if [ -z "$rva" ]; then
    echo "no-export"
    return
  fi
  start=$(printf '%x' $((0x$base + 0x$rva)))
  "$objdump" -d "$dll" | awk -v start="$start" '
    $0 ~ "^0*" start " <[^>]+>:$" { inside = 1; found = 1; next }
    inside && /^$/ { exit }
    inside {
      n = split($0, f, "\t")
      if (n < 3) next
      instruction = f[3]
      sub(/^(repz|rep) /, "", instruction)
      if (instruction ~ /^ret/) { sub(/ +/, " ", instruction); print instruction }
    }
    END { if (!found) print "no-symbol" }'
}

# What each DLL must show.
expectations() {
  case $(basename "$dll") in
    Vorlane.dll)
      EXPECTED_EXPORTS="1 _ODBG_Plugininit
2 _ODBG_Plugindata
3 _ODBG_Pluginmenu
4 _ODBG_Pluginaction
5 _ODBG_Pluginmainloop
6 _ODBG_Pluginsaveudd
7 _ODBG_Pluginuddrecord
8 _ODBG_Pluginshortcut
9 _ODBG_Pluginreset
10 _ODBG_Pluginclose
11 _ODBG_Plugindestroy
12 _ODBG_Plugincmd"
      HOST_IMPORTS_ALLOWED="_Addtolist
_Getstatus
_Deletenamerange
_Insertname
_Broadcast"
      HOST_IMPORTS_REQUIRED=$HOST_IMPORTS_ALLOWED
      EXPECTED_RETURNS=$(cut -d' ' -f2 <<<"$EXPECTED_EXPORTS" | sed 's/$/ ret/')
      ;;
    Quessel.dll)
      EXPECTED_EXPORTS="1 MAPFilePerCharacterHandler
2 MAPFilePerRecordHandler"
      HOST_IMPORTS_ALLOWED="_Insertname"
      HOST_IMPORTS_REQUIRED="_Insertname"
      EXPECTED_RETURNS="MAPFilePerCharacterHandler ret_\$0x10
MAPFilePerRecordHandler ret_\$0x8"
      ;;
    vorlane-map.exe)
      EXPECTED_EXPORTS=""
      HOST_IMPORTS_ALLOWED=""
      HOST_IMPORTS_REQUIRED=""
      EXPECTED_RETURNS=""
      ;;
    *)
      fail "no expectations for this DLL"
      ;;
  esac
  # For the self-test: returns that must not match.
  EXPECTED_RETURNS=${RETURNS_OVERRIDE:-$EXPECTED_RETURNS}
}

# Checks.

check_machine() {
  local header
  header=$("$objdump" -f "$dll")
  grep -q "file format pei-i386" <<<"$header" || fail "not a 32-bit PE image: $(grep -o 'file format.*' <<<"$header")"
  grep -q "^architecture: i386," <<<"$header" || fail "machine is not i386: $(grep '^architecture' <<<"$header")"
  echo "ok: i386"
}

check_module_name() {
  local want=$(basename "$dll") got
  got=$("$objdump" -p "$dll" | awk '/^Name[ \t]/ { print $3; exit }')
  [ "$got" = "$want" ] || fail "export directory names the module '$got', not '$want'"
  echo "ok: module name $got"
}

# The whole export table, EXPECTED_EXPORTS: "ORDINAL NAME" lines.
check_exports() {
  local got want slots count
  got=$(exports)
  want=$(sort -n <<<"$EXPECTED_EXPORTS")
  [ "$got" = "$want" ] || fail "exports differ from the expected table:"$'\n'"$(diff <(echo "$want") <(echo "$got") | grep '^[<>]' | sed 's/^</  missing:/; s/^>/  unexpected:/')"
  slots=$(export_slots)
  count=$(wc -l <<<"$want")
  [ "$slots" = "$count" ] || fail "$slots export slots for $count named exports (an export by ordinal only?)"
  echo "ok: $count exports, names and ordinals as expected"
}

# HOST_IMPORTS_REQUIRED: functions that must come from ollydbg.exe;
# HOST_IMPORTS_ALLOWED: those that may (the required ones included).
check_imports() {
  local list module function problems=""
  list=$(imports)
  [ -n "$list" ] || fail "no imports found"
  while read -r module function; do
    case "$module" in
      ollydbg.exe)
        grep -qxF "$function" <<<"$HOST_IMPORTS_ALLOWED" || problems+=$'\n'"  $function from ollydbg.exe is not one of the host services it may use"
        ;;
      libgcc* | libstdc++* | libwinpthread*)
        problems+=$'\n'"  $function from the runtime DLL $module (link it statically)"
        ;;
      kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | shell32.dll | ole32.dll | msvcrt.dll | hhctrl.ocx) ;;
      dbghelp.dll) ;;
      *)
        problems+=$'\n'"  $function from $module, which is no Windows system DLL"
        ;;
    esac
  done <<<"$list"
  while read -r function; do
    [ -z "$function" ] && continue
    grep -qxF "ollydbg.exe $function" <<<"$list" || problems+=$'\n'"  $function is not imported by name from ollydbg.exe"
  done <<<"$HOST_IMPORTS_REQUIRED"
  [ -z "$problems" ] || fail "imports:$problems"
  if [ -z "$HOST_IMPORTS_ALLOWED" ]; then
    echo "ok: only from system DLLs"
  else
    echo "ok: from ollydbg.exe $(grep '^ollydbg.exe ' <<<"$list" | cut -d' ' -f2 | tr '\n' ' ')and the rest from system DLLs"
  fi
}

# EXPECTED_RETURNS: "NAME RET" lines, RET being "ret" (the caller removes
# the arguments) or "ret_$0x10" (the export removes 16 bytes).
check_returns() {
  local name want rets problems=""
  while read -r name want; do
    [ -z "$name" ] && continue
    want=${want//_/ }
    rets=$(returns_of "$name")
    if [ "$rets" = "no-export" ]; then
      problems+=$'\n'"  $name is not exported"
    elif [ "$rets" = "no-symbol" ]; then
      problems+=$'\n'"  $name: no symbol at its address, so its end cannot be found"
    elif [ -z "$rets" ]; then
      problems+=$'\n'"  $name has no ret of its own"
    elif grep -qvxF "$want" <<<"$rets"; then
      problems+=$'\n'"  $name returns with '$(grep -vxF "$want" <<<"$rets" | head -n1)', not '$want'"
    fi
  done <<<"$EXPECTED_RETURNS"
  [ -z "$problems" ] || fail "returns:$problems"
  echo "ok: every export returns as its convention says"
}

# Vorlane only: the Back button's icon, an icon group named SHFTLEFT_ICO
# (resource type 14) and an icon image (type 3) for it. Type entries are
# indented by three blanks in objdump's listing, the names under them by five.
check_icon() {
  local found
  found=$("$objdump" -p "$dll" | awk '
    /Resource Directory section/ { rsrc = 1; next }
    rsrc && /^[0-9a-f]+   Entry: ID: / { type = $4; if (type == "0x000003,") print "image"; next }
    rsrc && /^[0-9a-f]+     Entry: name: .*: SHFTLEFT_ICO,/ && type == "0x00000e," { print "group" }')
  grep -qx group <<<"$found" || fail "no icon group named SHFTLEFT_ICO among its resources"
  grep -qx image <<<"$found" || fail "no icon image for the SHFTLEFT_ICO group"
  echo "ok: icon SHFTLEFT_ICO"
}

check_no_debug_sections() {
  local sections
  sections=$("$objdump" -h "$dll" | awk '$2 ~ /^\.(debug|zdebug)/ { print $2 }' | tr '\n' ' ')
  [ -z "$sections" ] || fail "carries debug sections: $sections"
  echo "ok: no debug sections"
}

[ $# -eq 2 ] || { echo "usage: check_release.sh CHECK DLL" >&2; exit 2; }
check=check_$1
dll=$2
[ -f "$dll" ] || fail "missing (build the win32 preset first)"
declare -F "$check" >/dev/null || { echo "no check '$1'" >&2; exit 2; }
expectations
"$check"
