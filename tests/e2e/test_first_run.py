"""A first start on an empty store: choosing the connection installs, cancelling ends."""

import unittest

from harness import (AUTOSTART, CONNECTION_DIALOG, IDCANCEL, IDOK, LIME, ROOT_RGB, RUN_KEY,
                     SILVER, format_kb, interfaces, loopback_traffic)
from scenario import Scenario

TRAFFIC = 1 << 20
FOLDER = "Пеллитон 计量"  # Cyrillic and Chinese: no ANSI code page holds both


class FirstRun(Scenario):
    def open_dialog(self, exe=None):
        self.env.start_pelliton(exe)
        dialog = self.drv.wait("#32770", CONNECTION_DIALOG, 30)
        lines = self.wait_list(dialog)
        self.assertEqual(sorted(lines["items"]), sorted(interfaces()),
                         "the list shows every interface of the machine")
        self.assertEqual(lines["selected"], 0)
        self.assertFalse(lines["ok_enabled"], "OK is enabled before any selection")
        return dialog

    def test_first_run_confirmed(self):
        """From a folder that the code page cannot name: autostart holds the true path."""
        env, drv = self.env, self.drv
        exe, windows_exe = env.copy_exe(FOLDER)
        dialog = self.open_dialog(exe)
        hidden = [label["visible"] for label in drv.do("meter")["labels"]]
        self.assertEqual(hidden, [False] * 3, "the meter's texts show while choosing")

        self.pick_lo(dialog)
        drv.do("click", dialog, IDOK)
        box = drv.msgbox("Pelliton", 15)
        self.assertEqual(box["text"], "Zorvane Live Pelliton has been installed successfully.")
        self.assertEqual(box["buttons"], [{"id": IDOK, "text": "OK"}])
        self.assertFalse(box["icon"], "a plain message has no icon")
        self.assertEqual(env.value(AUTOSTART, RUN_KEY), windows_exe)
        self.assertEqual(drv.do("regget", RUN_KEY, AUTOSTART)["type"], 1, "not a REG_SZ")
        self.assertEqual(env.value("NetworkType"), "lo")

        drv.do("click", box["hwnd"], IDOK)
        self.assertTrue(drv.gone(box["hwnd"], 10))
        # The rest of the start-up runs once the box is closed, its label text last but one.
        meter = self.wait_until(lambda: (m := drv.do("meter"))["labels"][0]["visible"]
                                and not m["app_visible"] and m, 5, "the rest of the start-up")
        shot = env.grab()  # before the first tick can change the texts
        width = self.env.screen["width"]
        rect = meter["rect"]
        self.assertEqual((rect["left"], rect["top"]), (width - 310, 0))
        self.assertEqual((rect["right"] - rect["left"], rect["bottom"] - rect["top"]), (241, 38))
        self.assertTrue(meter["visible"], "the meter window is hidden")
        self.assertEqual([label["visible"] for label in meter["labels"]], [True] * 3)
        self.assertEqual(self.label_texts(meter)[0], "0 KB")
        label1 = meter["labels"][0]["rect"]
        self.assertGreater(shot.count(label1, LIME), 20, "Label1 is not drawn in lime")
        self.assertEqual(shot.count(rect, SILVER), 0, "silver is drawn instead of keyed out")
        self.assertGreater(shot.count(rect, ROOT_RGB), 241 * 38 // 2, "no desktop shows through")

        # A fresh store rolls over at its first connected tick; the next one counts.
        self.wait_until(lambda: env.value("TotalData") is not None, 10, "a stored total")
        self.wait_tick(8)
        stored = env.values()
        for name in "TotalData", "Seconds", "Minutes", "Hours":
            self.assertRegex(stored[name] or "", r"^\d+$", name)
        self.assertIn(stored["LastMonth"], self.today_months())
        history = stored["AllData"] or ""
        self.assertEqual(len(history), 52, f"one record: {history!r}")
        self.assertIn(history[:12], self.today_dates())
        self.assertEqual(history[12:], "?? ???, ????" + history[:12] + format_kb(0).rjust(11)
                         + "00000")
        self.assertTrue(env.pelliton_running())
        meter = drv.do("meter")
        self.assertTrue(meter["topmost"], f"the meter is not kept on top: {meter}")
        *_, seconds = self.wait_tick()
        loopback_traffic(TRAFFIC)
        self.wait_tick(previous=seconds)
        self.assertGreaterEqual(int(env.value("TotalData")), 2 * TRAFFIC // 1024, "not counted")

    def test_first_run_cancelled(self):
        env, drv = self.env, self.drv
        dialog = self.open_dialog()
        drv.do("click", dialog, IDCANCEL)
        box = drv.msgbox("Installation Cancel", 15)
        self.assertEqual(box["text"], "Pelliton installation cancelled")
        self.assertEqual(box["buttons"], [{"id": IDOK, "text": "OK"}])
        self.assertFalse(box["icon"])
        drv.do("click", box["hwnd"], IDOK)
        self.assertTrue(env.wait_pelliton_exit(10), "the program goes on after cancelling")
        self.assertIsNone(env.value(AUTOSTART, RUN_KEY))
        self.assertIsNone(env.value("TotalData"), "a tick ran")
        self.assertIsNone(env.value("NetworkType"))


if __name__ == "__main__":
    unittest.main()
