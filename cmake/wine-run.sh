#!/bin/sh
# Runs a Windows program of the build under Wine, quietly, in the build's own prefix.
: "${WINEPREFIX:=${VELLOQUIN_WINEPREFIX:-$HOME/.wine-velloquin}}"
export WINEPREFIX
export WINEDEBUG=-all
exec wine "$@"
