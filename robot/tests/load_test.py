"""Load test: 200 uploads from 20 concurrent clients against the running
robot.  Every acknowledged upload must be in the database exactly once with
the bytes sent, every receipt unique.  Prints uploads per second and the
99th-percentile answer time: what a participant feels.  Each log has QSOS
QSO lines (60 by default); with SLOW, that many other connections dribble
request headers a byte every 2 s all the while, as an attacker would.

usage: load_test.py ROBOT_BINARY SCRATCH_DIR COUNTRY_FILE [UPLOADS CLIENTS [QSOS [SLOW]]]"""

import sqlite3
import sys
import threading
import time

from robot_process import Client, Robot, SlowClients, cabrillo_log


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def main():
    binary, scratch, country_file = sys.argv[1:4]
    uploads = int(sys.argv[4]) if len(sys.argv) > 4 else 200
    clients = int(sys.argv[5]) if len(sys.argv) > 5 else 20
    qsos = int(sys.argv[6]) if len(sys.argv) > 6 else 60
    slow = int(sys.argv[7]) if len(sys.argv) > 7 else 0
    robot = Robot(binary, scratch, country_file)
    robot.start()
    sent, failures, lock = {}, [], threading.Lock()
    calls = [f"UA{n % 10}L{chr(65 + n // 26 % 26)}{chr(65 + n % 26)}" for n in range(uploads)]

    def participant(index):
        client = Client(robot)
        for n in range(index, uploads, clients):
            # Each fifth upload is a second version of an earlier callsign.
            callsign = calls[n - clients] if n % 5 == 4 and n >= clients else calls[n]
            log = cabrillo_log(callsign, [calls[(n + 1 + i) % uploads] for i in range(qsos)], f"SOAPBOX: upload {n}")
            status, receipt, seconds = client.upload(log)
            with lock:
                if status != 200 or receipt is None:
                    failures.append((n, status))
                else:
                    sent[receipt] = (log, seconds)

    with SlowClients(robot, slow) as attackers:
        start = time.perf_counter()
        threads = [threading.Thread(target=participant, args=(i,)) for i in range(clients)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        elapsed = time.perf_counter() - start

    problems = [f"upload {n} answered {status}" for n, status in failures]
    with sqlite3.connect(f"file:{robot.database()}?mode=ro", uri=True) as db:
        rows = db.execute("SELECT receipt, original FROM uploads").fetchall()
    stored = {}
    for receipt, original in rows:
        if receipt in stored:
            problems.append(f"receipt {receipt} stored twice")
        stored[receipt] = original
    for receipt, (log, _) in sent.items():
        if receipt not in stored:
            problems.append(f"acknowledged upload {receipt} is not in the database")
        elif stored[receipt] != log:
            problems.append(f"upload {receipt} is stored with other bytes")
    if len(rows) != len(sent):
        problems.append(f"{len(rows)} uploads stored, {len(sent)} acknowledged")
    robot.remove()

    times = [seconds for _, seconds in sent.values()]
    print(f"{len(sent)} uploads of {qsos} QSOs from {clients} clients, {slow} slow connections open "
          f"({attackers.cut_off} cut off), in {elapsed:.2f} s: {len(sent) / elapsed:.1f} uploads/s, "
          f"answer time median {percentile(times, 0.5) * 1000:.0f} ms, p99 {percentile(times, 0.99) * 1000:.0f} ms")
    for problem in problems[:20]:
        print("FAIL:", problem)
    return 1 if problems or len(sent) != uploads else 0


if __name__ == "__main__":
    sys.exit(main())
