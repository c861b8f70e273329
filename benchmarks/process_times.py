#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times whole processes for benchmarks/run.sh; prints medians of N runs.

  process_times.py run N [VAR=value ...] COMMAND [ARG ...]
      wall time (ms) and peak memory (max RSS, KiB)
  process_times.py window N [VAR=value ...] COMMAND [ARG ...]
      window start (ms), window exit (ms) and peak memory (KiB), for a program
      that prints "idle <ns>" and "close <ns>" (benchmarks/window_probe.h)

Every command runs once unmeasured first, so that all start from warm caches.
A figure that could not be taken prints as "-".

The start of a process is the CLOCK_MONOTONIC reading taken here right before
posix_spawn (vfork and exec): a window start measured from it includes the
exec, the dynamic loader mapping and relocating Qt and the program, and static
initialisation, and is precise to microseconds. The process's own start time
in /proc/self/stat (field 22) counts only in clock ticks (10 ms), too coarse.
The end of a process is the same clock read as soon as wait4 returns, which
also gives its max RSS; the program reads that clock for "idle" and "close".
"""

import os
import select
import statistics
import sys
import time

WINDOW_TIMEOUT_S = 30


def split_command(words):
    env = dict(os.environ)
    while words and "=" in words[0] and not words[0].startswith("="):
        name, value = words[0].split("=", 1)
        env[name] = value
        words = words[1:]
    return words, env


def spawn(command, env, stdout_fd):
    devnull = os.open(os.devnull, os.O_RDWR)
    try:
        actions = [(os.POSIX_SPAWN_DUP2, devnull, 0),
                   (os.POSIX_SPAWN_DUP2, stdout_fd if stdout_fd is not None else devnull, 1),
                   (os.POSIX_SPAWN_DUP2, devnull, 2)]
        started = time.monotonic_ns()
        pid = os.posix_spawnp(command[0], command, env, file_actions=actions)
        return pid, started
    finally:
        os.close(devnull)


def run_once(command, env):
    pid, started = spawn(command, env, None)
    _, _, usage = os.wait4(pid, 0)
    ended = time.monotonic_ns()
    return (ended - started) / 1e6, usage.ru_maxrss


def read_moments(fd, pid):
    moments, pending = {}, b""
    deadline = time.monotonic() + WINDOW_TIMEOUT_S
    while "close" not in moments:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            os.kill(pid, 9)
            break
        chunk = os.read(fd, 4096)
        if not chunk:
            break
        pending += chunk
        *lines, pending = pending.split(b"\n")
        for line in lines[:16]:
            words = line.split()
            if len(words) == 2 and words[1].isdigit():
                moments[words[0].decode()] = int(words[1])
    return moments


def window_once(command, env):
    read_end, write_end = os.pipe()
    try:
        pid, started = spawn(command, env, write_end)
    finally:
        os.close(write_end)
    try:
        moments = read_moments(read_end, pid)
        _, _, usage = os.wait4(pid, 0)
        ended = time.monotonic_ns()
    finally:
        os.close(read_end)
    if "idle" not in moments or "close" not in moments:
        return None
    return (moments["idle"] - started) / 1e6, (ended - moments["close"]) / 1e6, usage.ru_maxrss


def median_row(samples):
    if not samples or any(sample is None for sample in samples):
        return "-"
    columns = zip(*samples)
    return " ".join(f"{statistics.median(column):.2f}" for column in columns)


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("run", "window"):
        sys.exit(__doc__)
    once = run_once if sys.argv[1] == "run" else window_once
    runs = max(1, int(sys.argv[2]))
    command, env = split_command(sys.argv[3:])
    once(command, env)
    print(median_row([once(command, env) for _ in range(runs)]))


if __name__ == "__main__":
    main()
