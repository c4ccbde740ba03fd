#!/bin/sh
# Builds the libFuzzer targets (preset `fuzz`) and runs each for a bounded time, starting from its
# corpus in fuzz/corpus/<name>. New inputs go to a scratch folder, not into the tree; a crash
# leaves its input in build/fuzz/artifacts and fails the run (turn it into a unit test).
#   tools/fuzz.sh [seconds per fuzzer, default 60]
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build/fuzz/artifacts
status=0
for name in command_line text_reader properties_reader path_file; do
  mkdir -p "$scratch/$name"
  echo "== fuzzing $name for ${seconds}s"
  if ! TMPDIR="$scratch" "build/fuzz/${name}_fuzzer" -max_total_time="$seconds" -max_len=16384 \
      -artifact_prefix="build/fuzz/artifacts/${name}-" -print_final_stats=1 \
      "$scratch/$name" "fuzz/corpus/$name" 2>"$scratch/$name.log"; then
    tail -40 "$scratch/$name.log"
    echo "== $name: FAILED (input in build/fuzz/artifacts)"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$scratch/$name.log" | tail -2
  fi
done
exit $status
