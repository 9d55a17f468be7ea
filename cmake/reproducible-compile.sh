#!/usr/bin/env bash
# Compiler launcher of the objects whose debug information goes into the PDB:
#   reproducible-compile.sh SOURCE_DIR COMPILER ARGUMENTS...
# clang 14 records each compiler command line in CodeView debug information
# (LF_BUILDINFO), so no argument may name the build's folders. Paths below
# SOURCE_DIR (whole arguments or inside one, as in -I<folder>) are given
# relative to the build folder (the same in every clone),
# the prefix maps (which would themselves name the folders) are left out, and
# the compilation folder is recorded as ".".
set -euo pipefail
source_dir="$1"
shift
relative=$(realpath --relative-to="$PWD" "$source_dir")
arguments=()
for argument in "$@"; do
  case "$argument" in
    -ffile-prefix-map=* | -fdebug-prefix-map=* | -fmacro-prefix-map=*) continue ;;
  esac
  # Also inside an argument, as in -I<folder>.
  argument="${argument//"$source_dir"\//"$relative"/}"
  arguments+=("$argument")
done
# No colours either: ccache would ask for them on a terminal, and the recorded
# command line would differ from a build without ccache.
exec "${arguments[@]}" -ffile-compilation-dir=. -fno-color-diagnostics
