#!/usr/bin/env bash
# Fuzzing of every reader of outside bytes and of the whole plug-in as a hostile host drives
# it: configures the clang/libFuzzer build in its own directory and runs each target from
# its committed seeds. Bounded by default (about a minute in all, for CI); for long runs:
#
#   KESTRO_FUZZ_SECONDS=3600 scripts/fuzz.sh host_sequence     one target, an hour
#   KESTRO_FUZZ_SECONDS=600 KESTRO_FUZZ_JOBS=2 scripts/fuzz.sh  every target, ten minutes each
#
# New inputs found on the way go to a scratch corpus (kept with KESTRO_FUZZ_KEEP=DIR), never
# into the tree. Any failure fails the script: a target that does not build, does not start,
# does not run its seeds, or finds something.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${KESTRO_FUZZ_BUILD:-build/fuzz}
JOBS=${KESTRO_FUZZ_JOBS:-1}
mapfile -t ALL < <(sed -n 's/^KESTRO_FUZZ_ENTRY(\([a-z_]*\)).*/\1/p' tests/fuzz/fuzz_targets.inc)
if (($#)); then TARGETS=("$@"); else TARGETS=("${ALL[@]}"); fi
# Open findings not yet mended (inputs in tests/fuzz/findings/<target>/): the bounded run
# leaves that target out and says so; naming the target runs it, as for a long run.
if ((!$#)); then
  kept=()
  for target in "${TARGETS[@]}"; do
    if [ -n "$(ls -A "tests/fuzz/findings/${target}" 2>/dev/null)" ]; then
      echo "fuzz_${target}: LEFT OUT of the bounded run: open findings in tests/fuzz/findings/${target}/" >&2
    else
      kept+=("$target")
    fi
  done
  TARGETS=("${kept[@]}")
fi
if ((${#ALL[@]} == 0)); then
  echo "fuzz: no targets listed in tests/fuzz/fuzz_targets.inc" >&2
  exit 1
fi

# Seconds per target in the bounded run: the whole plug-in gets the most, the file-backed
# settings target (two synced files per input) the least.
seconds_for() {
  if [ -n "${KESTRO_FUZZ_SECONDS:-}" ]; then echo "$KESTRO_FUZZ_SECONDS"; return; fi
  case "$1" in
    host_sequence) echo 20 ;;
    settings_file) echo 4 ;;
    *) echo 6 ;;
  esac
}

# The whole project configured by clang with every library instrumented (KESTRO_FUZZ), so the
# fuzz build always has exactly the main build's sources, generators and resources.
if ! CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE= -DKESTRO_FUZZ=ON \
    -DKESTRO_TESTS=OFF -DKESTRO_TOOLS=OFF >"$BUILD.configure.log" 2>&1; then
  cat "$BUILD.configure.log" >&2
  echo "fuzz: configuring the fuzz build failed" >&2
  exit 1
fi
# The build-time generators are instrumented too; what they leave allocated at exit is no finding.
if ! ASAN_OPTIONS=detect_leaks=0 cmake --build "$BUILD" -j2 >"$BUILD.build.log" 2>&1; then
  tail -n 40 "$BUILD.build.log" >&2
  echo "fuzz: building the fuzz targets failed" >&2
  exit 1
fi

# On a memory file system where there is one: the plug-in's settings writes are synced.
memory=/tmp
[ -d /dev/shm ] && memory=/dev/shm
scratch=${KESTRO_FUZZ_KEEP:-$(mktemp -d -p "$memory")}
[ -n "${KESTRO_FUZZ_KEEP:-}" ] || trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch"
export KESTRO_FUZZ_SCRATCH="$scratch"
failed=0
for target in "${TARGETS[@]}"; do
  binary="$BUILD/fuzz/fuzz_${target}"
  seeds="tests/fuzz/corpus/${target}"
  if [ ! -x "$binary" ] || [ -z "$(ls -A "$seeds" 2>/dev/null)" ]; then
    echo "fuzz_${target}: missing target or seeds" >&2
    failed=1
    continue
  fi
  seconds=$(seconds_for "$target")
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  echo "== fuzz_${target} (${seconds}s)"
  rm -f "$BUILD"/crash-"${target}"-*
  parallel=()
  if ((JOBS > 1)); then parallel=(-jobs="$JOBS" -workers="$JOBS"); fi
  status=0
  "$binary" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=60 "${parallel[@]}" \
    -artifact_prefix="$BUILD/crash-${target}-" -print_final_stats=1 \
    "$scratch/$target" "$seeds" >"$log" 2>&1 || status=$?
  # With -jobs the findings are in the workers' logs.
  cat "$log" fuzz-*.log 2>/dev/null >"$log.all" || true
  rm -f fuzz-*.log
  grep -E "^stat::(number_of_executed_units|new_units_added)" "$log.all" || true
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log.all" | awk '{s += $1} END {print s + 0}')
  if [ "$status" -ne 0 ] || ls "$BUILD"/crash-"${target}"-* >/dev/null 2>&1 || [ "$runs" -eq 0 ]; then
    grep -E "ERROR|SUMMARY|check failed|INFO: .*seed" "$log.all" | head -n 20 >&2 || tail -n 20 "$log.all" >&2
    echo "fuzz_${target}: failed (exit ${status}, ${runs} inputs run); inputs in $BUILD/crash-${target}-*" >&2
    failed=1
  fi
done
if ((failed)); then
  exit 1
fi
echo "fuzzing: no findings"
