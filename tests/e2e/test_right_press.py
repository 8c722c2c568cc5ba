"""Forty right presses at seeded random points of the boxes the three texts span, padded by 2 px,
half on arrival (held), half after Label1's hint stayed up 2.5 s (a click, keys 0.8 s later):
each opens a working menu, taking a keyboard pick whose stored value flips. Then presses well
outside the boxes reach a window of the driver below the meter, and presses inside do not."""

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
    return box[0] - by, box[1] - by, box[2] + by, box[3] + by


def pick(rng, box):
    return rng.randint(box[0], box[2]), rng.randint(box[1], box[3])


class RightPress(Scenario):
    budget = 165

    def ink_boxes(self):
        """The inclusive box of each label's text on the screen, with "DC" (not frozen) and
        with "FR" (frozen). Label2's rectangle reaches into Label3's: only the rows above
        Label3 are its own."""
        boxes = {}
        for freeze, text in (("0", "DC"), ("1", "FR")):
            meter = self.wait_until(lambda: self.drv.do("tick", 1) and (lambda m: self.label_texts(
                m)[0] == text and m)(self.drv.do("meter")), 5, f"Label1 showing {text}")
            time.sleep(0.5)  # painted by now
            shot, rects = self.env.grab(), [dict(label["rect"]) for label in meter["labels"]]
            rects[1]["bottom"] = min(rects[1]["bottom"], rects[2]["top"])
            points = [shot.find(rect, LIME) for rect in rects]
            boxes[freeze] = [(min(x for x, _ in p), min(y for _, y in p), max(x for x, _ in p),
                              max(y for _, y in p)) for p in points]
            self.drv.do("command", IDM["FREEZE"])
            self.wait_until(lambda: self.env.value("FreezeOn") != freeze, 5, "Freeze chosen")
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
            release = [] if self.target == 0 else ["sleep", "0.3", "mouseup", "3"]
            env.xdotool("mousedown", "3", *release)
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
        env = self.env
        env.install(network="nosuch0")  # every tick shows "DC" (or "FR"), stores nothing
        env.start_pelliton()
        self.wait_meter()
        self.wait_until(lambda: self.label_texts()[0] == "DC", 5, "the first tick")
        self.boxes, rng, failures = self.ink_boxes(), random.Random(SEED), []
        for i in range(PRESSES):
            self.target, value = TARGETS[i % 8], "FreezeOn" if i % 4 != 3 else "StayTop"
            boxes = [grown(box, PAD) for box in self.boxes[env.value("FreezeOn")]]
            point = pick(rng, boxes[self.target])
            rest_at = (point if self.target == 0 else pick(rng, boxes[0])) if i % 2 else None
            failure = self.press_and_pick(point, rest_at, value)
            if failure:
                failures.append(f"press {i + 1} at {point} (label {self.target + 1}, "
                                f"{'rested' if rest_at else 'on arrival'}, {value}): {failure}")
                env.xdotool("key", "Escape")
        print(f"right presses that opened a working menu: {PRESSES - len(failures)} of {PRESSES}")
        self.assertEqual(failures, [])

        # Left presses well outside every box reach a window below; inside, the meter.
        rect, outside = self.drv.do("meter")["rect"], []
        while len(outside) < 8:
            point = (rng.randrange(rect["left"], rect["right"]),
                     rng.randrange(rect["top"], rect["bottom"]))
            near = [grown(box, CLEAR) for b in self.boxes.values() for box in b]
            if not any(x0 <= point[0] <= x1 and y0 <= point[1] <= y1 for x0, y0, x1, y1 in near):
                outside.append(point)
        self.drv.do("catch")  # Wine shows it on top in X: the meter is raised there again
        env.xdotool("search", "--onlyvisible", "--name", "^Pelliton$", "windowraise", "%@")
        boxes = self.boxes[env.value("FreezeOn")]
        centres = [((b[0] + b[2]) // 2, (b[1] + b[3]) // 2) for b in boxes]
        for point in outside + centres:
            env.xdotool("mousemove", *point, "click", "1", "sleep", "0.1")
        caught = [(p["x"], p["y"]) for p in self.drv.do("caught", 500)["presses"]]
        self.assertEqual(caught, outside, "presses outside the boxes, and only those, go through")


if __name__ == "__main__":
    unittest.main()
