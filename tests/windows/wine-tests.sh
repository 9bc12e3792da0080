#!/bin/bash
# The Windows DLLs, checked: their files for both targets, and the module at
# work under Wine (the 64-bit build under wine64; the 32-bit one as well
# where a 32-bit Wine is installed), talking to Linux krw6180-apsim agents on
# the loopback address.
#
#   wine-tests.sh LINUXBIN WINDOWSBUILD...
#
# LINUXBIN holds krw6180-apsim and krw6180-clients; each WINDOWSBUILD is a
# build folder of scripts/windows.sh. Prints one line per case; exits 1 when
# one failed.
set -uo pipefail
linux=$1
shift
work=$(mktemp -d)
agents=()
failures=0

cleanup() {
  for pid in "${agents[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

pass() { echo "ok    $*"; }
fail() {
  echo "FAIL  $*"
  failures=$((failures + 1))
}
check() {
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

# ---- the files

objdump_of() {
  case $1 in
    *x86) echo i686-w64-mingw32-objdump ;;
    *) echo x86_64-w64-mingw32-objdump ;;
  esac
}

format_is() {
  local dll=$1 target=$2 headers
  headers=$($(objdump_of "$target") -p "$dll")
  case $target in
    *x86) grep -q 'file format pei-i386' <<<"$headers" && grep -q 'Magic.*(PE32)' <<<"$headers" ;;
    *) grep -q 'file format pei-x86-64' <<<"$headers" && grep -q 'Magic.*(PE32+)' <<<"$headers" ;;
  esac
}

exports_are_the_two() {
  local names
  names=$($(objdump_of "$2") -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/^\t\[ *[0-9]+\]/ {print $NF}' | sort)
  [ "$names" = "$(printf 'KRW6180PlugGetClinetInfor\nKRW6180PlugSetSnmpParameter')" ]
}

imports_only_windows() {
  local dll headers
  headers=$($(objdump_of "$2") -p "$1") || return 1
  for dll in $(awk '/DLL Name:/ {print $3}' <<<"$headers"); do
    case ${dll,,} in
      kernel32.dll | user32.dll | ws2_32.dll | advapi32.dll | msvcrt.dll | iphlpapi.dll) ;;
      *)
        echo "  imports $dll"
        return 1
        ;;
    esac
  done
}

# On 32-bit x86 the exports are stdcall: the compiler names them NAME@BYTES,
# and every return of theirs removes that many bytes of arguments.
removes_arguments() {
  local dll=$1 name=$2 bytes=$3 returns
  returns=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$dll" |
    awk -v label="<_$name@$bytes>:" '$2 == label {inside = 1; next} inside && /^$/ {exit} inside && /\tret/ {print $NF}')
  [ -n "$returns" ] && [ "$(sort -u <<<"$returns")" = "$(printf '$0x%x' "$bytes")" ]
}

stdcall_exports() {
  local dll=$1/bin/krw6180plug.dll
  removes_arguments "$dll" KRW6180PlugSetSnmpParameter 20 && removes_arguments "$dll" KRW6180PlugGetClinetInfor 16
}

zip_holds_the_module() {
  local listing
  listing=$(cd "$1" && cmake -E tar tf krw6180plug-*-win*.zip | sed 's|^[^/]*/||' | grep -v '/$' | sort)
  [ "$listing" = "$(printf 'README.md\nexample/ListClients.c\nexample/list-clients-example.exe\ninclude/KRW6180Plug.h\nkrw6180plug.dll')" ]
}

for build in "$@"; do
  target=$(basename "$build")
  dll=$build/bin/krw6180plug.dll
  check "$target: the DLL's format" format_is "$dll" "$target"
  check "$target: exactly the two exports, undecorated" exports_are_the_two "$dll" "$target"
  check "$target: only Windows' own DLLs imported" imports_only_windows "$dll" "$target"
  for exe in list-clients-example krw6180-testhost; do
    check "$target: $exe imports only Windows' own DLLs" imports_only_windows "$build/bin/$exe.exe" "$target"
  done
  [[ $target == *x86 ]] && check "$target: stdcall exports, removing 20 and 16 bytes" stdcall_exports "$build"
  check "$target: the zip holds the DLL, its header, the example host and the README" zip_holds_the_module "$build"
  "$(objdump_of "$target" | sed 's/objdump$/strip/')" -o "$work/stripped.dll" "$dll"
  echo "      $target: krw6180plug.dll is $(stat -c %s "$work/stripped.dll") bytes stripped (as in the zip)"
done

# ---- the module under Wine

export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# The Wine that runs a target here: the 32-bit one needs wine32 and a
# kernel that runs 32-bit programs.
wine_for() {
  case $1 in
    *x86) /usr/lib/wine/wine --version >/dev/null 2>&1 && echo /usr/lib/wine/wine ;;
    *) [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64 ;;
  esac
}

# Starts an agent on a free port; sets port.
start_agent() {
  local out=$work/agent-$RANDOM
  "$linux/krw6180-apsim" --listen 127.0.0.1:0 -c public -w private "$@" >"$out" 2>&1 &
  agents+=($!)
  for _ in $(seq 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$out")
    [ -n "$port" ] && return 0
    sleep 0.1
  done
  echo "the agent did not start: $(cat "$out")"
  return 1
}

# The two lists of clients, sorted, are the same; the difference shown if not.
same() {
  diff <(sort "$1") <(sort "$2") >"$work/difference" || {
    head -n 10 "$work/difference"
    return 1
  }
}

linux_clients() {
  "$linux/krw6180-clients" -p "$1" -f csv "${@:2}" | tail -n +2
}

start_agent --addresses 50 || exit 1
answering=$port
start_agent --delay 600000 || exit 1
silent=$port
fifty=$(for i in $(seq 50); do echo "127.0.0.$i"; done)

for build in "$@"; do
  target=$(basename "$build")
  wine=$(wine_for "$target") || {
    echo "skip  $target: no Wine runs it here"
    continue
  }
  bin=$build/bin
  run() { (cd "$bin" && timeout 120 "$wine" "$@"); }

  run list-clients-example.exe krw6180plug.dll 127.0.0.1 "$answering" >"$work/example" 2>&1
  check "$target: the example host lists the three demo clients" \
    test "$(grep -c '^  [0-9A-F]\{12\} ' "$work/example")" = 3

  run krw6180-testhost.exe clients krw6180plug.dll "$answering" 200 127.0.0.1 >"$work/demo" 2>"$work/demo.err"
  check "$target: the demo's clients, field by field as krw6180-clients has them" \
    same "$work/demo" <(linux_clients "$answering" 127.0.0.1)

  # shellcheck disable=SC2086
  run krw6180-testhost.exe clients krw6180plug.dll "$answering" 200 $fifty >"$work/fifty" 2>"$work/fifty.err"
  check "$target: 50 access points in one round, each report its own" \
    test "$?" = 0 -a "$(grep -c ' 0 (VaZARO++) Ok!$' "$work/fifty.err")" = 50
  # shellcheck disable=SC2086
  check "$target: the 50 access points' clients as krw6180-clients has them" \
    same "$work/fifty" <(linux_clients "$answering" $fifty)

  run krw6180-testhost.exe clients krw6180plug.dll "$silent" 50 127.0.0.1 >/dev/null 2>"$work/silent.err"
  check "$target: an address that never answers gets one report, a time-out" \
    test "$?" = 1 -a "$(grep -v '^round ' "$work/silent.err")" = "report 127.0.0.1 1 (SNMPClass) SNMP request timed out!"

  run krw6180-testhost.exe unload krw6180plug.dll "$silent" 127.0.0.1 >"$work/unload" 2>&1
  check "$target: FreeLibrary with a retrieval in flight, no report after it" \
    test "$?" = 0 -a "$(cat "$work/unload")" = "report 127.0.0.1 1 (SNMPClass) SNMP request timed out!
reports during the unload 1, after it 0"

  run krw6180-testhost.exe twice krw6180plug.dll >"$work/twice" 2>&1
  check "$target: a second load gives the same module, started once" test "$?" = 0

  mkdir -p "$work/temp-$target"
  run krw6180-testhost.exe load krw6180plug.dll "Z:${work//\//\\}\\temp-$target" >"$work/load" 2>&1
  check "$target: the engine-boots file in the user's temporary folder" \
    grep -q '^5176534E4D505F50505F4170706C69636174696F6E 1$' "$work/temp-$target/QvSNMP_PP_BootCounter"
  echo "      $target: $(grep -o 'loaded in [0-9.]* ms' "$work/load") under Wine"

  mkdir -p "$work/refuse-$target/QvSNMP_PP_BootCounter"
  run krw6180-testhost.exe load krw6180plug.dll "Z:${work//\//\\}\\refuse-$target" >"$work/refuse" 2>&1
  check "$target: a refused start-up fails the load, with the message box's text" \
    test "$?" = 1 -a "$(grep -c '^(VaZARO++) Error when saving SNMP engine boots counter!$' "$work/refuse")" = 1
done

# The agents may be built with the sanitizers: a report of theirs fails the run.
no_sanitizer_report() { ! grep -q 'Sanitizer' "$work"/agent-*; }
check "the agents ran without a sanitizer's report" no_sanitizer_report

[ "$failures" -eq 0 ]
