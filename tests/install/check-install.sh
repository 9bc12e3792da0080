#!/bin/bash
# The system as a user meets it outside the build tree: installed into a
# temporary prefix, packaged and unpacked, and embedded by hosts of one's own
# in C. Everything runs with an empty environment, so that nothing is found
# through a variable.
#
# Usage: check-install.sh BUILD SOURCE CMAKE CPACK CC [CFLAGS...]
#   CFLAGS: extra compiler flags for the hosts (the sanitizers, when the
#   build has them, so that their run-time comes first).
set -euo pipefail
build=$1 source=$2 cmake=$3 cpack=$4 cc=$5
shift 5
cflags=("$@")

work=$(mktemp -d)
apsim_pid=""
cleanup() {
  [ -z "$apsim_pid" ] || kill "$apsim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# The programs of a tree (installed or unpacked) answer --version with the
# project's version on one line, and the demo lists the sample clients.
check_programs() {
  local bin=$1 program
  for program in krw6180-clients krw6180-apsim snmpfw-fetch krw6180-exporter; do
    [ "$(env -i "$bin/$program" --version)" = "$program $version" ] || fail "$bin/$program --version"
  done
  env -i "$bin/krw6180-clients" --demo >"$work/demo.txt" || fail "$bin/krw6180-clients --demo"
  grep -q "^127.0.0.1: KRW-6180, 3 clients$" "$work/demo.txt" || fail "demo output: $(cat "$work/demo.txt")"
}

# A host built against an installed tree with its pkg-config file.
build_host() {
  local prefix=$1 source_file=$2 output=$3 flags
  flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs krw6180plug)
  # shellcheck disable=SC2086
  "$cc" -std=c11 -pedantic -Wall -Wextra -Werror "${cflags[@]}" "$source_file" $flags -ldl -o "$output"
}

start_apsim() {
  local line
  coproc APSIM { exec env -i "$1/krw6180-apsim" --listen 127.0.0.1:0; }
  apsim_pid=$APSIM_PID
  read -t 30 -r line <&"${APSIM[0]}" || fail "krw6180-apsim did not start"
  apsim_port=${line##*:}
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
prefix="$work/prefix"
echo "== cmake --install into $prefix"
"$cmake" --install "$build" --prefix "$prefix" --strip >/dev/null
check_programs "$prefix/bin"

echo "== no path of the build or source tree in an installed file"
trees=("$build" "$source")
# The sanitizers' run-time names the source file of what it reports: an
# instrumented build keeps those names, so only its build tree is checked.
[ ${#cflags[@]} -eq 0 ] || trees=("$build")
for tree in "${trees[@]}"; do
  found=$(grep -rlF "$tree" "$prefix" || true)
  [ -z "$found" ] || fail "$tree named in: $found"
done

echo "== the example host, in C, built with pkg-config, loads the plug-in by its name"
build_host "$prefix" "$prefix/share/doc/krw6180/examples/ListClients.c" "$work/list-clients"
start_apsim "$prefix/bin"
env -i "$work/list-clients" libkrw6180plug.so 127.0.0.1 "$apsim_port" >"$work/example.txt" ||
  fail "the example host: $(cat "$work/example.txt")"
grep -q "^127.0.0.1 (KRW-6180), request 1: (VaZARO++) Ok!$" "$work/example.txt" || fail "$(cat "$work/example.txt")"
[ "$(grep -c "^  " "$work/example.txt")" = 3 ] || fail "not the three clients: $(cat "$work/example.txt")"
kill "$apsim_pid"
wait "$apsim_pid" || true
apsim_pid=""

echo "== a host that maps the plug-in with dlopen gets one failure report per request"
build_host "$prefix" "$source/tests/install/DlopenHost.c" "$work/dlopen-host"
env -i "$work/dlopen-host" "$prefix/lib/krw6180/libkrw6180plug.so" || fail "the dlopen host"

echo "== cpack -G DEB, unpacked with dpkg-deb"
"$cpack" -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >/dev/null
deb="$work/package/krw6180_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb"
for field in Depends Maintainer Description; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field"
done
dpkg-deb -x "$deb" "$work/root"
check_programs "$work/root/usr/bin"
unit="$work/root/usr/lib/systemd/system/krw6180-exporter.service"
grep -q "^ExecStart=krw6180-exporter --config.file /etc/krw6180/exporter.yml " "$unit" ||
  fail "the exporter's unit: $(cat "$unit")"
[ -n "$(dpkg-deb -I "$deb" postinst)" ] || fail "the package has no postinst"
[ -f "$work/root/usr/lib/sysusers.d/krw6180.conf" ] || fail "the package has no sysusers.d/krw6180.conf"

echo "== the exporter's unit passes systemd-analyze verify"
# Verified as installed, but with the program unpacked here: the unit names
# it without a folder, which systemd looks up in /usr/bin.
sed "s|^ExecStart=krw6180-exporter |ExecStart=$work/root/usr/bin/krw6180-exporter |" "$unit" \
  >"$work/krw6180-exporter.service"
systemd-analyze verify --man=no "$work/krw6180-exporter.service" >"$work/verify.txt" 2>&1 ||
  fail "systemd-analyze verify: $(cat "$work/verify.txt")"

echo "== the example configuration: refused while every user reads it, taken once private"
examples="$work/root/usr/share/doc/krw6180/examples"
chmod 0644 "$examples/exporter.yml"
status=0
env -i "$work/root/usr/bin/krw6180-exporter" --config.file "$examples/exporter.yml" \
  --web.listen-address 127.0.0.1:0 2>"$work/refused.txt" || status=$?
[ "$status" = 2 ] && grep -q "readable by every user" "$work/refused.txt" ||
  fail "a readable secret file: status $status, $(cat "$work/refused.txt")"
chmod 0600 "$examples/exporter.yml"
coproc EXPORTER { exec env -i "$work/root/usr/bin/krw6180-exporter" --config.file "$examples/exporter.yml" \
  --web.listen-address 127.0.0.1:0 2>&1; }
exporter_pid=$EXPORTER_PID
read -t 30 -r line <&"${EXPORTER[0]}" || line=""
kill "$exporter_pid"
wait "$exporter_pid" || true
[[ "$line" == "listening on 127.0.0.1:"* ]] || fail "the example configuration: $line"
echo "OK"
