"""The window option commands through the popup menu as a user opens it: Stay On Top, About,
Freeze, Shuffle, the text colour and the web site."""

import os
import time
import unittest

from harness import IDCANCEL, IDOK, LIME, WEB_SITE, WINE, run
from scenario import Scenario

SILVER_STAND_IN = (0xC1, 0xC0, 0xC0)  # silver chosen: one step redder, as the screen shows it
BAND, PAPER, LINE_TEXT = (0x1E, 0x4D, 0x78), (0xFB, 0xF6, 0xE4), (0x20, 0x20, 0x20)
COLOR_EDITS = (706, 707, 708)  # the colour dialog's Red, Green and Blue fields
# The shell's "open" of a web address runs this instead of a browser: it notes the address.
RECORDER = r"C:\windows\system32\cmd.exe /c echo %1> C:\users\Public\web-site.txt"
WS_EX_TOPMOST, WS_EX_TOOLWINDOW = 0x8, 0x80
WS_SYSMENU, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x80000, 0x20000, 0x10000
# What the next tick shows is awaited for as long as wait_tick awaits a tick: it comes 2 s
# after the last one's work ended, and later on a busy machine.
NEXT_TICK = 8


class Options(Scenario):
    budget = 105

    def meter(self):
        return self.drv.do("meter")

    def test_options(self):
        env, drv = self.env, self.drv
        env.install(network="nosuch0")  # every tick shows "DC" and writes nothing
        # Wine's class root is the machine's alone.
        run([WINE, "reg", "add", r"HKLM\Software\Classes\http\shell\open\command", "/ve", "/d",
             RECORDER, "/f"], env=env.wine_env(), timeout=30)
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        x, y = self.text_point()
        env.xdotool("mousemove", x, y)
        drv.wait("tooltips_class32", "", 5)  # Label1's hint shows while the mouse rests
        env.xdotool("key", "shift+F10")  # the menu from the keyboard, under the resting mouse
        try:
            menu = drv.do("menu", 5000)
            time.sleep(0.8)
            hint = drv.call("wait", "tooltips_class32", "", 0)["ok"]
        finally:
            env.xdotool("key", "Escape")
        self.assertFalse(hint, "Label1's hint covers the menu opened from the keyboard")
        self.assertEqual((menu["rect"]["left"], menu["rect"]["top"]),
                         (self.meter()["rect"]["left"], self.meter()["rect"]["top"] + 30))

        menu = self.choose("Stay On Top")
        self.assertFalse(menu["hint_shown"], "Label1's hint covers the open menu")
        self.assertEqual(self.checked(menu), ["Stay On Top", "Show Meter"])
        self.wait_until(lambda: env.value("StayTop") == "0", 5, "StayTop 0")
        self.assertFalse(self.meter()["topmost"])

        self.check_about_box()
        self.assert_meter_raised()

        menu = self.choose("Stay On Top")
        self.assertEqual(self.checked(menu), ["Show Meter"], "the About box touched the mark")
        self.wait_until(lambda: env.value("StayTop") == "1", 5, "StayTop 1")
        self.assertTrue(self.meter()["topmost"])

        menu = self.choose("Freeze")
        self.assertEqual(self.checked(menu), ["Stay On Top", "Show Meter"])
        self.wait_until(lambda: env.value("FreezeOn") == "1", 5, "FreezeOn 1")
        self.wait_until(lambda: self.label_texts()[0] == "FR", NEXT_TICK, "FR at the next tick")
        menu = self.choose("Shuffle")
        self.assertEqual(self.checked(menu), ["Freeze", "Stay On Top", "Show Meter"])
        self.wait_until(lambda: env.value("ShuffleOn") == "1", 5, "ShuffleOn 1")

        self.check_colour()

        menu = self.choose(WEB_SITE, SILVER_STAND_IN)
        self.assertEqual(self.checked(menu), ["Shuffle", "Freeze", "Stay On Top", "Show Meter"])
        noted = os.path.join(env.prefix, "drive_c", "users", "Public", "web-site.txt")
        self.wait_until(lambda: os.path.exists(noted) and os.path.getsize(noted), 10,
                        "the shell to open the web site")
        with open(noted) as f:
            self.assertEqual(f.read().strip(), "http://www.pelliton.example/")
        self.assertTrue(env.pelliton_running())

    def check_about_box(self):
        env, drv = self.env, self.drv
        meter = self.meter()["rect"]
        self.choose("About")
        box = drv.do("window", drv.wait("#32770", "About", 10))
        client = box["client"]
        self.assertEqual((client["right"] - client["left"], client["bottom"] - client["top"]),
                         (153, 101))
        self.assertEqual(box["children"], [])
        self.assertEqual(box["style"] & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                         WS_SYSMENU, "not only a close box")
        self.assertEqual(box["exstyle"] & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
                         WS_EX_TOPMOST | WS_EX_TOOLWINDOW)
        frame = box["rect"]
        centre = (meter["left"] + meter["right"]) // 2
        self.assertLessEqual(abs((frame["left"] + frame["right"]) // 2 - centre), 1)
        self.assertEqual(frame["top"], max(0, (meter["top"] + meter["bottom"]
                                               - frame["bottom"] + frame["top"]) // 2))

        left, top = client["left"], client["top"]
        shot = self.wait_until(lambda: (g := env.grab()).pixel(left + 1, top + 1) == BAND and g,
                               5, "the About box painted")

        def at(px, py):
            return shot.pixel(left + px, top + py)

        band = {"left": left, "top": top, "right": left + 18, "bottom": top + 100}
        words = {"left": left + 19, "top": top + 5, "right": left + 148, "bottom": top + 95}
        self.assertEqual((at(1, 1), at(16, 98), at(100, 2), at(146, 97)),
                         (BAND, BAND, PAPER, PAPER))
        self.assertGreater(shot.count(band, (255, 255, 255)), 40, "no address in the band")
        self.assertGreater(shot.count(words, LINE_TEXT), 60, "no lines beside the band")
        face = at(152, 50)
        self.assertEqual((at(150, 0), at(0, 100), at(152, 100)), (face, face, face))
        self.assertNotIn(face, (PAPER, BAND))
        light, dark = at(18, 50), at(148, 50)  # the raised bevel's edges
        self.assertEqual((at(80, 4), at(80, 95)), (light, dark))
        self.assertNotEqual(light, dark)
        self.assertNotIn(light, (PAPER, BAND))

        env.xdotool("key", "Escape")
        time.sleep(0.5)
        self.assertTrue(drv.do("window", box["hwnd"])["visible"], "Esc closed the About box")
        env.xdotool("key", "alt+F4")
        self.assertTrue(drv.gone(box["hwnd"], 5), "Alt+F4 left the About box open")

    def colour_dialog(self, colour):
        """Opens the colour dialog through the menu; returns it with its Red, Green, Blue."""
        self.choose("Change The Color", colour)
        dialog = self.drv.do("window", self.drv.wait("#32770", "Color", 10))
        edits = {c["id"]: c for c in dialog["children"] if c["id"] in COLOR_EDITS}
        self.assertTrue(all(edit["visible"] for edit in edits.values()), "not opened in full")
        texts = {i: edit["text"] for i, edit in edits.items()}
        self.assertFalse(self.meter()["enabled"], "the meter takes input under the dialog")
        return dialog, [texts[i] for i in COLOR_EDITS]

    def type_into(self, dialog, edit, text):
        """Types into an edit as a person does: looks at what it reads, and types again if a
        keystroke was lost on the way."""
        rect = edit["rect"]
        for attempt in (1, 2):
            self.env.xdotool("mousemove", rect["left"] + 4, (rect["top"] + rect["bottom"]) // 2,
                             "click", "1", "key", "End", *["BackSpace"] * 3, "type", text)
            try:
                return self.wait_until(lambda: text == next(
                    c["text"] for c in self.drv.do("window", dialog)["children"]
                    if c["id"] == edit["id"]), 2, f"the edit {edit['id']} reading {text}")
            except AssertionError:
                if attempt == 2:
                    raise

    def check_colour(self):
        env, drv = self.env, self.drv
        dialog, rgb = self.colour_dialog(LIME)
        self.assertEqual(rgb, ["0", "0", "0"], "the first opening is not black")
        for child in dialog["children"]:
            if child["id"] in COLOR_EDITS:
                self.type_into(dialog["hwnd"], child, "192")
        drv.do("click", dialog["hwnd"], IDOK)
        self.assertTrue(drv.gone(dialog["hwnd"], 5))
        self.wait_until(lambda: env.value("Color") == "12632257", 5, "the colour stored")
        label = self.meter()["labels"][0]["rect"]
        self.wait_until(lambda: env.grab().count(label, SILVER_STAND_IN) > 20, 2.5,
                        "Label1 in the new colour within a tick")
        self.assertEqual(env.grab().count(label, LIME), 0)

        env.reg_delete(r"Software\Zorvane\Pelliton", "Color")
        dialog, rgb = self.colour_dialog(SILVER_STAND_IN)
        self.assertEqual(rgb, ["192", "192", "192"], "the dialog forgot its colour")
        drv.do("click", dialog["hwnd"], IDCANCEL)
        self.assertTrue(drv.gone(dialog["hwnd"], 5))
        self.wait_until(lambda: env.value("Color") == "12632257", 5, "the colour stored again")
        self.assertTrue(self.meter()["enabled"])


if __name__ == "__main__":
    unittest.main()
