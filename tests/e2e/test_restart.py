"""A crash and a new start: no first run again, and counting goes on from the stored total
and what passed meanwhile; a second start beside the running meter shows it and ends. Thirty
crashes at random moments while traffic flows leave every stored figure whole and lose no
traffic."""

import random
import re
import threading
import time
import unittest

from harness import (AUTOSTART, RUN_KEY, format_kb, keep_loopback_busy, lo_counters,
                     loopback_traffic)
from scenario import Scenario, this_month

TRAFFIC = 1 << 20
KILLS = 30
# Stored numbers and their ranges; the history is a head date and 40-character records.
NUMBERS = {"TotalData": 2**32 - 1, "Seconds": 65535, "Minutes": 65535, "Hours": 65535,
           "LastMonth": 65535, "BillCycleDate": 65535}
HISTORY = "01 Dec, 2026" + "01 Nov, 2026" + "01 Dec, 2026" + "  123.45 MB" + "01234"


class Restart(Scenario):
    def count_some(self):
        """Waits until the meter counts, moves traffic, and returns the stored totals of the
        first counted tick and of the tick after the traffic, and lo's counters after the
        first one."""
        _, high, _ = self.wait_tick(10)
        before = int(self.env.value("TotalData"))
        *_, seconds = self.wait_tick()
        loopback_traffic(TRAFFIC)
        self.wait_tick(previous=seconds)
        after = int(self.env.value("TotalData"))
        self.assertGreaterEqual(after - before, 2 * TRAFFIC // 1024)
        return before, after, high

    def test_restart(self):
        env, drv = self.env, self.drv
        month = this_month()
        env.install(LastMonth=month, TotalData="2000000", Hours="7", Minutes="30", Seconds="0",
                    StayTop="0")
        env.start_pelliton()
        self.wait_meter()
        first, _, _ = self.count_some()
        self.assertGreaterEqual(first, 2000000)

        env.kill_pelliton()
        stored = {name: env.value(name)
                  for name in ("TotalData", "Hours", "Minutes", "LastDown", "LastUp")}
        loopback_traffic(TRAFFIC)  # while the meter is not running
        env.start_pelliton()
        self.wait_meter()
        shown = format_kb(int(stored["TotalData"]))
        self.wait_until(lambda: self.label_texts()[0] == shown, 3, f"the stored total {shown}")
        dialog = drv.call("wait", "#32770", "", 3000, timeout=10)
        self.assertFalse(dialog["ok"], "a dialog opened on a start that is no first run")

        before, after, high = self.count_some()
        if env.value("LastMonth") != month:
            self.skipTest("the cycle rolled over at a month boundary during the test")
        added = before - int(stored["TotalData"])
        self.assertGreaterEqual(added, 2 * TRAFFIC // 1024, "the traffic while stopped was lost")
        # The stored readings are lo's counters at the last tick before the kill.
        self.assertLessEqual(added, high / 1024 - int(stored["LastDown"]) - int(stored["LastUp"])
                             + 2, "counted traffic from before the last stored tick")
        self.assertGreaterEqual(int(env.value("Hours")) * 60 + int(env.value("Minutes")),
                                int(stored["Hours"]) * 60 + int(stored["Minutes"]))
        time.sleep(0.2)
        self.assertEqual(self.label_texts()[0], format_kb(after))
        self.second_start_shows_the_meter()

    def second_start_shows_the_meter(self):
        """A second start raises the meter for a moment and ends; the store stays as it was."""
        env, drv = self.env, self.drv
        self.assertFalse(drv.do("meter")["topmost"])
        with env.pelliton_held():  # no tick of the first one changes the store meanwhile
            before = env.values(), env.value(AUTOSTART, RUN_KEY)
            code, took = env.start_again(30)
            after = env.values(), env.value(AUTOSTART, RUN_KEY)
        print(f"\nthe second start ended after {took:.1f} s")
        self.assertEqual((code, after), (0, before), "the second start changed the store")
        self.wait_until(lambda: drv.do("meter")["topmost"], 5, "the meter raised")
        self.wait_until(lambda: not drv.do("meter")["topmost"], 8, "the meter back in its band")
        classes = [w["class"] for w in drv.do("windows")["windows"]]
        self.assertEqual(classes.count("TPellitonForm"), 1)
        self.wait_tick()

    def stored_whole(self, history):
        """Every stored value parses, and the history keeps its layout; the stored total."""
        values = self.env.values()
        for name, largest in NUMBERS.items():
            self.assertRegex(values.get(name) or "", r"^\d+$", name)
            self.assertLessEqual(int(values[name]), largest, name)
        self.assertEqual(values["AllData"], history)
        self.assertEqual(values["NetworkType"], "lo")
        return int(values["TotalData"])

    def day_records_sum(self):
        """The KB of every day record, read as a start reads them: the closed days, and the
        open day less what its last write added when "TotalData" lacks that."""
        values = self.env.values()
        closed = [d for d in (values.get("UsageDays") or "").split() if "," in d]
        _, open_day, seal = ((values.get("UsageOpen") or "") + " - - -").split()[:3]
        kb = lambda record: sum(map(int, record.split(",")[1:]))
        held = sum(map(kb, closed))
        if open_day != "-" and (not closed or open_day[:8] > closed[-1][:8]):
            held += kb(open_day)
            sealed, *last = map(int, seal.split(","))
            stored = int(values["TotalData"])
            if stored != sealed and stored + sum(last) == sealed:
                held -= sum(last)
        return held

    def no_error_box(self, when):
        box = self.drv.call("msgbox", "", 0)
        self.assertFalse(box["ok"], f"a message box {when}: {box.get('text')}")

    def test_kills(self):
        """kill -9 at seeded random moments (half of them just as a tick has stored the
        total) while traffic flows, each followed by a new start. A stored "Seconds" of
        65534 carries when loaded instead of stopping the first tick. After the kills the
        day records of the run hold exactly the growth of the total."""
        env = self.env
        month = this_month()
        env.install(LastMonth=month, TotalData="1000", Hours="7", Minutes="30",
                    Seconds="65534", BillCycleDate="1", AllData=HISTORY)
        rng = random.Random(20261208)
        stop = threading.Event()
        traffic = threading.Thread(target=keep_loopback_busy, args=(stop, 1 << 19, 0.25))
        env.start_pelliton()
        self.wait_meter()
        self.wait_tick(10)  # bound: from here on every byte of lo counts
        first, kernel_start, started = int(env.value("TotalData")), sum(lo_counters()), \
            time.monotonic()
        total = first
        traffic.start()
        self.addCleanup(lambda: (stop.set(), traffic.join()))
        for kill in range(KILLS):
            if kill:
                env.start_pelliton()
                self.wait_meter()
            if rng.random() < 0.5:
                time.sleep(rng.uniform(0.5, 6))
            else:
                time.sleep(rng.uniform(0, 2))
                seen = env.value("TotalData")
                self.wait_until(lambda: env.value("TotalData") != seen, 8, "a counted tick")
            self.no_error_box(f"before kill {kill + 1}")
            env.kill_pelliton()
            now = self.stored_whole(HISTORY)
            self.assertGreaterEqual(now, total, f"the total went down at kill {kill + 1}")
            moved = (sum(lo_counters()) - kernel_start) / 1024
            self.assertLessEqual(now - first, moved + 64, f"counted twice by kill {kill + 1}")
            total = now
        stop.set()
        traffic.join()
        held_by_days = self.day_records_sum()  # the history began empty, at 1000 KB
        env.start_pelliton()  # counts what passed since the last kill, and still counts on
        self.wait_meter()
        self.wait_tick(10)
        self.wait_tick()
        total = self.stored_whole(HISTORY)
        kernel_kb = (sum(lo_counters()) - kernel_start) / 1024
        rate = kernel_kb / (time.monotonic() - started)
        if env.value("LastMonth") != month:
            self.skipTest("the cycle rolled over at a month boundary during the test")
        # Each start adds what passed since the readings of the last stored tick; a kill
        # between the readings and the total loses that one tick's growth.
        counted, lost = total - first, kernel_kb - (total - first)
        print(f"\n{KILLS} kills: lo moved {kernel_kb:.0f} KB ({rate:.0f} KB/s), the meter "
              f"counted {counted} KB, lost {lost:.0f} KB, {lost / KILLS:.1f} KB or "
              f"{lost / KILLS / rate:.3f} s of traffic a kill; the day records hold "
              f"{held_by_days} KB of the {now - 1000} KB that the kills left stored")
        self.assertLessEqual(lost, 64 * KILLS, "lost more than 64 KB a kill")
        self.assertLessEqual(counted, kernel_kb + 64, "counted more than lo moved")
        self.assertEqual(held_by_days, now - 1000, "the day records against the total")
        loopback_traffic(TRAFFIC)  # and it still counts, with the carried time
        self.wait_tick()
        self.assertGreater(self.stored_whole(HISTORY), total)
        self.no_error_box("after the last start")
        hours, minutes = map(int, re.fullmatch(r"(\d+):(\d\d)", self.label_texts()[2]).groups())
        self.assertGreaterEqual(hours * 60 + minutes, 25 * 60 + 42)


if __name__ == "__main__":
    unittest.main()
