#!/usr/bin/env python3
"""A Cabrillo log of N QSOs for timing refills under Wine, with a set share
of duplicates (2% unless --dupes says otherwise).

    bench/make_refill_log.py N FILE [--dupes PERCENT]

Unlike `make_sample.py --big`, whose random picks repeat a station on the
same band and mode far more often than a real log does, every station here
is worked at most once in each of the four band and mode slots, and exactly
the given share of QSOs is logged a second time.  Each duplicate costs the
plug-in one open of err.txt, so the share decides how much of a refill is
file work rather than rule work.  Same output on every run (fixed seed).
"""

import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "replay", "sample"))
import make_sample  # noqa: E402  (the sample's call list, QSO maker and writer)


def refill_log(count, dupe_percent, countries):
    rng = random.Random(100000)
    calls = [c for c in make_sample.known_calls() if c != make_sample.OWN_CALL]
    dupes = count * dupe_percent // 100
    unique = count - dupes
    slots_needed = (unique + len(make_sample.SLOTS) - 1) // len(make_sample.SLOTS)
    stations = rng.sample(calls, min(len(calls), slots_needed))
    keys = [(call, slot) for slot in make_sample.SLOTS for call in stations][:unique]
    minutes = 48 * 60
    qsos = [make_sample.make_qso(rng, call, slot, rng.randrange(minutes - 60), countries, "%02d" % rng.randint(1, 99))
            for call, slot in keys]
    for original in rng.sample(qsos, dupes):
        later = int((original["time"] - make_sample.CONTEST_START).total_seconds() // 60) + rng.randint(5, 55)
        slot = next(s for s in make_sample.SLOTS if s[:2] == (original["band"], original["mode"]))
        qsos.append(make_sample.make_qso(rng, original["call"], slot, later, countries, original["rcvd_exch"]))
    qsos.sort(key=lambda q: q["time"])
    return qsos


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("count", type=int)
    parser.add_argument("path")
    parser.add_argument("--dupes", type=int, default=2, help="percent of QSOs logged twice (default 2)")
    args = parser.parse_args()
    countries = make_sample.read_countries(os.path.join(make_sample.HAMRADIO_FILES, "cty.dat"))
    qsos = refill_log(args.count, args.dupes, countries)
    make_sample.write_cabrillo(args.path, qsos, make_sample.OWN_CALL, 0)


if __name__ == "__main__":
    main()
