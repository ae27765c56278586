#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build, then the
# whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer, then both Windows
# DLLs (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

for preset in release asan; do
  echo "== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== ${preset}: test"
  ctest --preset "$preset"
  if [ "$preset" = release ]; then
    # The per-user install and the Debian package, from this build (dpkg needs root).
    if [ "$(id -u)" -eq 0 ]; then
      echo "== release: install and package"
      bash packaging/test-install.sh build/release
    else
      echo "== release: install and package skipped (dpkg -i needs root)"
    fi
  fi
done

echo "== Windows DLLs (mingw-w64, tests under wine)"
bash scripts/test-windows.sh

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzz (bounded)"
  bash scripts/fuzz.sh
fi
