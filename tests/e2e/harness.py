"""What the end-to-end test stands on: a private X display, the simulated gimbal, the program with
its inspection hook, a client for that hook, real mouse and keyboard input, and screenshots.

Every wait here waits for something to happen (a line, a signal, a property, a window) with a
generous ceiling; nothing sleeps to let things settle."""

import grp
import json
import os
import re
import select
import signal
import socket
import subprocess
import tempfile
import time


class TestFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def read_line(stream, ceiling_s, what):
    """One line from a child's pipe, waiting at most ceiling_s for it."""
    ready, _, _ = select.select([stream], [], [], ceiling_s)
    check(ready, f"no line from {what} within {ceiling_s} s")
    line = stream.readline()
    check(line, f"{what} closed its output")
    return line.decode().rstrip("\n")


class Display:
    """Xvfb on a display number of its own choosing (-displayfd), so parallel tests never collide."""

    def __init__(self, ceiling_s=30):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x900x24", "-dpi", "96", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as numbers:
            self.name = ":" + read_line(numbers, ceiling_s, "Xvfb")

    def close(self):
        self.process.terminate()
        self.process.wait()


class Simulator:
    """gimbal-sim on a link of its own; SIGUSR2 makes it print its parameter table."""

    def __init__(self, program, link, *options):
        self.process = subprocess.Popen([program, "--link", link, *options],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.port = read_line(self.process.stdout, 30, "gimbal-sim")

    def parameters(self):
        self.process.send_signal(signal.SIGUSR2)
        line = read_line(self.process.stdout, 30, "gimbal-sim")
        check(line.startswith("parameters "), f"unexpected state line: {line}")
        return {int(k): int(v) for k, v in (pair.split("=") for pair in line.split()[1:])}

    def close(self):
        self.process.send_signal(signal.SIGTERM)
        check(self.process.wait(30) == 0, "gimbal-sim did not exit cleanly")


class Hook:
    """Client of the inspection server inside the program (tests/e2e/hook)."""

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.buffer = b""
        self.seq = 0
        self.events = []

    def _next_message(self, deadline):
        while b"\n" not in self.buffer:
            remaining = deadline - time.monotonic()
            check(remaining > 0, "the program did not answer in time")
            self.sock.settimeout(remaining)
            try:
                chunk = self.sock.recv(65536)
            except socket.timeout:
                raise TestFailure("the program did not answer in time")
            check(chunk, "the program closed the inspection socket")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return json.loads(line)

    def request(self, cmd, ceiling_s=60, **fields):
        self.seq += 1
        fields.update(cmd=cmd, seq=self.seq)
        self.sock.sendall(json.dumps(fields).encode() + b"\n")
        deadline = time.monotonic() + ceiling_s
        while True:
            message = self._next_message(deadline)
            if "event" in message:
                self.events.append(message)
            elif message.get("seq") == self.seq:
                return message

    def find(self, props=(), texts=False, **select_):
        reply = self.request("find", select=select_, props=list(props), texts=texts)
        check(reply["ok"], f"no item {select_}")
        return reply

    def wait_for_item(self, ceiling_s=30, **select_):
        reply = self.request("waitfind", ceiling_s=ceiling_s + 10, select=select_, timeoutMs=ceiling_s * 1000)
        check(reply["ok"], f"item {select_} did not appear within {ceiling_s} s")
        return reply

    def wait_for(self, prop, pattern, ceiling_s=30, **select_):
        """Waits until the item's property, as text, matches the whole pattern."""
        reply = self.request("wait", ceiling_s=ceiling_s + 10, select=select_, prop=prop, pattern=pattern,
                             timeoutMs=ceiling_s * 1000)
        check(reply["ok"], f"{select_}.{prop} did not match {pattern!r} within {ceiling_s} s "
                           f"(last: {reply.get('value')!r})")
        return reply["value"]

    def window(self, id_, props=()):
        reply = self.request("window", id=id_, props=list(props))
        check(reply["ok"], f"no window {id_}")
        return reply

    def mark(self):
        """A point in the event stream; signal waits look only at what came after it."""
        return len(self.events)

    def wait_for_signal(self, obj, sig, since, ceiling_s=60):
        deadline = time.monotonic() + ceiling_s
        position = since
        while True:
            for index in range(position, len(self.events)):
                event = self.events[index]
                if event["object"] == obj and event["signal"] == sig:
                    return index
            position = len(self.events)
            if time.monotonic() >= deadline:
                raise TestFailure(f"{obj}.{sig} was not emitted within {ceiling_s} s")
            message = self._next_message(deadline)
            check("event" in message, f"unexpected reply {message}")
            self.events.append(message)

    def signals_since(self, since):
        return [(e["object"], e["signal"]) for e in self.events[since:]]

    def next_frame(self, popup=False):
        if popup:
            check(self.request("frame", window="popup")["ok"], "no popup drew a frame")
        else:
            check(self.request("frame")["ok"], "the main window did not draw a frame")


class Desktop:
    """Real input through the X server and screenshots of what it shows."""

    def __init__(self, display):
        self.env = dict(os.environ, DISPLAY=display)

    def run(self, *args, ceiling_s=60):
        return subprocess.run(args, env=self.env, check=True, timeout=ceiling_s,
                              stdout=subprocess.PIPE).stdout.decode()

    def wait_for_window(self, title, ceiling_s=60):
        # xdotool gives up with BadWindow when another window vanishes while it looks; look again.
        deadline = time.monotonic() + ceiling_s
        while True:
            remaining = deadline - time.monotonic()
            check(remaining > 0, f"no window titled {title} within {ceiling_s} s")
            found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                    f"^{re.escape(title)}$"], env=self.env, timeout=remaining,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            if found.returncode == 0 and found.stdout.split():
                return found.stdout.split()[0].decode()

    def click(self, item):
        x = item["x"] + item["w"] // 2
        y = item["y"] + item["h"] // 2
        self.run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def type(self, text):
        self.run("xdotool", "type", "--delay", "5", text)

    def key(self, *keys):
        self.run("xdotool", "key", *keys)

    def screenshot(self, path, geometry):
        crop = f"{geometry['w']}x{geometry['h']}+{geometry['x']}+{geometry['y']}"
        self.run("import", "-window", "root", "-crop", crop, "+repage", path)


class Program:
    """Tiltmate with the inspection hook loaded through Qt's generic plugin mechanism."""

    def __init__(self, program, display, ports, plugins, workdir):
        self.socket_path = os.path.join(workdir, "hook.sock")
        env = dict(os.environ)
        for desktop_variable in ("XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "QT_QPA_PLATFORMTHEME"):
            env.pop(desktop_variable, None)  # the program's own file dialog, not a desktop's
        env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb", TILTMATE_EXTRA_PORTS=":".join(ports), HOME=workdir,
                   XDG_CONFIG_HOME=os.path.join(workdir, "config"), QT_PLUGIN_PATH=plugins,
                   QT_QPA_GENERIC_PLUGINS="tiltmatee2e", TILTMATE_E2E_SOCKET=self.socket_path)
        self.log = open(os.path.join(workdir, "tiltmate.log"), "wb")
        self.process = subprocess.Popen(without_file_permission_override() + [program], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)

    def connect_hook(self):
        check(self.process.poll() is None, "Tiltmate exited early")
        hook = Hook(self.socket_path)
        check(hook.request("attach")["ok"], "the hook found no QML engine")
        return hook

    def wait(self, ceiling_s=60):
        return self.process.wait(ceiling_s)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()


def without_file_permission_override():
    """Root opens any file whatever its mode; without these two capabilities it meets file
    permissions like any user, so a port it may not open can be shown as root too."""
    if os.geteuid() != 0:
        return []
    dropped = "-dac_override,-dac_read_search"
    return ["setpriv", "--bounding-set", dropped, "--inh-caps", dropped]


class ForbiddenPort:
    """A pseudo-terminal behind a device-like name that the program may not open: owned by another
    user and the group dialout (as a USB adapter is) when the test runs as root, mode 000 otherwise."""

    def __init__(self, link):
        self.master, slave = os.openpty()
        device = os.ttyname(slave)
        os.close(slave)
        os.symlink(device, link)
        self.path = link
        self.as_root = os.geteuid() == 0
        if self.as_root:
            os.chown(device, 65534, grp.getgrnam("dialout").gr_gid)
            os.chmod(device, 0o660)
        else:
            os.chmod(device, 0)

    def close(self):
        os.close(self.master)


class IdlePort:
    """A pseudo-terminal behind a name of the test's choosing that nothing answers on."""

    def __init__(self, link):
        self.master, slave = os.openpty()
        os.symlink(os.ttyname(slave), link)
        os.close(slave)
        self.path = link

    def close(self):
        os.unlink(self.path)
        os.close(self.master)


def temporary_directory():
    return tempfile.TemporaryDirectory(prefix="tiltmate-e2e-")
