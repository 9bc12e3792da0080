#!/bin/bash
# Installs the Debian packages the build needs when they are missing, then
# configures and builds into the folder given ($1), with extra CMake options
# after it. KRW_BUILD_TARGET builds those targets (and what they need) only;
# KRW_EXTRA_PACKAGES names packages needed besides the usual ones.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1; shift

packages="cmake g++ make pkg-config libgtest-dev libgmock-dev libsnmp-dev snmpd snmp libcli11-dev nlohmann-json3-dev libcpp-httplib-dev libmicrohttpd-dev libgnutls28-dev libyaml-cpp-dev libcrypt-dev help2man dpkg-dev file ${KRW_EXTRA_PACKAGES:-}"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi

cmake -S "$top" -B "$build" "$@"
cmake --build "$build" -j "$(nproc)" ${KRW_BUILD_TARGET:+--target $KRW_BUILD_TARGET}
