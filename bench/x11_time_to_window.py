#!/usr/bin/env python3
"""A second timing of the X11 settings, by other means than time_to_window:
Python's own X client (python3-xlib) instead of libxcb, Python's process
start, and a window counted only once it is viewable with its title, as a user
sees it. From just before the program is started to the first MapNotify, on
the root window, of a window of the program's process that is viewable and
has a title; window managers that frame it are not waited for. Prints one raw
line a run, as time_to_window does, and a failed run as failed=1.

Usage: x11_time_to_window.py SETTING ROUNDS FOLDER NAME=COMMAND...
"""
import select
import subprocess
import sys
import time

from Xlib import X, display

setting, rounds, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
programs = [entry.split("=", 1) for entry in sys.argv[4:]]
limit = 30

server = display.Display()
root = server.screen().root
root.change_attributes(event_mask=X.SubstructureNotifyMask)
pid_atom = server.intern_atom("_NET_WM_PID")
title_atom = server.intern_atom("_NET_WM_NAME")


def titled_window_of(window, pid):
    """Whether `window`, or a child of a frame around it, is the program's, viewable and titled."""
    for candidate in [window] + window.query_tree().children:
        owner = candidate.get_full_property(pid_atom, X.AnyPropertyType)
        if owner is None or owner.value[0] != pid:
            continue
        title = candidate.get_full_property(title_atom, X.AnyPropertyType) or candidate.get_wm_name()
        return bool(title) and candidate.get_attributes().map_state == X.IsViewable
    return False


def shown_at(pid):
    """When the program's first titled window became viewable, or None."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        if not server.pending_events():
            select.select([server.display.socket], [], [], 0.1)
        while server.pending_events():
            event = server.next_event()
            arrived = time.monotonic()
            if event.type == X.MapNotify and titled_window_of(event.window, pid):
                return arrived
    return None


def measure(command):
    while server.pending_events():  # what the run before left
        server.next_event()
    started = time.monotonic()
    program = subprocess.Popen(command, cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    program.stdin.write(b"GETPIN\n")  # what pinentry waits for; the others read no input
    program.stdin.flush()
    shown = shown_at(program.pid)
    program.kill()
    program.wait()
    return "failed=1" if shown is None else f"window_ms={(shown - started) * 1000:.2f}"


for round_number in range(rounds + 1):
    for step in range(len(programs)):
        name, command = programs[(round_number + step) % len(programs)]
        time.sleep(0.3)  # what the run before set going settles
        line = measure(command.split())
        if round_number > 0:  # the first round only warms the caches
            print(f"{setting}|{name}|{line}", flush=True)
