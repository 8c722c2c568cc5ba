"""The data cap set by the keyboard, then lo traffic past 80 % and 100 % of it: each warning
once, as a balloon from the icon in the notification area (no box while the icon is there),
while the ticks go on; a new start gives neither."""

import re
import unittest

from harness import (DATA_CAP_DIALOG, IDC_CAP_EDIT1, IDC_CAP_EDIT2, IDC_CAP_LINE1,
                     IDC_CAP_PROBLEM1, IDOK, loopback_traffic)
from scenario import Scenario, this_month

CAP_KB = 205 * 1024  # 0.2 GB is stored as 205 MB
LEVEL_KB = CAP_KB * 80 // 100
WARNING = (r"This billing cycle has used (?:80% of its|its whole) 0\.2 GB allowance: "
           r"([\d,.]+) MB, with \d+ days? left\.")


class DataCap(Scenario):
    budget = 150

    def boxes(self):
        return [w for w in self.drv.do("windows")["windows"]
                if (w["class"], w["caption"], w["visible"]) == ("#32770", "Pelliton", True)]

    def balloon(self):
        return self.drv.do("tray")["icons"][0]["balloon"]

    def warning(self, kind, at_least_kb):
        """The icon's balloon that is up: its text says `kind` and a total of at least
        `at_least_kb`."""
        text = self.wait_until(lambda: kind in self.balloon() and self.balloon(), 15, kind)
        found = re.fullmatch(WARNING, text)
        self.assertTrue(found, text)
        self.assertGreaterEqual(float(found[1].replace(",", "")) * 1024, at_least_kb - 10)
        self.assertEqual(self.boxes(), [], "a box beside the balloon")

    def push_until(self, done, what):
        for _ in range(20):
            if done():
                return
            loopback_traffic(10 << 20)  # 20 MB on lo
            self.wait_tick()
        self.fail(f"no {what} after 400 MB on lo")

    def replace_text(self, text):
        self.env.xdotool("key", "End", "shift+Home")
        self.env.xdotool("type", text)

    def set_cap(self):
        """0.2 GB and 80 % by the keyboard."""
        env, drv = self.env, self.drv
        self.choose("Monthly Data Cap")
        dialog = drv.wait("#32770", DATA_CAP_DIALOG, 10)
        texts = lambda: {c["id"]: c for c in drv.do("window", dialog)["children"]}
        self.wait_until(lambda: texts()[IDC_CAP_EDIT2]["text"] == "80", 5, "the stored level")
        self.assertRegex(texts()[IDC_CAP_LINE1]["text"], r"^Used [\d,.]+ [KMG]B, day \d+ of")
        self.replace_text("0.2x")  # refused, and the field says why
        self.wait_until(lambda: texts()[IDC_CAP_PROBLEM1]["text"] ==
                        "Enter a number of GB, such as 12.5.", 5, "the refusal")
        self.assertFalse(texts()[IDOK]["enabled"])
        env.xdotool("key", "BackSpace", "Tab")
        self.wait_until(lambda: drv.do("focus", dialog)["id"] == IDC_CAP_EDIT2, 5, "Tab")
        self.replace_text("80")
        self.wait_until(lambda: texts()[IDOK]["enabled"], 5, "OK enabled")
        self.assertEqual(texts()[IDC_CAP_EDIT1]["text"], "0.2")
        env.xdotool("key", "Return")
        self.assertTrue(drv.gone(dialog, 10))
        self.assertEqual((env.value("DataCap"), env.value("CapWarning")), ("205", "80"))
        self.assert_meter_raised()

    def test_data_cap(self):
        env = self.env
        month = this_month()
        env.install(LastMonth=month, BillCycleDate="1", TotalData="100000", StayTop="0")
        env.start_pelliton()
        self.wait_meter()
        self.wait_tick(10)
        self.set_cap()
        # lo is shared with whatever else runs here: traffic goes on until the balloon is up.
        self.push_until(lambda: env.value("CapWarned") in ("1", "3"), "the first warning")
        if env.value("CapWarned") == "1":
            self.warning("80% of its", LEVEL_KB)
        self.push_until(lambda: env.value("CapWarned") == "3", "the second warning")
        self.wait_tick()  # the ticks go on under the balloon
        self.warning("its whole", CAP_KB)
        self.wait_tick()
        self.wait_tick()
        self.assertEqual(self.boxes(), [], "a box came")

        env.kill_pelliton()
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.drv.do("tray")["icons"], 20, "the icon")
        for _ in range(3):
            self.wait_tick(10)
        self.assertEqual((self.boxes(), self.balloon()), ([], ""),
                         "a warning came again after a new start")
        if env.value("LastMonth") != month:
            self.skipTest("the cycle rolled over at a month boundary during the test")


if __name__ == "__main__":
    unittest.main()
