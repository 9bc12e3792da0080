#!/bin/bash
# Builds everything and runs the whole test suite. KRW_SANITIZE=1 builds with
# AddressSanitizer and UndefinedBehaviorSanitizer into build-asan instead of build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The exporter's tests run a real Prometheus server; its unit is checked by
# systemd-analyze.
export KRW_EXTRA_PACKAGES="prometheus systemd ${KRW_EXTRA_PACKAGES:-}"
if [ "${KRW_SANITIZE:-0}" = 1 ]; then
  build="$top/build-asan"
  "$top/scripts/setup.sh" "$build" -DKRW_TESTS=ON -DKRW_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
else
  build="$top/build"
  "$top/scripts/setup.sh" "$build" -DKRW_TESTS=ON
fi
cd "$build"
ctest --output-on-failure --no-tests=error -j "$(nproc)" --timeout 300
