"""The icon in the notification area, in the tray window Wine shows without a host tray: the
gauge, the tip, its menu, "Show Meter", a left click, a restart hidden, and the icon's end."""

import datetime
import time
import unittest

from harness import LIME, DriverError
from scenario import Scenario


class Tray(Scenario):
    budget = 75

    def icon(self):
        found = self.wait_until(lambda: self.drv.do("tray")["icons"], 20, "the icon")
        self.assertEqual(len(found), 1)
        return found[0]

    def tip(self):  # the mouse rests on the icon until its tip shows
        self.env.xdotool("mousemove", 300, 400, "sleep", "0.3", "mousemove", *self.icon()["at"])
        self.drv.wait("tooltips_class32", "", 5)
        return self.wait_until(lambda: self.icon()["tip"], 5, "the tip's text")

    def pick(self, caption, keys=True):
        """A right click on the icon opens the menu at the pointer; keys or a click choose.
        Wine's tray window, when it takes the foreground a moment after the press, may close
        the menu at once or keep the keys: a person presses again, or clicks the item."""
        x, y = self.icon()["at"]
        for attempt in (1, 2, 3):
            self.env.xdotool("mousemove", x, y, "click", "3")
            try:
                menu = self.drv.do("menu", 4000)
                break
            except DriverError:
                if attempt == 3:
                    raise
        rect, items = menu["rect"], menu["menu"]["items"]
        self.assertLessEqual(abs(rect["left"] - x) + abs(rect["top"] - y), 2)
        index = [item["text"] for item in items].index(caption)
        row = rect["top"] + (rect["bottom"] - rect["top"]) * (index + 0.5) / len(items)
        click = ["mousemove", rect["left"] + 40, int(row), "click", "1"]
        if keys:
            self.env.xdotool("sleep", "0.3", "key", *["Down"] * (index + 1), "Return")
            if self.drv.gone(menu["hwnd"], 3):
                return menu
            print("the menu's keys went to Wine's tray window: a click chooses")
        self.env.xdotool("sleep", "0.3", *click)
        return menu

    def shown(self):
        return self.drv.do("meter")["visible"]
    def test_tray(self):
        env, drv = self.env, self.drv
        env.install(network="nosuch0", DataCap="51200", TotalData="12582912")  # 12 of 50 GB
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        shot, rect = env.grab(), self.icon()["rect"]
        self.assertGreater(min(shot.count(rect, (0x30, 0x30, 0x30)), shot.count(rect, LIME)), 10)
        days = set()
        for day in (datetime.date.today(), datetime.date.today() + datetime.timedelta(1)):
            end = (day.replace(day=1) + datetime.timedelta(32)).replace(day=1)  # billing day 1
            days.add(f"24 % of 50 GB, {(end - day).days - 1} days left")
        texts, _, line = self.tip().partition("\n")
        self.assertEqual((texts, line in days), (" | ".join(self.label_texts()), True))

        menu = self.pick("Show Meter")
        self.assertEqual(menu["menu"]["items"][-1]["text"], "Show Meter")
        self.assertEqual(self.checked(menu), ["Stay On Top", "Show Meter"])
        self.wait_until(lambda: env.value("ShowMeter") == "0", 5, "ShowMeter 0")
        self.wait_until(lambda: not self.shown(), 2, "the meter hidden")
        env.xdotool("mousemove", *self.icon()["at"], "click", "1")  # as a second start does
        self.wait_until(self.shown, 2, "the meter shown by a left click")
        self.assertTrue(drv.do("meter")["topmost"])
        self.wait_until(lambda: not self.shown(), 6, "the meter hidden again")

        # Hidden, the icon is the way in. Wine gives the keys to the tray window, which has the
        # X focus, while no window of the program is on the screen: a click chooses.
        self.assertEqual(self.checked(self.pick("Freeze", keys=False)), ["Stay On Top"])
        self.wait_until(lambda: env.value("FreezeOn") == "1", 5, "FreezeOn 1")
        drv.do("tick", 1)
        texts = self.label_texts()
        self.assertEqual((texts[0], self.tip()), ("FR", " | ".join(texts) + "\n" + line))

        env.kill_pelliton()  # hidden from start-up on
        env.start_pelliton()
        self.icon()
        self.assertFalse(time.sleep(1) or self.shown())
        self.pick("Show Meter", keys=False)
        self.wait_until(lambda: env.value("ShowMeter") == "1", 5, "ShowMeter 1")
        self.wait_until(self.shown, 2, "the meter shown")
        drv.do("close", drv.do("meter")["hwnd"])  # the program ends: the icon goes with it
        self.assertTrue(env.wait_pelliton_exit(10))
        self.wait_until(lambda: not drv.do("tray")["icons"], 5, "the icon removed")


if __name__ == "__main__":
    unittest.main()
