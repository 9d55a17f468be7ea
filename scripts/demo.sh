#!/usr/bin/env bash
# Builds the plug-in and plays the demo session in the test host: the Linux
# build, then the real Velloquin.dll in the Windows host under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
script="${1:-data/demo.session}"

cmake --preset linux >/dev/null
cmake --build --preset linux -j 2 --target velloquin-host Velloquin >/dev/null
echo "===== Linux build: libVelloquin.so"
build/linux/testhost/velloquin-host "$script"

if [ "${VELLOQUIN_DEMO_WINDOWS:-1}" = 1 ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j 2 --target velloquin-host Velloquin >/dev/null
  source scripts/wine-env.sh
  wine_start
  trap wine_stop EXIT
  echo "===== Windows build: Velloquin.dll under Wine"
  wine build/windows/testhost/velloquin-host.exe "$script"
fi
