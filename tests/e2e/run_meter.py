"""The meter for a person to watch: used by scripts/run, which builds, prepares the prefix and
the display and ends everything afterwards. Starts Pelliton.exe in the given prefix on the
current DISPLAY and prints the three texts of the meter on every tick. On a virtual display
nobody can answer the first-run connection dialog, so --answer does: it chooses the interface
that carries the default route, else lo. --connection chooses another one (on a later run
through the "Change Network" command, as a person would); --traffic moves data over loopback
while it reports, so that a meter on lo has something to count on an idle machine."""

import argparse
import os
import subprocess
import sys
import threading
import time

from harness import (AUTOSTART, CONNECTION_DIALOG, IDC_CONN_LISTBOX1, IDM, IDOK,
                     IDYES, RUN_KEY, SETTINGS, WINE, Driver, DriverError, filled_connection_list,
                     keep_loopback_busy)


def default_route_interface():
    try:
        with open("/proc/net/route") as f:
            for line in f.readlines()[1:]:
                fields = line.split()
                if len(fields) > 2 and fields[1] == "00000000":
                    return fields[0]
    except OSError:
        pass
    return None


def answer_first_run(drv, meter, wanted, first_run):
    """Answers the connection dialog on a first run (known, as the program knows it, from the
    autostart value read before the start: the meter shows its texts for a moment before
    the dialog opens); returns when the meter shows its texts."""
    if first_run:
        print("First run: ", end="")
        choose(drv, drv.wait("#32770", CONNECTION_DIALOG, 60), wanted)
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline and meter.poll() is None:
        shown = drv.call("meter")
        if shown["ok"] and shown["labels"][0]["visible"]:
            return
        time.sleep(0.1)


def choose(drv, dialog, wanted=None):
    for _ in range(100):
        lines = filled_connection_list(drv, dialog)
        if lines:
            break
        time.sleep(0.1)
    else:
        raise SystemExit("The connection dialog listed no connection.")
    items = lines["items"]
    route = default_route_interface()
    if wanted in items:
        pick, why = wanted, "as asked"
    elif wanted:
        raise SystemExit(f"No connection {wanted!r}; the dialog lists {', '.join(items)}.")
    else:
        pick = route if route in items else "lo" if "lo" in items else items[0]
        why = "the interface of the default route" if pick == route else "no default route"
    print(f"the connection dialog lists {', '.join(items)}; "
          f"this script chooses {pick} ({why}).")
    drv.do("select", dialog, IDC_CONN_LISTBOX1, items.index(pick))
    drv.do("click", dialog, IDOK)
    box = drv.call("msgbox", "Pelliton", 10000, timeout=20)
    if box["ok"]:
        print(f"The program says: {box['text']}")
        drv.do("click", box["hwnd"], IDOK)


def change_network(drv, wanted):
    """Switches the metered connection through the menu command, if it is another one."""
    current = drv.call("regget", SETTINGS, "NetworkType").get("value")
    if current == wanted:
        return
    print(f"Change Network: from {current} to {wanted}, which clears the cycle's figures; ",
          end="")
    drv.do("command", IDM["CHANGE_NETWORK"])
    box = drv.msgbox("Conformation", 10)
    drv.do("click", box["hwnd"], IDYES)
    choose(drv, drv.wait("#32770", CONNECTION_DIALOG, 15), wanted)


def report(drv, meter, seconds):
    """Prints the three texts on every tick (a connected tick moves the stored time) and
    whenever they change, for `seconds` or, when 0, until the meter ends."""
    start = time.monotonic()
    last_texts, last_tick, last_print = None, None, 0.0
    while meter.poll() is None and (not seconds or time.monotonic() - start < seconds):
        tick = drv.call("regget", SETTINGS, "Seconds").get("value")
        if tick != last_tick:
            time.sleep(0.1)  # the tick sets the texts right after it stores the time
        shown = drv.call("meter")
        now = time.monotonic()
        if shown["ok"]:
            texts = [label["text"] for label in shown["labels"]]
            if texts != last_texts or tick != last_tick or now - last_print >= 2.0:
                print(f"{now - start:6.1f} s   " + " | ".join(f"{t:>12}" for t in texts),
                      flush=True)
                last_texts, last_print = texts, now
        last_tick = tick
        time.sleep(0.1)
    if meter.poll() is not None:
        print(f"The meter ended (exit code {meter.returncode}).")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--seconds", type=int, default=0, help="0: until the meter ends")
    parser.add_argument("--answer", action="store_true", help="answer the first-run dialog")
    parser.add_argument("--connection", help="meter this connection (lo, eth0, ...)")
    parser.add_argument("--traffic", action="store_true", help="move data over loopback")
    parser.add_argument("--screenshot", help="save the screen here at the end")
    parser.add_argument("--log", default=os.devnull)
    args = parser.parse_args()

    env = dict(os.environ, WINEPREFIX=args.prefix, WINEDEBUG="-all", WINEARCH="win64",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    with open(args.log, "ab") as log:
        meter = drv = None
        stop = threading.Event()
        try:
            drv = Driver(env, log, exe=args.driver)
            drv.desktop()
            first_run = not drv.call("regget", RUN_KEY, AUTOSTART).get("value")
            meter = subprocess.Popen([WINE, os.path.realpath(args.exe)], env=env,
                                     stdin=subprocess.DEVNULL, stdout=log, stderr=log)
            if args.answer or args.connection:
                answer_first_run(drv, meter, args.connection, first_run)
            if args.connection:
                change_network(drv, args.connection)
            if args.traffic:
                threading.Thread(target=keep_loopback_busy, args=(stop,), daemon=True).start()
                print("Moving about a megabyte a second over loopback (lo).")
            print("Label1 (big figure) | Label2 (upper right) | Label3 (time)")
            report(drv, meter, args.seconds)
            if args.screenshot:
                subprocess.run(["import", "-window", "root", args.screenshot], timeout=30,
                               check=True)
                print(f"Screenshot: {args.screenshot}")
        except KeyboardInterrupt:
            print()
        except DriverError as e:
            print(f"Lost the meter: {e}", file=sys.stderr)
            return 1
        finally:
            stop.set()
            if meter and meter.poll() is None:
                meter.kill()
                meter.wait(10)
            if drv:
                drv.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
