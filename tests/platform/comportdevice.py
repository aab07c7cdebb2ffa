#!/usr/bin/env python3
"""Stands in for the measuring device while a Windows test runs under Wine.

comportdevice.py PREFIX PORT COMMAND...

Runs COMMAND (the test, through the emulator) with TREMOLEX_TEST_COMPORT=PORT and serves
its requests, each a line "device: plug", "device: unplug", "device: send HEX" or
"device: line" on its output, answered with a line on its input once done. plug: a new
pseudo-terminal becomes COM<PORT> of the Wine prefix (a link in its dosdevices folder), the
old one unplugged, and COM<PORT+1> a device that is no serial port (/dev/null). unplug: the
pseudo-terminal's master closes, as when the device is pulled out. send: the bytes go to
the port. line: the answer is the line's baud rate and stop bits as the device sees them,
such as "19200,2" (",flow" appended when flow control is on). Other lines are passed on.
"""
import fcntl
import os
import pty
import subprocess
import sys
import termios
import tty

prefix, port, command = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
links = [os.path.join(prefix, "dosdevices", f"com{n}") for n in (port, port + 1)]


def link(path, target):
    if os.path.lexists(path):
        os.unlink(path)
    os.symlink(target, path)


def plug():
    master, slave = pty.openpty()
    tty.setraw(slave)
    link(links[0], os.ttyname(slave))
    link(links[1], "/dev/null")
    # A holder takes the pseudo-terminal as its controlling terminal (the hang-up ends it):
    # otherwise the wineserver, opening it first, takes it, and on the hang-up writes a
    # dump of all its objects.
    holder = subprocess.Popen(["sleep", "infinity"], stdin=slave, start_new_session=True,
                              preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
    os.close(slave)
    return master, holder


def unplug():
    os.close(device[0])
    device[1].wait()


def line_settings():
    # The master's settings are the slave's (Linux), which an opened port may hold exclusively.
    iflag, _, cflag, _, speed, _, _ = termios.tcgetattr(device[0])
    rates = {getattr(termios, f"B{n}"): n for n in (300, 9600, 19200, 57600, 115200)}
    flow = iflag & (termios.IXON | termios.IXOFF) or cflag & termios.CRTSCTS
    stop = 2 if cflag & termios.CSTOPB else 1
    return f"{rates.get(speed, '?')},{stop}" + (",flow" if flow else "")


test = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                        env=dict(os.environ, TREMOLEX_TEST_COMPORT=str(port)))
device = None
for line in test.stdout:
    request = line.rstrip().split(b" ")
    if request[0] != b"device:":
        sys.stdout.buffer.write(line)
        sys.stdout.flush()
        continue
    answer = "done"
    if request[1] == b"plug":
        if device:
            unplug()
        device = plug()
    elif request[1] == b"unplug":
        unplug()
        device = None
    elif request[1] == b"send":
        os.write(device[0], bytes.fromhex(request[2].decode()))
    elif request[1] == b"line":
        answer = line_settings()
    test.stdin.write(answer.encode() + b"\n")
    test.stdin.flush()
if device:
    device[1].kill()
for path in links:
    if os.path.lexists(path):
        os.unlink(path)
sys.exit(test.wait())
