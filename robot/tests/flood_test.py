"""Floods the robot with what the open internet may send, and reports the
most memory it held (VmHWM) under each flood: gzip bodies that unpack to
1 GB, chunked bodies of 300 MB, wrong passwords from many addresses at once.
Each flood gets a fresh robot.  Every body past the limit must be answered
413 (or 503, when the bodies held at once reach their bound) and every guess
refused, and an upload must still be accepted after the
flood.  The figures are for the README; the limits are the robot's to keep.

usage: flood_test.py ROBOT_BINARY SCRATCH_DIR COUNTRY_FILE [FLOODERS ROUNDS]"""

import select
import socket
import sys
import threading
import urllib.parse
import zlib

from robot_process import Client, Robot, cabrillo_log

MB = 1024 * 1024


def gzip_bomb(unpacked_mb):
    """A multipart upload form, gzip-packed, whose log part unpacks to `unpacked_mb` MB."""
    packer = zlib.compressobj(9, zlib.DEFLATED, 31)
    zeros = bytes(MB)
    parts = [packer.compress(b'--b\r\nContent-Disposition: form-data; name="log"; filename="a.log"\r\n\r\n')]
    parts += [packer.compress(zeros) for _ in range(unpacked_mb)]
    parts.append(packer.compress(b"\r\n--b--\r\n") + packer.flush())
    return b"".join(parts)


def send_until_answered(robot, head, pieces):
    """Sends the head, then the pieces until the robot answers; the answer's status."""
    with socket.create_connection(("127.0.0.1", robot.port)) as connection:
        connection.sendall(head)
        for piece in pieces:
            if select.select([connection], [], [], 0)[0]:
                break
            try:
                connection.sendall(piece)
            except OSError:
                break
        connection.settimeout(60)
        try:
            answer = connection.recv(4096)
        except OSError:
            return "reset"
        return answer.split(b" ", 2)[1].decode() if answer.startswith(b"HTTP/1.1 ") else "closed"


def gzip_flood(robot, bomb):
    head = (f"POST /upload HTTP/1.1\r\nHost: robot\r\nContent-Type: multipart/form-data; boundary=b\r\n"
            f"Content-Encoding: gzip\r\nContent-Length: {len(bomb)}\r\n\r\n").encode()
    return send_until_answered(robot, head, (bomb[at:at + 65536] for at in range(0, len(bomb), 65536)))


def chunked_flood(robot, _):
    head = b"POST /upload HTTP/1.1\r\nHost: robot\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n\r\n"
    chunk = b"10000\r\n" + bytes(65536) + b"\r\n"
    return send_until_answered(robot, head, (chunk for _ in range(300 * 16)))


def login_flood(robot, attempt):
    client = Client(robot)
    client.fetch_token()
    body = urllib.parse.urlencode({"csrf": client.csrf, "password": "a guess"}).encode()
    head = (f"POST /organiser/login HTTP/1.1\r\nHost: robot\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            f"Cookie: csrf={client.csrf}\r\nX-Forwarded-For: 198.51.{attempt // 256}.{attempt % 256}\r\n"
            f"Content-Length: {len(body)}\r\n\r\n").encode()
    return send_until_answered(robot, head, [body])


def flood(robot, attack, argument, flooders, rounds):
    """Runs `attack` from `flooders` threads `rounds` times each; the statuses answered."""
    statuses, lock = [], threading.Lock()

    def attacker(index):
        for round_number in range(rounds):
            status = attack(robot, argument if argument is not None else index * rounds + round_number)
            with lock:
                statuses.append(status)

    threads = [threading.Thread(target=attacker, args=(i,)) for i in range(flooders)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return statuses


def main():
    binary, scratch, country_file = sys.argv[1:4]
    flooders = int(sys.argv[4]) if len(sys.argv) > 4 else 8
    rounds = int(sys.argv[5]) if len(sys.argv) > 5 else 3
    bomb = gzip_bomb(1024)
    # 503: the bodies all clients send at once reached their bound.
    floods = [("gzip bodies unpacking to 1 GB", gzip_flood, bomb, flooders, rounds, {"413", "503"}),
              ("chunked bodies of 300 MB", chunked_flood, b"", flooders, rounds, {"413", "503"}),
              ("wrong passwords from 60 addresses at once", login_flood, None, 60, 1, {"403"})]
    problems = []
    for name, attack, argument, threads, repeats, expected in floods:
        robot = Robot(binary, scratch, country_file, extra_config="proxy = 127.0.0.1\n")
        robot.start()
        at_rest = robot.peak_memory_mb()
        statuses = flood(robot, attack, argument, threads, repeats)
        status, receipt, _ = Client(robot).upload(cabrillo_log("UA3ABC", ["RK3DZB"]))
        peak = robot.peak_memory_mb()
        robot.remove()
        print(f"{name}: {len(statuses)} from {threads} clients at once, answered "
              f"{', '.join(f'{s} x{statuses.count(s)}' for s in sorted(set(statuses)))}; "
              f"peak memory {peak:.0f} MB ({at_rest:.0f} MB at rest)")
        problems += [f"{name}: answered {s}" for s in set(statuses) - expected]
        if status != 200 or receipt is None:
            problems.append(f"{name}: an upload after it was answered {status}")
    for problem in problems:
        print("FAIL:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
