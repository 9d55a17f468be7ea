#!/usr/bin/env bash
# Builds and runs every test of both builds: Linux (debug, AddressSanitizer
# with UndefinedBehaviorSanitizer, ThreadSanitizer, and clang with the fuzz
# targets, each run briefly over its corpus) and the Windows DLL under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs="${JOBS:-2}"
for preset in linux linux-asan linux-tsan linux-fuzz; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "=== windows (under Wine)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
source scripts/wine-env.sh
wine_start
trap wine_stop EXIT
ctest --preset windows
