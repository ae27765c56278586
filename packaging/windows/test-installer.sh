#!/usr/bin/env bash
# Tests the Windows installer under wine in a private, temporary wine prefix:
#  1. a silent install ("TAV Kestro Setup.exe" /S) puts both plug-ins into the VST folders and
#     the manual, the factory bank and the uninstaller into the documents folder;
#  2. the installed 64-bit plug-in loads from its installed folder and processes audio
#     (load_plugin.exe, a minimal host built here with mingw-w64);
#  3. "ManualPath" under HKCU\SOFTWARE\TAV-quillmoor\TAVKST1 names the installed manual;
#  4. a silent uninstall removes every installed file and ManualPath, and leaves a memory
#     the user had stored.
# Needs wine (64-bit), mingw-w64 (g++) and nsis; the DLLs as for build-installer.sh.
#
#   bash packaging/windows/test-installer.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

work="$(mktemp -d)"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "test-installer: FAILED: $*" >&2; exit 1; }

setup="$work/TAV Kestro Setup.exe"
bash packaging/windows/build-installer.sh "$setup" >/dev/null
cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null || cxx=x86_64-w64-mingw32-g++
"$cxx" -std=c++20 -O2 -static -I. -o "$work/load_plugin.exe" packaging/windows/load_plugin.cpp

wineboot --init >/dev/null 2>&1
wineserver -w
drive="$WINEPREFIX/drive_c"
key='HKCU\SOFTWARE\TAV-quillmoor\TAVKST1'
# A memory the user stored before: the uninstaller must leave it.
wine reg add "$key" /v MemoA /t REG_BINARY /d 0102 /f >/dev/null 2>&1

echo "== silent install"
wine "$setup" /S
wineserver -w
vst64="$drive/Program Files/VSTPlugins"
vst32="$drive/Program Files (x86)/VSTPlugins"
docs="$drive/Program Files/TAV-quillmoor/TAV Kestro"
installed=("$vst64/TAV Kestro_x64.dll" "$vst32/TAV Kestro.dll" "$docs/TAV Kestro Manual.pdf"
           "$docs/TAV Kestro Factory.tvb" "$docs/Uninstall.exe")
for file in "${installed[@]}"; do
  [ -f "$file" ] || fail "not installed: ${file#"$drive/"}"
done

echo "== the installed plug-in loads"
wine "$work/load_plugin.exe" 'C:\Program Files\VSTPlugins\TAV Kestro_x64.dll' || fail "the installed plug-in did not load"

echo "== ManualPath"
query="$(wine reg query "$key" /v ManualPath 2>/dev/null | tr -d '\r')"
echo "$query" | grep -qF 'C:\Program Files\TAV-quillmoor\TAV Kestro\TAV Kestro Manual.pdf' ||
  fail "ManualPath is not the installed manual: $query"

echo "== silent uninstall"
wine "$docs/Uninstall.exe" /S
wineserver -w
sleep 1
wineserver -w
for file in "${installed[@]}"; do
  [ ! -e "$file" ] || fail "left after uninstalling: ${file#"$drive/"}"
done
[ ! -e "$drive/Program Files/TAV-quillmoor" ] || fail "the documents folder is left"
if wine reg query "$key" /v ManualPath >/dev/null 2>&1; then fail "ManualPath is left"; fi
wine reg query "$key" /v MemoA >/dev/null 2>&1 || fail "the user's memory was removed"
echo "Windows installer: OK"
echo "1 passed, 0 failed"
