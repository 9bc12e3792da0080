#!/bin/bash
# The Windows build's foundations: installs the MinGW-w64 cross compilers and
# Wine when they are missing, and builds Net-SNMP for Windows (32-bit and
# 64-bit) from Debian's own source package of the version the Linux build
# links, as static libraries without agent, applications, MIB loading or
# OpenSSL. Each build is kept in a cache outside the clone, keyed by version
# and target, so a machine builds it once:
#   ${KRW_CACHE:-~/.cache/krw6180}/netsnmp-VERSION-TARGET/{include,lib}
# Prints the folders it made or found, one per target.
set -euo pipefail
cache="${KRW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/krw6180}"
targets="i686-w64-mingw32 x86_64-w64-mingw32"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# The machine's own archive entries as source entries, in an apt
# configuration of this script's own: the machine's sources stay as they are.
fetch_source() {
  local version=$1 folder=$2
  local apt="$cache/apt"
  mkdir -p "$apt/parts" "$apt/lists/partial"
  rm -f "$apt/parts/"*
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$apt/parts/source.sources"
  else
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list > "$apt/parts/source.list"
  fi
  local options=(-o Dir::Etc::sourcelist=/dev/null -o "Dir::Etc::sourceparts=$apt/parts"
    -o "Dir::State::Lists=$apt/lists")
  apt-get "${options[@]}" update -q >&2
  mkdir -p "$folder"
  (cd "$folder" && apt-get "${options[@]}" source -q "net-snmp=$version" >&2)
}

# Builds the static library for one target into its cache folder; the folder
# appears whole or not at all.
build_netsnmp() {
  local version=$1 target=$2 source=$3 prefix=$4
  local work
  work=$(mktemp -d "$cache/build-$target.XXXXXX")
  cp -a "$source/." "$work/"
  (
    cd "$work"
    ./configure --host="$target" --build="$(dpkg-architecture -qDEB_BUILD_GNU_TYPE)" --prefix="$prefix.partial" \
      --with-defaults --disable-agent --disable-applications --disable-manuals --disable-scripts --disable-mibs \
      --disable-mib-loading --without-perl-modules --disable-embedded-perl --without-openssl \
      --disable-shared --enable-static --with-mib-modules= >&2
    make -j"$(nproc)" -C snmplib >&2
    make installheaders >&2
    make -C snmplib installlibs >&2
  )
  # libtool's record names the folder it was installed into; nothing here uses it.
  rm -f "$prefix.partial/lib/libnetsnmp.la"
  rm -rf "$work"
  mv "$prefix.partial" "$prefix"
}

install_missing libsnmp-dev dpkg-dev g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-tools wine64 wine
version=$(dpkg-query -W -f='${Version}' libsnmp-dev)
mkdir -p "$cache"
source_folder="$cache/source-$version"
for target in $targets; do
  prefix="$cache/netsnmp-$version-$target"
  if [ ! -f "$prefix/lib/libnetsnmp.a" ]; then
    if [ ! -d "$source_folder/done" ]; then
      rm -rf "$source_folder"
      fetch_source "$version" "$source_folder"
      mkdir "$source_folder/done"
    fi
    rm -rf "$prefix.partial"
    build_netsnmp "$version" "$target" "$(find "$source_folder" -mindepth 1 -maxdepth 1 -type d -name 'net-snmp-*')" \
      "$prefix"
  fi
  echo "$prefix"
done
