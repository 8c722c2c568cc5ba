"""The household's line: the meter under Wine in the pc namespace of a router of the test's own
(router_bed.py) meters the router's internet side, chosen in "Metered Connections...". Traffic
from the phone, which the PC never sees, and from the PC counts as the router counts it; kills,
a stretch with the meter stopped, the router's WAN made anew, a restarted router, its UPnP
service restarted while the counters carry on, and one that does not answer for 10 s lose
nothing and count nothing twice; a start while the router is silent followed by OK in the
dialog keeps the router metered."""

import os
import random
import time
import unittest

from harness import IDC_METERED_LIST, IDC_METERED_NOTE, IDOK, work_dir
from router_bed import FRIENDLY_NAME, UUID, RouterBed, end_flow
from scenario import Scenario, this_month

DIALOG = "Metered Connections"
ROUTER_LINE = f"Router: {FRIENDLY_NAME} (192.168.77.1)"
MB = 1000000
SLACK = 64  # KB
KILLS = 3


class Router(Scenario):
    budget = 345

    def setUp(self):
        if os.geteuid():
            self.skipTest("the router's namespaces need root")
        self.bed = RouterBed(os.path.join(work_dir(), "router-bed"))
        self.addCleanup(self.bed.stop)  # after the world: last-in first-out
        self.moved = {"phone": 0, "pc": 0}
        super().setUp()

    def prepare_world(self):
        self.bed.start()
        self.env.netns = self.bed.ns("pc")

    def total(self):
        return int(self.env.value("TotalData"))

    def figures(self):
        """The meter's total and its day's download and upload, and the router's received and
        sent, in KB."""
        day = self.env.value("UsageOpen").split()[1].split(",")
        return (self.total(), int(day[1]), int(day[2]),
                *(n / 1024 for n in self.bed.moved()))

    def traffic(self, host, *moves):
        for nbytes, direction in moves:
            self.moved[host] += self.bed.traffic(nbytes, direction, host)

    def follows(self, base, what, lost=0):
        """Since `base` (figures()), the meter's total grew as the router's received and sent
        bytes, its day's download as the received, its upload as the sent, each within SLACK
        KB (less at most `lost` KB), and stays so."""

        def gaps():
            total, down, up, received, sent = (a - b for a, b in zip(self.figures(), base))
            return received + sent - total, received - down, sent - up

        fits = lambda: all(-SLACK <= gap <= SLACK + lost for gap in gaps())
        self.wait_until(fits, 12, f"the meter to follow the router {what}: {gaps()}")
        time.sleep(2.5)  # a poll and a tick later: nothing more
        self.assertTrue(fits(), f"counted twice {what}: {gaps()}")
        received, sent = self.bed.counters()
        self.assertEqual(self.bed.upnp_counters(), (received % 2**32, sent % 2**32))
        total, down, up, rx, tx = (a - b for a, b in zip(self.figures(), base))
        print(f"\n{what}: phone {self.moved['phone'] / 1024:.0f} KB, PC "
              f"{self.moved['pc'] / 1024:.0f} KB, router {rx:.0f} KB received and {tx:.0f} KB "
              f"sent (wan0 now {received}, {sent} bytes), meter {total} KB (day {down} KB down,"
              f" {up} KB up)")

    def choose_router(self):
        """The router's line checked by Space in "Metered Connections...", the menu opened by a
        right press and keys; returns the seconds until the router's line showed."""
        env, drv = self.env, self.drv
        try:
            self.choose("Metered Connections...")
        except ValueError:
            self.skipTest("the program has no \"Metered Connections...\" item")
        dialog = drv.wait("#32770", DIALOG, 10)
        opened = time.monotonic()
        lines = lambda: drv.do("listview", dialog, IDC_METERED_LIST)["lines"]
        cells = lambda: [line["cells"][0] for line in lines()]
        self.assertIn("pc0", cells(), "the PC's connections did not show at once")
        with open(env.exe, "rb") as f:
            exe = f.read()
        if not any(text in exe for text in (b"Router: ", "Router: ".encode("utf-16-le"))):
            self.skipTest("the program lists no routers in \"Metered Connections...\"")
        self.wait_until(lambda: ROUTER_LINE in cells(), 6, f"the line {ROUTER_LINE}")
        search = time.monotonic() - opened
        note = [c["text"] for c in drv.do("window", dialog)["children"]
                if c["id"] == IDC_METERED_NOTE]
        self.assertIn("router", note[0], "no line of the dialog says why the router stands alone")
        env.xdotool("key", "Home", *["Down"] * cells().index(ROUTER_LINE), "space")
        time.sleep(0.3)
        checked = {line["cells"][0]: line["checked"] for line in lines()}
        self.assertTrue(checked.pop(ROUTER_LINE), "Space left the router's box unchecked")
        self.assertFalse(any(checked.values()), "the PC's connections stayed checked")
        drv.do("click", dialog, IDOK)
        self.assertTrue(drv.gone(dialog, 10))
        chosen = time.monotonic()
        self.assertEqual(env.value("NetworkRouter"), "uuid:" + UUID)
        # counted from its first reading on, which every counted tick keeps
        self.wait_until(lambda: env.value("LastRouter"), 15, "the router's first reading")
        return search, time.monotonic() - chosen

    def ok_while_silent(self):
        """A start while the metered router does not answer, then "Metered Connections..." and
        OK: no line of the PC's checked, the router still metered."""
        env, drv = self.env, self.drv
        env.kill_pelliton()
        env.start_pelliton()
        self.wait_meter()
        self.choose("Metered Connections...")
        dialog = drv.wait("#32770", DIALOG, 10)
        time.sleep(3)  # the search that finds nothing
        lines = drv.do("listview", dialog, IDC_METERED_LIST)["lines"]
        self.assertFalse(any(line["checked"] for line in lines), f"lines checked: {lines}")
        drv.do("click", dialog, IDOK)
        self.assertTrue(drv.gone(dialog, 10), "OK did not close the dialog")
        self.assertEqual(env.value("NetworkRouter"), "uuid:" + UUID)

    def test_router(self):
        env, bed = self.env, self.bed
        env.install(network="pc0", LastMonth=this_month(), TotalData="1000", StayTop="0")
        env.start_pelliton()
        self.wait_meter()
        # First the PC's own link, as before: the phone's traffic never reaches it.
        self.wait_tick(10)  # pc0 counted from here on
        pc0, start = sum(bed.counters("pc", "pc0")), self.total()
        self.traffic("pc", (2 * MB, "up"))
        self.traffic("phone", (2 * MB, "up"))
        grew = lambda: (self.total() - start) * 1024
        self.wait_until(lambda: grew() >= 2 * MB, 10, "the PC's traffic counted on pc0")
        time.sleep(2.5)
        self.assertLessEqual(grew(), sum(bed.counters("pc", "pc0")) - pc0 + SLACK * 1024,
                             "the phone's traffic counted on pc0")

        search, first = self.choose_router()
        base, self.moved = self.figures(), {"phone": 0, "pc": 0}
        self.traffic("phone", (4 * MB, "up"), (3 * MB, "down"))
        self.traffic("pc", (2 * MB, "up"), (1 * MB, "down"))
        self.follows(base, "phone and PC")

        rng = random.Random(20261209)
        flow = bed.flow("up", "phone", 1 << 20)
        try:
            for _ in range(KILLS):
                time.sleep(rng.uniform(0.5, 5))
                env.kill_pelliton()
                time.sleep(rng.uniform(1, 4))  # stopped while the phone moves data
                env.start_pelliton()
                self.wait_meter()
        finally:
            self.moved["phone"] += end_flow(flow)
        self.follows(base, f"{KILLS} kills", lost=SLACK * KILLS)

        bed.renew()  # counters from zero, the daemon's uptime goes on
        self.traffic("phone", (3 * MB, "up"))
        self.follows(base, "a WAN renewed")
        bed.reboot()
        self.traffic("pc", (2 * MB, "down"))
        self.follows(base, "a restart")

        bed.restart_service()  # its uptime from zero, the WAN's counters carry on
        self.traffic("phone", (2 * MB, "up"), (1 * MB, "down"))
        self.follows(base, "the UPnP service restarted")

        bed.hold()
        try:
            self.ok_while_silent()
        finally:
            bed.hold(False)
        self.traffic("phone", (2 * MB, "up"))
        self.follows(base, "a start while the router was silent, then OK", lost=SLACK)

        bed.hold()
        try:
            held = time.monotonic()
            self.wait_until(lambda: self.label_texts()[0] == "DC", 10, "\"DC\" while held")
            silent = time.monotonic() - held
            self.traffic("phone", (1 * MB, "up"))
            opened = time.monotonic()
            menu = self.right_press(1)
            env.xdotool("key", "Escape")
            self.assertTrue(menu["ok"], "no menu within a second while the router is silent")
            print(f"\n\"DC\" {silent:.1f} s after the router fell silent; the menu opened in "
                  f"{time.monotonic() - opened:.2f} s")
            time.sleep(max(0.0, 10 - (time.monotonic() - held)))
        finally:
            bed.hold(False)
        self.follows(base, "a silent router")
        polled = time.monotonic()
        bed.upnp_counters()
        print(f"\nthe router's line showed {search:.2f} s after the dialog opened, its first "
              f"reading was kept {first:.1f} s after OK; upnpc read the router in "
              f"{time.monotonic() - polled:.3f} s")


if __name__ == "__main__":
    unittest.main()
