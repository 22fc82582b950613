#!/usr/bin/env bash
# Sets up, builds and runs every test, headless: the suite in the normal build; the whole suite
# again built with AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer, where any
# report fails the run; then each fuzzer for a minute (tools/fuzz.sh).
#   PORTEO_FUZZ_SECONDS   seconds a fuzzer (default 60; 0 leaves the fuzzers out)
#   PORTEO_SESSION_SEED, PORTEO_SESSION_ACTIONS   the random session (tests/test_random_session.cpp)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPORTEO_SANITIZE=ON -DPORTEO_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# The desktop files and the package hold no code of ours; the normal run checked them.
ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE desktop

seconds=${PORTEO_FUZZ_SECONDS:-60}
if ((seconds > 0)); then
  echo "== fuzzing, ${seconds} s a target"
  tools/fuzz.sh "$seconds"
fi
