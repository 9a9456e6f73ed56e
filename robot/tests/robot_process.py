"""The robot as a separate process for the load, crash and browser tests:
started on a free port of 127.0.0.1 with its data in a scratch folder, and
a small client that uploads logs as a browser's form does."""

import http.client
import os
import re
import shutil
import signal
import socket
import subprocess
import threading
import time
import urllib.error
import urllib.parse
import urllib.request
import uuid

PASSWORD = "organiser secret"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def cabrillo_log(callsign, worked, extra_header="", band_khz=3527):
    lines = ["START-OF-LOG: 3.0", "CONTEST: ZEMRIX", f"CALLSIGN: {callsign}", "CATEGORY-OPERATOR: SINGLE-OP",
             "CATEGORY-MODE: CW"]
    lines += [h for h in extra_header.split("\n") if h]
    for i, call in enumerate(worked):
        hour, minute = 20 + i // 60 % 4, i % 60
        lines.append(f"QSO: {band_khz:5d} CW 2025-12-20 {hour:02d}{minute:02d} {callsign:<13} 599 16     {call:<13} 599 48")
    lines.append("END-OF-LOG:")
    return ("\r\n".join(lines) + "\r\n").encode()


class Robot:
    """zemrix-robot on a free port; `data` survives restarts, `scratch` is removed by remove()."""

    def __init__(self, binary, scratch, country_file, hash_line=None, extra_config="", env=None):
        self.binary, self.scratch = binary, scratch
        shutil.rmtree(scratch, ignore_errors=True)
        os.makedirs(scratch)
        self.data = os.path.join(scratch, "data")
        self.port = free_port()
        if hash_line is None:
            hash_line = subprocess.run([binary, "--hash-password"], input=PASSWORD + "\n", capture_output=True,
                                       text=True, check=True).stdout
        self.config = os.path.join(scratch, "robot.ini")
        with open(self.config, "w") as f:
            f.write(f"data = {self.data}\nport = {self.port}\ncountry_file = {country_file}\n"
                    f"contest = ZEMRIX 2025\n{hash_line}\nread_timeout_seconds = 5\n{extra_config}")
        self.process, self.env = None, env

    def start(self):
        self.process = subprocess.Popen([self.binary, self.config], env=self.env,
                                        stderr=open(os.path.join(self.scratch, "stderr.txt"), "ab"))
        deadline = time.time() + 30
        while time.time() < deadline:
            try:
                urllib.request.urlopen(self.url("/"), timeout=2).read()
                return
            except (urllib.error.URLError, ConnectionError, OSError):
                if self.process.poll() is not None:
                    raise RuntimeError("the robot ended at start: " + open(os.path.join(self.scratch, "stderr.txt")).read())
                time.sleep(0.05)
        raise RuntimeError("the robot did not answer within 30 s")

    def kill(self):
        self.process.send_signal(signal.SIGKILL)
        self.process.wait()

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.kill()

    def remove(self):
        self.stop()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def peak_memory_mb(self):
        """The most memory the running robot has held at once (VmHWM), in MB."""
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
        raise RuntimeError("no VmHWM for the robot")

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def database(self):
        return os.path.join(self.data, "robot.db")


class Client:
    """One participant's browser: keeps the form token cookie, uploads logs."""

    def __init__(self, robot, timeout=60):
        self.robot, self.timeout, self.csrf = robot, timeout, None

    def fetch_token(self):
        with urllib.request.urlopen(self.robot.url("/"), timeout=self.timeout) as answer:
            cookie = answer.headers.get("Set-Cookie", "")
        self.csrf = re.search(r"csrf=([0-9a-f]{64})", cookie).group(1)

    def upload(self, log_bytes, email="op@example.org", file_name="log.cbr"):
        """(status, receipt or None, seconds) of one upload."""
        if self.csrf is None:
            self.fetch_token()
        boundary = uuid.uuid4().hex
        parts = []
        for name, value, filename in (("csrf", self.csrf.encode(), None), ("email", email.encode(), None),
                                      ("log", log_bytes, file_name)):
            disposition = f'form-data; name="{name}"' + (f'; filename="{filename}"' if filename else "")
            parts.append(f"--{boundary}\r\nContent-Disposition: {disposition}\r\n\r\n".encode() + value + b"\r\n")
        body = b"".join(parts) + f"--{boundary}--\r\n".encode()
        request = urllib.request.Request(self.robot.url("/upload"), data=body, method="POST", headers={
            "Content-Type": f"multipart/form-data; boundary={boundary}", "Cookie": f"csrf={self.csrf}"})
        start = time.perf_counter()
        try:
            with urllib.request.urlopen(request, timeout=self.timeout) as answer:
                status, page = answer.status, answer.read().decode()
        except urllib.error.HTTPError as error:
            status, page = error.code, error.read().decode()
        found = re.search(r'id="receipt">([0-9A-Z]+)<', page)
        return status, found.group(1) if found else None, time.perf_counter() - start


class Organiser:
    """The organiser's browser: logs in, starts cross-checks, reads a run's state.  Answers are
    read as they come, redirects not followed, so the session cookie is kept."""

    def __init__(self, robot, timeout=60):
        self.robot, self.timeout = robot, timeout
        self.csrf = re.search(r"csrf=([0-9a-f]{64})", self.request("GET", "/")[1].get("Set-Cookie", "")).group(1)
        self.session = ""
        status, headers, _ = self.request("POST", "/organiser/login", {"password": PASSWORD})
        found = re.search(r"session=([0-9a-f]{64})", headers.get("Set-Cookie", ""))
        if status != 303 or not found:
            raise RuntimeError(f"the organiser could not log in: {status}")
        self.session = found.group(1)

    def request(self, method, path, fields=None):
        """(status, headers, body) of one request with the organiser's cookies."""
        connection = http.client.HTTPConnection("127.0.0.1", self.robot.port, timeout=self.timeout)
        headers = {"Cookie": f"csrf={getattr(self, 'csrf', '')}; session={getattr(self, 'session', '')}"}
        body = None
        if fields is not None:
            body = urllib.parse.urlencode(dict(fields, csrf=self.csrf))
            headers["Content-Type"] = "application/x-www-form-urlencoded"
        try:
            connection.request(method, path, body=body, headers=headers)
            answer = connection.getresponse()
            return answer.status, answer.headers, answer.read().decode()
        finally:
            connection.close()

    def start_cross_check(self):
        """Clicks "Run the cross-check" on a fresh organiser's page: the address of the run it started."""
        newest = re.search(r'name="newest" value="(\d+)"', self.request("GET", "/organiser")[2]).group(1)
        status, headers, _ = self.request("POST", "/organiser/check", {"newest": newest})
        if status != 303:
            raise RuntimeError(f"the cross-check did not start: {status}")
        return headers["Location"]

    def run_state(self, run_path):
        """running, done or failed, as the run's page says."""
        _, _, page = self.request("GET", run_path)
        return re.search(r'id="run-state">(\w+)', page).group(1)


class SlowClients:
    """`count` connections that each send a request header a byte at a time,
    one byte every `interval` seconds, until stop(); one the robot cuts off
    is replaced, so `count` stay open.  The first byte of each is staggered."""

    def __init__(self, robot, count, interval=2.0):
        self.robot, self.count, self.interval = robot, count, interval
        self.stopping, self.cut_off = threading.Event(), 0
        self.thread = threading.Thread(target=self._dribble)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *_):
        self.stopping.set()
        self.thread.join()

    def _connect(self):
        connection = socket.create_connection(("127.0.0.1", self.robot.port))
        connection.sendall(b"GET / HTTP/1.1\r\nX-Slow: ")
        return connection

    def _dribble(self):
        connections = [self._connect() for _ in range(self.count)]
        step = self.interval / max(self.count, 1)
        while connections and not self.stopping.wait(step):
            connection = connections.pop(0)
            try:
                connection.sendall(b"a")
            except OSError:
                connection.close()
                self.cut_off += 1
                connection = self._connect()
            connections.append(connection)
        for connection in connections:
            connection.close()
