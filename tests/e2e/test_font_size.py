"""Bad stored values (a font size out of range, a huge "Top", a "TotalData" that is no
number) show one error box at the start and are taken as absent: the meter counts."""

import time
import unittest

from harness import IDOK
from scenario import Scenario, this_month


class FontSize(Scenario):
    def test_bad_stored_values_still_count(self):
        env, drv = self.env, self.drv
        env.install(FontSize="300", Top="9" * 100, TotalData="12a", LastMonth=this_month())
        env.start_pelliton()
        box = drv.msgbox("Pelliton", 30)
        self.assertEqual(box["text"], "'" + "9" * 64 + "...' is not a valid integer value.")
        self.assertEqual(box["buttons"], [{"id": IDOK, "text": "OK"}])
        self.assertTrue(box["icon"], "no error icon")
        # painted once the start-up's other posted work (the icon in the notification area) is done
        self.wait_until(lambda: self.icon_colours(box)[0] > 20, 5, "the error icon, red")

        drv.do("click", box["hwnd"], IDOK)
        self.assertTrue(drv.gone(box["hwnd"], 10))
        self.wait_until(lambda: env.value("Seconds") is not None, 10, "a counted tick")
        time.sleep(4.5)  # two more ticks: no second box
        self.assertFalse(drv.call("msgbox", "Pelliton", 0, timeout=10).get("ok"), "a second box")
        self.assertTrue(env.pelliton_running(), "the program ended")
        self.assertRegex(env.value("TotalData"), r"^\d+$")  # replaced at its first write
        self.assertEqual(env.value("FontSize"), "300")  # kept until next written
        self.assertEqual(env.value("Top"), "9" * 100)
        self.assertFalse(drv.do("meter")["app_visible"], "the taskbar button stayed")


if __name__ == "__main__":
    unittest.main()
