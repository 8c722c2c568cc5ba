"""The usage history window through the real popup menu: lo traffic shows as today's bar and
the line under the chart, as "TotalData" and the kernel's counters have it; "<" and ">" step
through the cycles; the export through the Save As dialog, by the keyboard, gives CSV files
whose sums match. Keeps a picture of the window at 96 DPI."""

import csv
import datetime
import os
import re
import shutil
import unittest

from harness import (IDC_HIST_CHART, IDC_HIST_CLOSE, IDC_HIST_CYCLE, IDC_HIST_DAY, IDC_HIST_EARLIER,
                     IDC_HIST_EXPORT, IDC_HIST_LATER, IDOK, USAGE_WINDOW, date_text,
                     loopback_traffic)
from scenario import Scenario, this_month

DOWNLOAD, UPLOAD = (0x2E, 0x75, 0xB6), (0xED, 0x7D, 0x31)
LINE = r"(\d\d \w{3}, \d{4}): download (.+), upload (.+), total (.+)"
SLACK_KB = 64
KB_HEADER = " (KB of 1024 bytes)"


def kb(text):
    """A data quantity text in KB, and how far its rounding may be off."""
    figure, unit = text.replace(",", "").split()
    scale = {"KB": 1, "MB": 1024, "GB": 1048576}[unit]
    return float(figure) * scale, (0 if unit == "KB" else scale / 200)


def day_before_last_cycle():
    """The 10th of last month, in the cycle before this one (cycles begin on the 1st)."""
    first = datetime.date.today().replace(day=1)
    return (first - datetime.timedelta(days=1)).replace(day=10)


class UsageHistory(Scenario):
    budget = 165

    def texts(self, window):
        return {c["id"]: c for c in self.drv.do("window", window)["children"]}

    def assert_near(self, text, expected_kb, slack_kb, what):
        figure, rounding = kb(text)
        self.assertLessEqual(abs(figure - expected_kb), slack_kb + rounding, what)

    def test_usage_history(self):
        env, drv = self.env, self.drv
        earlier = day_before_last_cycle()
        env.install(LastMonth=this_month(), BillCycleDate="1", TotalData="0", StayTop="0",
                    UsageDays=f"{earlier:%Y%m%d},3072,1024")
        env.start_pelliton()
        self.wait_meter()
        low1, high1, _ = self.wait_tick(10)
        loopback_traffic(3 << 20)
        low2, high2, _ = self.wait_tick()
        before = int(env.value("TotalData"))
        # lo counts every byte once received and once sent: each is half of the two.
        least, most = (low2 - high1) / 2048, (high2 - low1) / 2048
        self.assertGreaterEqual(before, 2 * least - 2 * SLACK_KB)
        self.assertLessEqual(before, 2 * most + 2 * SLACK_KB, "other traffic on lo? rerun")

        self.choose("Usage History")
        window = drv.wait("#32770", USAGE_WINDOW, 10)
        texts = self.texts(window)
        after = int(env.value("TotalData"))
        line = re.fullmatch(LINE, texts[IDC_HIST_DAY]["text"])
        self.assertTrue(line, texts[IDC_HIST_DAY]["text"])
        self.assertIn(line[1], self.today_dates())
        self.assert_near(line[4], (before + after) / 2, (after - before) / 2, "the day's total")
        for part in line[2], line[3]:
            self.assert_near(part, (least + most) / 2, (most - least) / 2 + SLACK_KB, part)
        first = datetime.date.today().replace(day=1)
        self.assertTrue(texts[IDC_HIST_CYCLE]["text"].startswith(date_text(first) + " - "),
                        texts[IDC_HIST_CYCLE])
        self.assertTrue(texts[IDC_HIST_EARLIER]["enabled"])
        self.assertFalse(texts[IDC_HIST_LATER]["enabled"])
        env.screenshot("usage_history")
        shot, chart = env.grab(), texts[IDC_HIST_CHART]["rect"]
        self.assertGreater(shot.count(chart, DOWNLOAD), 0, "no download bar")
        self.assertGreater(shot.count(chart, UPLOAD), 0, "no upload bar")

        # Left and Right move the day chosen; "<" steps back to the seeded day's cycle.
        env.xdotool("key", "Left", "Right")
        self.wait_until(lambda: self.texts(window)[IDC_HIST_DAY]["text"].startswith(line[1]), 5,
                        "Right back on today")
        drv.do("click", window, IDC_HIST_EARLIER)
        self.wait_until(lambda: self.texts(window)[IDC_HIST_DAY]["text"] ==
                        f"{date_text(earlier)}: download 3.00 MB, upload 1.00 MB, total 4.00 MB",
                        5, "the earlier cycle's day")
        texts = self.texts(window)
        self.assertTrue(texts[IDC_HIST_CYCLE]["text"].startswith(
            date_text(earlier.replace(day=1)) + " - "), texts[IDC_HIST_CYCLE])
        self.assertFalse(texts[IDC_HIST_EARLIER]["enabled"])
        drv.do("click", window, IDC_HIST_LATER)
        self.wait_until(lambda: self.texts(window)[IDC_HIST_DAY]["text"].startswith(line[1]), 5,
                        "\">\" back on today")
        for key, cycle_start in ("Prior", earlier.replace(day=1)), ("Next", first):
            env.xdotool("key", key)  # Page Up and Page Down, wherever the focus is
            self.wait_until(lambda: self.texts(window)[IDC_HIST_CYCLE]["text"].startswith(
                date_text(cycle_start) + " - "), 5, key)

        # Told of a move to a monitor of 144 DPI and back: laid out at 144, then as it was.
        shown = drv.do("window", window)
        drv.do("dpi", window, 144, 96)
        close = self.texts(window)[IDC_HIST_CLOSE]["rect"]
        self.assertEqual((close["right"] - close["left"], close["bottom"] - close["top"]),
                         (113, 35))
        drv.do("dpi", window, 96, 144)
        self.assertEqual(drv.do("window", window), shown)

        self.folder = os.path.join(env.dir, "export")  # the files of this run alone
        shutil.rmtree(self.folder, ignore_errors=True)
        os.mkdir(self.folder)
        self.export(window, earlier, "usage.csv")
        # A companion that cannot take the name (a folder stands there): the error box, and
        # nothing half-written left behind.
        os.mkdir(os.path.join(self.folder, "blocked-hours.csv"))
        box = self.export(window, earlier, "blocked.csv")
        self.assertTrue(box["text"].startswith("Cannot write '") and
                        "blocked-hours.csv" in box["text"] and box["icon"], box["text"])
        drv.do("click", box["hwnd"], IDOK)
        self.assertTrue(drv.gone(box["hwnd"], 5))
        self.assertEqual([n for n in os.listdir(self.folder) if n.endswith(".partial")], [])
        env.xdotool("key", "Escape")
        self.assertTrue(drv.gone(window, 10))
        self.assert_meter_raised()

    def export(self, window, earlier, name):
        """Export..., a name typed into the Save As dialog, Enter: three CSV files read back;
        for a name that cannot be written, the error box instead."""
        env, drv = self.env, self.drv
        path = os.path.join(self.folder, name)
        names = [path, path[:-4] + "-hours.csv", path[:-4] + "-cycles.csv"]
        for _ in range(5):  # Tab from the chart to Export..., over the buttons that are off
            if drv.do("focus", window)["id"] == IDC_HIST_EXPORT:
                break
            env.xdotool("key", "Tab")
        env.xdotool("key", "space")
        save = drv.wait("#32770", "Save As", 15)
        low = int(env.value("TotalData"))
        env.xdotool("key", "ctrl+a")
        env.xdotool("type", env.windows_path(path))
        env.xdotool("key", "Return")
        self.assertTrue(drv.gone(save, 10))
        if name.startswith("blocked"):
            return drv.msgbox("Pelliton", 10)
        self.wait_until(lambda: all(os.path.exists(n) for n in names), 10, "the three files")
        high = int(env.value("TotalData"))
        days, hours, cycles = [self.read_csv(n) for n in names]
        self.assertEqual(days[0], {"Date": f"{earlier:%Y-%m-%d}", "Download": "3072",
                                   "Upload": "1024", "Correction": "0", "Total": "4096",
                                   "Off-peak": "0"})
        today = days[-1]
        total = int(today["Download"]) + int(today["Upload"]) + int(today["Correction"])
        self.assertEqual(int(today["Total"]), total)
        self.assertTrue(low <= total <= high, (low, total, high))
        for field in "Download", "Upload":
            self.assertEqual(sum(int(h[field]) for h in hours if h["Date"] == today["Date"]),
                             int(today[field]), field)
        self.assertEqual(cycles, [])  # no cycle has finished

    def read_csv(self, name):
        with open(name, "rb") as f:
            raw = f.read()
        self.assertTrue(raw.endswith(b"\r\n") and b"\n" not in raw.replace(b"\r\n", b""), name)
        rows = list(csv.DictReader(raw.decode("utf-8").splitlines()))
        return [{key.removesuffix(KB_HEADER): value for key, value in row.items()} for row in rows]


if __name__ == "__main__":
    unittest.main()
