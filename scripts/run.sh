#!/bin/bash
# The main job: builds everything, starts a local SNMP agent (Net-SNMP's snmpd
# with a configuration of its own on a free loopback port), asks it through the
# framework's session for its description and up-time, prints the answer and
# stops the agent again.
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

echo "mibs :" > "$work/snmp.conf"
export SNMPCONFPATH="$work" SNMP_PERSISTENT_DIR="$work/state"

# A port taken by someone else makes snmpd exit at once; then try another.
start_agent() {
  port=$1
  printf 'agentaddress udp:127.0.0.1:%s\nrocommunity public 127.0.0.1\nmaster off\n' "$port" > "$work/snmpd.conf"
  /usr/sbin/snmpd -f -C -r -c "$work/snmpd.conf" -Lf "$work/snmpd.log" &
  agent=$!
  for _ in $(seq 1 50); do
    kill -0 "$agent" 2>/dev/null || { agent=""; return 1; }
    snmpget -v2c -c public -t 0.2 -r 0 "udp:127.0.0.1:$port" 1.3.6.1.2.1.1.3.0 >/dev/null 2>&1 && return 0
  done
  kill "$agent" 2>/dev/null; wait "$agent" 2>/dev/null; agent=""
  return 1
}
for _ in $(seq 1 10); do
  start_agent $(( 20000 + RANDOM % 40000 )) && break
done
[ -n "$agent" ] || { echo "could not start a local snmpd; see $work/snmpd.log" >&2; exit 1; }
TMPDIR="$work" "$build/bin/snmpfw-probe" 127.0.0.1 "$port" public
