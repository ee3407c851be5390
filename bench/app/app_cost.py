#!/usr/bin/env python3
"""The program's own cost, measured like a technician's session: Tiltmate on a private Xvfb
(1024x768, 96 dpi, software OpenGL) against gimbal-sim with its default telemetry, driven through
the end-to-end inspection hook. CPU is the process's user + system time from /proc over a window
of wall time; memory is its resident set. A benchmark, not a test: it prints figures, it judges
nothing. The eight figures come last, one "name value" line each."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from harness import Desktop, Program, Simulator, TestFailure, check, read_line, temporary_directory  # noqa: E402

WINDOW_TITLE = "ORV Tiltmate"
TAB_RUNNING, TAB_FIRMWARE, TAB_PLOT = "运行状态", "固件升级", "数据曲线"
OPEN, CLOSE = "打开", "关闭"
TABS = {"id": "tabView", "in": "MainWindow"}
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class Display:
    """Xvfb at the size and resolution the figures are quoted for."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-dpi", "96",
             "-nolisten", "tcp"], pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as numbers:
            self.name = ":" + read_line(numbers, 30, "Xvfb")

    def close(self):
        self.process.terminate()
        self.process.wait()


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS  # utime, stime


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    raise TestFailure("no VmRSS")


class Frames:
    """Counts the frames the window renders, from the scene graph's timing lines in the log."""

    def __init__(self, log_path):
        self.log_path = log_path

    def count(self):
        with open(self.log_path, "rb") as log:
            return len(re.findall(rb"Frame rendered", log.read()))


def measure(pid, frames, seconds, label):
    """CPU of the process over the window, in percent of one core; prints the frame rate beside it."""
    cpu_before, frames_before, start = cpu_seconds(pid), frames.count(), time.monotonic()
    time.sleep(seconds)
    cpu_after, frames_after, end = cpu_seconds(pid), frames.count(), time.monotonic()
    percent = 100.0 * (cpu_after - cpu_before) / (end - start)
    rate = (frames_after - frames_before) / (end - start)
    print(f"{label}: {percent:.1f} % of a core, {rate:.1f} frames/s over {end - start:.1f} s", flush=True)
    return percent


def show_tab(hook, desktop, title, index):
    desktop.click(hook.find(text=title))
    hook.wait_for("currentIndex", str(index), **TABS)


def connect(hook, desktop, port):
    combo = {"id": "portCombo", "in": "ControlSerialPortView"}
    button = {"id": "openButton", "in": "ControlSerialPortView"}
    label = os.path.basename(port)  # the port list names a device by its file name
    desktop.click(hook.find(**combo))
    desktop.click(hook.wait_for_item(text=label, window="popup"))
    hook.wait_for("currentText", re.escape(label), **combo)
    hook.wait_for("text", OPEN, **button)
    desktop.click(hook.find(**button))
    hook.wait_for("enabled", "true", **TABS)
    hook.wait_for("text", CLOSE, **button)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("--tiltmate", "--sim", "--plugins"):
        parser.add_argument(option, required=True)
    parser.add_argument("--window-s", type=float, default=10.0, help="length of each CPU window")
    parser.add_argument("--settle-s", type=float, default=3.0, help="wait before each window")
    parser.add_argument("--long", action="store_true", help="memory growth from a 10-minute connected run")
    parser.add_argument("--log", help="keep the program's log (with its frame timings) here")
    args = parser.parse_args()
    growth_s = 600.0 if args.long else 60.0

    figures = {}
    with temporary_directory() as workdir:
        display = Display()
        sim = program = None
        try:
            sim = Simulator(args.sim, os.path.join(workdir, "ttyGIMBAL0"))
            os.environ["QSG_RENDER_TIMING"] = "1"
            started = time.monotonic()
            program = Program(args.tiltmate, display.name, [sim.port], args.plugins, workdir)
            desktop = Desktop(display.name)
            desktop.wait_for_window(WINDOW_TITLE)
            hook = program.connect_hook()
            hook.next_frame()
            figures["app_start_to_window_s"] = time.monotonic() - started
            pid = program.process.pid
            frames = Frames(os.path.join(workdir, "tiltmate.log"))

            time.sleep(args.settle_s)
            figures["app_idle_cpu_percent"] = measure(pid, frames, args.window_s, "started, not connected")

            connect(hook, desktop, sim.port)
            show_tab(hook, desktop, TAB_RUNNING, 0)
            time.sleep(args.settle_s)
            figures["app_connected_running_page_cpu_percent"] = measure(
                pid, frames, args.window_s, "connected, running page")

            show_tab(hook, desktop, TAB_FIRMWARE, 2)
            time.sleep(args.settle_s)
            figures["app_connected_other_page_cpu_percent"] = measure(
                pid, frames, args.window_s, "connected, firmware page")

            show_tab(hook, desktop, TAB_RUNNING, 0)
            time.sleep(args.settle_s)
            rss_start = resident_mib(pid)
            measure(pid, frames, growth_s, f"connected, running page, {growth_s:.0f} s for memory")
            rss_end = resident_mib(pid)
            figures["app_resident_mib"] = rss_end
            figures["app_resident_growth_mib_per_10min"] = (rss_end - rss_start) * 600.0 / growth_s

            # The plot page draws what arrives (20 + 20 samples a second) and keeps a fixed ring.
            show_tab(hook, desktop, TAB_PLOT, 4)
            time.sleep(args.settle_s)
            figures["app_connected_plot_page_cpu_percent"] = measure(
                pid, frames, args.window_s, "connected, plot page visible")
            rss_start = resident_mib(pid)
            measure(pid, frames, growth_s, f"connected, plot page visible, {growth_s:.0f} s for memory")
            figures["app_plot_page_resident_growth_mib_per_10min"] = (resident_mib(pid) - rss_start) * 600.0 / growth_s
            check(program.process.poll() is None, "Tiltmate exited during the run")
        except (TestFailure, subprocess.SubprocessError) as failure:
            print(f"bench-app: {failure}", file=sys.stderr)
            return 1
        finally:
            if program:
                program.close()
                if args.log:
                    shutil.copy(os.path.join(workdir, "tiltmate.log"), args.log)
            if sim:
                sim.close()
            display.close()

    print()
    for name in ("app_idle_cpu_percent", "app_connected_running_page_cpu_percent",
                 "app_connected_other_page_cpu_percent", "app_resident_mib",
                 "app_resident_growth_mib_per_10min", "app_start_to_window_s",
                 "app_connected_plot_page_cpu_percent", "app_plot_page_resident_growth_mib_per_10min"):
        print(f"{name} {figures[name]:.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
