#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/, writes the seed corpus from the tests'
# photo generators and runs each target for a bounded time (default 60 s each), one after the
# other, on one core. Any crash, hang (30 s for one input), leak or sanitizer report fails it.
#
#   tools/fuzz.sh [seconds-per-target] [target...]     targets: fuzz_jpeg fuzz_details
#
# The corpus grows in build-fuzz/corpus/<target>; a failing input is written to
# build-fuzz/artifacts/. Keep each one found under tests/data/fuzz/<target>/ once it is fixed:
# test_fuzz_regressions replays them, and this script feeds them to the fuzzers too.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(fuzz_jpeg fuzz_details)

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DPORTEO_FUZZ=ON -DBUILD_TESTING=OFF -DPORTEO_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_jpeg fuzz_details fuzz_seeds

rm -rf build-fuzz/seeds
build-fuzz/fuzz/fuzz_seeds build-fuzz/seeds
mkdir -p build-fuzz/artifacts
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
  dict=fuzz/${target#fuzz_}.dict
  corpus=build-fuzz/corpus/$target
  kept=tests/data/fuzz/$target
  mkdir -p "$corpus"
  inputs=("$corpus" build-fuzz/seeds)
  [[ -d $kept ]] && inputs+=("$kept")
  echo "== $target for ${seconds} s"
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -max_len=16384 \
    -dict="$dict" -artifact_prefix="build-fuzz/artifacts/$target-" -print_final_stats=1 \
    "${inputs[@]}" 2>&1 | grep -v -E '^#[0-9]+.*(NEW|REDUCE|pulse)' || { echo "$target FAILED"; exit 1; }
done
