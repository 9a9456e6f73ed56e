#!/usr/bin/env python3
"""Generates the sample contest log of the replay tool and the figures
Stats.dll must produce for it.

    make_sample.py                 writes, beside this script:
        zemrix-sample.log          the log as Cabrillo 3.0
        zemrix-sample.adi          the same QSOs as ADIF
        expected-results.txt       the results text GetResult0 returns (CRLF)
        expected-err.txt           err.txt after the replay (CRLF)
    make_sample.py --big N FILE    a Cabrillo log of N QSOs for timing runs

The callsigns are real contest calls from MASTER.SCP; their countries come
from cty.dat through a lookup written here independently of the tool's.
The output is the same on every run (fixed seed, sorted inputs).
"""

import argparse
import datetime
import os
import random

HAMRADIO_FILES = "/usr/share/hamradio-files"
HERE = os.path.dirname(os.path.abspath(__file__))

OWN_CALL = "RK3DZB"
OWN_EXCHANGE = "16"
CONTEST_START = datetime.datetime(2025, 12, 20, 20, 0)
CONTEST_MINUTES = 6 * 60
FIVE_POINT_CALLS = ("QZ3ZBB", "QZ3ZAA")
RUSSIAN_PREFIXES = ("UA", "UA2", "UA9")

# Band, mode, the Cabrillo frequency range (kHz) and mode.
SLOTS = [
    ("80m", "CW", (3500, 3570), "CW"),
    ("80m", "SSB", (3600, 3750), "PH"),
    ("40m", "CW", (7000, 7040), "CW"),
    ("40m", "SSB", (7080, 7180), "PH"),
]


# --- countries ---------------------------------------------------------------

def read_countries(path):
    """cty.dat as (exact calls, prefixes), each to the primary prefix."""
    exact, prefixes = {}, {}
    primary = None
    with open(path, encoding="latin-1") as f:
        for line in f:
            if not line.strip():
                continue
            if not line.startswith((" ", "\t")):
                primary = line.split(":")[7].strip().lstrip("*")
                continue
            for alias in line.strip().rstrip(";").split(","):
                alias = alias.strip()
                for mark in "([<{~":
                    alias = alias.split(mark)[0]
                if alias.startswith("="):
                    exact[alias[1:]] = primary
                elif alias:
                    prefixes[alias] = primary
    return exact, prefixes


def country_of(call, countries):
    exact, prefixes = countries
    if call in exact:
        return exact[call]
    for length in range(len(call), 0, -1):
        if call[:length] in prefixes:
            return prefixes[call[:length]]
    return ""


# --- the contest's rules, for the expected figures ---------------------------

def points(call, prefix):
    if call in FIVE_POINT_CALLS:
        return 5
    if prefix in RUSSIAN_PREFIXES and any(call.find(s) >= 1 for s in ("2R", "3R", "5R")):
        return 3
    return 1


def reject_reason(qso):
    if qso["band"] in ("160m", "20m", "15m", "10m", "30m", "17m", "12m"):
        return "   NO CONTEST BAND !!!"
    if qso["mode"] not in ("CW", "SSB"):
        return "   NO TEST MODE !!!"
    if not qso["rcvd_exch"] or not qso["sent_exch"]:
        return "   NO RX NUMBER !!!"
    return None


def err_line(qso, message):
    return "QSO:  %d  %s  %s  %s  %s  %s  %s  %s  %s%s\r\n" % (
        qso["khz"], qso["mode"], qso["time"].strftime("%Y-%m-%d %H%M"), OWN_CALL, qso["sent_rst"],
        qso["sent_exch"], qso["call"], qso["rcvd_rst"], qso["rcvd_exch"], message)


def expected_texts(qsos):
    """The results text and err.txt, counted as the contest's rules say."""
    err = ["ZEMRIX TEST UBN file \r\n"]
    stored = []
    for qso in qsos:
        reason = reject_reason(qso)
        if reason:
            err.append(err_line(qso, reason))
            continue
        earlier = [s for s in stored if (s["call"], s["band"], s["mode"]) == (qso["call"], qso["band"], qso["mode"])]
        err.extend(err_line(qso, "   DUPE !!!") for _ in earlier)
        stored.append(dict(qso, dupe=bool(earlier)))

    counted = [q for q in stored if not q["dupe"]]
    start = min(q["time"] for q in qsos)
    end = max(q["time"] for q in qsos)
    text = "\tZEMRIX CONTEST %s-%s\r\n\t\tContestant: %s \r\n\tQSOs\tPoints\tMult\tCW\tSSB\r\n" % (
        start.strftime("%d.%m"), end.strftime("%d.%m.%Y"), OWN_CALL)
    total_points = 0
    for band in ("80m", "40m"):
        on_band = [q for q in counted if q["band"] == band]
        band_points = sum(points(q["call"], q["prefix"]) for q in on_band)
        total_points += band_points
        text += "%s\t %i\t %i\t\t %i\t %i\r\n" % (
            band, len(on_band), band_points, sum(q["mode"] == "CW" for q in on_band),
            sum(q["mode"] == "SSB" for q in on_band))
    multipliers = len({q["call"] for q in counted})
    text += "Total\t %i\t %i\t %i\t %i\t %i\r\n" % (
        len(counted), total_points, multipliers, sum(q["mode"] == "CW" for q in counted),
        sum(q["mode"] == "SSB" for q in counted))
    text += "\r\nScore: %i*%i = %i\r\n" % (total_points, multipliers, total_points * multipliers)
    return text, "".join(err)


# --- the log -------------------------------------------------------------------

def known_calls():
    with open(os.path.join(HAMRADIO_FILES, "MASTER.SCP"), encoding="latin-1") as f:
        return sorted({line.strip() for line in f if line.strip() and not line.startswith("#") and "/" not in line})


def pick_stations(rng, countries):
    calls = [c for c in known_calls() if c != OWN_CALL]
    three = [c for c in calls if country_of(c, countries) in RUSSIAN_PREFIXES and points(c, "UA") == 3]
    russian = [c for c in calls if country_of(c, countries) in RUSSIAN_PREFIXES and points(c, "UA") == 1]
    # Foreign calls with 2R/3R/5R inside score 1: the 3 points need a Russian prefix.
    foreign_lookalike = [c for c in calls if country_of(c, countries) not in RUSSIAN_PREFIXES + ("",)
                         and points(c, "UA") == 3]
    foreign = [c for c in calls if country_of(c, countries) not in RUSSIAN_PREFIXES + ("",)
               and points(c, "UA") == 1]
    asiatic = [c for c in russian if country_of(c, countries) == "UA9"]
    kaliningrad = [c for c in calls if country_of(c, countries) == "UA2"]
    picked = (rng.sample(three, 20) + rng.sample(russian, 45) + rng.sample(asiatic, 12) +
              rng.sample(kaliningrad, 4) + rng.sample(foreign_lookalike, 6) + rng.sample(foreign, 100))
    return list(dict.fromkeys(picked))  # in case a pool overlaps another


def make_qso(rng, call, slot, minute, countries, rcvd_exch):
    band, mode, (low, high), cabrillo_mode = slot
    cw = mode == "CW"
    return {
        "call": call, "band": band, "mode": mode, "cabrillo_mode": cabrillo_mode,
        "khz": rng.randint(low, high), "time": CONTEST_START + datetime.timedelta(minutes=minute),
        "sent_rst": "599" if cw else "59",
        "rcvd_rst": rng.choice(["599", "599", "599", "579", "589"] if cw else ["59", "59", "57", "58"]),
        "sent_exch": OWN_EXCHANGE, "rcvd_exch": rcvd_exch, "prefix": country_of(call, countries),
    }


def contest_qsos(rng, countries):
    stations = pick_stations(rng, countries) + list(FIVE_POINT_CALLS)
    exchange = {call: "%02d" % rng.randint(1, 99) for call in stations}
    qsos = []
    for call in stations:
        count = 4 if call in FIVE_POINT_CALLS else rng.choices([1, 2, 3, 4], weights=[55, 30, 10, 5])[0]
        for slot in rng.sample(SLOTS, count):
            qsos.append(make_qso(rng, call, slot, rng.randrange(CONTEST_MINUTES - 60), countries, exchange[call]))
    # Worked again on the same band and mode, later: duplicates, one of them twice.
    originals = rng.sample(qsos, 7)
    for original in originals + originals[:1]:
        later = (original["time"] - CONTEST_START).seconds // 60 + rng.randint(5, 55)
        slot = next(s for s in SLOTS if s[:2] == (original["band"], original["mode"]))
        qsos.append(make_qso(rng, original["call"], slot, later, countries, original["rcvd_exch"]))
    # Rejects: outside the contest bands, a mode the contest does not count, no received exchange.
    twenty_cw = ("20m", "CW", (14000, 14060), "CW")
    twenty_ph = ("20m", "SSB", (14150, 14300), "PH")
    top_band = ("160m", "CW", (1810, 1850), "CW")
    rtty = ("80m", "RTTY", (3580, 3600), "RY")
    for slot, call in [(twenty_cw, stations[3]), (twenty_ph, "QZ3ZBB"), (top_band, stations[10]),
                       (rtty, stations[20]), (rtty, stations[30])]:
        qsos.append(make_qso(rng, call, slot, rng.randrange(CONTEST_MINUTES), countries, exchange[call]))
    for call in (stations[40], stations[50]):
        qsos.append(make_qso(rng, call, SLOTS[0], rng.randrange(CONTEST_MINUTES), countries, ""))
    qsos.sort(key=lambda q: q["time"])  # stable: same-minute QSOs keep their order
    return qsos


# --- writers --------------------------------------------------------------------

def cabrillo_line(qso, own):
    fields = ["QSO:", "%5d" % qso["khz"], qso["cabrillo_mode"], qso["time"].strftime("%Y-%m-%d %H%M"),
              "%-13s" % own, "%-3s" % qso["sent_rst"], "%-6s" % qso["sent_exch"], "%-13s" % qso["call"],
              "%-3s" % qso["rcvd_rst"], qso["rcvd_exch"]]
    return " ".join(fields).rstrip() + "\n"


def write_cabrillo(path, qsos, own, claimed):
    header = ["START-OF-LOG: 3.0", "CONTEST: ZEMRIX", "CALLSIGN: " + own, "CATEGORY-OPERATOR: SINGLE-OP",
              "CATEGORY-BAND: ALL", "CATEGORY-MODE: MIXED", "CATEGORY-POWER: LOW",
              "CLAIMED-SCORE: %d" % claimed, "OPERATORS: " + own, "NAME: Sample Operator",
              "CREATED-BY: make_sample.py"]
    with open(path, "w", newline="") as f:
        f.write("\n".join(header) + "\n")
        f.writelines(cabrillo_line(q, own) for q in qsos)
        f.write("END-OF-LOG:\n")


def adif_field(name, value):
    return "<%s:%d>%s" % (name, len(value), value) if value else ""


def write_adif(path, qsos, own):
    with open(path, "w", newline="") as f:
        f.write("ZEMRIX sample log, the same QSOs as zemrix-sample.log\n")
        f.write("%s %s <EOH>\n" % (adif_field("ADIF_VER", "3.1.4"), adif_field("PROGRAMID", "make_sample.py")))
        for q in qsos:
            fields = [adif_field("STATION_CALLSIGN", own), adif_field("CALL", q["call"]),
                      adif_field("BAND", q["band"]), adif_field("FREQ", "%.3f" % (q["khz"] / 1000)),
                      adif_field("MODE", q["mode"]), adif_field("QSO_DATE", q["time"].strftime("%Y%m%d")),
                      adif_field("TIME_ON", q["time"].strftime("%H%M")), adif_field("RST_SENT", q["sent_rst"]),
                      adif_field("RST_RCVD", q["rcvd_rst"]), adif_field("STX_STRING", q["sent_exch"]),
                      adif_field("SRX_STRING", q["rcvd_exch"])]
            f.write(" ".join(x for x in fields if x) + " <EOR>\n")


def write_bytes(path, text):
    with open(path, "w", newline="") as f:
        f.write(text)


def big_log(count, path, countries):
    """A long log for timing: random known calls on 80m and 40m, CW and SSB."""
    rng = random.Random(20000)
    calls = known_calls()
    qsos = []
    for _ in range(count):
        call = rng.choice(calls)
        qsos.append(make_qso(rng, call, rng.choice(SLOTS), rng.randrange(48 * 60), countries, "%02d" % rng.randint(1, 99)))
    qsos.sort(key=lambda q: q["time"])
    write_cabrillo(path, qsos, OWN_CALL, 0)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--big", nargs=2, metavar=("N", "FILE"), help="write a Cabrillo log of N QSOs to FILE")
    args = parser.parse_args()
    countries = read_countries(os.path.join(HAMRADIO_FILES, "cty.dat"))
    if args.big:
        big_log(int(args.big[0]), args.big[1], countries)
        return
    qsos = contest_qsos(random.Random(2025), countries)
    results, err = expected_texts(qsos)
    claimed = int(results.rsplit("= ", 1)[1])
    write_cabrillo(os.path.join(HERE, "zemrix-sample.log"), qsos, OWN_CALL, claimed)
    write_adif(os.path.join(HERE, "zemrix-sample.adi"), qsos, OWN_CALL)
    write_bytes(os.path.join(HERE, "expected-results.txt"), results)
    write_bytes(os.path.join(HERE, "expected-err.txt"), err)
    print("%d QSOs; %s" % (len(qsos), results.strip().splitlines()[-1]))


if __name__ == "__main__":
    main()
