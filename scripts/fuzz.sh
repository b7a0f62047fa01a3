#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   scripts/fuzz.sh TARGET SECONDS     e.g. scripts/fuzz.sh reader_fuzz 600
# The seed corpus is fuzz/corpus/TARGET; new inputs collect in build-fuzz/corpus/TARGET.
# A finding is written to build-fuzz/findings/ and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
seconds=${2:-60}
build=${LEXOVA_FUZZ_BUILD:-build-fuzz}

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DLEXOVA_FUZZ=ON -DLEXOVA_TESTS=OFF -DLEXOVA_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target "$target" >/dev/null

corpus="$build/corpus/$target"
findings="$build/findings"
mkdir -p "$corpus" "$findings"
dict=()
[ -f "fuzz/${target%_fuzz}.dict" ] && dict=(-dict="fuzz/${target%_fuzz}.dict")
"$build/fuzz/$target" "$corpus" "fuzz/corpus/$target" "${dict[@]}" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$findings/" -print_final_stats=1 2>&1 | tail -n 12
