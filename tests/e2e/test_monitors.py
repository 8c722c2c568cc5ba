"""Two monitors side by side: released partly beyond the second's right edge, the meter keeps
that monitor's margin, also after a restart, and a dialog and the Usage History window opened
from it open on it; the second gone, the meter is back whole on the first."""

import unittest

from harness import CYCLE_DATE_DIALOG, SCREEN, USAGE_WINDOW
from scenario import Scenario

W, H = SCREEN


class Monitors(Scenario):
    budget = 135
    screens = 2

    def placed(self):
        return tuple(self.drv.do("meter")["rect"][k] for k in ("left", "top"))

    def assert_opens_inside(self, item, caption, monitor):
        """The window that menu `item` opens lies wholly on `monitor`; Escape closes it."""
        self.open_from_menu(item)
        window = self.drv.wait("#32770", caption, 10)
        r = self.drv.do("window", window)["rect"]
        self.assertTrue(monitor["left"] <= r["left"] < r["right"] <= monitor["right"] and
                        monitor["top"] <= r["top"] < r["bottom"] <= monitor["bottom"],
                        f"{caption} at {r}, not inside {monitor}")
        self.env.xdotool("key", "Escape")
        self.assertTrue(self.drv.gone(window, 10), f"{caption} stays open")

    def test_monitors(self):
        env = self.env
        monitors = [(m["rect"], m["primary"]) for m in env.screen["monitors"]]
        side = {"top": 0, "bottom": H}
        self.assertEqual(monitors, [(dict(left=0, right=W, **side), True),
                                    (dict(left=W, right=2 * W, **side), False)])
        env.install(network="nosuch0")
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        second = (2 * W - 260, 300)  # the right margin of the second monitor
        self.drag(W + 210, 300)  # from (W - 310, 0): 100 pixels short of the right edge
        self.assertEqual(self.placed(), second)
        self.assertEqual((env.value("Left"), env.value("Top")), tuple(map(str, second)))
        env.kill_pelliton()
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.placed() == second, 5, "the meter on the second")
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        self.assert_opens_inside("CYCLE_DATE", CYCLE_DATE_DIALOG, monitors[1][0])
        self.assert_opens_inside("USAGE_HISTORY", USAGE_WINDOW, monitors[1][0])
        self.assertEqual(self.placed(), second)

        env.restart_display(1)
        self.drv = env.driver
        env.start_pelliton()
        self.wait_meter()
        self.assertEqual(self.placed(), (W - 260, 300))  # as a release on the first, whole
        self.assertEqual((env.value("Left"), env.value("Top")), tuple(map(str, second)))


if __name__ == "__main__":
    unittest.main()
