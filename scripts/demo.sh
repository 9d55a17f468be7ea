#!/usr/bin/env bash
# Builds the plug-in and plays the demo session in the test host: the Linux
# build, then the Velloquin.dll that ships (the windows-clang build, clang and
# LLVM's linker, with its PDB) in the Windows host under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
script="${1:-data/demo.session}"

cmake --preset linux >/dev/null
cmake --build --preset linux -j 2 --target velloquin-host Velloquin >/dev/null
echo "===== Linux build: libVelloquin.so"
build/linux/testhost/velloquin-host "$script"

if [ "${VELLOQUIN_DEMO_WINDOWS:-1}" = 1 ]; then
  cmake --preset windows-clang >/dev/null
  cmake --build --preset windows-clang -j 2 --target velloquin-host Velloquin >/dev/null
  source scripts/wine-env.sh
  wine_start
  trap wine_stop EXIT
  # The host is told the DLL to load, so that the line below names what plays.
  dll="$(pwd)/build/windows-clang/Velloquin.dll"
  echo "===== The DLL that ships (windows-clang: clang, LLVM's linker, Velloquin.pdb beside it): build/windows-clang/Velloquin.dll under Wine"
  VELLOQUIN_PLUGIN="$dll" wine build/windows-clang/testhost/velloquin-host.exe "$script"
fi
