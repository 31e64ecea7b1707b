#!/usr/bin/env python3
"""Turns the bench's raw lines into the table, the targets and the chart.

Usage: report.py RAW MIRUTOKA WIN32_EXE WIN64_EXE MACHINE OUT_DIR
"""
import datetime
import os
import re
import statistics
import subprocess
import sys

raw, linux_binary, win32_binary, win64_binary, machine, out = sys.argv[1:7]

samples = {}  # program -> figure -> [values]
for line in open(raw, encoding="utf-8"):
    name, figures = line.rstrip("\n").split("|", 1)
    for key, value in re.findall(r"(\w+)=([\d.]+)", figures):
        samples.setdefault(name, {}).setdefault(key, []).append(float(value))

preferred = ["mirutoka", "bare Qt 6 dialog", "pinentry-gtk2", "zenity --password"]
programs = sorted(samples, key=lambda name: preferred.index(name) if name in preferred else len(preferred))
labels = {"window_ms": "time to window (ms)", "peak_kib": "peak memory (MiB)",
          "libraries": "shared libraries", "enter_to_start_ms": "Enter to start (ms)"}


def scaled(key, value):
    return value / 1024 if key == "peak_kib" else value


def median(name, key):
    return scaled(key, statistics.median(samples[name][key]))


rows = ["| program | figure | median | min | max | runs |", "|---|---|---:|---:|---:|---:|"]
for name in programs:
    for key, label in labels.items():
        values = [scaled(key, v) for v in samples[name].get(key, [])]
        if values:
            rows.append(f"| {name} | {label} | {statistics.median(values):.1f} | {min(values):.1f} "
                        f"| {max(values):.1f} | {len(values)} |")

system_dlls = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "imm32.dll", "msvcrt.dll", "advapi32.dll",
               "shell32.dll", "ole32.dll"}
windows = {}  # build -> (size, DLLs); the files are read, never run
for build, binary, objdump in [("win32", win32_binary, "i686-w64-mingw32-objdump"),
                               ("win64", win64_binary, "x86_64-w64-mingw32-objdump")]:
    imports = subprocess.run([objdump, "-p", binary], capture_output=True, text=True).stdout
    windows[build] = (os.path.getsize(binary), sorted(set(re.findall(r"DLL Name: (\S+)", imports)), key=str.lower))
statics = [f"- size of `mirutoka`: {os.path.getsize(linux_binary) / 1024:.0f} KiB"]
statics += [f"- `mirutoka.exe` ({build}): {size / 1024:.0f} KiB, imports {', '.join(dlls)}"
            for build, (size, dlls) in windows.items()]

ours, bare = "mirutoka", "bare Qt 6 dialog"
targets = [
    ("time to window ≤ bare Qt 6 dialog × 1.1",
     median(ours, "window_ms") <= 1.1 * median(bare, "window_ms"),
     f"{median(ours, 'window_ms'):.1f} ms vs {1.1 * median(bare, 'window_ms'):.1f} ms"),
    ("time to window ≤ pinentry-gtk2",
     median(ours, "window_ms") <= median("pinentry-gtk2", "window_ms"),
     f"{median(ours, 'window_ms'):.1f} ms vs {median('pinentry-gtk2', 'window_ms'):.1f} ms"),
    ("peak memory ≤ bare Qt 6 dialog + 2 MiB",
     median(ours, "peak_kib") <= median(bare, "peak_kib") + 2,
     f"{median(ours, 'peak_kib'):.1f} MiB vs {median(bare, 'peak_kib') + 2:.1f} MiB"),
    ("Enter to start ≤ 5 ms median", median(ours, "enter_to_start_ms") <= 5,
     f"{median(ours, 'enter_to_start_ms'):.2f} ms"),
] + [(f"mirutoka.exe ({build}) ≤ 1 MiB, system DLLs only",
       size <= 1024 * 1024 and all(d.lower() in system_dlls for d in dlls), f"{size / 1024:.0f} KiB")
      for build, (size, dlls) in windows.items()]
target_rows = ["| target | result | measured |", "|---|---|---|"]
target_rows += [f"| {what} | {'pass' if ok else 'FAIL'} | {measured} |" for what, ok, measured in targets]

when = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
report = "\n".join([f"Measured {when} on {machine}.", "", *rows, "", *statics, "", *target_rows, ""])
with open(os.path.join(out, "results.md"), "w", encoding="utf-8") as results:
    results.write(report)
print(report)

data = os.path.join(out, "startup.dat")
with open(data, "w", encoding="utf-8") as table:
    for index, name in enumerate(programs):
        values = samples[name]["window_ms"]
        table.write(f'{index} "{name}" {statistics.median(values)} {min(values)} {max(values)}\n')
script = f"""
set terminal pngcairo size 800,420 font ",10"
set output "{os.path.join(out, 'startup.png')}"
set title "Time to window (median, min-max), {when}"
set ylabel "ms"
set style fill solid 0.6
set boxwidth 0.6
set yrange [0:*]
set xrange [-0.6:{len(programs) - 0.4}]
plot "{data}" using 1:3:xtic(2) with boxes notitle, "" using 1:3:4:5 with yerrorbars lc rgb "black" notitle
"""
subprocess.run(["gnuplot"], input=script, text=True, check=True)
