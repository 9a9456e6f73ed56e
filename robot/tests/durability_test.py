"""Durability test of the robot as a process.  An upload is acknowledged
only once it is on disk: with a counter of fsync calls preloaded, each
acknowledged upload must have synced SQLite's write-ahead log at least once
(synchronous=FULL; NORMAL would sync it only at checkpoints, and a power cut
could take acknowledged uploads with it, which no SIGKILL test can see).
And a second robot on the same port must refuse to start, not share it and
split the uploads between two databases.

usage: durability_test.py ROBOT_BINARY SCRATCH_DIR COUNTRY_FILE FSYNC_COUNTER_LIBRARY [UPLOADS]"""

import os
import subprocess
import sys

from robot_process import Client, Robot, cabrillo_log


def wal_syncs(count_file):
    return os.path.getsize(count_file) if os.path.exists(count_file) else 0


def main():
    binary, scratch, country_file, counter = sys.argv[1:5]
    uploads = int(sys.argv[5]) if len(sys.argv) > 5 else 20
    count_file = os.path.join(scratch, "wal-fsyncs")
    # The sanitizers' runtime would otherwise insist on being preloaded first.
    env = dict(os.environ, LD_PRELOAD=counter, WAL_FSYNC_COUNT_FILE=count_file,
               ASAN_OPTIONS="verify_asan_link_order=0:" + os.environ.get("ASAN_OPTIONS", ""))
    robot = Robot(binary, scratch, country_file, env=env)
    robot.start()
    problems = []
    client = Client(robot)
    before = wal_syncs(count_file)
    acknowledged = 0
    for n in range(uploads):
        status, receipt, _ = client.upload(cabrillo_log(f"UA3D{chr(65 + n % 26)}{chr(65 + n // 26)}", ["RK3DZB"]))
        acknowledged += status == 200 and receipt is not None
    syncs = wal_syncs(count_file) - before
    if acknowledged != uploads:
        problems.append(f"{uploads - acknowledged} of {uploads} uploads were not acknowledged")
    if syncs < acknowledged:
        problems.append(f"{acknowledged} uploads acknowledged with {syncs} syncs of the write-ahead log")

    second = subprocess.run([binary, robot.config], capture_output=True, text=True, timeout=60)
    if second.returncode == 0 or "the port is in use" not in second.stderr:
        problems.append(f"a second robot on port {robot.port} ended with {second.returncode}: {second.stderr.strip()}")
    robot.remove()
    print(f"{acknowledged} uploads acknowledged, {syncs} syncs of the write-ahead log meanwhile; "
          f"a second robot on the same port ended with {second.returncode}: {second.stderr.strip().splitlines()[-1:]}")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
