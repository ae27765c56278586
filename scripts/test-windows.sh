#!/usr/bin/env bash
# Builds both Windows DLLs with mingw-w64 and tests them: both get the static checks of
# their format, export and import tables (and the cdecl entry on 32-bit); the 64-bit one
# also runs the Windows suite under wine (the platform layer, and the DLL loaded as a
# Windows host loads it). 32-bit programs cannot run on our Linux machines.
# The wine prefix lives in the build tree and is set up once, on the first test run.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$SECONDS
for preset in windows-x64 windows-x86; do
  echo "== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== ${preset}: test"
  ctest --preset "$preset"
done
# The installer from both DLLs, installed and removed again under wine.
echo "== Windows installer (NSIS, under wine)"
KESTRO_DLL64="build/windows-x64/TAV Kestro_x64.dll" KESTRO_DLL32="build/windows-x86/TAV Kestro.dll" \
  bash packaging/windows/test-installer.sh
echo "== Windows builds and tests: $((SECONDS - start)) s"
