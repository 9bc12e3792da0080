#!/bin/bash
# The main job: builds everything, starts the simulated KRW-6180 access point
# (krw6180-apsim) on a free loopback port, reads its band and walks its client
# table through the framework with snmpfw-fetch, then stops the access point.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
"$top/scripts/setup.sh" "$build" -DKRW_TESTS=OFF

work=$(mktemp -d)
agent=""
finish() {
  [ -n "$agent" ] && kill "$agent" 2>/dev/null && wait "$agent" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

"$build/bin/krw6180-apsim" --listen 127.0.0.1:0 > "$work/apsim.out" 2> "$work/apsim.err" &
agent=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/apsim.out")
  [ -n "$port" ] && break
  kill -0 "$agent" 2>/dev/null || break
  sleep 0.1
done
[ -n "$port" ] || { echo "krw6180-apsim did not start:" >&2; cat "$work/apsim.err" >&2; exit 1; }

fetch="$build/bin/snmpfw-fetch"
band=1.3.6.1.4.1.32473.10.37.37.2.1.3.3.1.1.1.34.1
column=1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1
echo "band of the access point at 127.0.0.1:$port:"
TMPDIR="$work" "$fetch" -p "$port" 127.0.0.1 "$band:integer"
echo "its clients (MAC, band, authentication, RSSI, power save, SSID index):"
TMPDIR="$work" "$fetch" -p "$port" -f table --walk 0 127.0.0.1 \
  "$column.2:macaddress" "$column.3:integer" "$column.4:integer" "$column.5:integer" "$column.6:integer" "$column.7"
