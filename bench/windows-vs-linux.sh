#!/bin/bash
# One retrieval of the demo access point and one round of 50 access points,
# through the 64-bit DLL under Wine and through the Linux module
# (krw6180-clients), against the same krw6180-apsim, answering at once and
# 20 ms late. Prints each time and the ratio Wine / Linux, from one run, and
# the DLL's start-up time under Wine.
#
#   bench/windows-vs-linux.sh [LINUXBUILD [WINDOWSBUILD]]   (build, build-windows-x64)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
linux=${1:-$top/build}/bin
windows=${2:-$top/build-windows-x64}/bin
work=$(mktemp -d)
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
agent=
trap '[ -n "$agent" ] && kill $agent; wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

wine_round() {
  (cd "$windows" && /usr/lib/wine/wine64 krw6180-testhost.exe clients krw6180plug.dll "$@" 2>&1 >/dev/null |
    sed -n 's/^round \([0-9.]*\) s$/\1/p' || true)
}

linux_round() {
  local port=$1
  shift
  "$linux/krw6180-clients" -p "$port" -f csv --stats "$@" 2>&1 >/dev/null |
    sed -n 's/.*round 1: .*, \([0-9.]*\) s, .*/\1/p'
}

(cd "$windows" && /usr/lib/wine/wine64 krw6180-testhost.exe load krw6180plug.dll) >/dev/null 2>&1
echo "start-up under Wine: $(cd "$windows" && /usr/lib/wine/wine64 krw6180-testhost.exe load krw6180plug.dll |
  grep -o 'loaded in [0-9.]* ms')"
fifty=$(for i in $(seq 50); do echo "127.0.0.$i"; done)
for delay in 0 20; do
  "$linux/krw6180-apsim" --listen 127.0.0.1:0 --addresses 50 -c public -w private --delay "$delay" >"$work/agent" &
  agent=$!
  port=
  for _ in $(seq 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/agent")
    [ -n "$port" ] && break
    sleep 0.1
  done
  for what in demo fifty; do
    # shellcheck disable=SC2086
    case $what in demo) addresses=127.0.0.1 ;; *) addresses=$fifty ;; esac
    # shellcheck disable=SC2086
    w=$(wine_round "$port" 200 $addresses)
    # shellcheck disable=SC2086
    l=$(linux_round "$port" $addresses)
    printf '%-6s agent %2d ms late: Wine %.3f s, Linux %.3f s, ratio %.2f\n' "$what" "$delay" "$w" "$l" \
      "$(echo "$w / $l" | bc -l)"
  done
  kill "$agent"
  wait "$agent" 2>/dev/null || true
  agent=
done
