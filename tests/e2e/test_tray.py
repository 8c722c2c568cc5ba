"""The meter's icon in the notification area, as Wine shows it without a host tray (its
"Wine System Tray" window): the gauge and the tip, the popup menu and a keyboard pick from
it, "Show Meter" hiding and showing the meter, a left click showing it for a moment, the
setting kept over a restart, and the icon gone when the program ends."""

import datetime
import time
import unittest

from harness import LIME
from scenario import Scenario

FRAME = (0x30, 0x30, 0x30)  # the gauge's frame


def days_left(today, billing_day=1):
    """Days after today in the cycle that the billing day ends."""
    month = today.replace(day=1) + datetime.timedelta(days=32)
    end = today.replace(day=billing_day) if today.day < billing_day else \
        month.replace(day=billing_day)
    return (end - today).days - 1


class Tray(Scenario):
    budget = 75

    def icon(self, seconds=10):
        answer = self.wait_until(lambda: (t := self.drv.do("tray"))["icons"] and t, seconds,
                                 "the icon in the notification area")
        self.assertEqual(len(answer["icons"]), 1)
        return answer["icons"][0]

    def centre(self, icon):
        r = icon["rect"]
        return (r["left"] + r["right"]) // 2, (r["top"] + r["bottom"]) // 2

    def tip(self, icon):
        """Rests the mouse on the icon until its tip shows; the tip's text."""
        x, y = self.centre(icon)
        self.env.xdotool("mousemove", 300, 400)
        time.sleep(0.3)
        self.env.xdotool("mousemove", x, y)
        self.drv.wait("tooltips_class32", "", 5)
        return self.wait_until(lambda: self.icon()["tip"], 5, "the tip's text")

    def pick(self, icon, caption, keys=True):
        """A right click on the icon opens the menu at the pointer; the arrow keys and Enter
        (or a click on the item) choose `caption`. Returns the menu as it was open."""
        x, y = self.centre(icon)
        self.env.xdotool("mousemove", x, y, "click", "3")
        chosen = False
        try:
            menu = self.drv.do("menu", 5000)
            rect, items = menu["rect"], menu["menu"]["items"]
            self.assertLessEqual(abs(rect["left"] - x) + abs(rect["top"] - y), 2)
            index = [item["text"] for item in items].index(caption)
            time.sleep(0.3)
            if keys:
                self.env.xdotool("key", *["Down"] * (index + 1), "Return")
            else:
                height = (rect["bottom"] - rect["top"]) / len(items)
                self.env.xdotool("mousemove", rect["left"] + 40,
                                 int(rect["top"] + height * (index + 0.5)), "click", "1")
            chosen = True
        finally:
            if not chosen:
                self.env.xdotool("key", "Escape")
        return menu

    def shown(self):
        return self.drv.do("meter")["visible"]

    def test_tray(self):
        env, drv = self.env, self.drv
        env.install(network="nosuch0", DataCap="51200", TotalData="12582912")  # 12 of 50 GB
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        icon = self.icon()
        shot = env.grab()
        self.assertGreater(shot.count(icon["rect"], FRAME), 20, "no gauge")
        self.assertGreater(shot.count(icon["rect"], LIME), 10, "the gauge shows no use")

        today = datetime.date.today()  # and tomorrow, should the scenario straddle midnight
        lines = {f"24 % of 50 GB, {days_left(day)} days left"
                 for day in (today, today + datetime.timedelta(seconds=self.budget))}
        texts, _, line = self.tip(icon).partition("\n")
        self.assertEqual(texts, " | ".join(self.label_texts()))
        self.assertIn(line, lines)

        menu = self.pick(icon, "Show Meter")
        self.assertEqual(menu["menu"]["items"][-1]["text"], "Show Meter")
        self.assertEqual(self.checked(menu), ["Stay On Top", "Show Meter"])
        self.wait_until(lambda: env.value("ShowMeter") == "0", 5, "ShowMeter 0")
        self.wait_until(lambda: not self.shown(), 2, "the meter hidden")
        icon = self.icon()

        x, y = self.centre(icon)
        env.xdotool("mousemove", x, y, "click", "1")  # as another start: shown for a moment
        self.wait_until(self.shown, 2, "the meter shown by a left click")
        self.assertTrue(drv.do("meter")["topmost"])
        self.wait_until(lambda: not self.shown(), 6, "the meter hidden again")

        # Hidden, the icon is the way in. Wine gives the keys to the tray window, which has the
        # X focus, while no window of the program is on the screen: a click chooses.
        menu = self.pick(icon, "Freeze", keys=False)
        self.assertEqual(self.checked(menu), ["Stay On Top"])
        self.wait_until(lambda: env.value("FreezeOn") == "1", 5, "FreezeOn 1")
        self.assertFalse(self.shown())
        drv.do("tick", 1)
        self.assertEqual(self.tip(icon), " | ".join(self.label_texts()) + "\n" + line)
        self.assertEqual(self.label_texts()[0], "FR")

        env.kill_pelliton()  # "Show Meter" off from start-up on
        env.start_pelliton()
        self.wait_until(lambda: len(drv.do("tray")["icons"]) == 1, 20, "the icon again")
        time.sleep(1)
        self.assertFalse(self.shown())
        self.pick(self.icon(), "Show Meter", keys=False)
        self.wait_until(lambda: env.value("ShowMeter") == "1", 5, "ShowMeter 1")
        self.wait_until(self.shown, 2, "the meter shown")

        drv.do("close", drv.do("meter")["hwnd"])  # the program ends: the icon goes with it
        self.assertTrue(env.wait_pelliton_exit(10))
        self.wait_until(lambda: not drv.do("tray")["icons"], 5, "the icon removed")


if __name__ == "__main__":
    unittest.main()
