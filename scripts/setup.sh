#!/usr/bin/env bash
# Installs what building and testing Velloquin needs on a Debian 12 machine,
# when it is missing.
set -euo pipefail

packages=(cmake ninja-build g++ googletest libbenchmark-dev g++-mingw-w64-x86-64-posix wine wine64 zip unzip
          clang-14 libclang-rt-14-dev)
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
