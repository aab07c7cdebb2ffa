#!/usr/bin/env bash
# Takes docs/screenshot.png: the program under Xvfb with a simulated NiMH charge arriving
# on port 2 through a pseudo-terminal. Needs xvfb, xdotool, imagemagick and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null && cmake --build --preset release >/dev/null

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/Bramwick Tremolex/ports" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

python3 - "$XDG_CONFIG_HOME/Bramwick Tremolex/ports/com2" <<'PY' &
import math, os, sys, time, tty
master, slave = os.openpty()
tty.setraw(slave)
os.symlink(os.ttyname(slave), sys.argv[1])
time.sleep(2)  # until the program has the port open
for i in range(3000):
    x = i / 3000
    volts = 1.25 + 0.2 * math.sqrt(x) + 0.05 * x ** 8 - 0.02 * x ** 30
    os.write(master, b"%d\n" % round(volts / 2.5 * 1023))
    time.sleep(0.0005)
time.sleep(60)
PY

Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp -noreset &
sleep 1
DISPLAY=:77 build/release/bin/tremolex &
window=$(DISPLAY=:77 xdotool search --sync --name '^Bramwick Tremolex$' | head -n 1)
sleep 6  # the curve has arrived and a timer tick has drawn it
DISPLAY=:77 import -window "$window" docs/screenshot.png
echo "docs/screenshot.png"
