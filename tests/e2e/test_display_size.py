"""The "Change The Size" dialog opened from the popup menu: its look at opening, a size
chosen with the arrow key, then one dragged to an odd value with the mouse."""

import unittest

from harness import DISPLAY_SIZE_DIALOG, IDC_SIZE_LABEL1, IDC_SIZE_TRACKBAR1, IDCANCEL, IDOK, LIME
from scenario import Scenario

SKY_BLUE = (0xA6, 0xCA, 0xF0)
CONTROLS = {IDC_SIZE_LABEL1: ("Static", (24, 24, 177, 38), "DC"),
            IDOK: ("Button", (232, 24, 65, 33), "OK"),
            IDC_SIZE_TRACKBAR1: ("msctls_trackbar32", (16, 80, 185, 33), ""),
            IDCANCEL: ("Button", (232, 72, 65, 33), "Cancel")}


class DisplaySize(Scenario):
    def open_dialog(self, size):
        """The dialog from the menu, once the preview is set up at `size`."""
        self.open_from_menu("Change The Size")
        dialog = self.drv.wait("#32770", DISPLAY_SIZE_DIALOG, 10)
        self.wait_until(lambda: self.track(dialog)["pos"] == size, 5, f"the thumb at {size}")
        return dialog

    def track(self, dialog):
        return self.drv.do("trackbar", dialog, IDC_SIZE_TRACKBAR1)

    def close_and_check_meter(self, dialog, size):
        """The dialog is gone, the meter raised and its big figure at `size` points."""
        self.assertTrue(self.drv.gone(dialog, 10))
        self.assertEqual(self.env.value("FontSize"), str(size))
        self.assert_meter_raised()
        return self.figure_size(size)

    def figure_size(self, points):
        """Width and height of the big figure's lime text on the screen ("DC"): its capitals
        stand about 0.72 of the font's em high."""
        label = self.drv.do("meter")["labels"][0]["rect"]
        points_on_screen = self.env.grab().find(label, LIME)
        xs = [x for x, _ in points_on_screen]
        ys = [y for _, y in points_on_screen]
        size = (max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)
        self.assertAlmostEqual(size[1], 0.72 * points * 96 / 72, delta=2, msg=size)
        return size

    def check_opening(self, dialog):
        window = self.drv.do("window", dialog)
        self.assert_layout(window, (314, 129), CONTROLS)
        bar = self.track(dialog)
        self.assertEqual((bar["min"], bar["max"], bar["line"], bar["tics"]), (16, 26, 2, 6))
        self.assertEqual(self.drv.do("focus", dialog)["id"], IDOK)
        preview = next(c["rect"] for c in window["children"] if c["id"] == IDC_SIZE_LABEL1)
        shot = self.env.grab()
        self.assertGreater(shot.count(preview, SKY_BLUE), 2000)
        self.assertGreater(shot.count(preview, LIME), 40, "the preview is not in ClockColor")

    def drag_thumb(self, dialog, size):
        """Drags the thumb with the mouse until the track bar stands at `size`."""
        bar = next(c["rect"] for c in self.drv.do("window", dialog)["children"]
                   if c["id"] == IDC_SIZE_TRACKBAR1)
        # The thumb's centre: the channel keeps 8 px at each end, the thumb is 11 px wide.
        width = bar["right"] - bar["left"]
        x = lambda pos: bar["left"] + 8 + (width - 27) * (pos - 16) // 10 + 5
        start = self.track(dialog)["pos"]
        self.env.xdotool("mousemove", x(start), bar["top"] + 10, "mousedown", "1")
        try:
            target = x(size)
            for _ in range(20):
                self.env.xdotool("mousemove", target, bar["top"] + 10)
                pos = self.track(dialog)["pos"]
                if pos == size:
                    break
                target += 1 if pos < size else -1
        finally:
            self.env.xdotool("mouseup", "1")
        self.assertEqual(self.track(dialog)["pos"], size)

    def test_display_size(self):
        env, drv = self.env, self.drv
        env.install(network="nosuch0", StayTop="0", FontSize="18")
        env.start_pelliton()
        meter = self.wait_meter()
        self.assertFalse(meter["topmost"], "Stay On Top is off")
        self.assertEqual((meter["dpi_awareness"], meter["dpi"]), (2, 96), "each monitor's DPI")
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        at18 = self.figure_size(18)

        dialog = self.open_dialog(18)
        self.check_opening(dialog)
        env.xdotool("key", "Tab", "Right")  # OK -> TrackBar1, then one step of 2
        self.wait_until(lambda: self.track(dialog)["pos"] == 20, 5, "the thumb at 20")
        env.xdotool("key", "Return")
        at20 = self.close_and_check_meter(dialog, 20)

        dialog = self.open_dialog(20)
        self.drag_thumb(dialog, 21)
        drv.do("click", dialog, IDOK)
        at21 = self.close_and_check_meter(dialog, 21)
        self.assertLess(at18[0], at20[0])  # wider, and as high or higher
        self.assertLess(at20[0], at21[0])
        self.assertLessEqual(at18[1], at20[1])
        self.assertLessEqual(at20[1], at21[1])

        dialog = self.open_dialog(21)
        self.drag_thumb(dialog, 25)
        env.xdotool("key", "Escape")
        self.assertEqual(self.close_and_check_meter(dialog, 21), at21)

        # Told of a move to a monitor of 144 DPI and back: the form as at start-up there, then
        # everything as it was, the big figure and the stored values too.
        meter, stored = drv.do("meter"), env.values()
        drv.do("dpi", meter["hwnd"], 144, 96)
        self.assertEqual([size(r) for r in rects(drv.do("meter"))], [(362, 57), (266, 57)])
        drv.do("dpi", meter["hwnd"], 96, 144)
        self.assertEqual(drv.do("meter"), meter)
        self.assertEqual(self.figure_size(21), at21)
        self.assertEqual(env.values(), stored)


def size(rect):
    return rect["right"] - rect["left"], rect["bottom"] - rect["top"]


def rects(meter):
    return meter["rect"], meter["labels"][0]["rect"]


if __name__ == "__main__":
    unittest.main()
