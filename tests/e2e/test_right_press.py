"""Forty right presses at seeded random points of the boxes that the three texts span (padded by
2 px): on the big figure half the time, on each small text a quarter. Half come the moment the
mouse arrives, held until the menu opens; half after the mouse rested on the big figure until
Label1's hint showed and stayed up 2.5 s, as a click, the keys 0.8 s later. Each must open a
working menu: on the big figure at (Left, Top + 30), on a small text at the mouse, with no hint
over it, taking a keyboard pick (Down Down Enter on "Freeze", or eight Downs to "Stay On Top")
whose stored value flips, the window's band following "StayTop". Then presses outside the
boxes go through to a window of the driver right below the meter, and presses inside do not."""

import random
import time
import unittest

from harness import IDM, LIME
from scenario import Scenario

PRESSES, SEED, PAD, CLEAR = 40, 18, 2, 8  # CLEAR: how far outside a box a press goes through
AWAY = (300, 400)  # a point of the bare desktop
DOWNS = {"FreezeOn": 2, "StayTop": 8}  # the stored value a pick flips, and its Downs
TARGETS = (0, 0, 1, 1, 0, 0, 2, 2)  # the label pressed, in turn: on arrival, then rested


def grown(box, by):
    left, top, right, bottom = box
    return left - by, top - by, right + by, bottom + by


def inside(box, point):
    return box[0] <= point[0] <= box[2] and box[1] <= point[1] <= box[3]


class RightPress(Scenario):
    budget = 165

    def ink_boxes(self, text):
        """The inclusive box of each label's text on the screen, once Label1 shows `text`.
        Label2's rectangle reaches into Label3's: only the rows above Label3 are its own."""
        meter = self.wait_until(lambda: self.drv.do("tick", 1) and (
            lambda meter: self.label_texts(meter)[0] == text and meter)(self.drv.do("meter")),
            5, f"Label1 showing {text}")
        time.sleep(0.5)  # painted by now
        shot, boxes = self.env.grab(), []
        rects = [dict(label["rect"]) for label in meter["labels"]]
        rects[1]["bottom"] = min(rects[1]["bottom"], rects[2]["top"])
        for rect in rects:
            points = shot.find(rect, LIME)
            self.assertTrue(points, f"no text in {rect}")
            xs, ys = [x for x, _ in points], [y for _, y in points]
            boxes.append((min(xs), min(ys), max(xs), max(ys)))
        return boxes

    def boxes_by_freeze(self):
        """The boxes while "DC" shows (not frozen) and while "FR" shows (frozen)."""
        boxes = {}
        for freeze, text in (("0", "DC"), ("1", "FR")):
            boxes[freeze] = self.ink_boxes(text)
            self.drv.do("command", IDM["FREEZE"])
            self.wait_until(lambda: self.env.value("FreezeOn") != freeze, 5, "Freeze chosen")
        self.drv.do("tick", 1)
        return boxes

    def press_and_pick(self, point, rest_at, value):
        """One right press and keyboard pick; what went wrong, or None. `rest_at`: where the
        mouse rests for the hint first (None: pressed on arrival, held)."""
        env, drv = self.env, self.drv
        env.xdotool("mousemove", *AWAY, "sleep", "0.15", "mousemove", *(rest_at or point))
        if rest_at:
            if not drv.call("wait", "tooltips_class32", "", 5000, timeout=15)["ok"]:
                return "no hint while the mouse rested"
            time.sleep(2.5)
            env.xdotool("mousemove", *point, "click", "3")
        else:  # held: the big figure opens the menu on the press, a small text on the release
            env.xdotool("mousedown", "3", *([] if self.target == 0 else ["sleep", "0.3", "mouseup", "3"]))
        before, meter = env.value(value), drv.do("meter")["rect"]
        menu = drv.call("menu", 3000, timeout=13)
        if not rest_at and self.target == 0:
            env.xdotool("mouseup", "3")
        if not menu["ok"]:
            return "no menu opened"
        time.sleep(0.8)  # longer than the hint's delay: a hint on its way shows by now
        hint = drv.call("wait", "tooltips_class32", "", 0)["ok"]
        env.xdotool("key", *["Down"] * DOWNS[value], "Return")
        deadline = time.monotonic() + 3
        while env.value(value) == before and time.monotonic() < deadline:
            time.sleep(0.05)
        at = (menu["rect"]["left"], menu["rect"]["top"])
        width = menu["rect"]["right"] - menu["rect"]["left"]  # kept inside the screen
        expected = ((meter["left"], meter["top"] + 30) if self.target == 0 else
                    (min(point[0], env.screen["width"] - width), point[1]))
        topmost, stay_top = drv.do("meter")["topmost"], env.value("StayTop") != "0"
        return ("the hint over the open menu" if hint else
                f"menu at {at}, not {expected}" if at != expected else
                f"{value} not flipped" if env.value(value) == before else
                f"topmost {topmost}, StayTop {stay_top}" if topmost != stay_top else None)

    def test_right_press(self):
        env, drv = self.env, self.drv
        env.install(network="nosuch0")  # every tick shows "DC" (or "FR"), stores nothing
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        self.boxes = self.boxes_by_freeze()
        rng, failures, kinds = random.Random(SEED), [], {}
        for i in range(PRESSES):
            self.target = TARGETS[i % 8]
            value = "FreezeOn" if i % 4 != 3 else "StayTop"
            boxes = [grown(box, PAD) for box in self.boxes[env.value("FreezeOn")]]
            point = (rng.randint(boxes[self.target][0], boxes[self.target][2]),
                     rng.randint(boxes[self.target][1], boxes[self.target][3]))
            rest_at = None
            if i % 2 == 1:
                rest_at = point if self.target == 0 else (
                    rng.randint(boxes[0][0], boxes[0][2]), rng.randint(boxes[0][1], boxes[0][3]))
            failure = self.press_and_pick(point, rest_at, value)
            kind = ("Label1", "Label2", "Label3")[self.target] + (" rested" if rest_at else "")
            good, made = kinds.get(kind, (0, 0))
            kinds[kind] = (good + (failure is None), made + 1)
            if failure:
                failures.append(f"press {i + 1} at {point} ({kind}, {value}): {failure}")
                print(failures[-1], flush=True)
                env.xdotool("key", "Escape")
        print(f"right presses that opened a working menu: {PRESSES - len(failures)} of {PRESSES}"
              f" ({', '.join(f'{k} {g}/{m}' for k, (g, m) in sorted(kinds.items()))})")
        self.assertEqual(failures, [])
        self.assert_presses_outside_go_through(rng)

    def assert_presses_outside_go_through(self, rng):
        """Left presses well outside every box reach the window below; inside, the meter."""
        env, drv = self.env, self.drv
        rect = drv.do("meter")["rect"]
        boxes = [grown(box, CLEAR) for both in self.boxes.values() for box in both]
        outside = []
        while len(outside) < 8:
            point = (rng.randrange(rect["left"], rect["right"]),
                     rng.randrange(rect["top"], rect["bottom"]))
            if not any(inside(box, point) for box in boxes):
                outside.append(point)
        drv.do("catch")  # Wine shows it on top in X: the meter is raised there again
        env.xdotool("search", "--onlyvisible", "--name", "^Pelliton$", "windowraise", "%@")
        frozen = env.value("FreezeOn")
        inner = [(b[0] + b[2]) // 2 for b in self.boxes[frozen]], [
            (b[1] + b[3]) // 2 for b in self.boxes[frozen]]
        for point in outside + list(zip(*inner)):
            env.xdotool("mousemove", *point, "click", "1", "sleep", "0.1")
        caught = [(p["x"], p["y"]) for p in drv.do("caught", 500)["presses"]]
        self.assertEqual(caught, outside, "presses outside the boxes, and only those, go through")


if __name__ == "__main__":
    unittest.main()
