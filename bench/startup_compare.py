#!/usr/bin/env python3
"""Start-up to the first painted frame: each program runs with --quit-on-first-paint
(offscreen), alternately, 15 times; the medians of wall time, CPU time (user + system) and
peak resident memory, each as a ratio to the last program given (the baseline).

  bench/startup_compare.py build-bench/curvalis build-bench/bench/bare_window
"""
import os
import statistics
import sys
import time

RUNS = 15


def main():
    programs = sys.argv[1:]
    if len(programs) < 2:
        sys.exit(__doc__)
    os.makedirs("/tmp/curvalis-startup-runtime", mode=0o700, exist_ok=True)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen",
               XDG_RUNTIME_DIR="/tmp/curvalis-startup-runtime")
    devnull = os.open(os.devnull, os.O_WRONLY)
    wall = {p: [] for p in programs}
    cpu = {p: [] for p in programs}
    rss = {p: [] for p in programs}
    for _ in range(RUNS):
        for p in programs:
            start = time.perf_counter()
            pid = os.fork()
            if pid == 0:
                os.dup2(devnull, 2)
                os.execve(p, [p, "--quit-on-first-paint"], env)
            _, status, usage = os.wait4(pid, 0)
            if status != 0:
                sys.exit(f"{p} did not start (status {status})")
            wall[p].append(time.perf_counter() - start)
            cpu[p].append(usage.ru_utime + usage.ru_stime)
            rss[p].append(usage.ru_maxrss / 1024)
    base = programs[-1]
    med = statistics.median
    for p in programs:
        print(f"{os.path.basename(p):16} wall {med(wall[p]) * 1000:7.1f} ms "
              f"({med(wall[p]) / med(wall[base]):.2f}x)  cpu {med(cpu[p]) * 1000:6.1f} ms "
              f"({med(cpu[p]) / med(cpu[base]):.2f}x)  memory {med(rss[p]):5.1f} MiB "
              f"({med(rss[p]) / med(rss[base]):.2f}x)")


if __name__ == "__main__":
    main()
