"""The base class of the end-to-end scenarios and the steps they share.

Each test gets its own world (harness.Env) before it runs and loses it after, whatever
happens; a failing test leaves a screenshot in the artefact folder, named after the test
without its "test_" prefix, and says where in its failure message.
"""

import datetime
import functools
import os
import signal
import time
import types
import unittest

from harness import (IDC_CONN_LISTBOX1, IDM, LIME, Env, date_text, filled_connection_list,
                     lo_counters)


class ScenarioTimeout(Exception):
    pass


def _time_is_up(signum, frame):
    raise ScenarioTimeout(f"the scenario ran out of its time (signal {signum})")


class Scenario(unittest.TestCase):
    """Starts the world before each test and ends it after, whatever happens. A failing
    test leaves a screenshot in the artefact folder, named after the test."""

    budget = 90  # seconds for set-up, test and teardown; CTest's limit is a little larger
    screens = 1  # of the virtual display

    def __init__(self, methodName="runTest"):
        super().__init__(methodName)
        test = getattr(self, methodName, None)
        if test is None or methodName == "runTest":
            return

        @functools.wraps(test)
        def with_screenshot(self):
            try:
                return test()
            except unittest.SkipTest:
                raise
            except BaseException as failure:
                try:
                    path = self.env.screenshot(methodName.removeprefix("test_"))
                    failure.add_note(f"screenshot: {path}")
                except Exception as e:
                    failure.add_note(f"no screenshot: {e}")
                raise

        setattr(self, methodName, types.MethodType(with_screenshot, self))

    def setUp(self):
        budget = int(os.environ.get("PELLITON_E2E_BUDGET", self.budget))
        signal.signal(signal.SIGALRM, _time_is_up)
        signal.signal(signal.SIGTERM, _time_is_up)
        signal.alarm(budget)
        self.env = Env(self._testMethodName.removeprefix("test_"), self.screens)
        self.addCleanup(self.env.close)
        self.addCleanup(signal.alarm, 0)  # cleanups run last-in first-out
        self.prepare_world()
        self.env.start()
        self.drv = self.env.driver

    def prepare_world(self):
        """What a scenario needs before Wine starts (within the time budget)."""

    # -- helpers shared by the scenarios --

    def today_months(self):
        """This month, and the next one too when the test may straddle a month boundary."""
        now = datetime.datetime.now()
        soon = now + datetime.timedelta(seconds=self.budget)
        return {str(now.month), str(soon.month)}

    def today_dates(self):
        """Today's date text, and tomorrow's too when the test may straddle midnight."""
        now = datetime.datetime.now()
        soon = now + datetime.timedelta(seconds=self.budget)
        return {date_text(now), date_text(soon)}

    def wait_until(self, probe, seconds, what):
        deadline = time.monotonic() + seconds
        while True:
            result = probe()
            if result:
                return result
            if time.monotonic() > deadline:
                self.fail(f"waited {seconds} s for {what}")
            time.sleep(0.05)

    def wait_meter(self, seconds=20):
        self.drv.wait("TPellitonForm", "Pelliton", seconds)
        return self.drv.do("meter")

    def wait_tick(self, seconds=8, previous=None):
        """Waits for the next connected tick, seen as a change of the stored "Seconds" (every
        connected tick writes it, and it always moves on), and returns (low, high, seconds):
        bounds of the lo counters at the moment the tick read them, and the new value. Low was
        read a poll earlier than the last one that still saw the old value, high after the
        one that saw the change: the tick's reading, a few registry writes before that change,
        lies between. `previous`: the value the tick must change (so no tick goes unseen)."""
        readings = [lo_counters()]
        time.sleep(0.02)
        readings.append(lo_counters())
        first = self.env.value("Seconds")
        if previous is not None and first != previous:
            self.fail(f"a tick came earlier than expected (\"Seconds\" {previous} -> {first})")
        deadline = time.monotonic() + seconds
        while True:
            readings.append(lo_counters())
            now = self.env.value("Seconds")
            if now != first:
                return sum(readings[-3]), sum(lo_counters()), now
            if time.monotonic() > deadline:
                self.fail(f"no tick wrote \"Seconds\" in {seconds} s (still {first})")
            time.sleep(0.02)

    def wait_list(self, dialog, seconds=10):
        """The connection dialog's list once it holds the interface table."""

        return self.wait_until(lambda: filled_connection_list(self.drv, dialog), seconds,
                               "the connection list to be filled")

    def pick_lo(self, dialog):
        """Selects lo in the connection dialog as a user would; OK is then enabled."""
        lines = self.wait_list(dialog)
        self.assertIn("lo", lines["items"])
        self.drv.do("select", dialog, IDC_CONN_LISTBOX1, lines["items"].index("lo"))
        after = self.drv.do("listbox", dialog, IDC_CONN_LISTBOX1)
        self.assertEqual(after["selected"], lines["items"].index("lo"))
        self.assertTrue(after["ok_enabled"], "OK stays disabled after a user selection")
        return lines

    def grip(self):
        """A lime pixel of Label1's text (only the text takes the mouse), and the window."""
        meter = self.drv.do("meter")
        label = meter["labels"][0]["rect"]
        points = self.wait_until(lambda: self.env.grab().find(label, LIME), 5, "Label1's text")
        return min(points, key=lambda p: (p[1], p[0])), meter["rect"]

    def assert_layout(self, window, client, controls):
        """A dialog's client size, that it stays on top, and its controls:
        {id: (class, (left, top, width, height) in the client area, text)}; a width of None
        is not checked (a label sized to its text)."""
        size = window["client"]
        self.assertEqual((size["right"] - size["left"], size["bottom"] - size["top"]), client)
        self.assertTrue(window["topmost"])
        r = window["rect"]
        border = (r["right"] - r["left"] - client[0]) // 2  # as thick left as below
        left, top = r["left"] + border, r["bottom"] - border - client[1]
        self.assertEqual(sorted(child["id"] for child in window["children"]), sorted(controls))
        for child in window["children"]:
            kind, place, text = controls[child["id"]]
            c = child["rect"]
            width = c["right"] - c["left"] if place[2] is None else place[2]
            self.assertEqual(child["class"], kind)
            self.assertEqual((c["left"] - left, c["top"] - top, c["right"] - c["left"],
                              c["bottom"] - c["top"]), place[:2] + (width,) + place[3:], kind)
            self.assertEqual(child["text"], text, kind)
            self.assertTrue(child["visible"], kind)

    def assert_meter_raised(self):
        """A closed dialog has shown the meter and left it out of the topmost band, as "Stay On
        Top" (off) says."""
        meter = self.drv.do("meter")
        self.assertTrue(meter["visible"] and not meter["topmost"], "the meter put on top")
        self.assertEqual(self.env.value("StayTop"), "0")

    def drag(self, dx, dy, aside=0):
        """Drags the meter by (dx, dy) with the left button, from a pixel of Label1's text or
        `aside` pixels left of it, between the strokes; returns where the meter was."""
        (x, y), rect = self.grip()
        x -= aside
        self.env.xdotool("mousemove", x, y, "mousedown", "1")
        steps = 10
        for i in range(1, steps + 1):
            self.env.xdotool("mousemove", x + dx * i // steps, y + dy * i // steps)
            time.sleep(0.02)
        time.sleep(0.1)
        self.env.xdotool("mouseup", "1")
        time.sleep(0.3)
        return rect

    def right_press(self, seconds):
        """A right press on Label1's text; the driver's "menu" answer for the popup menu it
        opened within `seconds` (its "ok" is false when none opened)."""
        (x, y), _ = self.grip()
        self.env.xdotool("mousemove", x, y, "mousedown", "3")
        try:
            return self.drv.call("menu", int(seconds * 1000), timeout=seconds + 10)
        finally:
            self.env.xdotool("mouseup", "3")

    def open_from_menu(self, item):
        """Chooses a command of the popup menu as a user does: a right press on Label1's text
        opens it, a left click on the item (all are one height) chooses it. `item` is
        its IDM name or its caption."""
        menu = self.right_press(5)
        self.assertTrue(menu["ok"], "a right press opened no popup menu")
        items = menu["menu"]["items"]
        if item in IDM:
            index = [i["id"] for i in items].index(IDM[item])
        else:
            index = [i["text"] for i in items].index(item)
        rect = menu["rect"]
        height = (rect["bottom"] - rect["top"]) / len(items)
        self.env.xdotool("mousemove", rect["left"] + 40, int(rect["top"] + height * (index + 0.5)),
                         "click", "1")

    def assert_meter_deaf(self):
        """The meter takes no mouse input: a drag of Label1 leaves it where it is, and a
        right press opens no popup menu."""
        before = self.drv.do("meter")["rect"]
        self.assertFalse(self.drv.do("meter")["enabled"])
        self.drag(-300, 200)
        self.assertEqual(self.drv.do("meter")["rect"], before, "the meter was dragged")
        menu = self.right_press(1.5)
        if menu["ok"]:
            self.env.xdotool("key", "Escape")
        self.assertFalse(menu["ok"], "a right press opened the popup menu")

    def label_texts(self, meter=None):
        meter = meter or self.drv.do("meter")
        return [label["text"] for label in meter["labels"]]

    def text_point(self, colour=LIME):
        """The topmost-leftmost pixel of Label1's text in `colour`: only text takes the mouse."""
        label = self.drv.do("meter")["labels"][0]["rect"]
        points = self.wait_until(lambda: self.env.grab().find(label, colour), 5,
                                 f"Label1's text in {colour}")
        return min(points, key=lambda p: (p[1], p[0]))

    def choose(self, caption, colour=LIME):
        """Chooses a menu item as a user does: a right press on Label1's text opens the menu,
        the arrow keys and Enter choose. Returns the menu as it was open (its marks), with
        "hint_shown": whether Label1's hint showed over the open menu a moment after."""
        x, y = self.text_point(colour)
        self.env.xdotool("mousemove", x, y, "mousedown", "3")
        chosen = False
        try:
            menu = self.drv.do("menu", 5000)
            time.sleep(0.8)
            menu["hint_shown"] = self.drv.call("wait", "tooltips_class32", "", 0)["ok"]
            index = [item["text"] for item in menu["menu"]["items"]].index(caption)
            self.env.xdotool("key", *["Down"] * (index + 1), "Return")
            chosen = True
        finally:
            if not chosen:
                self.env.xdotool("key", "Escape")
            self.env.xdotool("mouseup", "3")
        return menu

    @staticmethod
    def checked(menu):
        return [item["text"] for item in menu["menu"]["items"] if item["checked"]]

    def icon_colours(self, box):
        """How many strongly red and strongly blue pixels the message box's icon has."""
        pixels = [p for _, _, p in self.env.grab().pixels(box["icon_rect"])]
        red = sum(1 for r, g, b in pixels if r > 180 and g < 100 and b < 100)
        blue = sum(1 for r, g, b in pixels if b > 150 and r < 100)
        return red, blue


def this_month():
    return str(datetime.datetime.now().month)
