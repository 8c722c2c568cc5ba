"""The "Change Cycle Date" dialog opened from the popup menu: its look at opening, a change
declined with No, then one confirmed with Yes by the keyboard."""

import datetime
import unittest

from harness import (CYCLE_DATE_DIALOG, IDC_CYCLE_LABEL1, IDC_CYCLE_LISTBOX1, IDCANCEL, IDNO,
                     IDOK, IDYES)
from scenario import Scenario, this_month

QUESTION = ("Changing cycle date will clear all the previous data. "
            "Do you want to countinue?")
BIG = "900000000"
# id: class, (left, top, width, height) in the client area, text
CONTROLS = {IDC_CYCLE_LABEL1: ("Static", (16, 16, None, 20), "Cycle Date"),
            IDOK: ("Button", (120, 24, 65, 25), "OK"),
            IDCANCEL: ("Button", (120, 56, 65, 25), "Cancel"),
            IDC_CYCLE_LISTBOX1: ("ListBox", (24, 40, 57, 49), "")}


class CycleDate(Scenario):
    def open_dialog(self):
        """The dialog from the menu, once the current day is selected."""
        self.open_from_menu("Change Cycle Date")
        dialog = self.drv.wait("#32770", CYCLE_DATE_DIALOG, 10)
        self.wait_until(lambda: self.days(dialog)["selected"] == 14, 5, "day 15 selected")
        return dialog

    def days(self, dialog):
        return self.drv.do("listbox", dialog, IDC_CYCLE_LISTBOX1)

    def close_and_check_meter(self, dialog):
        self.assertTrue(self.drv.gone(dialog, 10))
        self.assert_meter_raised()

    def check_opening(self, dialog):
        window = self.drv.do("window", dialog)
        self.assert_layout(window, (201, 105), CONTROLS)
        days = self.days(dialog)
        self.assertEqual(days["items"], [str(day) for day in range(1, 29)])
        self.assertEqual((days["top"], days["item_height"]), (14, 37))
        self.assertFalse(days["ok_enabled"])
        self.assertTrue(days["cancel_enabled"])
        self.assertEqual(self.drv.do("focus", dialog)["id"], IDCANCEL)

    def billed_months(self, day):
        """The month whose billing day has last passed, now and at the end of the test."""
        now = datetime.datetime.now()
        return {str(t.month if t.day >= day else (t.month - 2) % 12 + 1)
                for t in (now, now + datetime.timedelta(seconds=self.budget))}

    def test_cycle_date(self):
        env, drv = self.env, self.drv
        other_month = str(int(this_month()) % 12 + 1)
        env.install(network="nosuch0", StayTop="0", BillCycleDate="15", LastMonth=other_month,
                    TotalData=BIG, Seconds="20", Minutes="3", Hours="1")
        env.start_pelliton()
        self.assertFalse(self.wait_meter()["topmost"], "Stay On Top is off")
        before = env.values()

        dialog = self.open_dialog()
        self.check_opening(dialog)
        # A click on the one line in view: the preselected day, now chosen by the user.
        window = drv.do("window", dialog)
        lines = next(c["rect"] for c in window["children"] if c["id"] == IDC_CYCLE_LISTBOX1)
        env.xdotool("mousemove", lines["left"] + 10, lines["top"] + 12, "click", "1")
        self.wait_until(lambda: self.days(dialog)["ok_enabled"], 5, "OK enabled by the click")
        self.assertEqual(self.days(dialog)["selected"], 14)
        drv.do("click", dialog, IDOK)
        box = drv.msgbox("Conformation", 10)
        self.assertEqual(box["text"], QUESTION)
        self.assertEqual([b["id"] for b in box["buttons"]], [IDYES, IDNO])
        drv.do("click", box["hwnd"], IDNO)
        self.close_and_check_meter(dialog)
        self.assertEqual(env.values(), before)

        # The keyboard: Tab into the list, End picks 28, Enter is OK.
        dialog = self.open_dialog()
        env.xdotool("key", "Tab")
        self.wait_until(lambda: drv.do("focus", dialog)["id"] == IDC_CYCLE_LISTBOX1, 5, "focus")
        env.xdotool("key", "End")
        self.wait_until(lambda: self.days(dialog)["ok_enabled"], 5, "OK enabled")
        env.xdotool("key", "Return")
        box = drv.msgbox("Conformation", 10)
        drv.do("click", box["hwnd"], IDYES)
        self.close_and_check_meter(dialog)
        stored = env.values()
        self.assertEqual(stored["BillCycleDate"], "28")
        for name in "TotalData", "Seconds", "Minutes", "Hours":
            self.assertEqual(stored[name], "0", name)
        self.assertIn(stored["LastMonth"], self.billed_months(28))
        self.assertIsNone(stored.get("AllData"), "the cleared cycle went into the history")


if __name__ == "__main__":
    unittest.main()
