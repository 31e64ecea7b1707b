#!/usr/bin/env python3
"""Turns the bench's raw lines into the tables, the ratios, the targets and the chart.

Usage: report.py RAW MIRUTOKA WIN32_EXE WIN64_EXE MACHINE OUT_DIR
"""
import datetime
import os
import re
import statistics
import subprocess
import sys

raw, linux_binary, win32_binary, win64_binary, machine, out = sys.argv[1:7]

samples = {}  # setting -> program -> figure -> [values]; failed runs count under "failed"
for line in open(raw, encoding="utf-8"):
    setting, name, figures = line.rstrip("\n").split("|", 2)
    program = samples.setdefault(setting, {}).setdefault(name, {"failed": []})
    for key, value in re.findall(r"(\w+)=([\d.]+)", figures):
        program.setdefault(key, []).append(float(value))

settings = {"desktop": "openbox + D-Bus session, every installed face",
            "bare": "no window manager, no session bus, every installed face",
            "gnome": "GNOME-like: openbox + D-Bus session, XDG_CURRENT_DESKTOP=GNOME, GTK 3 theme plugin installed",
            "few-desktop": "openbox + D-Bus session, only DejaVu, Noto CJK and URW",
            "few-bare": "no window manager, no session bus, only DejaVu, Noto CJK and URW",
            "wayland": "headless sway with XWayland + D-Bus session, every installed face; mirutoka, the bare dialog "
                       "and zenity native, pinentry-gtk2 and one mirutoka through XWayland"}
# The same settings timed by bench/x11_time_to_window.py, which checks time_to_window.
independent = {setting: f"{setting}, independent" for setting in ["bare", "few-bare"]}
through_xwayland = "mirutoka through XWayland"
preferred = ["mirutoka", through_xwayland, "bare Qt 6 dialog", "pinentry-gtk2", "zenity --password"]
labels = {"window_ms": "time to window (ms)", "peak_kib": "peak memory (MiB)",
          "libraries": "shared libraries", "enter_to_start_ms": "Enter to start (ms)"}
ours, bare, gtk = "mirutoka", "bare Qt 6 dialog", "pinentry-gtk2"


def scaled(key, value):
    return value / 1024 if key == "peak_kib" else value


def median(setting, name, key):
    """The median, or None where the program never got that far."""
    values = samples.get(setting, {}).get(name, {}).get(key, [])
    return scaled(key, statistics.median(values)) if values else None


def ratio(a, b):
    return a / b if a is not None and b else None


def shown(value, form="{:.2f}", missing="no run"):
    return form.format(value) if value is not None else missing


rows = ["| setting | program | figure | median | min | max | runs | failed |",
        "|---|---|---|---:|---:|---:|---:|---:|"]
for setting in [s for s in [*settings, *independent.values()] if s in samples]:
    for name in sorted(samples[setting], key=lambda n: preferred.index(n) if n in preferred else len(preferred)):
        for key, label in labels.items():
            values = [scaled(key, v) for v in samples[setting][name].get(key, [])]
            if values:
                rows.append(f"| {setting} | {name} | {label} | {statistics.median(values):.1f} | {min(values):.1f} "
                            f"| {max(values):.1f} | {len(values)} | {len(samples[setting][name]['failed'])} |")
        if not samples[setting][name].get("window_ms"):
            rows.append(f"| {setting} | {name} | every run failed | | | | 0 | {len(samples[setting][name]['failed'])} |")

agreement_rows = ["| setting | timed by | mirutoka | bare Qt 6 dialog | pinentry-gtk2 | mirutoka / pinentry-gtk2 |",
                  "|---|---|---:|---:|---:|---:|"]
for setting, other in independent.items():
    for timing, key in [("time_to_window", setting), ("x11_time_to_window.py", other)]:
        if key in samples:
            window = {name: median(key, name, "window_ms") for name in (ours, bare, gtk)}
            agreement_rows.append(f"| {setting} | {timing} | {shown(window[ours], '{:.1f}')} "
                                  f"| {shown(window[bare], '{:.1f}')} | {shown(window[gtk], '{:.1f}')} "
                                  f"| {shown(ratio(window[ours], window[gtk]))} |")

dll_list = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "windows_system_dlls.txt")
system_dlls = {line.strip() for line in open(dll_list, encoding="utf-8") if line.strip() and not line.startswith("#")}
windows = {}  # build -> (size, DLLs); the files are read, never run
for build, binary, objdump in [("win32", win32_binary, "i686-w64-mingw32-objdump"),
                               ("win64", win64_binary, "x86_64-w64-mingw32-objdump")]:
    imports = subprocess.run([objdump, "-p", binary], capture_output=True, text=True).stdout
    windows[build] = (os.path.getsize(binary), sorted(set(re.findall(r"DLL Name: (\S+)", imports)), key=str.lower))
statics = [f"- size of `mirutoka`: {os.path.getsize(linux_binary) / 1024:.0f} KiB"]
statics += [f"- `mirutoka.exe` ({build}): {size / 1024:.0f} KiB, imports {', '.join(dlls)}"
            for build, (size, dlls) in windows.items()]

# The memory goal on GNOME is the bare dialog's without the theme, as in the desktop setting.
ratio_rows = ["| setting | mirutoka / pinentry-gtk2 (time) | mirutoka / bare Qt (time) | mirutoka memory | "
              "bare Qt memory without the theme |", "|---|---:|---:|---:|---:|"]
targets = []
for setting, description in settings.items():
    if setting not in samples:
        continue
    window = median(setting, ours, "window_ms")
    memory = median(setting, ours, "peak_kib")
    plain_bare_memory = median("desktop" if setting == "gnome" else setting, bare, "peak_kib")
    to_gtk = ratio(window, median(setting, gtk, "window_ms"))
    to_bare = ratio(window, median(setting, bare, "window_ms"))
    ratio_rows.append(f"| {setting} | {shown(to_gtk)} | {shown(to_bare)} | {shown(memory, '{:.1f} MiB')} "
                      f"| {shown(plain_bare_memory, '{:.1f} MiB')} |")
    targets.append((f"{setting}: time to window ≤ pinentry-gtk2", to_gtk is not None and to_gtk <= 1,
                    f"ratio {shown(to_gtk)}"))
    targets.append((f"{setting}: time to window ≤ bare Qt 6 dialog", to_bare is not None and to_bare <= 1,
                    f"ratio {shown(to_bare)}"))
    targets.append((f"{setting}: peak memory ≤ bare Qt 6 dialog without the theme + 2 MiB",
                    memory is not None and plain_bare_memory is not None and memory <= plain_bare_memory + 2,
                    f"{shown(memory, '{:.1f} MiB')} vs {shown(plain_bare_memory, '{:.1f} MiB')}"))
if "wayland" in samples:
    window = median("wayland", ours, "window_ms")
    for peer in ["zenity --password", through_xwayland]:
        to_peer = ratio(window, median("wayland", peer, "window_ms"))
        targets.append((f"wayland: time to window ≤ {peer}", to_peer is not None and to_peer <= 1,
                        f"ratio {shown(to_peer)}"))
    memory, on_x11 = median("wayland", ours, "peak_kib"), median("desktop", ours, "peak_kib")
    targets.append(("wayland: peak memory ≤ on X11 (desktop) + 2 MiB",
                    memory is not None and on_x11 is not None and memory <= on_x11 + 2,
                    f"{shown(memory, '{:.1f} MiB')} vs {shown(on_x11, '{:.1f} MiB')}"))
if "desktop" in samples:
    enter = median("desktop", ours, "enter_to_start_ms")
    targets.append(("Enter to start ≤ 5 ms median", enter is not None and enter <= 5, f"{shown(enter)} ms"))
targets += [(f"mirutoka.exe ({build}) ≤ 1 MiB, system DLLs only",
             size <= 1024 * 1024 and all(d.lower() in system_dlls for d in dlls), f"{size / 1024:.0f} KiB")
            for build, (size, dlls) in windows.items()]
target_rows = ["| target | result | measured |", "|---|---|---|"]
target_rows += [f"| {what} | {'pass' if ok else 'FAIL'} | {measured} |" for what, ok, measured in targets]

when = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
legend = [f"- {setting}: {description}" for setting, description in settings.items()]
report = "\n".join([f"Measured {when} on {machine}.", "", *legend, "", *ratio_rows, "", "Time to window, median ms, timed two ways:", "",
                    *agreement_rows, "", *rows, "", *statics, "",
                    *target_rows, ""])
with open(os.path.join(out, "results.md"), "w", encoding="utf-8") as results:
    results.write(report)
print(report)

data = os.path.join(out, "startup.dat")
with open(data, "w", encoding="utf-8") as table:
    index = 0
    for setting in [s for s in settings if s in samples]:
        for name in [n for n in preferred if samples[setting].get(n, {}).get("window_ms")]:
            values = samples[setting][name]["window_ms"]
            table.write(f'{index} "{setting}\\n{name}" {statistics.median(values)} {min(values)} {max(values)}\n')
            index += 1
script = f"""
set terminal pngcairo size 1100,460 font ",9"
set output "{os.path.join(out, 'startup.png')}"
set title "Time to window (median, min-max), {when}"
set ylabel "ms"
set style fill solid 0.6
set boxwidth 0.6
set yrange [0:*]
set xrange [-0.6:{index - 0.4}]
plot "{data}" using 1:3:xtic(2) with boxes notitle, "" using 1:3:4:5 with yerrorbars lc rgb "black" notitle
"""
subprocess.run(["gnuplot"], input=script, text=True, check=True)
