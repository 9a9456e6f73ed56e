"""Crash test: the robot is killed with SIGKILL while uploads are under way,
20 times; in every other round while a cross-check runs, and once after one
has finished.  After each restart the database passes
PRAGMA integrity_check and holds every upload that was acknowledged, with
the bytes sent; no run is left running, only finished runs have a folder,
and each of those holds its zip.

usage: crash_test.py ROBOT_BINARY SCRATCH_DIR COUNTRY_FILE [ROUNDS]"""

import http.client
import os
import random
import sqlite3
import sys
import threading
import time

from robot_process import Client, Organiser, Robot, cabrillo_log

CLIENTS = 8


def check_database(robot, acknowledged):
    """What is wrong with the database after a restart: a list of problems."""
    with sqlite3.connect(f"file:{robot.database()}?mode=ro", uri=True) as db:
        integrity = db.execute("PRAGMA integrity_check").fetchone()[0]
        journal = db.execute("PRAGMA journal_mode").fetchone()[0]
        stored = dict(db.execute("SELECT receipt, original FROM uploads").fetchall())
        runs = db.execute("SELECT id, state, COALESCE(folder, '') FROM runs").fetchall()
    problems = [] if integrity == "ok" else [f"integrity_check: {integrity}"]
    problems += run_problems(robot, runs)
    if journal != "wal":
        problems.append(f"journal mode {journal}, not wal")
    for receipt, log in acknowledged.items():
        if stored.get(receipt) != log:
            problems.append(f"acknowledged upload {receipt} is " + ("missing" if receipt not in stored else "altered"))
    return problems, len(stored)


def run_problems(robot, runs):
    """A run the kill cut off is failed and its files gone; a finished one is whole.  An empty folder
    is what a kill between reserving a run's name and moving the run in leaves: nothing of it."""
    problems = [f"run {run} is still {state} after the restart" for run, state, _ in runs if state == "running"]
    kept = {folder for _, state, folder in runs if state == "done"}
    runs_folder = os.path.join(robot.data, "runs")
    for name in os.listdir(runs_folder) if os.path.isdir(runs_folder) else []:
        if name not in kept:
            if os.listdir(os.path.join(runs_folder, name)):
                problems.append(f"runs/{name} is left of a run that did not finish")
        elif not os.path.exists(os.path.join(runs_folder, name, "all.zip")):
            problems.append(f"runs/{name} belongs to a finished run but has no all.zip")
    return problems


def upload_until_killed(robot, acknowledged, lock, stop, seed):
    client = Client(robot, timeout=10)
    n = 0
    while not stop.is_set():
        n += 1
        log = cabrillo_log(f"UA{seed % 10}C{chr(65 + seed % 26)}{chr(65 + n % 26)}", [f"RK{m}ZZ" for m in range(40)],
                           f"SOAPBOX: client {seed} upload {n}")
        try:
            status, receipt, _ = client.upload(log)
        except (OSError, http.client.HTTPException):
            return  # the robot is gone, perhaps in the middle of an answer
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
        if round_number == rounds // 2:
            # Once, the kill comes after a run has finished: it must survive whole.
            stop.set()
            for thread in threads:
                thread.join()
            organiser = Organiser(robot, timeout=10)
            run = organiser.start_cross_check()
            deadline = time.time() + 120
            while organiser.run_state(run) == "running" and time.time() < deadline:
                time.sleep(0.05)
        elif round_number % 2 == 0:
            # The kill comes while the run collects, checks or zips.
            Organiser(robot, timeout=10).start_cross_check()
            time.sleep(random.uniform(0.0, 0.3))
        robot.kill()
        stop.set()
        for thread in threads:
            thread.join()
    robot.start()
    final_problems, stored = check_database(robot, acknowledged)
    problems += [f"after the last restart: {p}" for p in final_problems]
    with sqlite3.connect(f"file:{robot.database()}?mode=ro", uri=True) as db:
        run_states = dict(db.execute("SELECT state, COUNT(*) FROM runs GROUP BY state").fetchall())
    robot.remove()
    print(f"{rounds} kills under load: {len(acknowledged)} uploads acknowledged, {stored} stored "
          f"({stored - len(acknowledged)} committed but not answered before the kill); "
          f"integrity_check ok and every acknowledged upload present after each restart: {'yes' if not problems else 'NO'}; "
          f"cross-checks under the kills: {run_states.get('failed', 0)} cut off (failed, folder removed), "
          f"{run_states.get('done', 0)} finished")
    for problem in problems[:20]:
        print("FAIL:", problem)
    return 1 if problems or not acknowledged else 0


if __name__ == "__main__":
    sys.exit(main())
