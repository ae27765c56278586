#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build, then the
# whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer, the concurrency
# suite under ThreadSanitizer, and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

for preset in release asan; do
  echo "== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== ${preset}: test"
  ctest --preset "$preset"
done

# The concurrency suite again under ThreadSanitizer; the preset builds only that suite.
echo "== tsan: configure, build and test the concurrency suite"
start=$SECONDS
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan
echo "== tsan: $((SECONDS - start)) s"

echo "== fuzz (bounded)"
start=$SECONDS
bash scripts/fuzz.sh
echo "== fuzz: $((SECONDS - start)) s"
