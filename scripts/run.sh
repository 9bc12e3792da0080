#!/bin/bash
# The main job: builds the reference management host, the plug-in and the
# simulated access point, then runs the host's demo: krw6180-clients starts
# krw6180-apsim on a free loopback port, lists its clients through the
# plug-in, and stops it. Extra arguments go to krw6180-clients (-f json, ...).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
KRW_BUILD_TARGET=krw6180-clients "$top/scripts/setup.sh" "$build" -DKRW_TESTS=OFF
exec "$build/bin/krw6180-clients" --demo "$@"
