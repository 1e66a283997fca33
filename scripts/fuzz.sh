#!/bin/bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a
# bounded time from its seed corpus (copied: the repository's corpus is not
# changed). A crash or a broken invariant fails the run.
# Usage: fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DZV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
TARGETS=$(ls tests/fuzz/fuzz_*.cpp | xargs -n1 basename | sed 's/\.cpp$//')
cmake --build build-fuzz -j"$(nproc)" --target $TARGETS
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
for t in $TARGETS; do
  name=${t#fuzz_}
  mkdir -p "$WORK/$name"
  cp -r tests/fuzz/corpus/"$name"/. "$WORK/$name/"
  echo "== $t: $SECONDS_EACH s"
  rc=0
  ( cd "$WORK" && QT_QPA_PLATFORM=offscreen "$OLDPWD/build-fuzz/bin/$t" -max_total_time="$SECONDS_EACH" \
      -print_final_stats=1 "$WORK/$name" ) > "$WORK/$t.log" 2>&1 || rc=$?
  grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' "$WORK/$t.log" || true
  if [ "$rc" -ne 0 ]; then tail -40 "$WORK/$t.log"; echo "$t failed"; exit 1; fi
done
echo "fuzzing: every target ran clean"
