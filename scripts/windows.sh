#!/bin/bash
# The module as a Windows DLL, 32-bit (the host contract's form) and 64-bit,
# cross-built with Debian's MinGW-w64 and proven under Wine.
#
#   scripts/windows.sh [build]   build-windows-x86/ and build-windows-x64/,
#                                each with its zip (cpack -G ZIP)
#   scripts/windows.sh test      the same, then tests/windows/wine-tests.sh
#                                against Linux krw6180-apsim agents (from
#                                $KRW_LINUX_BUILD, default build/, which is
#                                built when it has no agent)
#   scripts/windows.sh netsnmp   only the foundations below; prints the
#                                Net-SNMP folders, one per target
#
# The foundations: installs the MinGW-w64 cross compilers and Wine when they
# are missing (the 32-bit Wine as well when the archive lets it be
# installed), and builds Net-SNMP for Windows from Debian's own source
# package of the version the Linux build links, as static libraries without
# agent, applications, MIB loading or OpenSSL. Each is kept in a cache
# outside the clone, keyed by version and target, so a machine builds it once:
#   ${KRW_CACHE:-~/.cache/krw6180}/netsnmp-VERSION-TARGET/{include,lib}
set -euo pipefail
# A failure inside $(...) fails the script as well.
shopt -s inherit_errexit
top=$(cd "$(dirname "$0")/.." && pwd)
command=${1:-build}
case $command in
  build | test | netsnmp) ;;
  -h | --help)
    sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"
    exit 0
    ;;
  *)
    echo "usage: scripts/windows.sh [build | test | netsnmp]" >&2
    exit 2
    ;;
esac
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

# Debian's 32-bit Wine needs the i386 architecture, whose archive indexes
# may not match the amd64 ones installed (then apt-get update fails). The
# architecture is taken away again unless wine32 installs: a machine whose
# apt-get update fails would refuse every later install.
try_wine32() {
  dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q "install ok installed" && return 0
  [ "${KRW_WINE32:-try}" = no ] && return 1
  local had_i386=no
  dpkg --print-foreign-architectures | grep -qx i386 && had_i386=yes
  as_root dpkg --add-architecture i386
  # Installed only when apt sees the whole of it through: a failed
  # simulation changes nothing.
  if as_root apt-get update -q >&2 && as_root apt-get install -s -q --no-install-recommends wine32 >/dev/null &&
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends wine32 >&2; then
    return 0
  fi
  echo "wine32 cannot be installed here: the 32-bit DLL is checked but not run" >&2
  if [ "$had_i386" = no ]; then
    local installed
    installed=$(dpkg-query -W -f='${binary:Package}\n' 2>/dev/null | grep ':i386$' || true)
    # shellcheck disable=SC2086
    [ -z "$installed" ] || as_root apt-get purge -y -q $installed >&2 || true
    as_root dpkg --remove-architecture i386
    as_root apt-get update -q >&2
  fi
  return 1
}

# Net-SNMP for each target, built unless the cache has it; prints the folders.
netsnmp_folders() {
  local version source_folder target prefix
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
      local source
      source=$(find "$source_folder" -mindepth 1 -maxdepth 1 -type d -name 'net-snmp-*')
      [ -d "$source" ] || {
        echo "no Net-SNMP source in $source_folder" >&2
        return 1
      }
      rm -rf "$prefix.partial"
      build_netsnmp "$version" "$target" "$source" "$prefix"
    fi
    echo "$prefix"
  done
}

# The DLL and its hosts for one target, and the zip.
build_target() {
  local arch=$1 netsnmp=$2 folder=$3
  cmake -S "$top" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-$arch.cmake" \
    -DKRW_NETSNMP_ROOT="$netsnmp" >&2
  cmake --build "$folder" -j "$(nproc)" >&2
  (cd "$folder" && cpack -G ZIP >&2)
}

install_missing libsnmp-dev dpkg-dev cmake make file g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64 wine64 wine
folders=$(netsnmp_folders)
if [ "$command" = netsnmp ]; then
  echo "$folders"
  exit 0
fi
builds=()
for target in $targets; do
  case $target in i686-*) arch=i686 name=x86 ;; *) arch=x86_64 name=x64 ;; esac
  build_target "$arch" "$(grep -- "-$target\$" <<<"$folders")" "$top/build-windows-$name"
  builds+=("$top/build-windows-$name")
done
[ "$command" = build ] && exit 0

if ! try_wine32; then
  echo "Wine: wine64 runs the 64-bit DLL" >&2
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "Wine: wine64 runs the 64-bit DLL, wine32 the 32-bit one" >&2
else
  echo "Wine: wine64 runs the 64-bit DLL; wine32 is installed, but this kernel runs no 32-bit programs" >&2
fi
linux=${KRW_LINUX_BUILD:-$top/build}
if [ ! -x "$linux/bin/krw6180-apsim" ] || [ ! -x "$linux/bin/krw6180-clients" ]; then
  KRW_BUILD_TARGET="krw6180-apsim krw6180-clients krw6180plug" "$top/scripts/setup.sh" "$linux" -DKRW_TESTS=OFF >&2
fi
exec bash "$top/tests/windows/wine-tests.sh" "$linux/bin" "${builds[@]}"
