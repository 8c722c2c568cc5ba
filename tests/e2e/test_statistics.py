"""The statistics window through the real popup menu, and the meter deaf to the mouse under
every window of the program: the statistics window, the "Conformation" box and the
connection dialog of "Change Network"."""

import time
import unittest

from harness import (CONNECTION_DIALOG, IDC_STAT_BITBTN1, IDC_STAT_LABEL1, IDC_STAT_STATICTEXT1,
                     IDCANCEL, IDM, IDYES, MONTHS, STATISTICS_WINDOW)
from scenario import Scenario, this_month

NOTE = "The actual cummulative data (download plus upload) transfered from your computer. "
BIG = "900000000"  # KB: Label1 reads 858.31 GB, and its first figure stays put


def history():
    """A head and twelve records, newest first, as the rollovers of 2025 leave them; and the
    lines the window shows for them. The head lies in the past: one far ahead of the clock
    was written while the clock ran ahead, and rolls the cycle over at the first tick."""
    dates = [f"15 {month}, 2025" for month in MONTHS] + ["15 Jan, 2026"]
    records, lines = [], []
    for i in range(12, 0, -1):
        start, end = dates[i - 1], dates[i]
        quantity = f"{i * 1.25:,.2f} MB".rjust(11)
        hours, minutes = (999, 59) if i == 12 else (i * 50, i * 4)
        records.append(f"{start}{end}{quantity}{hours:03d}{minutes:02d}")
        lines.append(f"{start} - {end} : {quantity} in {hours:03d} Hrs and {minutes:02d} Mins")
    return dates[12] + "".join(records), lines


class Statistics(Scenario):
    def check_window(self, window, lines, scale=1.0):
        """Caption, size and place, texts and focus of the statistics window at opening, its
        layout scaled by `scale` from 96 DPI."""
        shown = self.drv.do("window", window)
        self.assertEqual(shown["caption"], STATISTICS_WINDOW)
        self.assertTrue(shown["topmost"])
        gui = self.drv.do("gui", window)
        self.assertEqual((gui["client_width"], gui["client_height"]),
                         (round(505 * scale + 0.01), round(313 * scale + 0.01)))
        rect, screen = shown["rect"], self.env.screen
        self.assertLessEqual(abs(rect["left"] + rect["right"] - screen["width"]), 1)
        self.assertLessEqual(abs(rect["top"] + rect["bottom"] - screen["height"]), 1)
        texts = {child["id"]: child["text"] for child in shown["children"]}
        self.assertEqual(texts[IDC_STAT_LABEL1], "".join(line + "\r\n" for line in lines))
        self.assertEqual(texts[IDC_STAT_STATICTEXT1], NOTE)
        self.assertEqual(texts[IDC_STAT_BITBTN1], "&Close")
        self.assertEqual(gui["focus_id"], IDC_STAT_BITBTN1)

    def test_statistics_and_modality(self):
        env, drv = self.env, self.drv
        all_data, lines = history()
        self.assertEqual(len(all_data), 492)
        # On lo in this month's cycle: connected ticks, and no rollover to change the history.
        env.install(network="lo", LastMonth=this_month(), AllData=all_data, TotalData=BIG,
                    StayTop="0")
        env.start_pelliton()
        self.wait_meter()
        self.wait_tick(10)
        self.assertFalse(drv.do("meter")["topmost"])

        self.open_from_menu("USAGE_STATISTICS")
        window = drv.wait("#32770", STATISTICS_WINDOW, 10)
        self.check_window(window, lines)
        self.assert_meter_deaf()
        self.wait_tick(10)
        env.xdotool("key", "Escape")
        time.sleep(0.5)
        self.assertTrue(drv.call("window", window)["ok"], "Esc closed the window")
        env.xdotool("key", "Return")
        self.assertTrue(drv.gone(window, 10), "Enter did not close the window")
        self.assert_meter_raised()
        self.assertTrue(drv.do("meter")["enabled"])
        self.assertEqual(env.value("AllData"), all_data)

        # "Change Network": the meter is deaf under its box and under its dialog, moved off it.
        self.open_from_menu("CHANGE_NETWORK")
        box = drv.msgbox("Conformation", 10)
        self.assertFalse(drv.do("meter")["enabled"])
        drv.do("click", box["hwnd"], IDYES)
        dialog = drv.wait("#32770", CONNECTION_DIALOG, 15)
        self.wait_list(dialog)
        drv.do("move", dialog, 40, 500)
        self.assert_meter_deaf()
        self.wait_tick(10)
        drv.do("click", dialog, IDCANCEL)
        self.assertTrue(drv.gone(dialog, 10))
        self.assertTrue(drv.do("meter")["enabled"])
        self.assertIsNone(drv.call("wait", "#32770", "", 1000, timeout=15).get("hwnd"),
                          "a second dialog opened inside the first")

    def test_statistics_at_144_dpi(self):
        env, drv = self.env, self.drv
        all_data, lines = history()
        env.reg_add(r"Control Panel\Desktop", "LogPixels", 144, "REG_DWORD")
        env.install(network="nosuch0", LastMonth=this_month(), AllData=all_data)
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 10, "the first tick")
        drv.do("command", IDM["USAGE_STATISTICS"])
        window = drv.wait("#32770", STATISTICS_WINDOW, 10)
        self.check_window(window, lines, 1.5)
        drv.do("click", window, IDC_STAT_BITBTN1)
        self.assertTrue(drv.gone(window, 10))
        self.assertTrue(drv.do("meter")["topmost"])


if __name__ == "__main__":
    unittest.main()
