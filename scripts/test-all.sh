#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build, then the
# whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer, the concurrency
# suite under ThreadSanitizer, both Windows DLLs (scripts/test-windows.sh) and a bounded
# fuzzing run.
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

# The concurrency suite again under ThreadSanitizer; the preset builds only that suite.
echo "== tsan: configure, build and test the concurrency suite"
start=$SECONDS
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan
echo "== tsan: $((SECONDS - start)) s"

echo "== Windows DLLs (mingw-w64, tests under wine)"
start=$SECONDS
bash scripts/test-windows.sh
echo "== windows: $((SECONDS - start)) s"

echo "== fuzz (bounded)"
start=$SECONDS
bash scripts/fuzz.sh
echo "== fuzz: $((SECONDS - start)) s"
