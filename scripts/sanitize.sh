#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs them.
#
# The build is made with clang and also holds the fuzz targets (every library instrumented
# for libFuzzer's coverage, which costs the tests little), so that CI builds once for both:
# `TESSEL_FUZZ_BUILD=build-asan fuzz/run.sh` runs the fuzz targets of this build. The plain
# build (scripts/build.sh) is made with gcc, so the code meets both compilers.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DTESSEL_SANITIZE=ON -DTESSEL_FUZZ=ON -DTESSEL_BENCH=OFF >/dev/null
ninja -C build-asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
