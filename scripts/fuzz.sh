#!/bin/bash
# Builds the fuzz targets with clang's libFuzzer (into build-fuzz) and runs
# each for the given number of seconds (default 30) on a working copy of its
# seed corpus (fuzz/corpus/<target>). A crash, a leak, a sanitizer report or
# an input slower than 10 s fails the run; the input is kept in
# build-fuzz/findings/. Give target names after the seconds to run only those.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
targets=${*:-response text expression bootcounter hostoptions}
build="$top/build-fuzz"

names=""
for t in $targets; do names="$names fuzz-$t"; done
CC=clang CXX=clang++ KRW_EXTRA_PACKAGES="clang libclang-rt-14-dev" KRW_BUILD_TARGET="$names" \
  "$top/scripts/setup.sh" "$build" -DKRW_FUZZ=ON -DKRW_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo

mkdir -p "$build/findings"
status=0
for t in $targets; do
  work="$build/corpus/$t"
  mkdir -p "$work"
  cp -n "$top/fuzz/corpus/$t/"* "$work/" 2>/dev/null || true
  log="$build/fuzz-$t.log"
  echo "fuzz-$t: ${seconds} s"
  if (cd "$build" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "bin/fuzz-$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
      -print_final_stats=1 -close_fd_mask=1 -artifact_prefix="$build/findings/$t-" "$work" >"$log" 2>&1); then
    grep -E "^#[0-9]+.*(DONE|INITED)|stat::number_of_executed_units|stat::average_exec_per_sec" "$log" | tail -4
  else
    tail -60 "$log"
    echo "fuzz-$t FAILED (log: $log)"
    status=1
  fi
done
exit $status
