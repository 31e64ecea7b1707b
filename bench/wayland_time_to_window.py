#!/usr/bin/env python3
"""Times programs to their window under sway, the way a Wayland desktop has
them: from just before the fork to the compositor's "new window" event for
the program's process, then its peak memory and shared objects half a second
later. Prints one raw line a run, as time_to_window does, and a failed run as
failed=1. Runs in a sway session (SWAYSOCK, WAYLAND_DISPLAY, DISPLAY for
XWayland), each round starting one program further on.

Usage: wayland_time_to_window.py SETTING ROUNDS FOLDER NAME=COMMAND...
(COMMAND may start with VARIABLE=VALUE words, for its environment only)
"""
import json
import os
import re
import select
import subprocess
import sys
import time

setting, rounds, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
programs = [entry.split("=", 1) for entry in sys.argv[4:]]
limit = 30


def new_window_of(pid, events, decoder, buffer):
    """Waits for sway's event of a new window of process `pid`."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        ready, _, _ = select.select([events.stdout], [], [], 0.5)
        if not ready:
            continue
        buffer[0] += os.read(events.stdout.fileno(), 65536).decode()
        while True:
            text = buffer[0].lstrip()
            try:
                event, end = decoder.raw_decode(text)
            except ValueError:
                break
            buffer[0] = text[end:]
            if event.get("change") == "new" and event.get("container", {}).get("pid") == pid:
                return time.monotonic()
    return None


def measure(command):
    environment = dict(os.environ)
    while command and re.fullmatch(r"\w+=\S*", command[0]):
        name, value = command.pop(0).split("=", 1)
        environment[name] = value
    events = subprocess.Popen(["swaymsg", "-r", "-m", "-t", "subscribe", '["window"]'], stdout=subprocess.PIPE)
    decoder, buffer = json.JSONDecoder(), [""]
    time.sleep(0.3)  # the subscription is made, and what the last run set going has settled
    started = time.monotonic()
    program = subprocess.Popen(command, cwd=folder, env=environment, stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program.stdin.write(b"GETPIN\n")  # what pinentry waits for; the others read no input
    program.stdin.flush()
    shown = new_window_of(program.pid, events, decoder, buffer)
    line = "failed=1"
    if shown is not None:
        time.sleep(0.5)
        with open(f"/proc/{program.pid}/status", encoding="utf-8") as status:
            peak = re.search(r"VmHWM:\s+(\d+)", status.read()).group(1)
        with open(f"/proc/{program.pid}/maps", encoding="utf-8") as maps:
            objects = {line.split()[-1] for line in maps if ".so" in line}
        line = f"window_ms={(shown - started) * 1000:.2f} libraries={len(objects)} peak_kib={peak}"
    for process in (program, events):
        process.kill()
        process.wait()
    return line


for round_number in range(rounds + 1):
    for step in range(len(programs)):
        name, command = programs[(round_number + step) % len(programs)]
        line = measure(command.split())
        if round_number > 0:  # the first round only warms the caches
            print(f"{setting}|{name}|{line}", flush=True)
