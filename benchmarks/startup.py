#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
"""Start-up time to the first frame and peak resident memory of the game,
against a bare Qt window (benchmarks/bare_window) built in the same tree.

The two programs run alternately, each --runs times, on a virtual X server
(the script starts one with xvfb-run when there is no DISPLAY). Each run:

- starts the program with HOME in a temporary folder whose save file holds a
  typical player's record, so the game loads it and shows no terms dialog;
- takes the time of the first frame from Qt's own widget-painting log
  (QT_LOGGING_RULES="qt.widgets.painting.info=true"): the first "Flushing"
  line of the top-level window is the moment its first painted frame is
  handed to the X server. Qt stamps the line with the monotonic clock
  (QT_MESSAGE_PATTERN "%{time boot}", milliseconds), the same clock this
  script reads just before it starts the program, so the figure runs from
  exec to first frame and includes loading the libraries;
- notes the processor time the program has used when the script sees that
  line (/proc/<pid>/schedstat): less disturbed by other work on the machine
  than the wall time, though it also holds the few milliseconds between the
  frame and the script's look;
- lets the program run --settle seconds more (the game ticks meanwhile), then
  reads VmHWM, the peak resident set, from /proc/<pid>/status and ends it.

It prints each program's medians and spread and the ratios game/bare.

    benchmarks/startup.py build/perf              # 20 runs of each
    benchmarks/startup.py build/perf --runs 5
"""

import argparse
import hashlib
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

FIRST_FRAME_TIMEOUT_S = 30.0
POLL_INTERVAL_S = 0.002
XVFB_SCREEN = "1280x1024x24"


def record_key(your_top, current_top, span=3):
    # The game's record key for a record and a score: MD5 over the key text
    # and the MD5 of one of ten fixed salts; any of the ten is accepted.
    key_text = f"{your_top}-{your_top}-{current_top}-{current_top}"
    salt = hashlib.md5(str((99 * span) ** 2).encode()).hexdigest()
    return hashlib.md5((key_text + salt).encode()).hexdigest()


def typical_save():
    your_top, current_top = 412, 377
    return (
        "<quiverbolt_data><name>Anna Virtanen</name><location>Helsinki</location>"
        "<sex>m</sex><tosend>1</tosend>"
        f"<current_top>{current_top}</current_top><your_top>{your_top}</your_top>"
        "<local_top>5</local_top><world_top>120</world_top><alt>0</alt>"
        f"<key>{record_key(your_top, current_top)}</key><num>1</num><platf>1</platf>"
        "<ver>1.1</ver><message>Great shaking! You are 5th in Helsinki &amp; 120th in the world."
        "</message><hiperlink>http://localhost:8390/rating/anna</hiperlink>"
        "<fsize>18</fsize><sec>42</sec></quiverbolt_data>"
    ).encode()


def make_home():
    home = tempfile.mkdtemp(prefix="quiverbolt-startup-")
    os.makedirs(os.path.join(home, "Documents"))
    os.makedirs(os.path.join(home, "runtime"), mode=0o700)
    save_path = os.path.join(home, "Documents", "quiverbolt.save")
    with open(save_path, "wb") as save:
        save.write(typical_save())
    return home, save_path


def program_environment(home, plugin_dir):
    env = dict(os.environ)
    env.update(
        HOME=home,
        XDG_CONFIG_HOME=os.path.join(home, ".config"),
        XDG_DATA_HOME=os.path.join(home, ".local", "share"),
        XDG_CACHE_HOME=os.path.join(home, ".cache"),
        XDG_RUNTIME_DIR=os.path.join(home, "runtime"),
        QT_LOGGING_RULES="qt.widgets.painting.info=true",
        QT_MESSAGE_PATTERN="%{time boot} %{category} %{message}",
    )
    # As the game's launcher does: its own accelerometer stand-in for
    # machines without one.
    if os.path.isdir(plugin_dir):
        env["QT_PLUGIN_PATH"] = plugin_dir + (
            ":" + env["QT_PLUGIN_PATH"] if env.get("QT_PLUGIN_PATH") else ""
        )
    return env


def first_flush_ms(log_path, window_class):
    """Milliseconds on the monotonic clock of the first flush of the
    top-level window, or None while there is none."""
    with open(log_path, "rb") as log:
        for line in log:
            if b" qt.widgets.painting Flushing " not in line or b" of " not in line:
                continue
            if (window_class + "(").encode() not in line:
                continue
            seconds = line.split(None, 1)[0].decode()
            whole, _, millis = seconds.partition(".")
            return int(whole) * 1000 + int(millis)
    return None


def peak_resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return None


def cpu_ms(pid):
    with open(f"/proc/{pid}/schedstat") as schedstat:
        return int(schedstat.read().split()[0]) / 1e6


def run_once(binary, window_class, env, settle_s, work_dir):
    log_path = os.path.join(work_dir, "stderr.log")
    with open(log_path, "wb") as log:
        started_ms = int(time.monotonic() * 1000)
        process = subprocess.Popen(
            [binary], env=env, stdout=subprocess.DEVNULL, stderr=log, cwd=work_dir
        )
    try:
        deadline = time.monotonic() + FIRST_FRAME_TIMEOUT_S
        flushed = None
        while flushed is None:
            if process.poll() is not None:
                raise RuntimeError(f"{binary} ended with status {process.returncode}")
            if time.monotonic() > deadline:
                raise RuntimeError(f"{binary} showed no {window_class} frame")
            time.sleep(POLL_INTERVAL_S)
            flushed = first_flush_ms(log_path, window_class)
        cpu = cpu_ms(process.pid)
        time.sleep(settle_s)
        peak = peak_resident_kib(process.pid)
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    # Qt prints the clock's milliseconds as a 32-bit number.
    return (flushed - started_ms) % (1 << 32), cpu, peak


def spread(values):
    return f"min {min(values):.0f}, max {max(values):.0f}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build_dir", help="build folder holding src/quiverbolt and benchmarks/bare_window")
    parser.add_argument("--runs", type=int, default=20, help="runs of each program (default 20)")
    parser.add_argument("--settle", type=float, default=2.0,
                        help="seconds each program runs after its first frame (default 2)")
    args = parser.parse_args()

    if not os.environ.get("DISPLAY"):
        if not shutil.which("xvfb-run"):
            sys.exit("no DISPLAY and no xvfb-run")
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", f"-screen 0 {XVFB_SCREEN}",
                               sys.executable, os.path.abspath(__file__)] + sys.argv[1:])

    build = os.path.abspath(args.build_dir)
    programs = [
        ("game", os.path.join(build, "src", "quiverbolt"), "Quiverbolt"),
        ("bare", os.path.join(build, "benchmarks", "bare_window"), "QMainWindow"),
    ]
    for _, binary, _ in programs:
        if not os.access(binary, os.X_OK):
            sys.exit(f"not built: {binary}")

    home, save_path = make_home()
    try:
        env = program_environment(home, os.path.join(build, "plugins"))
        saved = typical_save()
        results = {name: ([], [], []) for name, _, _ in programs}
        print(f"load before: {os.getloadavg()[0]:.2f} (1 min), {os.cpu_count()} cores")
        for run in range(args.runs):
            for name, binary, window_class in programs:
                frame_ms, cpu, peak_kib = run_once(binary, window_class, env, args.settle, home)
                results[name][0].append(frame_ms)
                results[name][1].append(cpu)
                results[name][2].append(peak_kib / 1024.0)
                print(f"run {run + 1:2d} {name}: first frame {frame_ms:5d} ms "
                      f"({cpu:5.0f} ms processor), peak resident {peak_kib / 1024.0:6.1f} MiB",
                      flush=True)
            with open(save_path, "rb") as save:
                if save.read() != saved:
                    sys.exit("the game rewrote the save file: it did not accept the record")
        print(f"load after: {os.getloadavg()[0]:.2f} (1 min)")

        medians = {}
        for name, (frames, cpus, peaks) in results.items():
            medians[name] = [statistics.median(values) for values in (frames, cpus, peaks)]
            print(f"{name}: first frame median {medians[name][0]:.0f} ms ({spread(frames)}), "
                  f"processor time median {medians[name][1]:.0f} ms ({spread(cpus)}), "
                  f"peak resident median {medians[name][2]:.1f} MiB "
                  f"(min {min(peaks):.1f}, max {max(peaks):.1f})")
        game, bare = medians["game"], medians["bare"]
        print(f"game/bare: first frame {game[0] / bare[0]:.2f}, processor time "
              f"{game[1] / bare[1]:.2f}, peak resident {game[2] / bare[2]:.2f}")
    finally:
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
