#!/bin/sh
# Runs a Windows window program under Wine on an X server of its own (Xvfb, started by
# xvfb-run): wine-run-display.sh PREFIX PROGRAM [ARGUMENTS...]. The emulator of the other
# tests, wine-run.sh, runs programs without a display. PREFIX is a Wine prefix for programs
# with a display only: Wine's desktop process keeps the display its prefix first had.
set -eu
prefix=$1
shift
wine=${TREMOLEX_WINE:-/usr/lib/wine/wine64}
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$prefix/.made" ]; then
    mkdir -p "$prefix"
    flock "$prefix.lock" sh -c '[ -f "$WINEPREFIX/.made" ] ||
        { "$1" wineboot --init && "$(dirname "$1")/wineserver" -w && touch "$WINEPREFIX/.made"; }' \
        sh "$wine"
fi
# Wine's processes of the prefix end before the X server does.
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
    '"$@"; status=$?; "$(dirname "$1")/wineserver" -w; exit $status' sh "$wine" "$@"
