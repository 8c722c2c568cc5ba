"""A stored font size out of range stops the start-up with an error box, and nothing counts."""

import time
import unittest

from harness import IDOK
from scenario import Scenario, this_month


class FontSize(Scenario):
    def test_font_size_out_of_range(self):
        env, drv = self.env, self.drv
        env.install(FontSize="300", LastMonth=this_month())
        env.start_pelliton()
        box = drv.msgbox("Pelliton", 30)
        self.assertEqual(box["text"], "Range check error.")
        self.assertEqual(box["buttons"], [{"id": IDOK, "text": "OK"}])
        self.assertTrue(box["icon"], "no error icon")
        red, _ = self.icon_colours(box)
        self.assertGreater(red, 20, "the icon is not the error icon")

        drv.do("click", box["hwnd"], IDOK)
        self.assertTrue(drv.gone(box["hwnd"], 10))
        time.sleep(6.5)  # three ticks' time
        self.assertTrue(env.pelliton_running(), "the program ended")
        self.assertIsNone(env.value("TotalData"), "the meter counts although start-up failed")
        self.assertIsNone(env.value("Seconds"))
        self.assertTrue(drv.do("meter")["app_visible"], "the taskbar button went away")


if __name__ == "__main__":
    unittest.main()
