"""Turns the samples bench/profile.sh took into tables: for each program, the
time on CPU per start, by thread and, for the main thread, by shared library
and by function, counting only samples from exec until the window showed.

Usage: profile_report.py RUNS_FILE SAMPLES_PER_SECOND
RUNS_FILE lines: NAME PROCESS WINDOW_MS SAMPLES_FILE (from perf script -F comm,pid,tid,time,ip,sym,dso)"""
import collections
import os
import re
import statistics
import sys

sample_line = re.compile(r"^\s*(.+?)\s+(\d+)/(\d+)\s+([\d.]+):\s+[0-9a-f]+\s+(.*?)\s+\((.*)\)\s*$")


def read_start(process, window_ms, path):
    """The samples of `process` from its first one until its window showed."""
    samples = [m.groups() for m in map(sample_line.match, open(path, encoding="utf-8", errors="replace")) if m]
    pid = next((pid for comm, pid, tid, *_ in samples if comm == process and pid == tid), None)
    if pid is None:
        return []
    start = min(float(time) for _, p, _, time, _, _ in samples if p == pid)
    return [(comm if tid != pid else "main", os.path.basename(dso), symbol)
            for comm, p, tid, time, symbol, dso in samples if p == pid and float(time) <= start + window_ms / 1000]


runs_file, rate = sys.argv[1], float(sys.argv[2])
starts = collections.defaultdict(list)
windows = collections.defaultdict(list)
for line in open(runs_file, encoding="utf-8"):
    name, process, window_ms, path = line.split()
    starts[name].append(read_start(process, float(window_ms), path))
    windows[name].append(float(window_ms))
names = list(starts)


def per_start(name, key):
    counts = collections.Counter(key(sample) for start in starts[name] for sample in start)
    return {k: v * 1000 / rate / len(starts[name]) for k, v in counts.items()}


def table(title, key, rows=None, only_main=False):
    columns = {n: per_start(n, lambda s: key(s) if not only_main or s[0] == "main" else None) for n in names}
    for column in columns.values():
        column.pop(None, None)
    keys = rows or sorted({k for c in columns.values() for k in c}, key=lambda k: -max(c.get(k, 0) for c in columns.values()))
    print(f"### {title}\n\n| | " + " | ".join(names) + " |\n|---|" + "---:|" * len(names))
    for k in keys[:14]:
        print(f"| {k} | " + " | ".join(f"{columns[n].get(k, 0):.1f}" for n in names) + " |")
    print("| all | " + " | ".join(f"{sum(columns[n].values()):.1f}" for n in names) + " |\n")


print("## Where the start goes (ms on CPU per start, exec to window)\n")
print(" · ".join(f"{n}: {len(starts[n])} starts, window after {statistics.median(windows[n]):.1f} ms (median)"
                 for n in names) + "\n")
table("By thread", lambda s: s[0])
table("Main thread, by shared library", lambda s: s[1], only_main=True)
for n in names:
    top = per_start(n, lambda s: f"{s[1]}: {s[2]}" if s[0] == "main" else None)
    top.pop(None, None)
    print(f"### {n}: the main thread's busiest functions\n\n| function | ms |\n|---|---:|")
    for function, ms in sorted(top.items(), key=lambda kv: -kv[1])[:12]:
        print(f"| {function.replace('|', '/')} | {ms:.2f} |")
    print()
