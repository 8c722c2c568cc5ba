"""Counting real traffic: the meter's total grows by what the kernel counted on lo, also past
the 32-bit counters: more than 4 GiB each way in one tick, and as fast as lo goes."""

import os
import time
import unittest

from harness import format_kb, loopback_traffic
from scenario import Scenario, this_month

TRAFFIC = 3 << 20  # bytes, counted once received and once sent on lo
HELD_TRAFFIC = 5 << 30  # while the meter is held: its next tick sees it all at once
# Then as fast as lo goes while the meter ticks; PELLITON_E2E_FLOWING_GB asks for more.
FLOWING_TRAFFIC = int(float(os.environ.get("PELLITON_E2E_FLOWING_GB", "2")) * 1e9)


class Metering(Scenario):
    def test_metering(self):
        env, drv = self.env, self.drv
        month = this_month()
        env.install(LastMonth=month, TotalData="1000", ShuffleOn="0")
        env.start_pelliton()
        self.wait_meter()
        # The start-up shows the stored total until the first tick (2 s later) says "DC".
        self.wait_until(lambda: self.label_texts()[0] == format_kb(1000), 3, "the stored total")

        self.wait_tick(10)  # the row is located, then the first counted tick writes
        low_a, high_a, seconds = self.wait_tick()
        total_a = int(env.value("TotalData"))
        loopback_traffic(TRAFFIC)
        low_b, high_b, seconds = self.wait_tick(previous=seconds)
        total_b = int(env.value("TotalData"))
        if env.value("LastMonth") != month:
            self.skipTest("the cycle rolled over at a month boundary during the test")

        grown = total_b - total_a
        self.assertGreaterEqual(grown, 2 * TRAFFIC // 1024)
        # Rounding each direction's counter to whole KB costs at most 1 KB each way.
        self.assertGreaterEqual(grown, (low_b - high_a) / 1024 - 2, "counted less than lo moved")
        self.assertLessEqual(grown, (high_b - low_a) / 1024 + 2, "counted more than lo moved")

        time.sleep(0.2)  # the tick sets the labels right after its writes
        texts = self.label_texts()
        stored = env.values()
        self.assertEqual(stored["Seconds"], seconds, "another tick came in between")
        self.assertEqual(texts[0], format_kb(total_b))
        self.assertEqual(texts[1], f"{grown // 2}/s", "speed of the tick with the traffic")
        self.assertEqual(texts[2], f"{int(stored['Hours']):02d}:{int(stored['Minutes']):02d}")

        self.wait_tick()
        time.sleep(0.2)
        self.assertRegex(self.label_texts()[1], r"^\d+/s$")
        self.count_past_32_bits()

    def count_past_32_bits(self):
        env = self.env
        low_a, high_a, _ = self.wait_tick()
        total_a = int(env.value("TotalData"))
        started = time.monotonic()
        with env.pelliton_held():
            loopback_traffic(HELD_TRAFFIC)
        loopback_traffic(FLOWING_TRAFFIC)
        seconds = time.monotonic() - started
        low_b, high_b, _ = self.wait_tick()
        grown = int(env.value("TotalData")) - total_a
        moved = (low_b + high_b - low_a - high_a) / 2
        print(f"\nlo moved {moved / 1e9:.2f} GB (rx + tx) in {seconds:.1f} s; the meter counted "
              f"{grown * 1024 / 1e9:.2f} GB, {grown - moved / 1024:+.0f} KB off (the kernel's "
              f"readings around the ticks lie {(high_b - low_b + high_a - low_a) / 1024:.0f} KB "
              "apart)")
        self.assertGreaterEqual(grown, (low_b - high_a) / 1024 - 2, "counted less than lo moved")
        self.assertLessEqual(grown, (high_b - low_a) / 1024 + 2, "counted more than lo moved")


if __name__ == "__main__":
    unittest.main()
