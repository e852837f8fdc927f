#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, creating the prefix
# on first use: ZARNUTILS_WINEPREFIX (set by the build for its test programs),
# else build/win32/wineprefix. ZARNUTILS_WINEARCH picks the prefix's kind:
# win32 (the default) or win64, whose 64-bit loader also starts 32-bit
# programs, as Windows on Windows does.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${ZARNUTILS_WINEPREFIX:-$here/../build/win32/wineprefix}"
export WINEARCH="${ZARNUTILS_WINEARCH:-win32}"
export WINEDEBUG=-all
# No Mono or Gecko installer; no winemenubuilder, which would copy a
# package's Start-menu shortcuts into the host's desktop menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
case "$WINEARCH" in
  win32) loader=wine ;;
  win64) loader=/usr/lib/wine/wine64 ;;
  *) echo "wine-run.sh: unknown ZARNUTILS_WINEARCH $WINEARCH" >&2; exit 2 ;;
esac

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # Tests may start in parallel: only one of them creates the prefix.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$loader" wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  flock -u 9
fi

# A wineserver that outlives each program by 30 s rather than Wine's 3 s,
# so that a program started as the last one ends does not meet a server on
# its way out (refused with "recvmsg: Connection reset by peer"). It is
# started apart from this program's output, which it must not hold open,
# and ends by itself; when one runs already, this one leaves at once.
wineserver -p30 </dev/null >/dev/null 2>&1 || true
exec "$loader" "$@"
