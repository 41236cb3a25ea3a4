#!/usr/bin/env bash
# Builds the whole program and its test suite, the Qt window tests included, with the address and
# undefined-behaviour sanitizers, and runs every test. Any memory error, leak or undefined
# behaviour fails the run. Usage: scripts/test-sanitize.sh [BUILD_DIR] (default build-sanitize).
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-$source_dir/build-sanitize}
jobs=${JOBS:-$(nproc)}
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

cmake -S "$source_dir" -B "$build_dir" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=g++ \
  -DCMAKE_CXX_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" \
  -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" \
  -DTOLVANE_WERROR=ON \
  -DTOLVANE_BUILD_GUI=ON \
  -DTOLVANE_BUILD_BENCH=OFF \
  -DTOLVANE_BUILD_FUZZ=OFF
cmake --build "$build_dir" -j "$jobs"

# Leaks that Qt's platform and font libraries keep for the life of the process are not ours:
# they are suppressed by library name only (scripts/lsan-suppressions.txt), so a leak in our
# code still fails the run.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$source_dir/scripts/lsan-suppressions.txt:print_suppressions=0"

cd "$build_dir"
ctest --output-on-failure -j "$jobs"
