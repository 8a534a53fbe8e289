#!/usr/bin/env bash
# The converter on real linker output made here: one small module linked
# by MinGW's ld (i686 and x86-64) and by lld-link, its maps and its nm and
# llvm-nm lists converted as they are and rebased. The oracle is the
# module's COFF symbol table read by objdump: every label written must lie
# where the binary says that symbol lies.
#   real_maps.sh VORLANE_MAP WORK_DIR
set -uo pipefail
tool=$1
work=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
checks=0

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# oracle BINARY DELTA OBJDUMP: "AAAAAAAA name" for every symbol of the
# binary's symbol table, moved by DELTA; addresses outside 32 bits dropped.
oracle() {
  local binary=$1 delta=$2 objdump=$3
  local -A vma=()
  while read -r idx name size address _; do
    [[ $idx =~ ^[0-9]+$ ]] && vma[$((idx + 1))]=$address
  done < <("$objdump" -h "$binary")
  "$objdump" -t "$binary" | sed -nE 's/^\[ *[0-9]+\]\(sec +([0-9]+)\).* 0x([0-9a-f]+) (.+)$/\1 \2 \3/p' |
    while read -r sec value name; do
      [ -n "${vma[$sec]:-}" ] || continue
      local address=$(( 16#${vma[$sec]} + 16#$value + delta ))
      (( address > 0 && address <= 0xFFFFFFFF )) && printf '%08X %s\n' "$address" "$name"
    done
}

# Names as the converter's --demangle writes them: no i386 underscore, C++
# names demangled, no @n of stdcall and fastcall.
normalise() { sed -E "s/^([0-9A-F]{8}) ${1:-}/\1 /" | c++filt | sed -E 's/^([0-9A-F]{8}) @/\1 /; s/@[0-9]+$//'; }

# check NAME ORACLE LABELS REQUIRED...: every label is in the oracle, and
# the required names are labels.
check() {
  local what=$1 oracle=$2 labels=$3
  shift 3
  checks=$((checks + 1))
  if [ ! -s "$labels" ]; then fail "$what: no labels"; return; fi
  local wrong
  wrong=$(comm -23 <(sort -u "$labels") <(sort -u "$oracle"))
  [ -z "$wrong" ] || fail "$what: labels the binary does not have there:"$'\n'"$(head -n 10 <<<"$wrong")"
  for name in "$@"; do
    grep -qE "^[0-9A-F]{8} $name\$" "$labels" || fail "$what: no label $name"
  done
  echo "$what: $(wc -l <"$labels") labels checked"
}

convert() { "$tool" -q "$@" || fail "vorlane-map $*"; }

# MinGW's ld, a DLL for each width, rebased to 0x10000000 (the x86-64 one
# lies above 4 GiB, where a 32-bit debugger has nothing).
for arch in i686 x86_64; do
  gxx=$arch-w64-mingw32-g++
  objdump=$arch-w64-mingw32-objdump
  command -v "$gxx" >/dev/null || { fail "$gxx is missing"; continue; }
  "$gxx" -O0 -shared -o "$arch.dll" "$here/app.cpp" -Wl,-Map="$arch.map" || { fail "$gxx"; continue; }
  base=$("$objdump" -p "$arch.dll" | sed -nE 's/^ImageBase\s+([0-9a-f]+)$/\1/p')
  underscore=_
  [ "$arch" = x86_64 ] && underscore=
  delta=$(( 0x10000000 - 16#$base ))
  oracle "$arch.dll" "$delta" "$objdump" >"$arch.oracle"
  normalise "$underscore" <"$arch.oracle" >"$arch.oracle.readable"
  convert "$arch.map@10000000" -o "$arch.map.labels"
  normalise <"$arch.map.labels" >"$arch.map.labels.plain"
  check "ld $arch map" "$arch.oracle.readable" "$arch.map.labels.plain" add_numbers 'ns::Widget::twice\(int\)' global_counter
  "$arch-w64-mingw32-nm" "$arch.dll" >"$arch.nm"
  llvm-nm "$arch.dll" >"$arch.llvm-nm"
  # nm lists state no base: the map's base is given with the new one.
  convert "$arch.nm@10000000:$base" -o "$arch.nm.labels"
  check "nm $arch" "$arch.oracle" "$arch.nm.labels" "${underscore}add_numbers" "_ZL6helperi|__ZL6helperi"
  convert --demangle "$arch.llvm-nm@10000000:$base" -o "$arch.llvm-nm.labels"
  normalise <"$arch.llvm-nm.labels" >"$arch.llvm-nm.labels.plain"
  check "llvm-nm $arch --demangle" "$arch.oracle.readable" "$arch.llvm-nm.labels.plain" add_numbers \
    'ns::Widget::twice\(int\)' global_counter
done

# Not rebased: the 32-bit map where the linker put it.
base=$(i686-w64-mingw32-objdump -p i686.dll | sed -nE 's/^ImageBase\s+([0-9a-f]+)$/\1/p')
oracle i686.dll 0 i686-w64-mingw32-objdump | normalise _ >i686.oracle.at-base
convert i686.map -o i686.map.at-base
normalise <i686.map.at-base >i686.map.at-base.plain
check "ld i686 map at its own base 0x$base" i686.oracle.at-base i686.map.at-base.plain add_numbers call_std

# The check itself catches labels at a wrong base.
checks=$((checks + 1))
if comm -23 <(sort -u i686.map.at-base.plain) <(sort -u i686.oracle.readable) | grep -q .; then
  echo "labels at the map's own base are caught against the rebased oracle"
else
  fail "labels at a wrong base passed the check"
fi

# lld-link /map with the symbol table kept for the oracle; clang for
# 32-bit MSVC code, no C runtime.
if clang --target=i686-pc-windows-msvc -O0 -c "$here/app.cpp" -o lld.obj &&
  lld-link /dll /noentry /nodefaultlib /debug:symtab /map:lld.map /lldmap:lld.lldmap /out:lld.dll lld.obj; then
  oracle lld.dll 0 i686-w64-mingw32-objdump >lld.oracle
  convert lld.map -o lld.labels
  check "lld-link map" lld.oracle lld.labels _add_numbers '\?twice@Widget@ns@@QAEHH@Z' '\?helper@@YAHH@Z' \
    '@call_fast@4' '_call_std@4' '\?global_counter@@3HA'
  oracle lld.dll $(( 0x20000000 - 0x10000000 )) i686-w64-mingw32-objdump >lld.oracle.moved
  convert lld.map --base 0x20000000 -o lld.labels.moved
  check "lld-link map rebased" lld.oracle.moved lld.labels.moved _add_numbers
  # /lldmap holds RVAs, and names already demangled: only the addresses
  # meet the oracle's, so the oracle takes the label's name where they do.
  lld_base=$(i686-w64-mingw32-objdump -p lld.dll | sed -nE 's/^ImageBase\s+([0-9a-f]+)$/\1/p')
  convert "lld.lldmap@$lld_base" -o lld.lldmap.labels
  awk 'NR == FNR { at[$1] = 1; next } $1 in at' lld.oracle lld.lldmap.labels >lld.lldmap.oracle
  check "lld-link /lldmap at the DLL's base" lld.lldmap.oracle lld.lldmap.labels _add_numbers '_call_std@4' \
    'public: int __thiscall ns::Widget::twice\(int\)'
  llvm-nm lld.dll >lld.llvm-nm
  convert lld.llvm-nm -o lld.llvm-nm.labels
  check "llvm-nm of the lld-link DLL" lld.oracle lld.llvm-nm.labels _add_numbers '\?helper@@YAHH@Z'
else
  fail "clang or lld-link"
fi

# An ELF map of the native g++, read against readelf.
if g++ -O0 -shared -fPIC -o elf "$here/app.cpp" -Wl,-Map=elf.map; then
  readelf -sW elf | while read -r _ value _ _ _ _ _ name; do
    [[ $value =~ ^[0-9a-f]{16}$ ]] && [ -n "${name:-}" ] && (( 16#$value != 0 )) && printf '%08X %s\n' $((16#$value)) "$name"
  done | sed -E 's/@.*$//' | c++filt >elf.oracle
  convert elf.map -o elf.labels
  check "g++ ELF map" elf.oracle elf.labels add_numbers 'ns::Widget::twice\(int\)' global_counter
else
  fail "g++ for the ELF map"
fi

echo "real linker maps: $checks checks, $failures failures"
[ "$failures" -eq 0 ]
