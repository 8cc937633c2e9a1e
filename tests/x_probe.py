#!/usr/bin/python3
"""What the real-window tests ask of a program's window that xdotool
cannot: a window manager's ping and close request, and the files a search
opens, which tell when a run is going and how many runs there were.

  x_probe.py ping WINDOW SECONDS    exit 0 if the window answers the ping in time
  x_probe.py close WINDOW           asks the window to close (WM_DELETE_WINDOW)
  x_probe.py watch-opens FOLDER     prints "watching", then the name of each
                                    file opened in FOLDER, a line each, as it
                                    happens, until killed
"""

import ctypes
import os
import select
import struct
import sys
import time

# Python 3 and python3-xlib from Debian; the script is run with /usr/bin/python3.
from Xlib import X, display, protocol


def window_of(connection, window_id):
    return connection.create_resource_object("window", int(window_id, 0))


def send_protocol_message(connection, window, protocol_atom, stamp):
    wm_protocols = connection.intern_atom("WM_PROTOCOLS")
    message = protocol.event.ClientMessage(
        window=window, client_type=wm_protocols, data=(32, [protocol_atom, stamp, window.id, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    connection.flush()


def ping(window_id, seconds):
    connection = display.Display()
    window = window_of(connection, window_id)
    ping_atom = connection.intern_atom("_NET_WM_PING")
    advertised = window.get_wm_protocols() or []
    if ping_atom not in advertised:
        print("the window does not take _NET_WM_PING", file=sys.stderr)
        return 2
    # A client answers by sending the message back to the root window for
    # the window manager, to those selecting structure or substructure
    # changes there (toolkits differ in which).
    root = connection.screen().root
    root.change_attributes(event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
    stamp = int(time.monotonic() * 1000) & 0x7FFFFFFF
    start = time.monotonic()
    send_protocol_message(connection, window, ping_atom, stamp)
    while time.monotonic() - start < seconds:
        while connection.pending_events():
            event = connection.next_event()
            if event.type != X.ClientMessage or event.window.id != root.id:
                continue
            _, values = event.data
            if values[0] == ping_atom and values[1] == stamp and values[2] == window.id:
                print(f"{time.monotonic() - start:.3f}")
                return 0
        select.select([connection.fileno()], [], [], 0.05)
    print(f"no answer in {seconds} s", file=sys.stderr)
    return 1


def close(window_id):
    connection = display.Display()
    window = window_of(connection, window_id)
    send_protocol_message(connection, window, connection.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime)
    # A round trip: the server has sent the message on before this ends.
    connection.sync()
    return 0


IN_OPEN = 0x20
IN_Q_OVERFLOW = 0x4000
EVENT_HEADER = struct.Struct("iIII")


def watch_opens(folder):
    libc = ctypes.CDLL(None, use_errno=True)
    watcher = libc.inotify_init1(os.O_CLOEXEC)
    if watcher < 0 or libc.inotify_add_watch(watcher, os.fsencode(folder), IN_OPEN) < 0:
        print(f"inotify: {os.strerror(ctypes.get_errno())}", file=sys.stderr)
        return 2
    # Ready: the caller may start what it wants watched.
    print("watching", flush=True)
    while True:
        data = os.read(watcher, 1 << 20)
        offset = 0
        while offset < len(data):
            _, mask, _, length = EVENT_HEADER.unpack_from(data, offset)
            offset += EVENT_HEADER.size
            name = data[offset:offset + length].rstrip(b"\0")
            offset += length
            if mask & IN_Q_OVERFLOW:  # a count would be wrong
                print("inotify queue overflow", file=sys.stderr)
                return 2
            sys.stdout.buffer.write(name + b"\n")
        sys.stdout.flush()


def main(arguments):
    if len(arguments) == 3 and arguments[0] == "ping":
        return ping(arguments[1], float(arguments[2]))
    if len(arguments) == 2 and arguments[0] == "close":
        return close(arguments[1])
    if len(arguments) == 2 and arguments[0] == "watch-opens":
        return watch_opens(arguments[1])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
