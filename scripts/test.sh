#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything and runs
# every test; then the same suite again built with AddressSanitizer +
# UndefinedBehaviorSanitizer (folder build-asan). ZAZO_TEST_ASAN=0 skips the
# sanitizer pass.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# Every tracked C and C++ file is formatted as .clang-format says.
git ls-files -z '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 clang-format --dry-run -Werror

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

if [[ "${ZAZO_TEST_ASAN:-1}" != 0 ]]; then
  echo "--- the suite again under AddressSanitizer + UndefinedBehaviorSanitizer ---"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1"
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAZO_SANITIZE=address > /dev/null
  cmake --build build-asan -j"$(nproc)"
  # The build above has just run the instrumented asset generator over every
  # asset; running it a second time to compare bytes (a minute here) finds no
  # more memory faults, and the byte comparison itself was made by the first
  # pass, where a plain heap makes a stray uninitialised read more likely to
  # show than under the sanitizer's filled one.
  same_bytes='^assets\.AssetGenerator\.ASecondRun'
  # The end-to-end checks run the real program under X, whose drivers leave
  # blocks from libraries they have already unloaded: leak checking is for
  # the other tests.
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -E "e2e|$same_bytes"
  # Of those, the checks that run several programs over the network (the
  # match, the relay, the board in a browser) run again here; the window and
  # install checks, which test the X server and the package more than the
  # game's memory, ran in the plain pass (the whole run stays under 25
  # minutes on two cores).
  ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-asan --output-on-failure -j"$(nproc)" \
    -R '^(net_e2e|relay_e2e|server_e2e)_'

fi
