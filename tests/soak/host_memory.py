#!/usr/bin/env python3
"""One line on where a Wine process's private memory lives, read from Linux's /proc.

The soak driver sees the program through Windows calls only; this splits the same
anonymous memory by who holds it, so growth can be told apart:
  windows   below 4 GiB: Wine's Windows heaps, thread stacks and sections of the program
  malloc    the Unix side's C library heap and its per-thread arenas (GnuTLS, X11, fonts)
  other     the rest of the anonymous memory
Usage: host_memory.py PID   (prints nothing when the process is gone)
"""
import os
import re
import sys

ARENA = 64 << 20  # glibc maps each extra arena as 64 MiB, aligned to its size


def read_mappings(pid):
    mappings, current = [], None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
                fields = line.split()
                start, end = (int(x, 16) for x in fields[0].split("-"))
                current = {"start": start, "end": end, "perm": fields[1],
                           "name": fields[5] if len(fields) > 5 else "", "anon": 0}
                mappings.append(current)
            elif line.startswith("Anonymous:") and current is not None:
                current["anon"] = int(line.split()[1])
    return mappings


def is_arena(mappings, i):
    m = mappings[i]
    if m["name"] or not m["perm"].startswith("rw") or m["start"] % ARENA or i + 1 >= len(mappings):
        return False
    rest = mappings[i + 1]
    return (rest["start"] == m["end"] and rest["perm"].startswith("---") and not rest["name"]
            and rest["end"] - m["start"] == ARENA)


def main():
    pid = sys.argv[1]
    try:
        mappings = read_mappings(pid)
        threads = len(os.listdir(f"/proc/{pid}/task"))
    except OSError:
        return 0
    windows = malloc = other = arenas = 0
    for i, m in enumerate(mappings):
        if is_arena(mappings, i):
            malloc += m["anon"]
            arenas += 1
        elif m["name"] == "[heap]":
            malloc += m["anon"]
        elif not m["name"] and m["end"] <= (1 << 32):
            windows += m["anon"]
        else:
            other += m["anon"]
    print(f"threads {threads:3d}  windows {windows:6d} KB  malloc {malloc:6d} KB "
          f"({arenas} arenas)  other {other:6d} KB  total {windows + malloc + other:6d} KB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
