"""The plan's hours set in "Plan Hours..." with the mouse and the keyboard as a person would,
and lo traffic under each: free hours covering the present minute (the total grows, the main
allowance's figure does not), hours that do not cover it (the main one grows), an off-peak
allowance used up that spills over (its balloon; then the main one grows), a daily allowance
(its balloon); then the icon's tip and the day export's last column. Prints its figures."""

import csv
import datetime
import os
import shutil
import unittest

from harness import IDC_HIST_EXPORT, IDOK, USAGE_WINDOW, loopback_traffic
from scenario import Scenario, this_month

PLAN_DIALOG = "Plan Hours"
(IDC_PLAN_WINDOW, IDC_PLAN_FROM, IDC_PLAN_TO, IDC_PLAN_WINDOW_PROBLEM, IDC_PLAN_FREE,
 IDC_PLAN_OWN_THEN_MAIN, IDC_PLAN_OFFPEAK, IDC_PLAN_DAILY) = 361, 362, 364, 365, 367, 369, 371, 377
MB = 1 << 20
SLACK_KB = 64


class Plan(Scenario):
    budget = 285

    def controls(self, dialog):
        return {c["id"]: c for c in self.drv.do("window", dialog)["children"]}

    def click(self, dialog, control, double=False):
        """The mouse moved onto the control, rested a moment, then a click."""
        rect = self.controls(dialog)[control]["rect"]
        x, y = (rect["left"] + rect["right"]) // 2, (rect["top"] + rect["bottom"]) // 2
        self.env.xdotool("mousemove", x, y, "sleep", "0.3", "click", *(["--repeat", "2"] if
                                                                      double else []), "1")

    def enter(self, dialog, control, text):
        """A click into the entry, its text selected by the keyboard and typed over."""
        self.click(dialog, control)
        self.wait_until(lambda: self.drv.do("focus", dialog)["id"] == control, 5, "the entry")
        self.env.xdotool("key", "End", "shift+Home")
        self.env.xdotool("type", text)
        self.wait_until(lambda: self.controls(dialog)[control]["text"] == text, 5, text)

    def set_plan(self, window=None, rule=None, off_peak=None, daily=None):
        """Opens the dialog from the menu, changes what is given, and OK with the mouse."""
        self.choose("Plan Hours...")
        dialog = self.drv.wait("#32770", PLAN_DIALOG, 10)
        self.wait_until(lambda: self.controls(dialog)[IDC_PLAN_FROM]["text"], 5, "the entries")
        if window:
            if not self.controls(dialog)[IDC_PLAN_FROM]["enabled"]:
                self.click(dialog, IDC_PLAN_WINDOW)
                self.wait_until(lambda: self.controls(dialog)[IDC_PLAN_FROM]["enabled"], 5,
                                "the hours taking input")
            self.enter(dialog, IDC_PLAN_FROM, "25:00")  # refused, and the dialog says why
            self.wait_until(lambda: self.controls(dialog)[IDC_PLAN_WINDOW_PROBLEM]["text"], 5,
                            "the reason")
            self.assertFalse(self.controls(dialog)[IDOK]["enabled"])
            self.enter(dialog, IDC_PLAN_FROM, window[0])
            self.enter(dialog, IDC_PLAN_TO, window[1])
        if rule:
            self.click(dialog, rule)
        if off_peak:
            self.enter(dialog, IDC_PLAN_OFFPEAK, off_peak)
        if daily:
            self.enter(dialog, IDC_PLAN_DAILY, daily)
        self.wait_until(lambda: self.controls(dialog)[IDOK]["enabled"], 5, "OK enabled")
        self.env.screenshot("plan_hours")  # the dialog as it was last filled in
        self.click(dialog, IDOK)
        self.assertTrue(self.drv.gone(dialog, 10))

    def hours(self, start, minutes):
        """A window of `minutes` from `start` minutes after the present minute, as the prefix's
        local clock (the one Wine gives the program) reads it."""
        now = datetime.datetime.now()
        begin = now + datetime.timedelta(minutes=start)
        end = begin + datetime.timedelta(minutes=minutes)
        return f"{begin:%H:%M}", f"{end:%H:%M}"

    def figures(self):
        """The cycle's total and what counts toward the main allowance, in KB: the total less
        the off-peak hours' traffic ("PlanData": total, that traffic, ...) that goes elsewhere,
        all of it while the hours are free, up to the off-peak allowance when it spills over."""
        total = int(self.env.value("TotalData"))
        window = int((self.env.value("PlanData") or "0,0").split(",")[1])
        if self.spill_kb is not None:
            window = min(window, self.spill_kb)
        return total, total - window

    def move(self, nbytes):
        """Traffic on lo, counted by the ticks that follow: the growth of the total and of the
        main allowance's figure."""
        before = self.figures()
        self.wait_tick()
        loopback_traffic(nbytes)
        self.wait_tick()
        self.wait_tick()
        after = self.figures()
        return after[0] - before[0], after[1] - before[1]

    def balloon(self, words, seconds=20):
        """The text of the icon's balloon that is up and holds `words` (under Wine a tooltip
        window of the balloon style, owned by the tray window)."""
        def shown():
            text = self.drv.do("tray")["icons"][0]["balloon"]
            return words in text and text
        return self.wait_until(shown, seconds, f"a balloon saying {words!r}")

    spill_kb = None  # the off-peak allowance once window traffic spills over

    def test_plan(self):
        env = self.env
        env.install(LastMonth=this_month(), BillCycleDate="1", TotalData="100000", StayTop="0",
                    DataCap="51200")
        env.start_pelliton()
        self.wait_meter()
        self.wait_tick(10)
        figures = {}

        self.set_plan(window=self.hours(-10, 40))  # free at first
        total, main = self.move(4 * MB)
        figures["free"] = (total, main)
        self.assertGreaterEqual(total, 8 * 1024 - SLACK_KB)
        self.assertLessEqual(main, SLACK_KB, "free hours counted toward the main allowance")

        self.set_plan(window=self.hours(60, 60))
        total, main = self.move(4 * MB)
        figures["outside"] = (total, main)
        self.assertGreaterEqual(main, 8 * 1024 - SLACK_KB)
        self.assertLessEqual(abs(total - main), SLACK_KB)

        # 0.01 GB off-peak, then the main one: used up by 12 MB of lo traffic.
        self.set_plan(window=self.hours(-10, 40), rule=IDC_PLAN_OWN_THEN_MAIN, off_peak="0.01")
        self.spill_kb = 10 * 1024
        total, main = self.move(6 * MB)
        figures["off-peak used up"] = (total, main)
        figures["off-peak balloon"] = self.balloon("The off-peak hours (")
        self.assertGreaterEqual(main, total - 10 * 1024 - SLACK_KB, "no spill-over")
        self.assertGreater(main, 0)

        self.set_plan(daily="0.01")
        self.wait_tick()
        figures["daily balloon"] = self.balloon("Today has used")

        tip = self.tip()
        figures["tip"] = tip
        self.assertIn("Off-peak", tip)
        off_peak_kb = self.export_off_peak()
        figures["export off-peak KB"] = off_peak_kb
        self.assertGreaterEqual(off_peak_kb, 8 * 1024 + 10 * 1024 - SLACK_KB)
        print("plan scenario figures (KB):", figures)

    def tip(self):
        """The icon's tip, the mouse resting on the icon until it shows."""
        icon = self.wait_until(lambda: self.drv.do("tray")["icons"], 20, "the icon")[0]
        self.env.xdotool("mousemove", 300, 400, "sleep", "0.3", "mousemove", *icon["at"])
        self.drv.wait("tooltips_class32", "", 5)
        return self.wait_until(lambda: self.drv.do("tray")["icons"][0]["tip"], 5, "the tip")

    def export_off_peak(self):
        """Today's off-peak KB, the last column of the day export."""
        env, drv = self.env, self.drv
        self.choose("Usage History")
        window = drv.wait("#32770", USAGE_WINDOW, 10)
        folder = os.path.join(env.dir, "export")
        shutil.rmtree(folder, ignore_errors=True)
        os.mkdir(folder)
        path = os.path.join(folder, "plan.csv")
        for _ in range(5):
            if drv.do("focus", window)["id"] == IDC_HIST_EXPORT:
                break
            env.xdotool("key", "Tab")
        env.xdotool("key", "space")
        save = drv.wait("#32770", "Save As", 15)
        env.xdotool("key", "ctrl+a")
        env.xdotool("type", env.windows_path(path))
        env.xdotool("key", "Return")
        self.assertTrue(drv.gone(save, 10))
        names = [path, path[:-4] + "-hours.csv", path[:-4] + "-cycles.csv"]
        self.wait_until(lambda: all(os.path.exists(n) for n in names), 10, "the export")
        with open(path, encoding="utf-8", newline="") as f:
            rows = list(csv.reader(f))
        self.assertEqual(rows[0][:5], ["Date", "Download (KB of 1024 bytes)",
                                       "Upload (KB of 1024 bytes)",
                                       "Correction (KB of 1024 bytes)",
                                       "Total (KB of 1024 bytes)"])
        self.assertTrue(rows[0][-1].startswith("Off-peak"), rows[0])
        env.screenshot("plan_usage_history")  # the off-peak parts drawn apart
        env.xdotool("key", "Escape")
        self.assertTrue(drv.gone(window, 10))
        return int(rows[-1][-1])


if __name__ == "__main__":
    unittest.main()
