"""Crash test: the robot is killed with SIGKILL while uploads are under way,
20 times.  After each restart the database passes PRAGMA integrity_check and
holds every upload that was acknowledged, with the bytes sent.

usage: crash_test.py ROBOT_BINARY SCRATCH_DIR COUNTRY_FILE [ROUNDS]"""

import random
import sqlite3
import sys
import threading
import time

from robot_process import Client, Robot, cabrillo_log

CLIENTS = 8


def check_database(robot, acknowledged):
    """What is wrong with the database after a restart: a list of problems."""
    with sqlite3.connect(f"file:{robot.database()}?mode=ro", uri=True) as db:
        integrity = db.execute("PRAGMA integrity_check").fetchone()[0]
        journal = db.execute("PRAGMA journal_mode").fetchone()[0]
        stored = dict(db.execute("SELECT receipt, original FROM uploads").fetchall())
    problems = [] if integrity == "ok" else [f"integrity_check: {integrity}"]
    if journal != "wal":
        problems.append(f"journal mode {journal}, not wal")
    for receipt, log in acknowledged.items():
        if stored.get(receipt) != log:
            problems.append(f"acknowledged upload {receipt} is " + ("missing" if receipt not in stored else "altered"))
    return problems, len(stored)


def upload_until_killed(robot, acknowledged, lock, stop, seed):
    client = Client(robot, timeout=10)
    n = 0
    while not stop.is_set():
        n += 1
        log = cabrillo_log(f"UA{seed % 10}C{chr(65 + seed % 26)}{chr(65 + n % 26)}", [f"RK{m}ZZ" for m in range(40)],
                           f"SOAPBOX: client {seed} upload {n}")
        try:
            status, receipt, _ = client.upload(log)
        except OSError:
            return  # the robot is gone
        if status == 200 and receipt:
            with lock:
                acknowledged[receipt] = log


def main():
    binary, scratch, country_file = sys.argv[1:4]
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 20
    random.seed(17)
    robot = Robot(binary, scratch, country_file)
    acknowledged, lock, problems = {}, threading.Lock(), []
    stored = 0
    for round_number in range(1, rounds + 1):
        robot.start()
        round_problems, stored = check_database(robot, acknowledged)
        problems += [f"round {round_number}: {p}" for p in round_problems]
        stop = threading.Event()
        threads = [threading.Thread(target=upload_until_killed, args=(robot, acknowledged, lock, stop, round_number * 100 + i))
                   for i in range(CLIENTS)]
        for thread in threads:
            thread.start()
        time.sleep(random.uniform(0.2, 0.8))
        robot.kill()
        stop.set()
        for thread in threads:
            thread.join()
    robot.start()
    final_problems, stored = check_database(robot, acknowledged)
    problems += [f"after the last restart: {p}" for p in final_problems]
    robot.remove()
    print(f"{rounds} kills under load: {len(acknowledged)} uploads acknowledged, {stored} stored "
          f"({stored - len(acknowledged)} committed but not answered before the kill); "
          f"integrity_check ok and every acknowledged upload present after each restart: {'yes' if not problems else 'NO'}")
    for problem in problems[:20]:
        print("FAIL:", problem)
    return 1 if problems or not acknowledged else 0


if __name__ == "__main__":
    sys.exit(main())
