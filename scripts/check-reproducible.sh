#!/usr/bin/env bash
# Builds what players get twice, from two clean clones of the checked-out
# commit in two different folders (the windows-clang build, which ships), and
# compares the SHA-256 of the DLL, its PDB, both archives and the doctor.
# Exit status 0 when every one of them is the same in both builds.
#   scripts/check-reproducible.sh [WORK_FOLDER]
# Takes two builds of the DLL and the doctor without tests (about 10 minutes
# on 2 cores); it is not part of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$(pwd)
commit=$(git rev-parse HEAD)
work="${1:-$(mktemp -d)}"
mkdir -p "$work"
# No compiler cache: each build compiles its own objects.
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
export CCACHE_DISABLE=1
folders=("$work/first" "$work/second-in-a-longer-folder")
for folder in "${folders[@]}"; do
  rm -rf "$folder"
  git clone -q --no-hardlinks "$source" "$folder"
  git -C "$folder" checkout -q --detach "$commit"
  echo "=== building in $folder"
  (cd "$folder" && cmake --preset windows-clang -DVELLOQUIN_TESTS=OFF >/dev/null &&
     cmake --build --preset windows-clang -j "${JOBS:-2}" --target package-checksums >"$folder.log" 2>&1) ||
    { echo "build failed: $folder.log"; exit 2; }
done
version=$(sed -n 's/^project(Velloquin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
status=0
for file in Velloquin.dll Velloquin.pdb "Velloquin-$version.zip" tools/velloquin-doctor.exe "Velloquin-Doctor-$version.zip"; do
  first=$(sha256sum "${folders[0]}/build/windows-clang/$file" | cut -d' ' -f1)
  second=$(sha256sum "${folders[1]}/build/windows-clang/$file" | cut -d' ' -f1)
  if [ "$first" = "$second" ]; then
    echo "same       $first  $file"
  else
    echo "DIFFERENT  $first $second  $file"
    status=1
  fi
done
exit $status
