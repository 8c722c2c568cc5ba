"""Start-up, memory and a soak of Pelliton.exe under Wine on a virtual display, each against a
bare window of the meter's kind where that makes sense. Prints figures, never judges them: it
fails only when something cannot run at all.

- Start-up: pelliton_startup_bench.exe starts both programs in turn and times CreateProcess to
  the first painted window (see its source).
- Memory: Pelliton.exe, the floor (the bare window making a tick's platform calls every 2 s)
  and the bare window are started together; after 100 ticks of the meter and 30 s, the three
  have their resident memory read from /proc/<pid>/status of the Linux process that runs each
  .exe (VmRSS, and RssAnon, its private anonymous part), and the files that the meter maps
  beyond the floor's are listed.
- Soak: 1,000 ticks, then 100 showings of the connection dialog (the "Change Network" command,
  Yes in its confirmation box, Cancel in the dialog), with the program's objects counted by
  the driver, since Wine's GetGuiResources and GetProcessHandleCount answer 0: its kernel
  handles in the system's handle list, and from inside (the resource probe) the live GDI
  objects in its GDI handle table and that table's slots in use, its windows, menus and
  icons/cursors. Then 100 showings each of the About box (closed with its close box), the
  colour dialog, the cycle date and the display size dialogs (cancelled), counted the same way.
- Statistics: 100 openings of the statistics window (the "Monthly Statistics" command, Close),
  counted the same way.

A tick is the driver's "tick": WM_TIMER 1 sent to the meter window, which runs the handler of
the two-second timer; each returns when its tick is done.

Paths come from the environment as for the end-to-end scenarios (scripts/bench sets them),
plus PELLITON_BENCH_BIN, the folder of the two bench executables.
"""

import datetime
import os
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from harness import (CONNECTION_DIALOG, CYCLE_DATE_DIALOG, DISPLAY_SIZE_DIALOG,  # noqa: E402
                     IDC_STAT_BITBTN1, IDCANCEL, IDM, IDYES, STATISTICS_WINDOW, WINE, Env,
                     _die_with_parent, filled_connection_list,
                     run, setting)

BUDGET = 420  # seconds for everything, teardown included
STARTS = 50  # starts of each program, in 5 rounds
MEMORY_TICKS = 100
MEMORY_SECONDS = 30  # from the start to the first reading
MEMORY_SAMPLES = 5
SOAK_TICKS = (500, 500)
SOAK_DIALOGS = (1, 49, 50)  # a row after each: the first showing fills caches
# The other windows the menu opens: the menu command, the caption, how it is closed.
SOAK_WINDOWS = (("About", "ABOUT", "About", "close"),
                ("colour dialog", "CLOCK_COLOR", "Color", "cancel"),
                ("cycle date", "CYCLE_DATE", CYCLE_DATE_DIALOG, "cancel"),
                ("display size", "DISPLAY_FONT_SIZE", DISPLAY_SIZE_DIALOG, "cancel"))
BARE_CLASS = "PellitonBenchBareWindow"  # bench/bare_window.h
FLOOR_CLASS = "PellitonBenchFloorWindow"
PARTS = ("startup", "memory", "soak", "statistics")  # all by default; name some to run only those


class OutOfTime(Exception):
    pass


def _out_of_time(signum, frame):
    raise OutOfTime(f"the benchmark ran out of its time (signal {signum})")


def resident(pid, unit=1):
    """VmRSS and RssAnon of a Linux process, in KB (or in `unit` KB)."""
    figures = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            name, _, value = line.partition(":")
            if name in ("VmRSS", "RssAnon"):
                figures[name] = int(value.split()[0]) / unit
    return figures["VmRSS"], figures["RssAnon"]


def mapped_files(pid):
    """The files a Linux process maps, each with its resident KB (/proc/<pid>/smaps)."""
    files, path = {}, None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            fields = line.split()
            if "-" in fields[0] and not fields[0].endswith(":"):
                path = fields[5] if len(fields) > 5 and fields[5].startswith("/") else None
            elif fields[0] == "Rss:" and path:
                files[path] = files.get(path, 0) + int(fields[1])
    return files


def exe_pid(proc, exe, prefix):
    """The Linux process that runs exe in prefix: the one started, unless Wine handed on."""
    name = os.path.basename(exe).lower().encode()
    ours = b"WINEPREFIX=" + prefix.encode() + b"\0"
    for pid in [proc.pid] + [int(p) for p in os.listdir("/proc") if p.isdigit()]:
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f, open(f"/proc/{pid}/environ", "rb") as e:
                if name in f.read().lower() and ours in e.read() + b"\0":
                    return pid
        except OSError:
            pass
    raise RuntimeError(f"no Linux process runs {exe}")


class Bench:
    def __init__(self):
        self.bin = setting("PELLITON_BENCH_BIN")
        self.env = Env("bench")
        self.sides = []  # the bench windows started beside the meter

    def close(self):
        for proc in self.sides:
            if proc.poll() is None:
                proc.kill()
                proc.wait(10)
        self.env.close()

    def start(self):
        self.env.start()
        self.drv = self.env.driver
        # Installed, in this month's cycle: no first-run dialog, no rollover.
        self.env.install(LastMonth=str(datetime.datetime.now().month))

    # -- start-up --

    def startup(self):
        env = self.env
        result = run([WINE, os.path.join(self.bin, "pelliton_startup_bench.exe"), str(STARTS),
                      env.windows_path(env.exe),
                      env.windows_path(os.path.join(self.bin, "pelliton_bare_window.exe"))],
                     env=env.wine_env(), timeout=150)
        print(result.stdout.rstrip())

    # -- memory --

    def side(self, name):
        """Starts a bench window (bench/bare_window_win32.cpp) beside the meter."""
        exe = os.path.join(self.bin, f"pelliton_{name}_window.exe")
        proc = subprocess.Popen([WINE, exe], env=self.env.wine_env(), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                preexec_fn=_die_with_parent)
        self.sides.append(proc)
        return proc, exe

    def memory(self):
        env, drv = self.env, self.drv
        started = time.monotonic()
        env.start_pelliton()
        floor, floor_exe = self.side("floor")
        bare, bare_exe = self.side("bare")
        drv.wait("TPellitonForm", "Pelliton", 20)
        drv.wait(FLOOR_CLASS, "", 20)
        drv.wait(BARE_CLASS, "", 20)
        ticks = drv.do("tick", MEMORY_TICKS, timeout=60)
        time.sleep(max(0, MEMORY_SECONDS - (time.monotonic() - started)))
        pids = {"Pelliton.exe": exe_pid(env.pelliton, env.exe, env.prefix),
                "floor": exe_pid(floor, floor_exe, env.prefix),
                "bare window": exe_pid(bare, bare_exe, env.prefix)}
        samples = {name: [] for name in pids}
        for _ in range(MEMORY_SAMPLES):  # the three taking turns, a second apart
            for name, pid in pids.items():
                samples[name].append(resident(pid))
            time.sleep(1)
        mapped = {name: mapped_files(pid) for name, pid in pids.items()}
        figures = {name: tuple(statistics.median(s[i] for s in samples[name]) for i in (0, 1))
                   for name in pids}
        print(f"\nMemory of the Linux processes that run the .exe files (/proc/<pid>/status), "
              f"started together;\nPelliton.exe sent {MEMORY_TICKS} ticks "
              f"({ticks['ms'] / MEMORY_TICKS:.1f} ms each) and ticking on its own, the floor "
              f"making a tick's\nplatform calls every 2 s; medians of {MEMORY_SAMPLES} readings "
              f"a second apart, from {MEMORY_SECONDS} s after the start:")
        print(f"  {'program':<14} {'VmRSS KB':>9} {'RssAnon KB':>11}")
        for name, (rss, anon) in figures.items():
            print(f"  {name:<14} {rss:9.0f} {anon:11.0f}")
        ours = figures["Pelliton.exe"]
        for name in ("floor", "bare window"):
            print(f"  Pelliton.exe / {name}: VmRSS {ours[0] / figures[name][0]:.3f}x, "
                  f"RssAnon {ours[1] / figures[name][1]:.3f}x")
        more = {path: kb for path, kb in mapped["Pelliton.exe"].items()
                if path not in mapped["floor"]}
        print("  files mapped by Pelliton.exe and not by the floor (resident KB): " + (", ".join(
            f"{os.path.basename(path)} {kb}" for path, kb in
            sorted(more.items(), key=lambda item: -item[1])) or "none"))
        print(f"  Pelliton.exe as built: {os.path.getsize(env.exe) / 1024:.0f} KB")
        for proc in self.sides:
            proc.kill()
            proc.wait(10)

    # -- soak --

    def connected_ticks(self):
        """Connected ticks the meter has stored: its connected time in two-second steps."""
        parts = [int(self.env.value(name) or 0) for name in ("Hours", "Minutes", "Seconds")]
        return ((parts[0] * 60 + parts[1]) * 60 + parts[2]) // 2

    @staticmethod
    def header():
        print(f"  {'after':<18} {'RSS MB':>7} {'anon MB':>7} {'handles':>7} {'GDI':>5} "
              f"{'slots':>5} {'windows':>7} {'menus':>5} {'icons':>5} {'ms each':>8}")

    def row(self, label, each_ms):
        pid = exe_pid(self.env.pelliton, self.env.exe, self.env.prefix)
        rss, anon = resident(pid, 1024)
        r = self.drv.do("resources")
        each = f"{each_ms:8.1f}" if each_ms is not None else f"{'':>8}"
        print(f"  {label:<18} {rss:7.2f} {anon:7.2f} {r['handles']:7} {r['gdi']:5} "
              f"{r['gdi_high']:5} {r['windows']:7} {r['menus']:5} {r['icons']:5} {each}",
              flush=True)
        return r

    def show_connection_dialog(self):
        drv = self.drv
        drv.do("command", IDM["CHANGE_NETWORK"])
        box = drv.msgbox("Conformation", 10)
        drv.do("click", box["hwnd"], IDYES)
        dialog = drv.wait("#32770", CONNECTION_DIALOG, 10)
        deadline = time.monotonic() + 10
        while True:  # the dialog has read the interface table
            if filled_connection_list(drv, dialog):
                break
            if time.monotonic() > deadline:
                raise RuntimeError("the connection dialog listed no connections")
            time.sleep(0.005)
        self.cancel(dialog)

    def cancel(self, dialog):
        self.drv.do("click", dialog, IDCANCEL)
        if not self.drv.gone(dialog, 10):
            raise RuntimeError("a dialog did not close")

    def show_window_once(self, command, caption, closing):
        drv = self.drv
        drv.do("command", IDM[command])
        window = drv.wait("#32770", caption, 10)
        if closing == "close":
            drv.do("close", window)
        else:
            drv.do("click", window, IDCANCEL)
        if not drv.gone(window, 10):
            raise RuntimeError(f"the {caption} window did not close")

    def soak_windows(self):
        for name, command, caption, closing in SOAK_WINDOWS:
            self.showings(lambda: self.show_window_once(command, caption, closing), name)

    def soak(self):
        drv = self.drv
        drv.do("resources")  # loads the probe into the program before the first row
        print("\nSoak of that Pelliton.exe. RSS and anon: VmRSS and RssAnon; handles: kernel "
              "handles it holds\n(the system's handle list); GDI: live objects in its GDI "
              "handle table, stock ones left out;\nslots: table slots in use (grows only when "
              "the table does); windows, menus, icons/cursors:\nits USER objects of those "
              "kinds. All counted while no dialog is open.")
        self.header()
        first = self.row(f"start ({MEMORY_TICKS} ticks)", None)
        counted = self.connected_ticks()
        done = 0
        for ticks in SOAK_TICKS:
            answer = drv.do("tick", ticks, timeout=120)
            done += ticks
            self.row(f"{done:,} ticks", answer["ms"] / ticks)
        counted = self.connected_ticks() - counted
        self.showings(self.show_connection_dialog, "dialog")
        self.soak_windows()
        last = self.row("end", None)
        print(f"  The meter stored {counted:,} connected ticks for the {done:,} sent (a tick of "
              f"its own two-second\n  timer would add one). ms each: a tick's round trip, a "
              f"showing's whole drive from outside.")
        self.kinds(first, last)
        if not self.env.pelliton_running():
            raise RuntimeError("Pelliton.exe ended during the soak")

    def show_statistics_once(self):
        drv = self.drv
        drv.do("command", IDM["USAGE_STATISTICS"])
        window = drv.wait("#32770", STATISTICS_WINDOW, 10)
        drv.do("click", window, IDC_STAT_BITBTN1)
        if not drv.gone(window, 10):
            raise RuntimeError("the statistics window did not close")

    def statistics(self):
        print("\nThe statistics window opened and closed, counted as in the soak:")
        self.header()
        first = self.row("no window", None)
        self.kinds(first, self.showings(self.show_statistics_once, "window"))

    def showings(self, show_once, noun):
        """Rows after 1, 50 and 100 showings; returns the last row's figures."""
        shown = 0
        for count in SOAK_DIALOGS:
            begin = time.monotonic()
            for _ in range(count):
                show_once()
            shown += count
            last = self.row(f"{shown} {noun}{'s' * (shown > 1)}",
                            (time.monotonic() - begin) * 1000 / count)
        return last

    @staticmethod
    def kinds(first, last):
        print("  GDI objects by kind, start -> end: " + ", ".join(
            f"{kind} {first['gdi_kinds'][kind]}->{last['gdi_kinds'][kind]}"
            for kind in first["gdi_kinds"]))


def main():
    signal.signal(signal.SIGALRM, _out_of_time)
    signal.signal(signal.SIGTERM, _out_of_time)
    signal.alarm(BUDGET)
    bench = Bench()
    began = time.monotonic()
    try:
        bench.start()
        for part in sys.argv[1:] or PARTS:
            getattr(bench, part)()
    finally:
        signal.alarm(0)
        bench.close()
    print(f"(Wine benchmarks took {time.monotonic() - began:.0f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
