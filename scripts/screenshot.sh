#!/usr/bin/env bash
# Takes docs/screenshot.png: the program as users see it on a desktop (the openbox window
# manager's frame, the GTK platform theme) under Xvfb, continuing a simulated NiMH charge
# that goes on arriving on port 2, its end zoomed into and measured with both cursors.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages xvfb xdotool x11-utils imagemagick openbox qt6-gtk-platformtheme
cmake --preset release >/dev/null && cmake --build --preset release --target tremolex cellsim >/dev/null

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/Bramwick Tremolex/ports" "$XDG_RUNTIME_DIR" "$work/Documents/Tremolex recordings"
chmod 700 "$XDG_RUNTIME_DIR"
printf 'XDG_DOCUMENTS_DIR="%s"\n' "$work/Documents" >"$XDG_CONFIG_HOME/user-dirs.dirs"

# A NiMH charge recorded up to 20 s past its peak, broken off a moment ago, and the
# simulated cell going on from there on port 2: the program offers to continue it.
peak=$(build/release/bin/cellsim --profile nimh --print-end)
from=$(awk -v peak="$peak" 'BEGIN { printf "%d", peak + 20 }')
build/release/bin/cellsim --profile nimh --noise 0.5 --from "$from" \
    --write-recording "$work/Documents/Tremolex recordings/charge.csv"
printf 'Open Recording=charge.csv\n' >"$XDG_CONFIG_HOME/Bramwick Tremolex.conf"
build/release/bin/cellsim --port 2 --profile nimh --from "$from" --noise 0.5 >/dev/null &

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
# The question whether to continue comes before the window: Yes is its default button.
question=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tremolex$' | head -n 1)
xdotool windowactivate --sync "$question" key Return
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Bramwick Tremolex$' | head -n 1)

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
# two pictures a tick apart that agree show a zoomed stretch whole.
shot() { import -window root png:- | convert png:- -crop "$(frame)" +repage "$work/shot.png"; }
green() {
    convert "$work/shot.png" -fill black +opaque 'rgb(192,255,192)' -fill white \
        -opaque 'rgb(192,255,192)' -format '%[fx:round(mean*w*h)]' info:
}
until shot && [ "$(green)" -gt 2000 ]; do  # the recovered charge drawn
    sleep 0.5
done
# The last quarter hour zoomed into by a drag, then cursor A before the peak and B after
# the fall, the pointer moved off the chart again.
read -r cx cy < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $4}
    /Absolute upper-left Y/ {y = $4} END {print x, y}')
left=60 top=88 width=458 height=372  # the chart of a first start, at 96 dots an inch
at() { echo $((cx + left + ($1 + 1) * width / 1003)) $((cy + top + height / 2)); }
xdotool mousemove $(at 790) mousedown 1 mousemove $(at 820) mousemove $(at 1000) mouseup 1
sleep 1.5
xdotool mousemove $(at 420) click 1 mousemove $(at 960) click 1 mousemove $((cx + 5)) $((cy + 5))
sleep 1.5
previous=none
while shot && [ "$(green)" != "$previous" ]; do
    previous=$(green)
    sleep 1.2
done
cp "$work/shot.png" docs/screenshot.png
echo "docs/screenshot.png"
