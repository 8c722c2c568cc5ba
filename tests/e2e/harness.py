"""The world of one end-to-end scenario, and the base class of the scenarios.

Each scenario gets a virtual display of its own (Xvfb, 1280x800, a plain slate-blue root so
that screenshots tell the desktop from the meter's silver key colour), a fresh Wine prefix
copied from a template that is initialised once and kept while it is current, the driver
(pelliton_driver.exe, a Win32 automation process that answers one JSON line per request) and
Pelliton.exe itself. Everything started here is ended on every way out: the scenario's own
time budget runs out before CTest's, and teardown kills the program, the prefix's server and
the display, and removes the prefix.

Paths come from the environment (set by tests/e2e/CMakeLists.txt): PELLITON_EXE,
PELLITON_DRIVER, PELLITON_SOURCE_DIR, PELLITON_E2E_WORK, PELLITON_E2E_ARTIFACTS.

`python3 harness.py template` prepares the template prefix (the CTest fixture does this).
"""

import atexit
import contextlib
import ctypes
import fcntl
import getpass
import hashlib
import json
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time
import unittest

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
SCREEN = (1280, 800)
ROOT_RGB = (0x2A, 0x4A, 0x6A)
SILVER = (0xC0, 0xC0, 0xC0)
LIME = (0x00, 0xFF, 0x00)

SETTINGS = r"Software\Zorvane\Pelliton"
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
AUTOSTART = "Zorvane Pelliton"
MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()

# ids.h
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
IDC_LABEL1, IDC_LABEL2, IDC_LABEL3 = 101, 102, 103
IDC_CONN_LABEL1, IDC_CONN_LISTBOX1 = 301, 302
IDC_CYCLE_LABEL1, IDC_CYCLE_LISTBOX1 = 311, 312
IDC_SIZE_LABEL1, IDC_SIZE_TRACKBAR1 = 321, 322
IDC_CAP_EDIT1, IDC_CAP_PROBLEM1, IDC_CAP_EDIT2, IDC_CAP_PROBLEM2 = 331, 332, 333, 334
IDC_CAP_LINE1 = 335
IDC_METERED_LIST, IDC_METERED_NOTE = 351, 352
IDM = dict(SHUFFLE=201, FREEZE=202, USAGE_STATISTICS=203, CYCLE_DATE=204, CLOCK_COLOR=205,
           DISPLAY_FONT_SIZE=206, CHANGE_NETWORK=207, STAY_ON_TOP=208, EXIT_MENU=209,
           REMOVE_PROGRAM=210, WEB_SITE=211, ABOUT=212, DATA_CAP=213, USAGE_HISTORY=214,
           SHOW_METER=215, METERED_CONNECTIONS=216, PLAN_HOURS=217)
IDC_STAT_LABEL1, IDC_STAT_STATICTEXT1, IDC_STAT_BITBTN1 = 401, 402, 403
IDC_HIST_CYCLE, IDC_HIST_DAY, IDC_HIST_EARLIER, IDC_HIST_LATER = 411, 412, 413, 414
IDC_HIST_EXPORT, IDC_HIST_CLOSE, IDC_HIST_CHART, IDC_HIST_HOURS = 415, 416, 417, 418
WEB_SITE = "www.pelliton.example"
STATISTICS_WINDOW = "Zorvane Pelliton Monthly Stats"
CONNECTION_DIALOG = "Select Appropriate Connection"
CYCLE_DATE_DIALOG = "Cycle Date Selection"
DISPLAY_SIZE_DIALOG = "Alter Display Size"
DATA_CAP_DIALOG = "Monthly Data Cap"
USAGE_WINDOW = "Usage History"
# The connection list's lines before it holds the interface table.
CONNECTION_PLACEHOLDERS = {"No Network Conections found",
                           "Re-Detecting Network Hardware and Conections", "Please Wait....."}


def connection_list_filled(lines):
    """Whether a "listbox" answer shows the connection list filled from the interface table:
    the dialog adds the lines one by one and selects line 0 only after the last."""
    items = set(lines["items"])
    return bool(items) and not CONNECTION_PLACEHOLDERS & items and lines["selected"] == 0


def filled_connection_list(drv, dialog):
    """The connection dialog's "listbox" answer once the list is filled, else None. The
    driver reads the lines one message at a time and the program may answer between two of
    its own list calls, so one read can mix old and new lines: only two equal reads a moment
    apart count."""
    first = drv.do("listbox", dialog, IDC_CONN_LISTBOX1)
    if not connection_list_filled(first):
        return None
    time.sleep(0.05)
    second = drv.do("listbox", dialog, IDC_CONN_LISTBOX1)
    return second if second == first else None


def setting(name):
    value = os.environ.get(name)
    if not value:
        raise unittest.SkipTest(f"{name} is not set (run the scenarios through CTest)")
    return value


def _die_with_parent():
    """In the child, before exec: be sent SIGKILL when the harness dies, however it dies."""
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def in_netns(args, env):
    """Wine's programs run in the network namespace that the environment names, if any."""
    netns = (env or {}).get("PELLITON_NETNS")
    wine = netns and args[0] in (WINE, WINESERVER)
    return ["ip", "netns", "exec", netns, *args] if wine else args


def run(args, timeout=60, env=None, check=True, **kwargs):
    kwargs.setdefault("stdin", subprocess.DEVNULL)
    kwargs.setdefault("stdout", subprocess.PIPE)
    kwargs.setdefault("stderr", subprocess.STDOUT)
    kwargs.setdefault("text", True)
    result = subprocess.run(in_netns(args, env), timeout=timeout, env=env, **kwargs)
    if check and result.returncode != 0:
        raise RuntimeError(f"{args[0]} failed ({result.returncode}): {result.stdout}")
    return result


# ---- the things of this machine ---------------------------------------------------------


def lo_counters():
    """Received and sent bytes of the loopback interface, from the kernel."""
    with open("/proc/net/dev") as f:
        for line in f:
            name, _, rest = line.partition(":")
            if name.strip() == "lo":
                fields = rest.split()
                return int(fields[0]), int(fields[8])
    raise RuntimeError("no lo in /proc/net/dev")


def interfaces():
    with open("/proc/net/dev") as f:
        return [line.partition(":")[0].strip() for line in f if ":" in line]


def loopback_traffic(nbytes, timeout=10):
    """Moves nbytes through a TCP connection on 127.0.0.1 (counted both ways on lo), as fast
    as this machine can. `timeout`: the longest wait for one send or receive."""
    block = 1 << 20
    server = socket.create_server(("127.0.0.1", 0))
    server.settimeout(timeout)
    received = [0]

    def sink():
        conn, _ = server.accept()
        conn.settimeout(timeout)
        buffer = memoryview(bytearray(block))
        with conn:
            while received[0] < nbytes:
                n = conn.recv_into(buffer)
                if not n:
                    break
                received[0] += n

    thread = threading.Thread(target=sink, daemon=True)
    thread.start()
    with socket.create_connection(server.getsockname(), timeout=timeout) as client:
        data = memoryview(b"\x5a" * block)
        left = nbytes
        while left > 0:
            client.sendall(data[: min(left, block)])
            left -= min(left, block)
    thread.join(timeout + 5)
    server.close()
    if received[0] != nbytes:
        raise RuntimeError(f"loopback moved {received[0]} of {nbytes} bytes")


def keep_loopback_busy(stop, nbytes=1 << 19, pause=0.5):
    """Moves nbytes over loopback every `pause` seconds until `stop` (an Event) is set."""
    while not stop.wait(pause):
        try:
            loopback_traffic(nbytes)
        except (OSError, RuntimeError):
            pass


# ---- links of the test's own --------------------------------------------------------------

LINK_PREFIX = "plt"  # every link and namespace the harness makes starts with it
ECHO_PORT = 7007


def _ip(*args, check=True):
    return run(["ip", *args], timeout=20, check=check)


def _left_over(name, own):
    """Whether a link or namespace is this harness's and its run has ended (or is this one)."""
    match = re.match(LINK_PREFIX + r"(\d+)[a-z]", name)
    if not match:
        return False
    pid = int(match[1])
    if pid == own:
        return True
    try:
        os.kill(pid, 0)
        return False  # a run that is still going
    except ProcessLookupError:
        return True
    except PermissionError:
        return False


def remove_leftover_links(own=None):
    """Deletes the links and namespaces of an earlier run that was killed before it could
    (and those of run `own`)."""
    for name in interfaces():
        if _left_over(name, own):
            _ip("link", "del", name, check=False)
    for line in _ip("netns", "list", check=False).stdout.splitlines():
        namespace = line.split()[0] if line.split() else ""
        if _left_over(namespace, own):
            for pid in _ip("netns", "pids", namespace, check=False).stdout.split():
                with contextlib.suppress(OSError):
                    os.kill(int(pid), signal.SIGKILL)
            _ip("netns", "del", namespace, check=False)


class Links:
    """`count` veth pairs: the host ends in this namespace, where the meter under Wine sees
    them, the far ends in a namespace of the run's own with an echo server on ECHO_PORT.
    IPv4 only, on addresses of these links alone: no traffic leaves through a real interface.
    Everything is removed by close(), at exit, and by the next run when this one was killed."""

    def __init__(self, count):
        tag = os.getpid()
        remove_leftover_links()
        self.namespace = f"{LINK_PREFIX}{tag}ns"
        self.names = [f"{LINK_PREFIX}{tag}h{i}" for i in range(count)]
        self.addresses = [f"10.{200 + tag % 50}.{i}.2" for i in range(count)]
        self.echo = None
        atexit.register(self.close)
        try:
            self._make(count, tag)
        except BaseException:
            self.close()
            raise

    def _make(self, count, tag):
        _ip("netns", "add", self.namespace)
        self._in_namespace("ip", "link", "set", "lo", "up")
        for i, name in enumerate(self.names):
            self._make_link(i, name)
        self.echo = subprocess.Popen(
            ["ip", "netns", "exec", self.namespace, "socat",
             f"TCP-LISTEN:{ECHO_PORT},fork,reuseaddr", "PIPE"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True, preexec_fn=_die_with_parent)
        deadline = time.monotonic() + 10
        for address in self.addresses:  # the server answers on every link
            while True:
                try:
                    socket.create_connection((address, ECHO_PORT), timeout=2).close()
                    break
                except OSError:
                    if time.monotonic() > deadline or self.echo.poll() is not None:
                        raise
                    time.sleep(0.05)

    def _make_link(self, i, name, address=None):
        tag = os.getpid()
        far = f"{LINK_PREFIX}{tag}f{i}"
        _ip("link", "add", name, *(["address", address] if address else []), "type", "veth",
            "peer", "name", far)
        _ip("link", "set", far, "netns", self.namespace)
        self._ipv6_off(name)
        self._in_namespace("sysctl", "-qw", f"net.ipv6.conf.{far}.disable_ipv6=1")
        subnet = f"10.{200 + tag % 50}.{i}"
        _ip("addr", "add", f"{subnet}.1/30", "dev", name)
        self._in_namespace("ip", "addr", "add", f"{subnet}.2/30", "dev", far)
        self._in_namespace("ip", "link", "set", far, "up")
        _ip("link", "set", name, "up")

    def remake(self, i, name):
        """Link i removed and made again under another name with its hardware address, as a
        device plugged in again; its counters start from zero."""
        with open(f"/sys/class/net/{self.names[i]}/address") as f:
            address = f.read().strip()
        _ip("link", "del", self.names[i])
        self.names[i] = name
        self._make_link(i, name, address)

    def _in_namespace(self, *args):
        run(["ip", "netns", "exec", self.namespace, *args], timeout=20)

    @staticmethod
    def _ipv6_off(name):
        with open(f"/proc/sys/net/ipv6/conf/{name}/disable_ipv6", "w") as f:
            f.write("1")

    def rename(self, i, name):
        """Link i down, renamed, up again, as a device that comes back under another name."""
        _ip("link", "set", self.names[i], "down")
        _ip("link", "set", self.names[i], "name", name)
        self.names[i] = name
        _ip("link", "set", name, "up")

    def counters(self):
        """[(received, sent) bytes] of each link's host end, from the kernel."""
        found = {}
        with open("/proc/net/dev") as f:
            for line in f:
                name, colon, rest = line.partition(":")
                if colon:
                    fields = rest.split()
                    found[name.strip()] = int(fields[0]), int(fields[8])
        return [found[name] for name in self.names]

    def traffic(self, i, nbytes, timeout=10):
        """nbytes to the echo server over link i and back again, 64 KB at a time (each back
        before the next goes: few bytes in flight on a busy machine)."""
        block = b"\x5a" * (1 << 16)
        with socket.create_connection((self.addresses[i], ECHO_PORT), timeout=timeout) as conn:
            for _ in range(nbytes // len(block)):
                conn.sendall(block)
                got = 0
                while got < len(block):
                    chunk = conn.recv(len(block) - got)
                    if not chunk:
                        raise RuntimeError(f"link {i}: the echo server hung up")
                    got += len(chunk)

    def keep_busy(self, stop, links, nbytes=1 << 19, pause=0.25):
        """Moves nbytes over each of `links` every `pause` seconds until `stop` is set."""
        while not stop.wait(pause):
            for i in links:
                with contextlib.suppress(OSError, RuntimeError):
                    self.traffic(i, nbytes, timeout=3)

    def close(self):
        """Removes every link and the namespace; safe to call more than once."""
        if self.echo and self.echo.poll() is None:
            with contextlib.suppress(OSError):
                os.killpg(self.echo.pid, signal.SIGKILL)
            self.echo.wait(5)
        for name in self.names:
            _ip("link", "del", name, check=False)
        remove_leftover_links(os.getpid())
        atexit.unregister(self.close)


def format_kb(kb):
    """The meter's data quantity text, with English separators."""
    from decimal import ROUND_HALF_UP, Decimal

    if kb < 1024:
        return f"{kb:,} KB"
    unit, div = ("MB", 1024) if kb < 1048576 else ("GB", 1048576)
    value = (Decimal(kb) / Decimal(div)).quantize(Decimal("0.01"), rounding=ROUND_HALF_UP)
    return f"{value:,.2f} {unit}"


def date_text(day):
    return f"{day.day:02d} {MONTHS[day.month - 1]}, {day.year}"


class Shot:
    """A screenshot held as RGB rows."""

    def __init__(self, ppm):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        if not header:
            raise RuntimeError("unexpected screenshot format")
        self.width, self.height = int(header[1]), int(header[2])
        self.data = ppm[header.end():]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def pixels(self, rect):
        """(x, y, rgb) of every on-screen pixel of a {left, top, right, bottom} rect."""
        for y in range(max(rect["top"], 0), min(rect["bottom"], self.height)):
            for x in range(max(rect["left"], 0), min(rect["right"], self.width)):
                yield x, y, self.pixel(x, y)

    def count(self, rect, rgb):
        return sum(1 for _, _, p in self.pixels(rect) if p == rgb)

    def find(self, rect, rgb):
        return [(x, y) for x, y, p in self.pixels(rect) if p == rgb]


# ---- the driver -------------------------------------------------------------------------


class DriverError(AssertionError):
    pass


class Driver:
    """pelliton_driver.exe as a long-lived process: one request line, one JSON answer."""

    def __init__(self, env, log, exe=None):
        command = in_netns([WINE, exe or setting("PELLITON_DRIVER")], env)
        self.proc = subprocess.Popen(command, env=env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=log, preexec_fn=_die_with_parent)
        self.buffer = b""
        self.call("ping", timeout=30)

    def call(self, *fields, timeout=10):
        line = "\t".join(str(f) for f in fields) + "\n"
        self.proc.stdin.write(line.encode())
        self.proc.stdin.flush()
        deadline = time.monotonic() + timeout
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                raise DriverError(f"driver gave no answer to {fields} in {timeout} s")
            chunk = os.read(self.proc.stdout.fileno(), 1 << 16)
            if not chunk:
                raise DriverError(f"driver ended while answering {fields}")
            self.buffer += chunk
        answer, _, self.buffer = self.buffer.partition(b"\n")
        return json.loads(answer)

    def desktop(self):
        """Brings the prefix's desktop up and returns the screen's size. Wine starts the
        desktop for the first process that needs it, and two processes that need it at the
        same moment start one each and hang: ask this before starting the program."""
        return self.do("screen", timeout=30)

    def do(self, *fields, timeout=10):
        """A request that must succeed."""
        answer = self.call(*fields, timeout=timeout)
        if not answer.get("ok"):
            raise DriverError(f"{fields[0]}: {answer.get('error')}")
        return answer

    def wait(self, cls, title, seconds):
        return self.do("wait", cls, title, int(seconds * 1000), timeout=seconds + 10)["hwnd"]

    def msgbox(self, caption, seconds):
        return self.do("msgbox", caption, int(seconds * 1000), timeout=seconds + 10)

    def gone(self, hwnd, seconds):
        return self.call("gone", hwnd, int(seconds * 1000), timeout=seconds + 10)["ok"]

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.close()
                self.proc.wait(3)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait(5)


# ---- the template prefix ----------------------------------------------------------------


def work_dir():
    path = setting("PELLITON_E2E_WORK")
    os.makedirs(path, exist_ok=True)
    return path


def _template_stamp():
    with open(os.path.join(setting("PELLITON_SOURCE_DIR"), "scripts", "wine-prefix"), "rb") as f:
        script = f.read()
    version = run([WINE, "--version"], timeout=30).stdout
    return hashlib.sha256(script + version.encode()).hexdigest()


def ensure_template(display):
    """The initialised prefix that scenarios copy; made once, under a lock, while current."""
    template = os.path.join(work_dir(), "template")
    stamp_file = os.path.join(template, ".e2e-stamp")
    wine_prefix = os.path.join(setting("PELLITON_SOURCE_DIR"), "scripts", "wine-prefix")
    with open(os.path.join(work_dir(), "template.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp = _template_stamp()
        if os.path.exists(stamp_file):
            with open(stamp_file) as f:
                if f.read() == stamp:
                    return template
        run([wine_prefix, "remove", template], timeout=60)
        try:
            run([wine_prefix, "init", template, "x11"], timeout=150,
                env=dict(os.environ, DISPLAY=display))
            run([wine_prefix, "kill", template], timeout=60)
        except BaseException:
            run([wine_prefix, "remove", template], timeout=60, check=False)
            raise
        with open(stamp_file, "w") as f:
            f.write(stamp)
        return template


# ---- one scenario's world ---------------------------------------------------------------

_open_envs = []


class Env:
    """Display, prefix, driver and program of one scenario, on `screens` monitors of SCREEN's
    size side by side.

    More than one: Xvfb stacks its own Xinerama screens at 0,0 and shows Wine's XRandR path a
    single output, so the display is one screen as wide as all of them, split into monitors by
    `xrandr --setmonitor` (-noreset keeps the split when xrandr leaves); Xvfb answers Xinerama
    queries from those monitors, and UseXRandR=N in the prefix makes Wine ask Xinerama. Wine
    must then report as many monitors as asked for, or the scenario fails."""

    def __init__(self, name, screens=1):
        self.name = name
        self.screens = screens
        self.dir = os.path.join(work_dir(), name)
        self.prefix = os.path.join(self.dir, "prefix")
        self.wine_prefix = os.path.join(setting("PELLITON_SOURCE_DIR"), "scripts", "wine-prefix")
        self.exe = os.path.realpath(setting("PELLITON_EXE"))
        self.xvfb = self.driver = self.pelliton = self.display = None
        self.netns = None  # a network namespace for Wine: its server, the program, the driver
        self.logs = []
        _open_envs.append(self)

    # -- start and end --

    def start(self):
        run([self.wine_prefix, "remove", self.prefix], timeout=60)  # a leftover of a killed run
        os.makedirs(self.dir, exist_ok=True)
        for name in os.listdir(self.dir):
            if name.endswith(".log"):
                os.remove(os.path.join(self.dir, name))
        self._start_display()
        template = ensure_template(self.display)
        run([self.wine_prefix, "clone", template, self.prefix], timeout=120)
        if self.screens > 1:
            # Wine reads the monitors when the desktop starts: the server ends after the change.
            self._start_server()
            self.reg_add(r"Software\Wine\X11 Driver", "UseXRandR", "N")
            self._stop_server()
        self._start_wine()

    def _start_server(self):
        """Server and services first, detached from our pipes, with this display's driver."""
        env = self.wine_env()
        run([WINESERVER, "-p30"], env=env, timeout=30, check=False, stdout=subprocess.DEVNULL)
        run([WINE, "wineboot", "--init"], env=env, timeout=60, stdout=subprocess.DEVNULL)

    def _stop_server(self):
        for flag in ("-k", "-w"):
            run([WINESERVER, flag], env=self.wine_env(), timeout=30, check=False)

    def _start_wine(self):
        self._start_server()
        self.driver = Driver(self.wine_env(), self._log("driver"))
        self.screen = self.driver.desktop()
        if self.screen["monitor_count"] != self.screens:
            heads = run(["xrandr", "--listmonitors"], env=self.x_env(), check=False).stdout
            raise RuntimeError(f"a display of {self.screens} monitors gives Wine "
                               f"{self.screen['monitor_count']}: {self.screen['monitors']}; "
                               f"xrandr lists {heads.strip()!r}")

    def restart_display(self, screens):
        """The prefix's server, driver and program ended, and the server and driver started
        again with the same prefix on a new display of `screens` monitors (one gone)."""
        self.kill_pelliton()
        self.driver.close()
        self._stop_server()
        self._stop_display()
        self.screens = screens
        self._start_display()
        self._start_wine()

    def restart_wine(self):
        """The prefix's server, driver and program ended, and the server and driver started
        again: what Wine keeps of the network interfaces is read afresh."""
        self.kill_pelliton()
        self.driver.close()
        self._stop_server()
        self._start_wine()

    def _start_display(self):
        read_fd, write_fd = os.pipe()
        width, height = SCREEN
        screen = ["-screen", "0", f"{width * self.screens}x{height}x24"]
        screen += ["-noreset"] * (self.screens > 1)
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), *screen, "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=self._log("xvfb"), preexec_fn=_die_with_parent)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([read_fd], [], [], left)[0]:
                os.close(read_fd)
                raise RuntimeError("Xvfb did not start")
            chunk = os.read(read_fd, 16)
            if not chunk:
                os.close(read_fd)
                raise RuntimeError("Xvfb ended at start")
            number += chunk
        os.close(read_fd)
        self.display = ":" + number.decode().strip()
        if self.screens > 1:
            self._split_display()
        colour = "#%02x%02x%02x" % ROOT_RGB
        run(["display", "-window", "root", "-size", "8x8", "xc:" + colour], timeout=20,
            check=False, env=self.x_env())

    def _split_display(self):
        """The wide screen as `screens` monitors side by side, the first one the primary: it
        takes Xvfb's one output, so the server drops its own whole-screen monitor."""
        width, height = SCREEN
        mm = [(n * 254 + 480) // 960 for n in SCREEN]  # 96 dpi
        for i in range(self.screens):
            name, output = (f"*M{i}", "screen") if i == 0 else (f"M{i}", "none")
            geometry = f"{width}/{mm[0]}x{height}/{mm[1]}+{i * width}+0"
            run(["xrandr", "--setmonitor", name, geometry, output], env=self.x_env(), timeout=20)

    def close(self):
        """Ends everything this scenario started. Safe to call more than once."""
        steps = [
            lambda: self.pelliton and self.kill_pelliton(),
            lambda: self.driver and self.driver.close(),
            lambda: run([self.wine_prefix, "remove", self.prefix], timeout=60, check=False),
            self._stop_display,
        ]
        for step in steps:
            try:
                step()
            except Exception as e:  # teardown goes on whatever fails
                print(f"teardown of {self.name}: {e}", file=sys.stderr)
        for log in self.logs:
            log.close()
        self.logs = []
        if self in _open_envs:
            _open_envs.remove(self)

    def _stop_display(self):
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait(5)

    def _log(self, what):
        log = open(os.path.join(self.dir, what + ".log"), "ab")
        self.logs.append(log)
        return log

    def x_env(self):
        return dict(os.environ, DISPLAY=self.display)

    def wine_env(self):
        return dict(self.x_env(), WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEARCH="win64",
                    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
                    **({"PELLITON_NETNS": self.netns} if self.netns else {}))

    # -- the program --

    def start_pelliton(self, exe=None):
        """Starts the program, or a copy at `exe` (a Unix path: Wine must read it as UTF-8)."""
        env = self.wine_env() if exe is None else dict(self.wine_env(), LC_ALL="C.UTF-8")
        self.pelliton = subprocess.Popen(in_netns([WINE, exe or self.exe], env), env=env,
                                         stdin=subprocess.DEVNULL, stdout=self._log("pelliton"),
                                         stderr=subprocess.STDOUT, preexec_fn=_die_with_parent)

    def start_again(self, seconds):
        """Runs one more copy for at most `seconds`: its exit code and how long it ran."""
        started = time.monotonic()
        result = run([WINE, self.exe], env=self.wine_env(), timeout=seconds, check=False,
                     stdout=self._log("second"), preexec_fn=_die_with_parent)
        return result.returncode, time.monotonic() - started

    def copy_exe(self, folder):
        """Pelliton.exe copied into `folder` of the user's profile: its Unix, Windows paths."""
        user = getpass.getuser()
        target = os.path.join(self.prefix, "drive_c", "users", user, folder)
        os.makedirs(target, exist_ok=True)
        shutil.copy(self.exe, target)
        windows = f"C:\\users\\{user}\\{folder}\\Pelliton.exe"
        return os.path.join(target, "Pelliton.exe"), windows

    def kill_pelliton(self):
        """Ends the program as a crash would: no orderly exit."""
        if self.pelliton.poll() is None:
            self.pelliton.kill()
        self.pelliton.wait(10)

    @contextlib.contextmanager
    def pelliton_held(self):
        """Holds the program still for the block (SIGSTOP, then SIGCONT on every way out):
        its next tick comes only after."""
        os.kill(self.pelliton.pid, signal.SIGSTOP)
        try:
            yield
        finally:
            os.kill(self.pelliton.pid, signal.SIGCONT)

    def pelliton_running(self):
        return self.pelliton is not None and self.pelliton.poll() is None

    def wait_pelliton_exit(self, seconds):
        try:
            self.pelliton.wait(seconds)
            return True
        except subprocess.TimeoutExpired:
            return False

    def windows_path(self, path):
        return run([WINE, "winepath", "-w", path], env=self.wine_env(), timeout=30,
                   stderr=subprocess.DEVNULL).stdout.strip()

    # -- the registry --

    def reg_add(self, key, name, value, kind="REG_SZ"):
        run([WINE, "reg", "add", "HKCU\\" + key, "/v", name, "/t", kind, "/d", str(value), "/f"],
            env=self.wine_env(), timeout=30)

    def reg_delete(self, key, name):
        run([WINE, "reg", "delete", "HKCU\\" + key, "/v", name, "/f"], env=self.wine_env(),
            timeout=30, check=False)

    def reg_query(self, key, name):
        """The text of a value as `reg query` prints it, or None when it does not exist."""
        result = run([WINE, "reg", "query", "HKCU\\" + key, "/v", name], env=self.wine_env(),
                     timeout=30, check=False)
        if result.returncode != 0:
            return None
        for line in result.stdout.splitlines():
            fields = line.lstrip(" ").split("    ", 2)
            if len(fields) == 3 and fields[0] == name:
                return fields[2]
        return ""

    def value(self, name, key=SETTINGS):
        """A stored value read through the driver (fast enough to poll): text or None."""
        answer = self.driver.do("regget", key, name)
        return answer.get("value") if answer["exists"] else None

    def values(self, key=SETTINGS):
        return {name: self.value(name, key) for name in self.driver.do("regall", key)["names"]}

    def reg_import(self, values):
        """Writes {(key, name): text} as REG_SZ values under HKCU in one go."""
        lines = ["REGEDIT4", ""]
        for key in dict.fromkeys(k for k, _ in values):
            lines.append(f"[HKEY_CURRENT_USER\\{key}]")
            for (k, name), text in values.items():
                if k == key:
                    quoted = str(text).replace("\\", "\\\\").replace('"', '\\"')
                    lines.append(f'"{name}"="{quoted}"')
            lines.append("")
        path = os.path.join(self.dir, "seed.reg")
        with open(path, "w", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")
        run([WINE, "reg", "import", self.windows_path(path)], env=self.wine_env(), timeout=30)

    def install(self, network="lo", **more):
        """A store as a confirmed first run leaves it, plus the given settings values."""
        values = {(RUN_KEY, AUTOSTART): self.windows_path(self.exe),
                  (SETTINGS, "NetworkType"): network}
        values.update({(SETTINGS, name): text for name, text in more.items()})
        self.reg_import(values)

    # -- the screen --

    def grab(self):
        data = run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.x_env(),
                   timeout=30, text=False, stderr=subprocess.DEVNULL).stdout
        return Shot(data)

    def screenshot(self, name):
        folder = setting("PELLITON_E2E_ARTIFACTS")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name + ".png")
        run(["import", "-window", "root", path], env=self.x_env(), timeout=30)
        return path

    def xdotool(self, *args):
        run(["xdotool", *[str(a) for a in args]], env=self.x_env(), timeout=20)


@atexit.register
def _close_leftovers():
    for env in list(_open_envs):
        env.close()


if __name__ == "__main__":
    if sys.argv[1:] != ["template"]:
        sys.exit("usage: harness.py template")
    env = Env("template-display")
    os.makedirs(env.dir, exist_ok=True)
    try:
        env._start_display()
        print(ensure_template(env.display))
    finally:
        env._stop_display()
