#!/usr/bin/env bash
# Builds and runs every test of both builds: Linux (debug, AddressSanitizer
# with UndefinedBehaviorSanitizer, ThreadSanitizer, and clang with the fuzz
# targets, each run briefly over its corpus) and the Windows DLL under Wine,
# built by MinGW g++ (with the variant that has the MASM hook entry) and by clang.
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

for preset in windows windows-clang; do
  echo "=== $preset (build)"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
source scripts/wine-env.sh
wine_start
trap wine_stop EXIT
for preset in windows windows-clang; do
  echo "=== $preset (under Wine)"
  ctest --preset "$preset"
done
