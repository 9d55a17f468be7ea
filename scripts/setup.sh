#!/usr/bin/env bash
# Installs what building and testing Velloquin needs on a Debian 12 machine,
# when it is missing.
set -euo pipefail

# clang-14: the second compiler of the Windows DLL; llvm-16: llvm-ml-16, the
# MASM assembler of the DLL variant with the MASM hook entry, and llvm-pdbutil-16
# and llvm-symbolizer-16, which read the PDB back; lld: LLVM's linker, which
# links clang's DLL with its PDB.
packages=(cmake ninja-build g++ googletest libbenchmark-dev g++-mingw-w64-x86-64-posix clang-14 libclang-rt-14-dev llvm-16 lld wine wine64 zip
          unzip)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
