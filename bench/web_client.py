"""What the load and soak runs share: an operator's HTTP client that keeps
its copy of the view as the page does, and a fresh demo database with
`formhost serve` on it (SQLite, or a fresh schema of a PostgreSQL server).
"""
import contextlib
import http.client
import json
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time


class Operator:
    def __init__(self, port):
        self.conn = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
        self.cookie = ""
        self.csrf = ""
        self.tab = ""
        self.version = 0  # of the view this operator holds: answers carry what changed since

    def call(self, method, path, body=None):
        headers = {"Content-Type": "application/json"}
        if self.cookie:
            headers["Cookie"] = self.cookie
        if self.csrf:
            headers["X-CSRF-Token"] = self.csrf
        self.conn.request(method, path, body=json.dumps(body) if body is not None else None,
                          headers=headers)
        r = self.conn.getresponse()
        data = r.read()
        return r.status, r.getheader("Set-Cookie"), (json.loads(data) if data else {})

    def sign_in(self, password):
        status, cookie, body = self.call("POST", "/api/login", {"name": "demo", "password": password})
        assert status == 200, body
        self.cookie = cookie.split(";")[0]
        self.csrf = body["csrf"]
        status, _, body = self.call("POST", "/api/tabs", {})
        assert status == 201, body
        self.tab = body["tab"]
        self.version = body["version"]
        self.view = body["view"]

    def act(self, action):
        # The answer's bytes: parsing them is the client's work, not the round trip.
        self.conn.request("POST", f"/api/tabs/{self.tab}/actions?since={self.version}",
                          body=json.dumps(action),
                          headers={"Content-Type": "application/json", "Cookie": self.cookie,
                                   "X-CSRF-Token": self.csrf})
        r = self.conn.getresponse()
        data = r.read()
        if r.status == 200:
            # The page's work: the answer's changes make its copy of the view.
            body = json.loads(data)
            if "view" in body:
                self.view = body["view"]
            else:
                assert body["base"] == self.version, "an answer from another version"
                self.view = patch(self.view, body["delta"])
            self.version = body["version"]
        return r.status, data


def patch(old, d):
    """The value a change from the server makes of `old` (as the page does)."""
    if "s" in d:
        return old
    if "v" in d:
        return d["v"]
    if "o" in d:
        new = dict(old)
        for k in d.get("d", []):
            new.pop(k, None)
        for k, change in d["o"].items():
            new[k] = patch(old.get(k), change)
        return new
    return [patch(old[i] if i < len(old) else None, x) for i, x in enumerate(d["a"])]


def control(view, window, name):
    for w in view["windows"]:
        if w["class"] == window:
            for c in w["controls"]:
                if c["name"] == name:
                    return c
    return None


def percentile(sorted_values, p):
    if not sorted_values:
        return float("nan")
    k = max(0, min(len(sorted_values) - 1, round(p / 100 * len(sorted_values) + 0.5) - 1))
    return sorted_values[k]


def run_at_once(workers, seconds):
    """Runs each worker(deadline, start) on a thread of its own: they get ready
    (signing in is not measured), wait on `start`, and act until deadline[0].
    Answers the seconds from the start until the last one finished."""
    start = threading.Barrier(len(workers) + 1)
    deadline = [float("inf")]
    threads = [threading.Thread(target=w, args=(deadline, start)) for w in workers]
    for t in threads:
        t.start()
    while start.n_waiting < len(workers) and any(t.is_alive() for t in threads):
        time.sleep(0.05)
    began = time.monotonic()
    deadline[0] = began + seconds
    start.wait()
    for t in threads:
        t.join()
    return time.monotonic() - began


@contextlib.contextmanager
def demo_server(formhost, pg=None):
    """Yields (port, password, sql): sql(query) answers a query's text."""
    scratch = tempfile.mkdtemp(prefix="zr016-web-")
    schema = None
    server = None
    try:
        if pg:
            schema = f"zrload_{os.getpid()}"
            psql = ["psql", pg, "-X", "-q", "-v", "ON_ERROR_STOP=1"]
            quiet = dict(os.environ, PGOPTIONS="-c client_min_messages=warning")
            subprocess.run(psql + ["-c", f"drop schema if exists {schema} cascade",
                                   "-c", f"create schema {schema}"], check=True, env=quiet)
            db = pg + ("&" if "?" in pg else "?") + f"options=-csearch_path={schema}"

            def sql(q):
                return subprocess.run(psql + ["-At", "-c", f"set search_path to {schema}; {q}"],
                                      capture_output=True, text=True, check=True).stdout.strip()
        else:
            path = os.path.join(scratch, "load.db")
            db = "sqlite:" + path

            def sql(q):
                return subprocess.run(["sqlite3", path, q], capture_output=True, text=True,
                                      check=True).stdout.strip()
        init = subprocess.run([formhost, "init-db", "--db", db, "--demo"], capture_output=True,
                              text=True, check=True).stdout
        password = re.search(r"demo operator: demo\s+password: (\S+)", init).group(1)
        server = subprocess.Popen([formhost, "serve", "--db", db, "--listen", "127.0.0.1:0"],
                                  stdout=subprocess.PIPE, text=True)
        port = int(re.search(r":(\d+)/", server.stdout.readline()).group(1))
        yield port, password, sql
    finally:
        if server:
            server.terminate()
            server.wait(timeout=30)
        if schema:
            subprocess.run(["psql", pg, "-X", "-q", "-c", f"drop schema if exists {schema} cascade"],
                           env=dict(os.environ, PGOPTIONS="-c client_min_messages=warning"))
        shutil.rmtree(scratch, ignore_errors=True)
