#!/usr/bin/env bash
# Builds the Windows installer "TAV Kestro Setup.exe" with makensis (Debian package "nsis").
#
#   bash packaging/windows/build-installer.sh [OUTPUT]
#
# Inputs, each overridable through the environment:
#   KESTRO_DLL64   the 64-bit plug-in   (default build/windows-x64/TAV Kestro_x64.dll)
#   KESTRO_DLL32   the 32-bit plug-in   (default build/windows-x86/TAV Kestro.dll)
#   KESTRO_BANK    the factory bank     (default build/release/TAV Kestro Factory.tvb, made by
#                  the Linux release build; the bank image is the same on every platform)
#   KESTRO_MANUAL  the manual           (default docs/TAV Kestro Manual.pdf)
# OUTPUT defaults to build/installer/TAV Kestro Setup.exe.
set -euo pipefail
cd "$(dirname "$0")/../.."

dll64="${KESTRO_DLL64:-build/windows-x64/TAV Kestro_x64.dll}"
dll32="${KESTRO_DLL32:-build/windows-x86/TAV Kestro.dll}"
bank="${KESTRO_BANK:-build/release/TAV Kestro Factory.tvb}"
manual="${KESTRO_MANUAL:-docs/TAV Kestro Manual.pdf}"
output="${1:-build/installer/TAV Kestro Setup.exe}"
version="$(sed -n 's/^project(TAVKestro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"

for input in "$dll64" "$dll32" "$bank" "$manual"; do
  if [ ! -f "$input" ]; then
    echo "build-installer: missing $input" >&2
    exit 1
  fi
done
command -v makensis >/dev/null || { echo "build-installer: makensis is missing (apt-get install nsis)" >&2; exit 1; }

mkdir -p "$(dirname "$output")"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
makensis -V2 -NOCD \
  "-DVERSION=${version}" \
  "-DDLL64=$(absolute "$dll64")" \
  "-DDLL32=$(absolute "$dll32")" \
  "-DBANK=$(absolute "$bank")" \
  "-DMANUAL=$(absolute "$manual")" \
  "-DOUTFILE=$(absolute "$output")" \
  packaging/windows/kestro.nsi
echo "Wrote $output"
