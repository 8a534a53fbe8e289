#!/usr/bin/env bash
# The Windows program against the native one: the same input gives the
# same output bytes and exit code, whether written to standard output or
# with -o, and read from a file or from standard input. Demangling is left
# out, since the platforms' demanglers word some names differently.
#   same_output_wine.sh NATIVE_TOOL WINDOWS_EXE WINE_RUN WORK_DIR
set -uo pipefail
native=$(realpath -m "$1")
exe=$(realpath -m "$2")
wine_run=$(realpath -m "$3")
work=$(realpath -m "$4")
fixtures=$(cd "$(dirname "${BASH_SOURCE[0]}")/fixtures" && pwd)

[ -x "$native" ] || { echo "$native is missing: build the native preset first"; exit 1; }
[ -f "$exe" ] || { echo "$exe is missing"; exit 1; }
rm -rf "$work" && mkdir -p "$work" && cd "$fixtures" || exit 1
windows() { "$wine_run" "$exe" "$@"; }

version=$(windows --version 2>"$work/wine.log" | tr -d '\r')
if [[ $version != vorlane-map* ]]; then
  echo "Wine cannot run $exe on this machine:"
  echo "$version"
  tail -n 5 "$work/wine.log"
  exit 1
fi
[ "$version" = "$("$native" --version)" ] || { echo "versions differ: '$version'"; exit 1; }

failures=0
cases=0
# compare ARGS...: stdout bytes and exit codes agree.
compare() {
  cases=$((cases + 1))
  "$native" -q "$@" >"$work/native.out" 2>"$work/native.err" </dev/null
  local native_rc=$?
  windows -q "$@" >"$work/windows.out" 2>"$work/windows.err" </dev/null
  local windows_rc=$?
  if [ "$native_rc" != "$windows_rc" ] || ! cmp -s "$work/native.out" "$work/windows.out"; then
    echo "FAILED: $*: exit $native_rc natively, $windows_rc under Wine"
    diff "$work/native.out" "$work/windows.out" | head -n 5
    head -n 3 "$work/windows.err"
    failures=$((failures + 1))
  fi
}

compare link32.map
compare link32.map --exclude '??_C@_*' --all
compare link64.map@10000000
compare link64.map
compare lld32.map
compare gnu32.map --base 0x10000000
compare gnu64elf.map@10000000:0
compare delphi_absolute.map --module-prefix
compare delphi7_relative.map@10000000
compare delphi_by_name.map --prefix my.
compare cbuilder_segments.map
compare list.nm
compare app.lldmap@10000000
compare --format flat flat.txt
compare link32.map lld32.map@00401000:10000000
compare no-such.map
compare --base 0x

# Standard input in binary mode: CR LF and a ^Z byte arrive unchanged.
cases=$((cases + 1))
printf '00401000 crlf\r\n00401010 ctrl\032z\n00401020 after\n' >"$work/flat.in"
"$native" -q - <"$work/flat.in" >"$work/native.out" 2>/dev/null
windows -q - <"$work/flat.in" >"$work/windows.out" 2>/dev/null
if ! cmp -s "$work/native.out" "$work/windows.out" || ! grep -q after "$work/windows.out"; then
  echo "FAILED: standard input differs"
  failures=$((failures + 1))
fi

# -o writes the same file, over an existing one.
cases=$((cases + 1))
echo old >"$work/windows.txt"
"$native" -q gnu32.map -o "$work/native.txt"
windows -q gnu32.map -o "$work/windows.txt"
cmp "$work/native.txt" "$work/windows.txt" || failures=$((failures + 1))
if ls "$work" | grep -q '\.tmp'; then
  echo "FAILED: a temporary file was left behind"
  failures=$((failures + 1))
fi

echo "same output under Wine: $cases cases, $failures failed"
[ "$failures" -eq 0 ]
