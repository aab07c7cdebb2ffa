#!/bin/sh
# Installs with the Windows installer in silent mode in a new Wine prefix, checks the
# program, its Start menu shortcut and its uninstall entry, then uninstalls: they go, the
# user's settings and a log saved in the program's folder (the default log folder) stay.
# Usage: windows_install_test.sh SETUP PROGRAM VERSION PREFIX
set -eu
setup=$1 program=$2 version=$3
wine=${TREMOLEX_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver
export WINEPREFIX="$4" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY  # /S must need none

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# The uninstaller runs a copy of itself and returns at once: wait for every process of the
# prefix to end before looking at it.
run() { status=0; "$wine" "$@" || status=$?; "$wineserver" -w; [ "$status" = 0 ]; }
registry() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r' | sed 's/    / /g; s/^ //'; }

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bramwick Tremolex'
settings='HKCU\Software\Bramwick Tremolex'
folder='C:\Program Files\Bramwick Tremolex'
dir="$WINEPREFIX/drive_c/Program Files/Bramwick Tremolex"
link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tremolex.lnk"

# Nothing left from an earlier run may pass for the installer's work.
rm -rf "$WINEPREFIX"
"$wine" wineboot --init 2>/dev/null
"$wineserver" -w
"$wine" reg add "$settings" /v "Port Number" /d 7 /f >/dev/null

run "$setup" /S || fail "the installer ended with exit code $status"
cmp -s "$program" "$dir/tremolex.exe" || fail "tremolex.exe is not the program built"
[ -f "$dir/Uninstall.exe" ] || fail "no Uninstall.exe"
grep -qaF "$folder\\tremolex.exe" "$link" || fail "no Start menu shortcut to the program"
entry=$(registry "$key")
for value in "DisplayName REG_SZ Bramwick Tremolex" "DisplayVersion REG_SZ $version" \
    "Publisher REG_SZ Bramwick" "UninstallString REG_SZ \"$folder\\Uninstall.exe\"" \
    "DisplayIcon REG_SZ $folder\\tremolex.exe,0" "InstallLocation REG_SZ $folder"; do
    printf '%s\n' "$entry" | grep -qxF "$value" || fail "the uninstall entry lacks $value"
done
size=$(printf '%s\n' "$entry" | sed -n 's/^EstimatedSize REG_DWORD //p')
[ "$((${size:-0}))" -ge "$(($(stat -c %s "$program") / 1024))" ] ||
    fail "EstimatedSize ${size:-(none)} KB is less than the program's size"

echo "12:00:00 512" >"$dir/charge.log"
run "$dir/Uninstall.exe" /S || fail "the uninstaller ended with exit code $status"
[ "$(ls "$dir" 2>&1)" = charge.log ] || fail "the program's folder holds: $(ls "$dir" 2>&1)"
[ ! -e "$link" ] || fail "the Start menu shortcut is still there"
! "$wine" reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is still there"
registry "$settings" /v "Port Number" | grep -qxF "Port Number REG_SZ 7" ||
    fail "the user's settings are gone"

# Without the log the folder goes too; installing over it again works.
rm -f "$dir/charge.log"
run "$setup" /S || fail "installing again ended with exit code $status"
run "$dir/Uninstall.exe" /S || fail "the uninstaller ended with exit code $status"
[ ! -e "$dir" ] || fail "the empty program folder is still there"

if [ "$failures" = 0 ]; then
    echo "PASS: installed, checked and uninstalled"
    "$wineserver" -k 2>/dev/null || true  # when one is still running
    rm -rf "$WINEPREFIX"                    # 700 MB; a failed run's stays to look into
fi
exit "$failures"
