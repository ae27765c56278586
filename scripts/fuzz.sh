#!/usr/bin/env bash
# Bounded fuzzing of every reader of outside bytes (about a minute in all): configures the
# clang/libFuzzer build in its own directory and runs each target from its committed seeds.
# New inputs found on the way go to a scratch corpus, never into the tree.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${KESTRO_FUZZ_BUILD:-build/fuzz}
SECONDS_PER_TARGET=${KESTRO_FUZZ_SECONDS:-10}
TARGETS=(chunk bank_image preset_image legacy_preset legacy_bank settings_value)

CC=clang CXX=clang++ cmake -S tests/fuzz -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2 >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in "${TARGETS[@]}"; do
  mkdir -p "$scratch/$target"
  echo "== fuzz_${target} (${SECONDS_PER_TARGET}s)"
  "$BUILD/fuzz_${target}" -max_total_time="$SECONDS_PER_TARGET" -max_len=65536 -rss_limit_mb=1024 \
    -artifact_prefix="$BUILD/crash-${target}-" -print_final_stats=1 \
    "$scratch/$target" "tests/fuzz/corpus/$target" 2>&1 | grep -E "^(stat::number_of_executed_units|stat::new_units_added)|ERROR|SUMMARY|check failed" || true
  # libFuzzer exits non-zero on a finding; the artifact tells which input.
  if ls "$BUILD"/crash-"${target}"-* >/dev/null 2>&1; then
    echo "fuzz_${target}: failure, inputs in $BUILD/crash-${target}-*" >&2
    exit 1
  fi
done
echo "fuzzing: no findings"
