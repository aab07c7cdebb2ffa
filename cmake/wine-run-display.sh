#!/bin/sh
# Runs a Windows window program under Wine on an X server of its own (Xvfb, started by
# xvfb-run): wine-run-display.sh PREFIX PROGRAM [ARGUMENTS...], through wine-run.sh. PREFIX
# is a Wine prefix for programs with a display only: Wine's desktop process keeps the
# display its prefix first had.
set -eu
# Wine's processes of the prefix end before the X server does.
exec xvfb-run -a -s "-screen 0 1280x1024x24" env TREMOLEX_WINE_DISPLAY=1 sh -c \
    '"$0/wine-run.sh" "$@"; status=$?
     WINEPREFIX="$1" "$(dirname "${TREMOLEX_WINE:-/usr/lib/wine/wine64}")/wineserver" -w
     exit $status' "$(dirname "$0")" "$@"
