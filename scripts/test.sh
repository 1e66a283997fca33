#!/bin/bash
# Installs what is needed, builds, starts a Firebird server for the tests of
# two workstations (as root) and runs every test; then the whole suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets
# for a bounded time. ZV_QUICK=1 stops after the first run.
set -euo pipefail
cd "$(dirname "$0")/.."
sh scripts/setup.sh --tests
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ "$(id -u)" -eq 0 ]; then
  eval "$(bash scripts/fbserver.sh start)"
  export ZV_TEST_SERVER ISC_USER ISC_PASSWORD
  trap 'bash scripts/fbserver.sh stop' EXIT
else
  echo "not root: the tests of two workstations on a server will be skipped"
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
[ "${ZV_QUICK:-0}" = 1 ] && exit 0

echo "== the tests again under AddressSanitizer and UndefinedBehaviorSanitizer"
# Any report ends the process with an error, so a report fails its test.
# Leak checking is off: its tracer itself crashes now and then at the exit of a
# process that ran the embedded database engine, and the leaks it finds are the
# client library's (see tests/sanitizer/lsan.supp for running it by hand).
export ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:detect_stack_use_after_return=0
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -DZV_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-asan -j"$(nproc)"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 600

echo "== fuzzing"
bash scripts/fuzz.sh "${ZV_FUZZ_SECONDS:-30}"
