#!/bin/sh
# Runs a Windows console program under Wine: wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# PREFIX is the Wine prefix (the Windows registry and C: drive); it is made on first use.
# Nothing may open a window: there is no display (unless TREMOLEX_WINE_DISPLAY is set, by
# wine-run-display.sh), and Wine's offers to install Mono and Gecko are turned off.
set -eu
prefix=$1
shift
wine=${TREMOLEX_WINE:-/usr/lib/wine/wine64}
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -n "${TREMOLEX_WINE_DISPLAY:-}" ] || unset DISPLAY WAYLAND_DISPLAY
# Wine links the prefix's Documents, Desktop and the like into home: a home of the prefix's
# own keeps the tests away from the user's files.
export HOME="$prefix.home"
mkdir -p "$HOME"

if [ ! -f "$prefix/.made" ]; then
    mkdir -p "$prefix"
    # Tests run in parallel: one of them makes the prefix, the others wait for it. Wine
    # writes the new registry to disk when its server ends.
    flock "$prefix.lock" sh -c '[ -f "$WINEPREFIX/.made" ] ||
        { "$1" wineboot --init && "$(dirname "$1")/wineserver" -w && touch "$WINEPREFIX/.made"; }' \
        sh "$wine"
fi
exec "$wine" "$@"
