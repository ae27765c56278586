#!/usr/bin/env bash
# Static checks of a built plug-in DLL, from its headers alone:
#   check_dll.sh <objdump> <dll>
# - the machine type and PE format match the architecture the name promises;
# - the export table is exactly VSTPluginMain and main, at one address;
# - every imported DLL is one Windows itself ships (the runtimes are linked in);
# - on 32-bit, the entry and the five descriptor functions return with a plain "ret":
#   cdecl, where the caller pops the arguments (stdcall would be "ret $n").
set -euo pipefail
objdump=$1
dll=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$dll")
format=$("$objdump" -f "$dll" | sed -n 's/.*file format //p')
case "$(basename "$dll")" in
  *_x64.dll) [ "$format" = pei-x86-64 ] || fail "expected a 64-bit x86-64 DLL, found $format"
             grep -q "Magic.*PE32+" <<<"$headers" || fail "not a PE32+ image" ;;
  *)         [ "$format" = pei-i386 ] || fail "expected a 32-bit i386 DLL, found $format"
             grep -q "Magic.*(PE32)" <<<"$headers" || fail "not a PE32 image" ;;
esac
grep -qx $'\tDLL' <<<"$headers" || fail "not a DLL"

# Exports: the name table lists "[ n] name"; the address table "[ n] +base[ m] rva Export RVA".
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^\t\[/ {print $NF} on && !/^\t\[/ {on=0}' \
  <<<"$headers" | sort | tr '\n' ' ')
[ "$exports" = "VSTPluginMain main " ] || fail "exports are '$exports', expected 'VSTPluginMain main'"
addresses=$(grep "Export RVA" <<<"$headers" | awk '{print $(NF-2)}' | sort -u | wc -l)
[ "$addresses" = 1 ] || fail "the two export names are not one address"

allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comdlg32.dll ole32.dll msvcrt.dll "
while read -r name; do
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$name")
  [[ "$allowed" == *" $lower "* ]] || fail "imports $name, which Windows does not ship"
done < <(sed -n 's/^\tDLL Name: //p' <<<"$headers")

if [ "$format" = pei-i386 ]; then
  symbols=$("$objdump" -t "$dll")
  for function in _VSTPluginMain dispatchEffectClass processClassEP processClassReplacing \
                  processClassDoubleReplacing setParameterClass getParameterClass; do
    symbol=$(awk -v f="$function" '$NF ~ f {print $NF; exit}' <<<"$symbols")
    if [ -z "$symbol" ]; then
      fail "no symbol for $function"
      continue
    fi
    # Returns and jumps out (a tail call leaves through the callee's return).
    exits=$("$objdump" -d --no-show-raw-insn "--disassemble=$symbol" "$dll" |
      awk -v s="<$symbol>:" '$2 == s {on=1; next} on && /^[0-9a-f]+ </ {exit} on && /\t(ret|jmp)/ {print}')
    [ -n "$exits" ] || fail "$symbol: no way out found"
    if grep -q 'ret *\$' <<<"$exits"; then fail "$symbol pops its own arguments: not cdecl"; fi
  done
fi

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "$(basename "$dll"): $format, exports VSTPluginMain and main, system imports only"
