"""Two links of the test's own metered at once: chosen in "Metered Connections..." as a user
does, counted as the kernel counted them (each alone and both together), one renamed while
traffic flows and counted on under its new name, one removed and made again under another
name with its hardware address and counted on, and kills at random moments that lose at most a
tick each and count nothing twice."""

import random
import threading
import time
import unittest

from harness import IDC_METERED_LIST, IDCANCEL, IDM, Links
from scenario import Scenario, this_month

DIALOG = "Metered Connections"
SLACK_KB = 64
KILLS = 4


class Connections(Scenario):
    budget = 330

    # -- figures --

    def kernel(self):
        """[(received, sent)] of each link and the sum of everything, in bytes."""
        counters = self.links.counters()
        return counters, sum(rx + tx for rx, tx in counters)

    def meter(self):
        """The stored total, and the open day's download and upload, in KB."""
        values = self.env.values()
        day = ((values.get("UsageOpen") or "- -").split() + ["-"])[1].split(",")
        down, up = (int(day[1]), int(day[2])) if len(day) >= 3 else (0, 0)
        return int(values["TotalData"]), down, up

    def settle(self):
        """Two ticks: the second read the counters after everything before this call."""
        *_, seconds = self.wait_tick(10)
        self.wait_tick(10, previous=seconds)

    def measured(self, what, action):
        """Runs `action` between two settled readings and checks the meter's growth against
        the kernel's on both links; prints both."""
        self.settle()
        (before, _), (total0, down0, up0) = self.kernel(), self.meter()
        try:
            action()
        except (OSError, RuntimeError) as e:  # what moved is compared all the same
            print(f"\n{what}: the traffic ended early ({e})")
        self.settle()
        (after, _), (total1, down1, up1) = self.kernel(), self.meter()
        rx = sum(a[0] - b[0] for a, b in zip(after, before)) / 1024
        tx = sum(a[1] - b[1] for a, b in zip(after, before)) / 1024
        per_link = ", ".join(f"link {i} {(sum(a) - sum(b)) / 1024:.0f} KB"
                             for i, (a, b) in enumerate(zip(after, before)))
        print(f"\n{what}: kernel {per_link}, summed {rx + tx:.0f} KB (down {rx:.0f}, up "
              f"{tx:.0f}); meter {total1 - total0} KB (day down {down1 - down0}, up {up1 - up0})")
        self.assertGreater(rx + tx, 1024, f"{what}: no traffic")
        self.assertLessEqual(abs(total1 - total0 - (rx + tx)), SLACK_KB, f"{what}: total")
        self.assertLessEqual(abs(down1 - down0 - rx), SLACK_KB, f"{what}: the day's download")
        self.assertLessEqual(abs(up1 - up0 - tx), SLACK_KB, f"{what}: the day's upload")

    def no_error_box(self, when):
        box = self.drv.call("msgbox", "", 0)
        self.assertFalse(box["ok"], f"a message box {when}: {box.get('text')}")

    # -- the dialog --

    def lines(self, dialog):
        """The dialog's list once it is filled (two equal reads a moment apart)."""

        def filled():
            first = self.drv.do("listview", dialog, IDC_METERED_LIST)
            time.sleep(0.1)
            second = self.drv.do("listview", dialog, IDC_METERED_LIST)
            return second if first == second and second["lines"] else None

        return self.wait_until(filled, 10, "the dialog's lines")

    def toggle_by_keys(self, dialog, index):
        self.env.xdotool("key", "Home", *["Down"] * index, "space")
        time.sleep(0.3)
        return self.lines(dialog)

    def choose_links(self):
        """lo unchecked by Space (OK then disabled), the first link checked by Space, the second
        by a click on its box, OK by Enter."""
        env, drv, names = self.env, self.drv, self.links.names
        self.choose("Metered Connections...")
        dialog = drv.wait("#32770", DIALOG, 15)
        answer = self.lines(dialog)
        rows = {line["cells"][0]: line for line in answer["lines"]}
        self.assertTrue(rows["lo"]["checked"] and answer["ok_enabled"])
        for name in names:
            self.assertEqual(rows[name]["cells"][1], "Up")
            self.assertRegex(rows[name]["cells"][2], r"^[\d.,]+ [kMG]?bit/s$")
            self.assertFalse(rows[name]["checked"], name)
        order = [line["cells"][0] for line in answer["lines"]]
        print(f"\nthe dialog lists {[tuple(line['cells']) for line in answer['lines']]}")
        answer = self.toggle_by_keys(dialog, order.index("lo"))
        self.assertFalse(any(line["checked"] for line in answer["lines"]))
        self.assertFalse(answer["ok_enabled"], "OK enabled with nothing checked")
        answer = self.toggle_by_keys(dialog, order.index(names[0]))
        self.assertTrue(answer["ok_enabled"])
        box = answer["lines"][order.index(names[1])]
        env.xdotool("mousemove", box["box_x"], box["box_y"], "click", "1")
        time.sleep(0.3)
        answer = self.lines(dialog)
        self.assertEqual([line["cells"][0] for line in answer["lines"] if line["checked"]],
                         [n for n in order if n in names])
        env.xdotool("key", "Return")
        self.assertTrue(drv.gone(dialog, 10), "OK left the dialog open")
        self.wait_until(lambda: env.value("NetworkType") in names, 5, "the set stored")
        print(f"stored: {dict((k, v) for k, v in env.values().items() if 'Network' in k)}")

    # -- the scenario --

    def test_connections(self):
        env = self.env
        self.links = Links(2)
        self.addCleanup(self.links.close)
        env.install(network="lo", LastMonth=this_month(), TotalData="0", StayTop="0")
        env.start_pelliton()
        self.wait_meter()
        self.settle()
        self.choose_links()
        links = self.links
        self.measured("link 0 alone", lambda: links.traffic(0, 3 << 20))
        self.measured("link 1 alone", lambda: links.traffic(1, 2 << 20))

        def both():
            threads = [threading.Thread(target=links.traffic, args=(i, 3 << 20)) for i in (0, 1)]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join(20)

        self.measured("both at once", both)
        self.kills()
        self.measured("link 0 renamed while both carry traffic", self.rename_while_busy)
        self.remade()
        self.measured("both at once, link 1 made again", both)

    def remade(self):
        """Link 1 removed and made again under another name with its hardware address (an
        adapter plugged in again), while Wine may still list its old row: the meter follows it
        with no question, no error box and no "DC", and stores the new name."""
        env, new = self.env, self.links.names[1][:-2] + "m1"
        self.links.remake(1, new)
        self.wait_until(lambda: new in (env.value("NetworkSet") or ""), 15, "the new name stored")
        for _ in range(2):
            self.wait_tick(10)
            self.assertNotEqual(self.label_texts()[0], "DC")
        self.no_error_box("after the link was made again")
        print(f"stored: {dict((k, v) for k, v in env.values().items() if 'Network' in k)}")

    def rename_while_busy(self):
        """Link 0 renamed while both carry traffic: no question, no error, no "DC". Wine's
        interface table keeps the first name of a link it knows (and its counters stop), until
        the prefix's server starts again: the meter, killed meanwhile, then finds the link
        under its new name by its hardware address, stores that name and counts on from its
        kept readings, with nothing lost."""
        env, old = self.env, self.links.names[0]
        new = old[:-2] + "r0"
        with self.busy():
            time.sleep(2.5)
            self.links.rename(0, new)
            for _ in range(2):
                self.wait_tick(10)
                self.assertNotEqual(self.label_texts()[0], "DC")
            self.no_error_box("after the rename")
            env.restart_wine()
            self.drv = env.driver
            env.start_pelliton()
            self.wait_meter()
            self.wait_until(lambda: env.value("NetworkType") == new, 15, "the new name stored")
            self.wait_tick(10)
            self.no_error_box("after the start")
        self.drv.do("command", IDM["METERED_CONNECTIONS"])
        dialog = self.drv.wait("#32770", DIALOG, 15)
        shown = {line["cells"][0]: line["checked"] for line in self.lines(dialog)["lines"]}
        self.drv.do("click", dialog, IDCANCEL)
        self.assertTrue(shown.get(new) and old not in shown, f"the dialog lists {shown}")
        self.assertFalse([n for n, v in env.values().items() if v and old in v], "old name kept")

    def busy(self):
        """Traffic on both links for the block."""
        stop = threading.Event()
        thread = threading.Thread(target=self.links.keep_busy, args=(stop, (0, 1)))
        thread.start()

        class Busy:
            def __enter__(self):
                return self

            def __exit__(self, *exc):
                stop.set()
                thread.join(30)

        return Busy()

    def kills(self):
        """kill -9 at seeded random moments while both links carry traffic, each followed by a
        new start: at most 64 KB lost a kill, nothing counted twice."""
        env = self.env
        rng = random.Random(20261209)
        self.settle()
        first, (_, kernel0) = self.meter()[0], self.kernel()
        with self.busy():
            for kill in range(KILLS):
                if kill:
                    env.start_pelliton()
                    self.wait_meter()
                time.sleep(rng.uniform(0.5, 5))
                self.no_error_box(f"before kill {kill + 1}")
                env.kill_pelliton()
                counted = int(env.value("TotalData")) - first
                moved = (self.kernel()[1] - kernel0) / 1024
                self.assertLessEqual(counted, moved + SLACK_KB, f"counted twice by kill {kill + 1}")
        env.start_pelliton()
        self.wait_meter()
        self.settle()
        counted, moved = self.meter()[0] - first, (self.kernel()[1] - kernel0) / 1024
        print(f"\n{KILLS} kills while both links carried traffic: kernel {moved:.0f} KB, meter "
              f"{counted} KB, lost {moved - counted:.0f} KB")
        self.assertLessEqual(moved - counted, SLACK_KB * KILLS, "lost more than 64 KB a kill")
        self.assertLessEqual(counted, moved + SLACK_KB, "counted more than the links moved")
        self.no_error_box("after the last start")


if __name__ == "__main__":
    unittest.main()
