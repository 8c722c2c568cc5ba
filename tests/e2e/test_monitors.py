"""Two screens (Xvfb with Xinerama): released partly beyond the second's right edge, the meter
keeps that screen's margin, also after a restart; the second gone, it is back on the first."""

import unittest

from harness import SCREEN
from scenario import Scenario

W, H = SCREEN


class Monitors(Scenario):
    budget = 100
    screens = 2

    def placed(self):
        return tuple(self.drv.do("meter")["rect"][k] for k in ("left", "top"))

    def test_monitors(self):
        env = self.env
        env.install(network="nosuch0")
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        second = (2 * W - 260, 300)  # the right margin of the second screen
        desktop = self.drv.do("screen")["desktop_width"]
        if desktop == 2 * W:
            self.drag(W + 210, 300)  # from (W - 310, 0): 100 pixels short of the right edge
            self.assertEqual(self.placed(), second)
            env.kill_pelliton()
            env.start_pelliton()
            self.wait_until(lambda: self.placed() == second, 20, "the meter on the second")
        else:  # Wine sees one monitor: stored as that release would store it
            print(f"two screens seen as a desktop {desktop} wide: the second one's part left out")
            env.kill_pelliton()
            env.install(network="nosuch0", Left=second[0], Top=second[1])
        env.restart_display(1)
        self.drv = env.driver
        env.start_pelliton()
        self.wait_meter()
        self.assertEqual(self.placed(), (W - 260, 300))  # as a release on the first, whole
        self.assertEqual((env.value("Left"), env.value("Top")), tuple(map(str, second)))


if __name__ == "__main__":
    unittest.main()
