#!/bin/sh
# Makes the Wine prefix of one run of the Windows program's end-to-end test:
#   wineprefix.sh TEMPLATE PREFIX HOME
# TEMPLATE is made once (by cmake/wine-run.sh, under its lock), as wineboot takes seconds.
# PREFIX is a copy that shares its files with it, but for the registry, which Wine rewrites
# in place. There:
# - the user's folders (Desktop, Documents, ...) lead to HOME, not to the template maker's;
# - ports 1 to 12 are the test's, so Wine gives none of them to a serial device of this
#   machine (/dev/ttyS0 is often the console); COM2 leads to PREFIX/com2, the test's device;
# - Wine draws the windows' frames itself (the X11 driver's "Decorated" is off), so an X
#   window is a window's outer frame, with or without a window manager.
set -eu
template=$1
prefix=$2
"$(dirname "$0")/../../cmake/wine-run.sh" "$template" --version >/dev/null 2>&1
cp -al "$template" "$prefix"
for registry in "$template"/*.reg; do
    cp --remove-destination "$registry" "$prefix"
done
find "$prefix/drive_c/users" -type l -exec ln -sfn "$3" {} ';'
{
    printf '\n[Software\\\\Wine\\\\Ports]\n"COM2"="../com2"\n'
    for n in 1 3 4 5 6 7 8 9 10 11 12; do
        printf '"COM%s"=""\n' "$n"
    done
} >>"$prefix/system.reg"
printf '\n[Software\\\\Wine\\\\X11 Driver]\n"Decorated"="N"\n' >>"$prefix/user.reg"
