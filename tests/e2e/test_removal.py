"""A stored silver at start-up, and "Remove This Program": No changes nothing, Yes leaves no
trace but "Software\\Zorvane", and the next start is a first run."""

import time
import unittest

from harness import (AUTOSTART, CONNECTION_DIALOG, IDNO, IDOK, IDYES, LIME, RUN_KEY, SETTINGS,
                     SILVER)
from scenario import Scenario, this_month

SILVER_STAND_IN = (0xC1, 0xC0, 0xC0)
QUESTION = "Do you want to remove this software?"
THANKS = ("Thank You For Using The Zorvane Pelliton.\r\r"
          "Zorvane Pelliton has been uninstalled successfully")
TICKED = {"TotalData", "Seconds", "Minutes", "Hours", "LastUptime"}


class Removal(Scenario):
    def ask(self):
        self.choose("Remove This Program", SILVER_STAND_IN)
        box = self.drv.msgbox("Terminate Query", 10)
        self.assertEqual(box["text"], QUESTION)
        self.assertEqual([b["id"] for b in box["buttons"]], [IDYES, IDNO])
        self.assertGreater(self.icon_colours(box)[1], 20, "not the information icon")
        return box

    def test_removal(self):
        env, drv = self.env, self.drv
        # Silver written from outside: shown one step redder, so the menu stays in reach.
        env.install(LastMonth=this_month(), Color="12632256")
        env.start_pelliton()
        self.wait_meter()
        self.wait_tick(10)
        label = drv.do("meter")["labels"][0]["rect"]
        shot = env.grab()
        self.assertGreater(shot.count(label, SILVER_STAND_IN), 20)
        self.assertEqual(shot.count(label, LIME) + shot.count(label, SILVER), 0)
        self.assertEqual(env.value("Color"), "12632256", "the stored text was changed")

        def untouched():
            return {k: v for k, v in env.values().items() if k not in TICKED}

        before, autostart = untouched(), env.value(AUTOSTART, RUN_KEY)
        box = self.ask()
        drv.do("click", box["hwnd"], IDNO)
        self.assertTrue(drv.gone(box["hwnd"], 10))
        self.wait_tick(5)  # the timer still runs
        self.assertEqual(untouched(), before)
        self.assertEqual(env.value(AUTOSTART, RUN_KEY), autostart)

        box = self.ask()
        drv.do("click", box["hwnd"], IDYES)
        thanks = drv.msgbox("Pelliton", 10)
        self.assertEqual(thanks["text"], THANKS)
        self.assertEqual(thanks["buttons"], [{"id": IDOK, "text": "OK"}])
        self.assertFalse(thanks["icon"])
        x, y = (label["left"] + label["right"]) // 2, (label["top"] + label["bottom"]) // 2
        env.xdotool("mousemove", x, y, "mousedown", "1", "mousemove", x - 40, y + 40,
                    "mouseup", "1")  # a drag release while the thanks are shown
        time.sleep(2.5)  # a tick's time: none comes
        self.assertFalse(drv.do("regall", SETTINGS)["key_exists"], "the settings key is back")
        self.assertTrue(drv.do("regall", r"Software\Zorvane")["key_exists"])
        self.assertIsNone(env.value(AUTOSTART, RUN_KEY))
        drv.do("click", thanks["hwnd"], IDOK)
        self.assertTrue(env.wait_pelliton_exit(10), "the program goes on after removal")
        self.assertFalse(drv.do("regall", SETTINGS)["key_exists"])

        env.start_pelliton()
        drv.wait("#32770", CONNECTION_DIALOG, 30)
        self.assertEqual([lb["visible"] for lb in drv.do("meter")["labels"]], [False] * 3)


if __name__ == "__main__":
    unittest.main()
