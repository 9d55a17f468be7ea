#!/usr/bin/env bash
# Runs one fuzz target for a long time: scripts/fuzz.sh TARGET SECONDS [libFuzzer options]
# TARGET is profile_reader_fuzz, items_file_fuzz, key_codes_fuzz or doctor_fuzz.
# New inputs are kept in build/linux-fuzz/fuzz-corpus/TARGET (the committed
# seeds in tests/fuzz/corpus/TARGET stay as they are); a failing input is
# written to build/linux-fuzz/fuzz-crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
if (($# < 2)); then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options]" >&2
  exit 2
fi
target="$1"
seconds="$2"
shift 2
if [ ! -d "tests/fuzz/corpus/$target" ]; then
  echo "no such fuzz target: $target (see tests/fuzz/)" >&2
  exit 2
fi
scripts/setup.sh
cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz -j "${JOBS:-2}" --target "$target"
# Absolute paths: some targets change the current folder as they start.
work="$PWD/build/linux-fuzz/fuzz-corpus/$target"
crashes="$PWD/build/linux-fuzz/fuzz-crashes"
mkdir -p "$work" "$crashes"
exec "build/linux-fuzz/tests/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -artifact_prefix="$crashes/$target-" -print_final_stats=1 "$@" "$work" "$PWD/tests/fuzz/corpus/$target"
