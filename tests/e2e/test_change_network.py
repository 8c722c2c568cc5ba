"""The "Change Network" command: confirmed it clears the cycle, declined it changes nothing."""

import time
import unittest

from harness import CONNECTION_DIALOG, IDM, IDNO, IDOK, IDYES
from scenario import Scenario, this_month

QUESTION = ("Changing Network Adaptor will clear all the previous data. "
            "Do you want to countinue?")
BIG = "900000000"  # KB: more than any test can move


class ChangeNetwork(Scenario):
    def prepare(self):
        """Installed on a connection that is not there, so that no tick writes anything."""
        other_month = str(int(this_month()) % 12 + 1)
        self.env.install(network="nosuch0", LastMonth=other_month, TotalData=BIG,
                         Seconds="20", Minutes="3", Hours="1")
        self.env.start_pelliton()
        self.wait_meter()
        time.sleep(2.5)  # a tick has run

    def ask(self):
        """The command; returns its confirmation box."""
        self.drv.do("command", IDM["CHANGE_NETWORK"])
        box = self.drv.msgbox("Conformation", 10)
        self.assertEqual(box["text"], QUESTION)
        self.assertEqual([b["id"] for b in box["buttons"]], [IDYES, IDNO])
        self.assertTrue(box["icon"])
        _, blue = self.icon_colours(box)
        self.assertGreater(blue, 20, "the icon is not the information icon")
        return box

    def test_change_network_yes(self):
        env, drv = self.env, self.drv
        self.prepare()
        box = self.ask()
        drv.do("click", box["hwnd"], IDYES)
        dialog = drv.wait("#32770", CONNECTION_DIALOG, 15)
        self.pick_lo(dialog)
        drv.do("click", dialog, IDOK)
        self.assertTrue(drv.gone(dialog, 10))
        self.wait_until(lambda: env.value("Hours") == "0", 5, "the cleared figures")
        stored = env.values()
        for name in "TotalData", "Seconds", "Minutes", "Hours":
            self.assertEqual(stored[name], "0", name)
        self.assertIn(stored["LastMonth"], self.today_months())
        self.assertEqual(stored["NetworkType"], "lo")
        self.assertIsNone(stored.get("AllData"), "the cleared cycle went into the history")
        # The next ticks locate lo and count on it from zero.
        self.wait_tick(10)
        self.assertLess(int(env.value("TotalData")), int(BIG))

    def test_change_network_no(self):
        env, drv = self.env, self.drv
        self.prepare()
        before = env.values()
        box = self.ask()
        drv.do("click", box["hwnd"], IDNO)
        self.assertTrue(drv.gone(box["hwnd"], 10))
        dialog = drv.call("wait", "#32770", "", 4500, timeout=15)
        self.assertFalse(dialog["ok"], "a window opened after No")
        self.assertEqual(env.values(), before)


if __name__ == "__main__":
    unittest.main()
