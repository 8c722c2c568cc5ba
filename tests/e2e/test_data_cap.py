"""The monthly data cap: 0.2 GB and 80 % set through the popup menu and its dialog by the
keyboard, then loopback traffic past 80 % and past 100 % of it: each warning box once, with
its text, the ticks going on under it and the second box waiting for the first; a new start
gives neither again."""

import re
import unittest

from harness import (DATA_CAP_DIALOG, IDC_CAP_EDIT1, IDC_CAP_EDIT2, IDC_CAP_LINE1,
                     IDOK, loopback_traffic)
from scenario import Scenario, this_month

CAP_KB = 205 * 1024  # 0.2 GB is stored as 205 MB
LEVEL_KB = CAP_KB * 80 // 100
START_KB = 150000
WARNING = (r"This billing cycle has used (?:80% of its|its whole) 0\.2 GB allowance: "
           r"([\d,.]+) MB, with \d+ days? left\.")


class DataCap(Scenario):
    budget = 150

    def boxes(self):
        return self.drv.do("msgboxes", "Pelliton")["texts"]

    def warning(self, kind, at_least_kb):
        """The one warning box that is up: its text says `kind` and a total of at least
        `at_least_kb`; the information icon, OK alone, owned by the meter."""
        box = self.drv.msgbox("Pelliton", 15)
        self.assertEqual(self.boxes(), [box["text"]], "more than one box")
        found = re.fullmatch(WARNING, box["text"])
        self.assertTrue(found and kind in box["text"], box["text"])
        self.assertGreaterEqual(float(found[1].replace(",", "")) * 1024, at_least_kb - 10)
        self.assertTrue(box["icon"])
        self.assertEqual([b["id"] for b in box["buttons"]], [IDOK])
        self.assertEqual(box["owner"], self.drv.do("meter")["hwnd"])
        return box

    def replace_text(self, text):
        """Types `text` over the whole of the focused entry."""
        self.env.xdotool("key", "End", "shift+Home")
        self.env.xdotool("type", text)

    def set_cap(self):
        """0.2 GB and 80 % by the keyboard."""
        env, drv = self.env, self.drv
        self.choose("Monthly Data Cap")
        dialog = drv.wait("#32770", DATA_CAP_DIALOG, 10)
        texts = lambda: {c["id"]: c for c in drv.do("window", dialog)["children"]}
        self.wait_until(lambda: texts()[IDC_CAP_EDIT2]["text"] == "80", 5, "the stored level")
        controls = texts()
        self.assertEqual(controls[IDC_CAP_EDIT1]["text"], "0")
        self.assertRegex(controls[IDC_CAP_LINE1]["text"],
                         r"^Used [\d,.]+ [KMG]B, day \d+ of \d+ of this cycle\.$")
        self.assertEqual(drv.do("focus", dialog)["id"], IDC_CAP_EDIT1)
        self.replace_text("0.2")
        env.xdotool("key", "Tab")
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
        env.install(LastMonth=month, BillCycleDate="1", TotalData=str(START_KB), StayTop="0")
        env.start_pelliton()
        self.wait_meter()
        self.wait_tick(10)
        self.set_cap()
        self.wait_tick()
        self.assertEqual(self.boxes(), [], "a warning below the level")

        loopback_traffic(10 << 20)  # 20 MB on lo: past 80 %, short of 100 %
        self.warning("80% of its", LEVEL_KB)
        self.assertEqual(env.value("CapWarned"), "1")
        *_, seconds = self.wait_tick()  # the ticks go on under the box
        loopback_traffic(30 << 20)  # past 100 %: the second box waits for the first
        *_, seconds = self.wait_tick(previous=seconds)
        self.wait_tick(previous=seconds)
        self.assertEqual(env.value("CapWarned"), "3")
        first = self.warning("80% of its", LEVEL_KB)
        self.drv.do("click", first["hwnd"], IDOK)
        self.assertTrue(self.drv.gone(first["hwnd"], 5))
        second = self.warning("its whole", CAP_KB)
        self.drv.do("click", second["hwnd"], IDOK)
        self.assertTrue(self.drv.gone(second["hwnd"], 5))
        self.wait_tick()
        self.wait_tick()
        self.assertEqual(self.boxes(), [], "a warning came twice")

        env.kill_pelliton()
        env.start_pelliton()
        self.wait_meter()
        for _ in range(3):
            self.wait_tick(10)
        self.assertEqual(self.boxes(), [], "a warning came again after a new start")
        if env.value("LastMonth") != month:
            self.skipTest("the cycle rolled over at a month boundary during the test")


if __name__ == "__main__":
    unittest.main()
