"""Dragging the meter with the mouse, its margins, and the popup menu on a right press."""

import unittest

from harness import IDM, WEB_SITE
from scenario import Scenario

MENU = ["Shuffle", "Freeze", "Monthly Statistics", "Change Cycle Date", "Change The Color",
        "Change The Size", "Change Network", "Stay On Top", "Exit This Menu",
        "Remove This Program", WEB_SITE, "About", "Monthly Data Cap", "Usage History",
        "Metered Connections...", "Plan Hours...", "Show Meter"]
MENU_IDS = ["SHUFFLE", "FREEZE", "USAGE_STATISTICS", "CYCLE_DATE", "CLOCK_COLOR",
            "DISPLAY_FONT_SIZE", "CHANGE_NETWORK", "STAY_ON_TOP", "EXIT_MENU", "REMOVE_PROGRAM",
            "WEB_SITE", "ABOUT", "DATA_CAP", "USAGE_HISTORY",
            "METERED_CONNECTIONS", "PLAN_HOURS", "SHOW_METER"]


class Drag(Scenario):
    def assert_placed(self, left, top):
        rect = self.drv.do("meter")["rect"]
        self.assertEqual((rect["left"], rect["top"]), (left, top))
        self.assertEqual((self.env.value("Left"), self.env.value("Top")), (str(left), str(top)))

    def test_drag_and_menu(self):
        env, drv = self.env, self.drv
        # On a connection that is not there every tick shows "DC": the text, and with it the
        # part of the window that takes the mouse, stays put.
        # Stored off the screen: brought back as a release would place it, and stored only then.
        env.install(network="nosuch0", Top="300", Left="5000")
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        width = env.screen["width"]
        self.assertEqual((env.value("Left"), env.value("Top")), ("5000", "300"))

        start = self.drag(-400, 300, aside=1)  # the grabbed point stays under the mouse
        self.assertEqual((start["left"], start["top"]), (width - 260, 300))
        self.assert_placed(width - 260 - 400, 600)
        self.drag(600, 0)  # beyond the right margin, below the top strip
        self.assert_placed(width - 260, 600)
        self.drag(0, -700)  # above the top, in the top strip
        self.assert_placed(width - 310, 0)

        (x, y), rect = self.grip()
        env.xdotool("mousemove", x, y, "mousedown", "3")
        try:
            menu = drv.do("menu", 5000)
        finally:
            env.xdotool("key", "Escape")
            env.xdotool("mouseup", "3")
        self.assertEqual((menu["rect"]["left"], menu["rect"]["top"]),
                         (rect["left"], rect["top"] + 30))
        items = menu["menu"]["items"]
        self.assertEqual([item["text"] for item in items], MENU)
        self.assertEqual([item["id"] for item in items], [IDM[name] for name in MENU_IDS])
        self.assertEqual([item["text"] for item in items if item["checked"]],
                         ["Stay On Top", "Show Meter"])
        self.assertEqual([item["text"] for item in items if item["default"]], [WEB_SITE])
        self.assertTrue(all(item["enabled"] and not item["separator"] and not item["submenu"]
                            for item in items))


if __name__ == "__main__":
    unittest.main()
