"""A crash and a new start: no first run again, and counting goes on from the stored total."""

import time
import unittest

from harness import format_kb, lo_counters, loopback_traffic
from scenario import Scenario, this_month

TRAFFIC = 1 << 20


class Restart(Scenario):
    def count_some(self):
        """Waits until the meter counts, moves traffic, and returns the stored totals of the
        first counted tick and of the tick after the traffic, and lo's counters after the
        first one."""
        _, high, _ = self.wait_tick(10)
        before = int(self.env.value("TotalData"))
        *_, seconds = self.wait_tick()
        loopback_traffic(TRAFFIC)
        self.wait_tick(previous=seconds)
        after = int(self.env.value("TotalData"))
        self.assertGreaterEqual(after - before, 2 * TRAFFIC // 1024)
        return before, after, high

    def test_restart(self):
        env, drv = self.env, self.drv
        month = this_month()
        env.install(LastMonth=month, TotalData="2000000", Hours="7", Minutes="30", Seconds="0")
        env.start_pelliton()
        self.wait_meter()
        first, _, _ = self.count_some()
        self.assertGreaterEqual(first, 2000000)

        env.kill_pelliton()
        stored = {name: env.value(name) for name in ("TotalData", "Hours", "Minutes")}
        at_start = sum(lo_counters())
        env.start_pelliton()
        self.wait_meter()
        shown = format_kb(int(stored["TotalData"]))
        self.wait_until(lambda: self.label_texts()[0] == shown, 3, f"the stored total {shown}")
        dialog = drv.call("wait", "#32770", "", 3000, timeout=10)
        self.assertFalse(dialog["ok"], "a dialog opened on a start that is no first run")

        before, after, high = self.count_some()
        if env.value("LastMonth") != month:
            self.skipTest("the cycle rolled over at a month boundary during the test")
        self.assertGreaterEqual(before, int(stored["TotalData"]), "the stored total was lost")
        self.assertLessEqual(before - int(stored["TotalData"]), (high - at_start) / 1024 + 2,
                             "counted traffic from before the start")
        self.assertGreaterEqual(int(env.value("Hours")) * 60 + int(env.value("Minutes")),
                                int(stored["Hours"]) * 60 + int(stored["Minutes"]))
        time.sleep(0.2)
        self.assertEqual(self.label_texts()[0], format_kb(after))


if __name__ == "__main__":
    unittest.main()
