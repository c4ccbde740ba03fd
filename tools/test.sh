#!/bin/sh
# Builds every target (Linux, Linux with AddressSanitizer and UndefinedBehaviorSanitizer,
# Windows x86_64 and i686) and runs every test of each, then runs each fuzzer for a bounded time
# (LUMORA_FUZZ_SECONDS, default 45). Tests that need a tool this machine cannot run are reported
# as skipped. Exits non-zero when any build, test or fuzzer fails.
set -u
cd "$(dirname "$0")/.."
sh tools/deps.sh test || exit 1

jobs=$(nproc)
failed=""
for preset in linux linux-asan win64 win32; do
  echo "==== $preset"
  if cmake --preset "$preset" >/dev/null &&
      cmake --build --preset "$preset" -j "$jobs" &&
      ctest --preset "$preset" -j "$jobs" --timeout 600; then
    echo "==== $preset: passed"
  else
    echo "==== $preset: FAILED"
    failed="$failed $preset"
  fi
done

echo "==== fuzz"
if sh tools/fuzz.sh "${LUMORA_FUZZ_SECONDS:-45}"; then
  echo "==== fuzz: passed"
else
  echo "==== fuzz: FAILED"
  failed="$failed fuzz"
fi

if [ -n "$failed" ]; then
  echo "FAILED:$failed"
  exit 1
fi
echo "All builds and tests passed."
