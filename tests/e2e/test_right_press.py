"""Forty right presses on the big figure, half the moment the mouse arrives on the text, half
after it rested there until Label1's hint showed. Each must open the menu at (Left, Top + 30)
with no hint over it, and take a keyboard pick at once (Down Down Enter on "Freeze", or eight
Downs to "Stay On Top") whose stored value flips, the window's band following "StayTop"."""

import time
import unittest

from harness import IDM, LIME
from scenario import Scenario

PRESSES, AWAY = 40, (300, 400)  # AWAY: a point of the bare desktop
DOWNS = {"FreezeOn": 2, "StayTop": 8}  # the stored value a pick flips, and its Downs


class RightPress(Scenario):
    budget = 165

    def text_pixels(self, text):
        self.drv.do("tick", 1)
        self.assertEqual(self.label_texts()[0], text)
        time.sleep(0.5)  # painted by now
        return set(self.env.grab().find(self.drv.do("meter")["labels"][0]["rect"], LIME))

    def common_points(self):
        """Two pixels of text both in "DC" and in "FR" (frozen). Wine takes a return to the
        pixel where it last saw the mouse for no move, so the presses take turns."""
        texts = {}
        for freeze, text in (("1", "DC"), ("0", "FR")):
            texts[text] = self.text_pixels(text)
            self.drv.do("command", IDM["FREEZE"])
            self.wait_until(lambda: self.env.value("FreezeOn") == freeze, 5, "Freeze chosen")
        self.drv.do("tick", 1)
        common = sorted(texts["DC"] & texts["FR"])
        self.assertGreater(len(common), 1, "no pixel is text in both DC and FR")
        return common[0], common[-1]

    def press_and_pick(self, point, rest, value):
        """One right press and keyboard pick; what went wrong, or None."""
        env, drv = self.env, self.drv
        env.xdotool("mousemove", *AWAY, "sleep", "0.15", "mousemove", *point)
        if rest is not None:
            if not drv.call("wait", "tooltips_class32", "", 5000, timeout=15)["ok"]:
                return "no hint while the mouse rested"
            time.sleep(rest)
        before, meter = env.value(value), drv.do("meter")["rect"]
        env.xdotool("mousedown", "3")
        menu = drv.call("menu", 3000, timeout=13)
        env.xdotool("mouseup", "3")
        if not menu["ok"]:
            return "no menu opened"
        time.sleep(0.6)  # longer than the hint's delay: a hint on its way shows by now
        hint = drv.call("wait", "tooltips_class32", "", 0)["ok"]
        env.xdotool("key", *["Down"] * DOWNS[value], "Return")
        deadline = time.monotonic() + 3
        while env.value(value) == before and time.monotonic() < deadline:
            time.sleep(0.05)
        at = (menu["rect"]["left"], menu["rect"]["top"])
        topmost, stay_top = drv.do("meter")["topmost"], env.value("StayTop") != "0"
        return ("the hint over the open menu" if hint else
                f"menu at {at}" if at != (meter["left"], meter["top"] + 30) else
                f"{value} not flipped" if env.value(value) == before else
                f"topmost {topmost}, StayTop {stay_top}" if topmost != stay_top else None)

    def test_right_press(self):
        self.env.install(network="nosuch0")  # every tick shows "DC" (or "FR"), stores nothing
        self.env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        points, failures = self.common_points(), []
        for i in range(PRESSES):
            rest = None if i % 2 == 0 else (3 if i % 8 == 3 else 0.1)  # 5 with the hint up 3 s
            value = "StayTop" if i % 4 >= 2 else "FreezeOn"
            failure = self.press_and_pick(points[i % 2], rest, value)
            if failure:
                failures.append(f"press {i + 1} ({rest=}, {value}): {failure}")
                self.env.xdotool("key", "Escape")
        print(f"right presses that opened a working menu: {PRESSES - len(failures)} of {PRESSES}")
        self.assertEqual(failures, [])


if __name__ == "__main__":
    unittest.main()
