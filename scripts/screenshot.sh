#!/usr/bin/env bash
# Takes docs/screenshot.png: the program as users see it on a desktop (the openbox window
# manager's frame, the GTK platform theme) under Xvfb, with a simulated NiMH charge arriving
# on port 2 through a pseudo-terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages xvfb xdotool x11-utils imagemagick openbox qt6-gtk-platformtheme python3
cmake --preset release >/dev/null && cmake --build --preset release --target tremolex >/dev/null

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/Bramwick Tremolex/ports" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# The charge, once the program has taken the first reading (it has opened the port then),
# paced over a second or two. "sent" appears once it has read every line.
python3 - "$XDG_CONFIG_HOME/Bramwick Tremolex/ports/com2" "$work/sent" <<'PY' &
import fcntl, math, os, struct, sys, termios, time, tty
master, slave = os.openpty()
tty.setraw(slave)
os.symlink(os.ttyname(slave), sys.argv[1])
def unread():
    return struct.unpack("i", fcntl.ioctl(slave, termios.FIONREAD, b"\0" * 4))[0]
for i in range(3000):
    x = i / 3000
    volts = 1.25 + 0.2 * math.sqrt(x) + 0.05 * x ** 8 - 0.02 * x ** 30
    os.write(master, b"%d\n" % round(volts / 2.5 * 1023))
    while i == 0 and unread() > 0:
        time.sleep(0.05)
    time.sleep(0.0005)
while unread() > 0:
    time.sleep(0.1)
open(sys.argv[2], "w").close()
time.sleep(600)
PY

# Waits up to a minute for a condition (a shell command) to hold.
wait_for() { timeout 60 bash -c "until $1; do sleep 0.1; done" || { echo "never: $1" >&2; exit 1; }; }

export DISPLAY=:77
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -noreset &
wait_for "xprop -root >/dev/null 2>&1"
openbox >/dev/null 2>&1 &  # it reports a menu file Debian does not ship
wait_for "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"
wait_for "[ -L '$XDG_CONFIG_HOME/Bramwick Tremolex/ports/com2' ]"
# GTK keeps its settings in memory, not in the user's dconf database.
QT_QPA_PLATFORMTHEME=gtk3 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 build/release/bin/tremolex &
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Bramwick Tremolex$' | head -n 1)
wait_for "[ -e '$work/sent' ]"

# The outer frame: the client area (xwininfo) grown by the frame's extents.
frame() {
    local x y w h l r t b
    read -r x y w h < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $4}
        /Absolute upper-left Y/ {y = $4} /  Width:/ {w = $2} /  Height:/ {h = $2}
        END {print x, y, w, h}')
    IFS=', ' read -r l r t b < <(xprop -id "$window" _NET_FRAME_EXTENTS | cut -d= -f2)
    echo "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))"
}
# Light green: the curve's points and the port status. The chart redraws once a second:
# two pictures a tick apart that agree show every reading.
shot() { import -window root png:- | convert png:- -crop "$(frame)" +repage "$work/shot.png"; }
green() {
    convert "$work/shot.png" -fill black +opaque 'rgb(192,255,192)' -fill white \
        -opaque 'rgb(192,255,192)' -format '%[fx:round(mean*w*h)]' info:
}
previous=none
while shot && [ "$(green)" != "$previous" ]; do
    previous=$(green)
    sleep 1.2
done
cp "$work/shot.png" docs/screenshot.png
echo "docs/screenshot.png"
