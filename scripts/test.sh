#!/bin/bash
# Installs what is needed, builds, starts a Firebird server for the tests of
# two workstations (as root) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
sh scripts/setup.sh
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
