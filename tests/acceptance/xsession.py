"""A private X session for the acceptance tests: Xvfb on a free display, openbox, a session bus
with the accessibility bus, the demo on a fresh database in a temporary folder, and real key and
mouse events through xdotool. Everything is waited for by polling with a timeout."""

import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

DEFAULT_TIMEOUT = 20.0


class Failure(Exception):
    pass


def poll(what, probe, timeout=DEFAULT_TIMEOUT, interval=0.05):
    """Calls probe() until it returns something true; that value, or Failure after timeout."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("Zeitüberschreitung: " + what)
        time.sleep(interval)


class XSession:
    def __init__(self, demo, name):
        self.demo = demo
        self.name = name
        self.tmp = tempfile.mkdtemp(prefix="qelaccept-")
        os.chmod(self.tmp, 0o700)
        self.procs = []
        self.env = None
        self.demo_proc = None

    # -- lifetime -------------------------------------------------------------------------------
    def __enter__(self):
        try:
            self._start_x()
            return self
        except BaseException:
            self.close()
            raise

    def __exit__(self, *exc):
        self.close()
        return False

    def _spawn(self, argv, **kw):
        log = open(os.path.join(self.tmp, os.path.basename(argv[0]) + ".log"), "ab")
        p = subprocess.Popen(argv, stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                             env=kw.pop("env", self.env), start_new_session=True, **kw)
        log.close()
        self.procs.append(p)
        return p

    def _start_x(self):
        read_fd, write_fd = os.pipe()
        env = dict(os.environ)
        for var in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS",
                    "AT_SPI_BUS_ADDRESS", "SESSION_MANAGER"):
            env.pop(var, None)
        env["HOME"] = self.tmp
        env["XDG_RUNTIME_DIR"] = self.tmp
        env["XDG_CONFIG_HOME"] = os.path.join(self.tmp, "config")
        env["XDG_DATA_HOME"] = os.path.join(self.tmp, "data")
        env["XDG_CACHE_HOME"] = os.path.join(self.tmp, "cache")
        self.env = env
        self._spawn(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                     "-nolisten", "tcp", "-noreset"], pass_fds=(write_fd,))
        os.close(write_fd)
        number = b""
        end = time.monotonic() + DEFAULT_TIMEOUT
        while not number.endswith(b"\n"):
            if time.monotonic() > end:
                raise Failure("Xvfb meldet keine Anzeige")
            chunk = os.read(read_fd, 16)
            if not chunk:
                raise Failure("Xvfb ist nicht gestartet (siehe Xvfb.log)")
            number += chunk
        os.close(read_fd)
        env["DISPLAY"] = ":" + number.decode().strip()
        # A session bus of its own; the accessibility bus is started on it when first asked for.
        out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], env=env, capture_output=True, text=True, check=True)
        address, pid = out.stdout.split()[:2]
        env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.dbus_pid = int(pid)
        self._spawn(["openbox", "--sm-disable"])
        poll("Fenstermanager", lambda: self._run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                                   check=False).find("window id") >= 0)

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for p in reversed(self.procs):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()
        if getattr(self, "dbus_pid", None):
            try:
                os.kill(self.dbus_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        # The accessibility bus launcher and registry were started by the bus: they end with it.
        if os.environ.get("QEL_ACCEPTANCE_KEEP"):
            print("Dateien behalten: " + self.tmp)
        else:
            shutil.rmtree(self.tmp, ignore_errors=True)

    # -- the demo -------------------------------------------------------------------------------
    @property
    def db_path(self):
        return os.path.join(self.tmp, "demo.qeldb")

    def start_demo(self, *args, accessible=False):
        env = dict(self.env)
        env["QT_QPA_PLATFORM"] = "xcb"
        if accessible:
            env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.demo_proc = self._spawn([self.demo, "--db", self.db_path, *args], env=env, cwd=self.tmp)
        return self.demo_proc

    def demo_log(self):
        path = os.path.join(self.tmp, os.path.basename(self.demo) + ".log")
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def sql(self, statement, *params):
        con = sqlite3.connect("file:" + self.db_path + "?mode=ro", uri=True)
        try:
            return con.execute(statement, params).fetchall()
        finally:
            con.close()

    # -- X ---------------------------------------------------------------------------------------
    def _run(self, argv, check=True):
        r = subprocess.run(argv, env=self.env, capture_output=True, text=True)
        if check and r.returncode != 0:
            raise Failure(" ".join(argv) + ": " + r.stderr.strip())
        return r.stdout

    def xdotool(self, *args, check=True):
        return self._run(["xdotool", *args], check=check)

    def windows(self, name_regex):
        out = self.xdotool("search", "--onlyvisible", "--name", name_regex, check=False)
        return [int(w) for w in out.split()]

    def demo_windows(self):
        """The demo's visible windows, menus included."""
        out = self.xdotool("search", "--onlyvisible", "--pid", str(self.demo_proc.pid), check=False)
        return {int(w) for w in out.split()}

    def wait_new_window(self, before, what):
        """Waits for a visible window of the demo that is not in `before` (a menu, a dialog)."""
        return poll(what, lambda: self.demo_windows() - before)

    def wait_window(self, name_regex, timeout=DEFAULT_TIMEOUT):
        return poll("Fenster " + name_regex, lambda: (self.windows(name_regex) or [None])[0], timeout)

    def window_name(self, window):
        return self.xdotool("getwindowname", str(window), check=False).strip()

    def active_window(self):
        out = self.xdotool("getactivewindow", check=False).strip()
        return int(out) if out else None

    def activate(self, window):
        self.xdotool("windowactivate", "--sync", str(window), check=False)
        poll("aktives Fenster", lambda: self.active_window() == window)

    def frame_geometry(self, window):
        """Position and size of the window's frame (title bar included) on the root window."""
        out = self._run(["xwininfo", "-id", str(window)], check=False)
        values = {}
        for line in out.splitlines():
            if ":" in line:
                k, v = line.split(":", 1)
                values[k.strip()] = v.strip()
        x = int(values["Absolute upper-left X"]) - int(values.get("Relative upper-left X", 0))
        y = int(values["Absolute upper-left Y"]) - int(values.get("Relative upper-left Y", 0))
        return x, y, int(values["Width"]), int(values["Height"])

    def key(self, *keys):
        """Real key presses into the focused window: keysyms as xdotool names them."""
        self.xdotool("key", "--delay", "20", *keys)

    def type(self, text):
        """Types ASCII text; letters beyond ASCII go as keysyms (xdotool type loses upper-case umlauts)."""
        chunk = ""
        for ch in text:
            if ord(ch) < 0x80:
                chunk += ch
                continue
            if chunk:
                self.xdotool("type", "--delay", "20", chunk)
                chunk = ""
            self.key("U%04X" % ord(ch))
        if chunk:
            self.xdotool("type", "--delay", "20", chunk)

    def click(self, window, x, y, button=1):
        self.xdotool("mousemove", "--window", str(window), str(x), str(y), "click", str(button))

    def screenshot(self, window, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        self._run(["import", "-window", str(window) if window else "root", path])
        return path


def main(tests):
    """Runs the named test functions, each with the demo path from argv[1]; exit code 0 when all pass."""
    if len(sys.argv) < 2:
        print("Aufruf: %s <qeldemo> [Test ...]" % sys.argv[0])
        return 2
    demo = sys.argv[1]
    chosen = sys.argv[2:] or [t.__name__ for t in tests]
    passed = failed = 0
    for t in tests:
        if t.__name__ not in chosen:
            continue
        start = time.monotonic()
        try:
            t(demo)
            passed += 1
            print("PASS %s (%.1f s)" % (t.__name__, time.monotonic() - start), flush=True)
        except Exception as e:  # noqa: BLE001 - a test's failure of any kind is reported
            failed += 1
            print("FAIL %s (%.1f s): %s" % (t.__name__, time.monotonic() - start, e), flush=True)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1
