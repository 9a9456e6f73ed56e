"""Benchmark: a cross-check of a simulated contest's logs started from the
organiser's page, from the click to "done" on the run's page.  Not a test:
it prints the figures.

usage: check_run_bench.py ROBOT_BINARY SIM_BINARY SCRATCH_DIR COUNTRY_FILE [LOGS]"""

import concurrent.futures
import glob
import os
import shutil
import subprocess
import sys
import time

from robot_process import Client, Organiser, Robot

UPLOADERS = 8


def main():
    robot_binary, sim_binary, scratch, country_file = sys.argv[1:5]
    logs = int(sys.argv[5]) if len(sys.argv) > 5 else 1000
    contest = os.path.join(scratch, "contest")
    # The simulator's stations send their logs at its default 85 %.
    subprocess.run([sim_binary, "--stations", str(round(logs / 0.85)), "--out", contest], check=True,
                   stdout=subprocess.DEVNULL)
    robot = Robot(robot_binary, os.path.join(scratch, "robot"), country_file,
                  extra_config=f"checker_config = {os.path.join(contest, 'contest.ini')}\n")
    try:
        robot.start()
        files = sorted(glob.glob(os.path.join(contest, "logs", "*.log")))
        clients = [Client(robot) for _ in range(UPLOADERS)]

        def send(index):
            with open(files[index], "rb") as f:
                return clients[index % UPLOADERS].upload(f.read())[0]

        started = time.perf_counter()
        with concurrent.futures.ThreadPoolExecutor(UPLOADERS) as pool:
            statuses = list(pool.map(send, range(len(files))))
        uploaded = time.perf_counter() - started
        accepted = statuses.count(200)

        organiser = Organiser(robot, timeout=30)
        click = time.perf_counter()
        run = organiser.start_cross_check()
        answered = time.perf_counter() - click
        while (state := organiser.run_state(run)) == "running":
            time.sleep(0.1)
        done = time.perf_counter() - click
        print(f"{accepted} of {len(files)} logs uploaded by {UPLOADERS} clients in {uploaded:.1f} s")
        print(f"cross-check of {accepted} logs from the organiser's page: click answered in {answered * 1000:.0f} ms, "
              f"{state} {done:.1f} s after the click")
        return 0 if state == "done" and accepted == len(files) else 1
    finally:
        robot.remove()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
