#!/usr/bin/env python3
"""The whole tool against the simulated gimbal, driven like a technician would: try a port it may
not open, pick the simulator's port and open it, watch the running page, change the mounting and
upload it, run an IMU calibration, upgrade the firmware from a demo package, switch to English and
back, and unplug and plug the simulator back in. Saves a screenshot of every tab under --artifacts
(in Chinese, and in English as en-*.png), each checked for texts and controls that overlap or are
cut off."""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys

from harness import (Desktop, Display, ForbiddenPort, IdlePort, Program, Simulator, TestFailure, check,
                     temporary_directory)

WINDOW_TITLE = "ORV Tiltmate"
TAB_RUNNING, TAB_IMU, TAB_FIRMWARE, TAB_CONFIGURATION, TAB_PLOT = "运行状态", "IMU校准", "固件升级", "产品配置", "数据曲线"
TABS = [TAB_RUNNING, TAB_IMU, TAB_FIRMWARE, TAB_CONFIGURATION, TAB_PLOT]
ENGLISH_TABS = ["Running status", "IMU calibration", "Firmware upgrade", "Configuration", "Plots"]
ENGLISH_OPEN, ENGLISH_CLOSE = "Open", "Close"
PAGE_NAMES = ["1-running", "2-imu-calibration", "3-firmware", "4-configuration", "5-plot"]
OPEN, CLOSE = "打开", "关闭"
MOUNT_INVERTED = "倒置"
START_CALIBRATION = "开始校准"
UPDATE_SUCCEEDED = "更新成功"
MODE_LOCK, MODE_FOLLOW = "指向锁定", "指向跟随"
RECORDING, STOPPED = "录像中", "停止中"
ZOOM = r"(1|2|4|8|16)倍变焦"
NUMBER = r"-?\d+(\.\d+)?"
MOUNTING_PARAMETER = 2  # gimbal parameter number of the mounting, written as index + 1
DEMO_VERSION = "1.1"    # what 'fwpack --demo' puts in every image by default
UNITS = 4
SIM_LABEL, FORBIDDEN_LABEL = "ttyGIMBAL0", "ttyNOPERM0"
BENCH_LABELS = ("gimbal-bench-port-A", "gimbal-bench-port-B")  # too long for the selector, alike but at the end
PORT_COMBO = {"id": "portCombo", "in": "ControlSerialPortView"}
OPEN_BUTTON = {"id": "openButton", "in": "ControlSerialPortView"}
PAGES = [("WidgetRunningInfor", "runningTab"), ("WidgetImuCalibration", "imuTab"),
         ("WidgetFirmware", "firmwareTab"), ("WidgetConfiguration", "configurationTab"),
         ("WidgetTelemetryPlot", "plotTab")]
SLACK = 1  # pixels of rounding allowed where two rectangles meet


def inside(inner, outer):
    return (inner["x"] >= outer["x"] - SLACK and inner["y"] >= outer["y"] - SLACK
            and inner["x"] + inner["w"] <= outer["x"] + outer["w"] + SLACK
            and inner["y"] + inner["h"] <= outer["y"] + outer["h"] + SLACK)


def overlap(a, b):
    width = min(a["x"] + a["w"], b["x"] + b["w"]) - max(a["x"], b["x"])
    height = min(a["y"] + a["h"], b["y"] + b["h"]) - max(a["y"], b["y"])
    return width > SLACK and height > SLACK


def name(element):
    return repr(element.get("text") or element.get("control"))


def layout_faults(window, elements, page=None):
    """Texts painted over each other, anything outside the window, its group box or its page."""
    faults = []
    texts = [e for e in elements if "text" in e]
    for i, a in enumerate(texts):
        for b in texts[i + 1:]:
            if overlap(a, b):
                faults.append(f"{name(a)} overlaps {name(b)}")
    for e in elements:
        if e.get("overflows"):
            faults.append(f"{name(e)} is wider than its box: {e}")
        if "box" in e and not inside(e, e["box"]):
            faults.append(f"{name(e)} pokes out of its control: {e}")
        if not inside(e, window):
            faults.append(f"{name(e)} is cut off by the window: {e}")
        if "group" in e and not inside(e, e["group"]):
            faults.append(f"{name(e)} pokes out of its group box: {e}")
        if page and not inside(e, page):
            faults.append(f"{name(e)} runs past its page: {e}")
    return faults


def language_kept(settings):
    """The language the program keeps in the user's settings file, or None."""
    try:
        with open(settings, encoding="utf-8") as kept:
            found = re.search(r"^language=(\w+)$", kept.read(), re.MULTILINE)
    except FileNotFoundError:
        return None
    return found.group(1) if found else None


class Scenario:
    def __init__(self, hook, desktop, sim, artifacts, workdir):
        self.hook, self.desktop, self.sim, self.artifacts, self.workdir = hook, desktop, sim, artifacts, workdir

    def click(self, **select):
        self.desktop.click(self.hook.find(**select))

    def choose(self, combo, entry):
        """Presses a combo box open and clicks the entry in its popup."""
        self.click(**combo)
        self.hook.wait_for_item(text=entry, window="popup")
        self.hook.next_frame(popup=True)  # drawn where it stays
        self.desktop.click(self.hook.find(text=entry, window="popup"))
        self.hook.wait_for("currentText", re.escape(entry), **combo)

    def show_tab(self, title, titles=TABS):
        self.click(text=title)
        self.hook.wait_for("currentIndex", str(titles.index(title)), id="tabView", **{"in": "MainWindow"})

    def screenshot(self, name):
        self.hook.next_frame()
        path = os.path.join(self.artifacts, name + ".png")
        self.desktop.screenshot(path, self.hook.window("mainWindow"))
        self.check_layout(name)
        return path

    def check_layout(self, shot):
        """Measured on the drawn frame: the whole window, and the shown page within its tab."""
        window = self.hook.window("mainWindow")
        window = {"x": window["x"], "y": window["y"], "w": window["w"], "h": window["h"]}
        whole = self.hook.request("layout", select={"type": "MainWindow"})
        check(whole["ok"], "no page frame to measure")
        faults = layout_faults(window, whole["elements"])
        shown = self.hook.find(props=["currentIndex"], id="tabView", **{"in": "MainWindow"})["currentIndex"]
        page_type, tab_id = PAGES[shown]
        tab = self.hook.find(id=tab_id, **{"in": "MainWindow"})
        page = self.hook.request("layout", select={"type": page_type})
        check(page["ok"] and len(page["elements"]) >= 5, f"no {page_type} to measure")
        if not inside(page["rect"], tab):
            faults.append(f"{page_type} {page['rect']} does not fit its tab {tab}")
        faults += layout_faults(window, page["elements"], page["rect"])
        check(not faults, f"layout of {shot}: " + "; ".join(faults))

    def no_error_box(self):
        check(not self.hook.window("g_messageDlg")["visible"], "an error box is showing: " +
              str(self.hook.window("g_messageDlg", props=["information"]).get("information")))

    def texts(self, id_, within):
        return self.hook.find(texts=True, id=id_, **{"in": within})["texts"]

    # --- the steps ---

    def open_refused_for_permission(self, forbidden):
        """A port the program may not open says why: the device's group and how to join it."""
        tabs = {"id": "tabView", "in": "MainWindow"}
        check(not self.hook.find(**tabs)["enabled"], "the tabs are usable before a gimbal answered")
        self.hook.wait_for("text", re.escape("请先选择端口，然后点击【打开】。"), id="g_statusLine")
        self.screenshot("0-not-connected")
        self.choose(PORT_COMBO, FORBIDDEN_LABEL)
        since = self.hook.mark()
        self.click(**OPEN_BUTTON)
        self.hook.wait_for_signal("runtimeSerialPortCtl", "sigOpendPortFailed", since)
        box = self.hook.window("g_messageDlg", props=["information"])
        check(box["visible"], "no message box after a refused open")
        text = box["information"]
        if forbidden.as_root:
            expected = ["没有权限打开", "dialout", "sudo usermod -aG dialout root", "重新登录"]
        else:
            expected = ["没有权限打开", "c---------"]
        check(all(part in text for part in expected), f"the refusal does not say why: {text!r}")
        self.screenshot("0-open-refused-permission")
        self.desktop.click({"x": box["x"] + box["w"] - 34, "y": box["y"] + 3, "w": 24, "h": 24})  # its close icon
        self.hook.wait_for("enabled", "true", **PORT_COMBO)
        self.hook.wait_for("text", OPEN, **OPEN_BUTTON)
        check(not self.hook.window("g_messageDlg")["visible"], "the message box did not close")

    def port_label_survives_refresh(self):
        """Ports read as short distinct names; a refresh (pressing the list) keeps the chosen one."""
        self.choose(PORT_COMBO, SIM_LABEL)
        entries = self.hook.find(props=["model"], **PORT_COMBO)["model"]
        labels = [entry["label"] for entry in entries]
        check(len(set(labels)) == len(labels), f"two ports read the same: {labels}")
        sim = [entry for entry in entries if entry["label"] == SIM_LABEL]
        check(sim and self.sim.port in sim[0]["details"], f"the simulator's entry lacks its path: {entries}")
        chosen = self.hook.find(props=["currentIndex"], **PORT_COMBO)["currentIndex"]
        check(chosen > 0, "the test port should not be the first entry, or a reset would go unseen")
        since = self.hook.mark()
        self.click(**PORT_COMBO)
        self.hook.wait_for_signal("runtimeSerialPortCtl", "availableSerialPortsChanged", since)
        self.desktop.key("Escape")
        # A click while the popup is still closing is taken by the popup (Qt 5.15.15 closes it later).
        self.hook.wait_for_gone(text=SIM_LABEL, window="popup")
        self.hook.wait_for("currentIndex", str(chosen), **PORT_COMBO)
        self.hook.wait_for("currentText", SIM_LABEL, **PORT_COMBO)

    def long_port_names_stay_apart(self):
        """Two names too long for the selector, alike but at their end, are cut in the middle, so
        the one chosen can be told without hovering."""
        bench = [IdlePort(os.path.join(self.workdir, label)) for label in BENCH_LABELS]  # listed from now on
        shown = []
        for label in BENCH_LABELS:
            # The list shows four entries at most: scroll it to its end, as a technician would.
            self.click(**PORT_COMBO)
            first = self.hook.wait_for_item(text=FORBIDDEN_LABEL, window="popup")
            self.hook.next_frame(popup=True)
            first = self.hook.find(text=FORBIDDEN_LABEL, window="popup")
            self.desktop.run("xdotool", "mousemove", str(first["x"] + first["w"] // 2), str(first["y"] + first["h"] // 2),
                             "click", "--repeat", "5", "5")
            self.hook.wait_for_item(text=label, window="popup")
            self.hook.next_frame(popup=True)
            self.desktop.click(self.hook.find(text=label, window="popup"))
            self.hook.wait_for("currentText", re.escape(label), **PORT_COMBO)
            self.hook.next_frame()
            cut = [e for e in self.hook.request("layout", select={"type": "ControlSerialPortView"})["elements"]
                   if e.get("text") == label]
            check(cut, f"the selector does not show {label}")
            shown.append(cut[0].get("shown", label))
            check(shown[-1].endswith(label[-2:]), f"the selector shows {label} as {shown[-1]!r}")
            if label == BENCH_LABELS[-1]:
                self.desktop.screenshot(os.path.join(self.artifacts, "0-long-port-name.png"),
                                        self.hook.window("mainWindow"))
        check(shown[0] != shown[1], f"two ports read the same in the selector: {shown}")
        for port in bench:  # unplugged again: the next look at the list no longer shows them
            port.close()

    def connect(self):
        tabs = {"id": "tabView", "in": "MainWindow"}
        combo = PORT_COMBO
        self.choose(combo, SIM_LABEL)
        button = OPEN_BUTTON
        self.hook.wait_for("text", OPEN, **button)
        since = self.hook.mark()
        self.click(**button)
        self.hook.wait_for_signal("runtimeFirmwareController", "sigGetVersionSuccessed", since)
        self.hook.wait_for("enabled", "true", **tabs)
        self.hook.wait_for("text", CLOSE, **button)
        self.hook.wait_for_signal("runtimeInstrumentConfig", "sigDownloadFinished", since)
        self.hook.wait_for_signal("runtimeJoystickdevice", "sigDownloadFinished", since)
        self.no_error_box()

    def running_page(self):
        page = {"in": "WidgetRunningInfor"}
        for cell in ("rateX", "rateY", "rateZ", "accelX", "accelY", "accelZ", "rollValue", "pitchValue"):
            self.hook.wait_for("text", NUMBER, id=cell, **page)
        # Heading turns steadily in the simulator: the shown value must move on.
        first = self.hook.find(props=["text"], id="yawValue", **page)["text"]
        self.hook.wait_for("text", rf"(?!{re.escape(first)}$){NUMBER}", id="yawValue", **page)
        roll = float(self.hook.find(props=["text"], id="rollValue", **page)["text"])
        pitch = float(self.hook.find(props=["text"], id="pitchValue", **page)["text"])
        check(abs(roll) <= 20.01 and abs(pitch) <= 30.01, f"attitude out of the simulated swing: {roll}, {pitch}")
        gravity = float(self.hook.find(props=["text"], id="accelZ", **page)["text"])
        check(0.75 <= gravity <= 1.01, f"vertical acceleration {gravity} g is not gravity")
        # Channel states follow the receiver: both positions of the mode and record switches show up.
        for cell, states in (("modeStatus", (MODE_LOCK, MODE_FOLLOW)), ("recordStatus", (RECORDING, STOPPED))):
            for state in states:
                self.hook.wait_for("text", state, ceiling_s=90, id=cell, **page)
        self.hook.wait_for("text", ZOOM, id="zoomStatus", **page)
        for cell in ("pitchMapping", "yawMapping", "shotMapping", "recordMapping", "zoomMapping"):
            self.hook.wait_for("text", r"\d+", id=cell, **page)
        self.screenshot("1-running")

    def plot_page(self):
        """The graphs fill from the moving simulator; a recording of a few seconds lands in Documents."""
        self.show_tab(TAB_PLOT)
        page = {"in": "WidgetTelemetryPlot"}
        # The attitude graph's scale follows the turning heading away from the empty graph's 1.05.
        self.hook.wait_for("text", r"(?!1\.05$)-?\d+\.\d+", id="scaleMax", index=2, **page)
        self.click(id="recordButton", **page)
        self.hook.wait_for("text", r".*telemetry-.*\.csv.* [3-9] 秒，\d+ 个样本", id="recordingLabel", **page)
        self.screenshot("5-plot-recording")
        self.click(id="recordButton", **page)
        self.hook.wait_for("text", "遥测记录已保存：.*", id="g_statusLine")
        self.no_error_box()
        folder = os.path.join(self.workdir, "Documents")
        recordings = [name for name in os.listdir(folder) if name.endswith(".csv")]
        check(len(recordings) == 1, f"recordings in {folder}: {recordings}")
        with open(os.path.join(folder, recordings[0])) as recording:
            lines = recording.read().splitlines()
        check(lines[0].startswith("time_s,record,roll_deg"), f"recording header: {lines[0]}")
        kinds = [line.split(",")[1] for line in lines[1:]]
        check(kinds.count("A") >= 40 and kinds.count("B") >= 40, f"rows of A and B: {kinds.count('A')}, {kinds.count('B')}")
        shutil.copy(os.path.join(folder, recordings[0]), os.path.join(self.artifacts, "5-plot-recording.csv"))
        print("recording:", *lines[:4], sep="\n  ", flush=True)

    def imu_calibration(self):
        self.show_tab(TAB_IMU)
        page = {"in": "WidgetImuCalibration"}
        button = dict(id="startButton", **page)
        self.hook.wait_for("text", START_CALIBRATION, **button)
        self.screenshot("2-imu-calibration")
        since = self.hook.mark()
        self.click(**button)
        self.hook.wait_for_signal("runtimeCalibrationControl", "sigCalibrationStart", since)
        self.hook.wait_for_signal("runtimeCalibrationControl", "sigCalibrationSuccess", since, ceiling_s=120)
        self.hook.wait_for("text", "静置校准完成。", id="g_statusLine")  # a note that fades within seconds
        check(("runtimeCalibrationControl", "sigCalibrationFailed") not in self.hook.signals_since(since),
              "the calibration failed")
        self.hook.wait_for("text", START_CALIBRATION, **button)
        self.hook.wait_for("enabled", "true", **button)
        self.no_error_box()

    def configuration(self):
        self.show_tab(TAB_CONFIGURATION)
        page = {"in": "WidgetConfiguration"}
        combo = dict(id="mountingCombo", **page)
        self.hook.wait_for("enabled", "true", **combo)
        before = self.sim.parameters()[MOUNTING_PARAMETER]
        check(before == 1, f"the simulator starts with mounting {before}, not 1")
        self.choose(combo, MOUNT_INVERTED)
        self.hook.wait_for("source", r".*ImgInstrument1\.png", id="mountingPicture", **page)
        self.screenshot("4-configuration")
        since = self.hook.mark()
        self.click(id="confirmButton", **page)
        self.hook.wait_for_signal("runtimeInstrumentConfig", "sigUploadFinished", since)
        self.hook.wait_for_signal("runtimeJoystickdevice", "sigUploadFinish", since)
        self.hook.wait_for("text", "配置已更新。", id="g_statusLine")  # a note that fades within seconds
        emitted = self.hook.signals_since(since)
        check(("runtimeInstrumentConfig", "sigUploadSucceed") in emitted, "the configuration upload failed")
        check(("runtimeJoystickdevice", "sigUploadSucceed") in emitted, "the channel upload failed")
        self.no_error_box()
        after = self.sim.parameters()[MOUNTING_PARAMETER]
        check(after == 2, f"the simulator's mounting is {after} after uploading 倒置, not 2")
        self.bars_match_numbers()
        self.screenshot("4-configuration-uploaded")

    def bars_match_numbers(self):
        """Each channel's bar stands at its number, pinned to the shown range when outside it."""
        for row in range(8):
            view = self.hook.find(props=["text", "shownValue", "minValue", "maxValue"], id="valueView", index=row,
                                  **{"in": "WidgetConfiguration"})
            number = int(view["text"])
            expected = min(max(number, view["minValue"]), view["maxValue"])
            check(abs(view["shownValue"] - expected) < 1,
                  f"channel row {row}: bar at {view['shownValue']} but number {number} (range {view['minValue']}"
                  f"..{view['maxValue']})")

    def firmware(self, package):
        self.show_tab(TAB_FIRMWARE)
        page = {"in": "WidgetFirmware"}
        rows = self.texts("firmwareList", "WidgetFirmware")
        check(all(unit in rows for unit in ("IFB", "MX", "MY", "MZ")) and rows.count("1.0") == UNITS,
              f"the table does not list the {UNITS} units at their running versions: {rows}")
        self.click(id="browseButton", **page)
        self.desktop.wait_for_window("请选择固件")
        field = self.hook.wait_for_item(id="currentPathField", window="popup")
        self.hook.wait_for_item(text="取消", window="popup")  # Qt's own catalogue speaks Chinese
        self.screenshot("3-firmware-file-dialog")
        since = self.hook.mark()
        self.desktop.click(field)
        self.desktop.key("ctrl+a")
        self.desktop.type(package)
        self.desktop.key("Return")
        self.hook.wait_for_signal("runtimeFirmwareController", "sigFileInfoChanged", since)
        upgrade = dict(id="upgradeButton", **page)
        self.hook.wait_for("enabled", "true", **upgrade)
        self.hook.wait_for("text", re.escape("file://" + package), id="path", **page)
        rows = self.texts("firmwareList", "WidgetFirmware")
        check(rows.count(DEMO_VERSION) >= UNITS, f"the package versions are not listed: {rows}")
        self.screenshot("3-firmware-package")
        since = self.hook.mark()
        self.click(**upgrade)
        self.hook.wait_for_signal("runtimeFirmwareController", "sigFileUpgradeStart", since)
        check(not self.hook.find(id="runningTab", **{"in": "MainWindow"})["enabled"],
              "the running tab stays usable during an upgrade")
        self.hook.wait_for_signal("runtimeFirmwareController", "sigFileUpgradeFinished", since, ceiling_s=300)
        self.hook.wait_for("enabled", "true", id="browseButton", **page)
        rows = self.texts("firmwareList", "WidgetFirmware")
        check(rows.count(UPDATE_SUCCEEDED) == UNITS, f"not every unit reports success: {rows}")
        # The end of the upgrade says where the configuration was saved before anything was written.
        box = self.hook.window("g_messageDlg", props=["information"])
        saved = [line for line in str(box.get("information")).split("\n") if "auto-backup-" in line]
        check(box["visible"] and saved and os.path.isfile(saved[0]),
              f"the upgrade's end does not name its automatic backup: {box.get('information')!r}")
        self.screenshot("3-firmware-upgraded")
        self.desktop.click({"x": box["x"] + box["w"] - 34, "y": box["y"] + 3, "w": 24, "h": 24})  # its close icon
        self.hook.wait_for("visible", "true", id="upgradeBackup", **page)
        self.no_error_box()

    def reconnect_reads_new_versions(self):
        """Closing and opening again queries the units afresh: they now run the package's versions."""
        button = {"id": "openButton", "in": "ControlSerialPortView"}
        since = self.hook.mark()
        self.click(**button)
        self.hook.wait_for_signal("runtimeFirmwareController", "sigFirmclosed", since)
        self.hook.wait_for("text", OPEN, **button)
        since = self.hook.mark()
        self.click(**button)
        self.hook.wait_for_signal("runtimeFirmwareController", "sigGetVersionSuccessed", since)
        self.hook.wait_for("enabled", "true", id="tabView", **{"in": "MainWindow"})
        rows = self.texts("firmwareList", "WidgetFirmware")
        versions = rows[4:]  # after the header
        check(versions.count(DEMO_VERSION) == UNITS, f"the units do not run the package versions: {rows}")
        self.screenshot("3-firmware-after-reconnect")

    def switch_language(self, switch, tabs, open_close):
        """A click on the title bar's switch: every tab title is in the new language at once."""
        since = self.hook.mark()
        self.click(text=switch)
        self.hook.wait_for_signal("runtimeLanguage", "languageChanged", since)
        shown = [title for title in tabs if self.hook.request("find", select={"text": title})["ok"]]
        check(shown == tabs, f"after choosing {switch} the tabs read {shown}, not {tabs}")
        self.hook.wait_for("text", re.escape(open_close), **OPEN_BUTTON)

    def english_and_back(self, settings):
        """Every page in English, fitting its boxes, and Qt's own file dialog with it; then Chinese again.
        The choice is kept in the user's settings."""
        self.switch_language("English", ENGLISH_TABS, ENGLISH_CLOSE)
        check(language_kept(settings) == "en", f"English is not kept in {settings}")
        page = {"in": "WidgetRunningInfor"}
        self.hook.wait_for("text", "Yaw lock|Yaw follow", ceiling_s=90, id="modeStatus", **page)
        self.screenshot("en-1-running")
        for index in (1, 2, 3):
            self.show_tab(ENGLISH_TABS[index], ENGLISH_TABS)
            self.screenshot("en-" + PAGE_NAMES[index])
        self.show_tab(ENGLISH_TABS[2], ENGLISH_TABS)
        self.click(id="browseButton", **{"in": "WidgetFirmware"})
        self.desktop.wait_for_window("Choose a firmware package")
        cancel = self.hook.wait_for_item(text="Cancel", window="popup")  # Qt's own texts, in English,
        self.hook.wait_for_item(text="Home", window="popup")  # even in a dialog first opened in Chinese
        self.screenshot("en-3-firmware-file-dialog")
        self.desktop.click(cancel)
        self.switch_language("中文", TABS, CLOSE)
        check(language_kept(settings) == "zh", f"Chinese is not kept in {settings}")
        self.show_tab(TAB_RUNNING)
        self.hook.wait_for("text", f"{MODE_LOCK}|{MODE_FOLLOW}", ceiling_s=90, id="modeStatus", **page)

    def back_to_running_page(self):
        self.show_tab(TAB_RUNNING)
        self.hook.wait_for("text", NUMBER, id="rollValue", **{"in": "WidgetRunningInfor"})
        return self.screenshot("1-running-after-upgrade")

    def unplug_and_plug_back(self):
        """A lost port marks the running page stale and is opened again by itself when it returns."""
        stale = {"id": "staleNote", "in": "WidgetRunningInfor"}
        since = self.hook.mark()
        self.sim.process.send_signal(signal.SIGUSR1)
        self.hook.wait_for_signal("runtimeSerialPortCtl", "sigPortLost", since)
        self.hook.wait_for_signal("runtimeFirmwareController", "sigFirmclosed", since)
        self.hook.wait_for("visible", "true", **stale)
        self.hook.wait_for("text", f".*{SIM_LABEL}.*", id="g_statusLine")
        self.screenshot("1-running-disconnected")
        since = self.hook.mark()
        self.sim.process.send_signal(signal.SIGUSR1)
        self.hook.wait_for_signal("runtimeSerialPortCtl", "sigPortReopening", since)
        self.hook.wait_for_signal("runtimeFirmwareController", "sigGetVersionSuccessed", since)
        self.hook.wait_for("enabled", "true", id="tabView", **{"in": "MainWindow"})
        self.hook.wait_for("visible", "false", **stale)
        self.hook.wait_for("text", CLOSE, **OPEN_BUTTON)
        self.no_error_box()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("--tiltmate", "--sim", "--fwpack", "--plugins", "--artifacts"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)

    with temporary_directory() as workdir:
        package = os.path.join(workdir, "demo.bin")
        subprocess.run([args.fwpack, "-o", package, "--demo"], check=True, timeout=60)
        display = Display()
        sim = program = forbidden = None
        try:
            sim = Simulator(args.sim, os.path.join(workdir, SIM_LABEL), "--time-scale", "0.2")
            forbidden = ForbiddenPort(os.path.join(workdir, FORBIDDEN_LABEL))
            program = Program(args.tiltmate, display.name,
                              [forbidden.path, sim.port] + [os.path.join(workdir, label) for label in BENCH_LABELS],
                              args.plugins, workdir)
            desktop = Desktop(display.name)
            desktop.wait_for_window(WINDOW_TITLE)
            hook = program.connect_hook()
            scenario = Scenario(hook, desktop, sim, args.artifacts, workdir)
            for step in (scenario.open_refused_for_permission, scenario.port_label_survives_refresh,
                         scenario.long_port_names_stay_apart, scenario.connect, scenario.running_page, scenario.plot_page,
                         scenario.imu_calibration,
                         scenario.configuration, scenario.firmware,
                         scenario.reconnect_reads_new_versions, scenario.back_to_running_page,
                         scenario.english_and_back, scenario.unplug_and_plug_back):
                print("step:", step.__name__, flush=True)
                if step == scenario.firmware:
                    step(package)
                elif step == scenario.open_refused_for_permission:
                    step(forbidden)
                elif step == scenario.english_and_back:
                    step(os.path.join(workdir, "config", "Tiltmate", "Tiltmate.conf"))
                else:
                    step()
            # The close icon ends the program normally.
            scenario.click(id="quitIcon")
            check(program.wait() == 0, "Tiltmate did not exit cleanly after the close icon")
        except (TestFailure, subprocess.SubprocessError) as failure:
            print(f"FAILED: {failure}", file=sys.stderr)
            if program:
                program.close()
                shutil.copy(os.path.join(workdir, "tiltmate.log"), args.artifacts)
            return 1
        finally:
            if program:
                program.close()
            if sim:
                sim.close()
            if forbidden:
                forbidden.close()
            display.close()
    print(f"passed; screenshots in {args.artifacts}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
