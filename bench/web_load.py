#!/usr/bin/env python3
"""Load on formhost serve: operators at the item list, all at once.

Each of N signed-in sessions opens the item list, adds a label of its own,
then for the given time edits that label's name in the editor and saves it
(row, Enter, type, OK), as fast as the server answers. Prints the actions per
second and the 50th/95th/99th percentile of an action's round trip, counts
errors (a refused action or an HTTP error) and checks that the last saved
name of every session is in the database.

    bench/web_load.py FORMHOST [--sessions 20] [--seconds 60] [--pg URL]

Without --pg it runs on a fresh SQLite demo database; with --pg on a fresh
schema of that PostgreSQL server (dropped afterwards).
"""
import argparse
import http.client
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
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


def worker(n, port, password, deadline, out, start):
    me = Operator(port)
    me.sign_in(password)
    times, errors, saved = [], [], None
    mark = f"L{n:02d}"

    def act(action, parse=False):
        t = time.perf_counter()
        status, data = me.act(action)
        times.append(time.perf_counter() - t)
        if status != 200 or b'"refused":[]' not in data[:200]:
            body = json.loads(data) if data else {}
            errors.append(f"{action['kind']}: {status} {body.get('error') or body.get('refused')}")
            return None
        return me.view if parse else {}

    start.wait()
    act({"kind": "open", "window": "w_01691"})
    act({"kind": "insert", "window": "w_01691", "control": "dw_items"})
    act({"kind": "type", "window": "w_01691_edit", "control": "dw_maint", "row": 1,
         "column": "ddyjbh", "text": "DD240301"})
    act({"kind": "type", "window": "w_01691_edit", "control": "dw_maint", "row": 1,
         "column": "f3bz01", "text": mark})
    body = act({"kind": "click", "window": "w_01691_edit", "control": "uo_ok"}, parse=True)
    items = control(body, "w_01691", "dw_items") if body else None
    rows = items["rows"] if items else []
    mine = [i + 1 for i, r in enumerate(rows) if r["values"]["zr_016910_f3bz01"] == mark]
    if not mine:
        errors.append("the new label is not in the list")
        out[n] = (times, errors, None, None)
        return
    row, key = mine[0], rows[mine[0] - 1]["values"]["zr_016910_f3jbid"]
    i = 0
    while time.monotonic() < deadline[0]:
        i += 1
        name = f"{mark}-{i}"
        act({"kind": "row", "window": "w_01691", "control": "dw_items", "row": row})
        act({"kind": "enter", "window": "w_01691", "control": "dw_items"})
        act({"kind": "type", "window": "w_01691_edit", "control": "dw_maint", "row": 1,
             "column": "f3bz02", "text": name})
        body = act({"kind": "click", "window": "w_01691_edit", "control": "uo_ok"}, parse=True)
        items = control(body, "w_01691", "dw_items") if body else None
        if items and items["rows"][row - 1]["values"]["zr_016910_f3bz02"] == name:
            saved = name
    out[n] = (times, errors, key, saved)


def percentile(sorted_values, p):
    if not sorted_values:
        return float("nan")
    k = max(0, min(len(sorted_values) - 1, round(p / 100 * len(sorted_values) + 0.5) - 1))
    return sorted_values[k]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("formhost")
    ap.add_argument("--sessions", type=int, default=20)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--pg", help="a PostgreSQL connection (postgresql://...)")
    a = ap.parse_args()

    scratch = tempfile.mkdtemp(prefix="zr016-load-")
    schema = None
    if a.pg:
        schema = f"zrload_{os.getpid()}"
        psql = ["psql", a.pg, "-X", "-q", "-v", "ON_ERROR_STOP=1"]
        subprocess.run(psql + ["-c", f"drop schema if exists {schema} cascade",
                               "-c", f"create schema {schema}"], check=True)
        db = a.pg + ("&" if "?" in a.pg else "?") + f"options=-csearch_path={schema}"
        sql = lambda q: subprocess.run(psql + ["-At", "-c", f"set search_path to {schema}; {q}"],
                                       capture_output=True, text=True, check=True).stdout.strip()
    else:
        path = os.path.join(scratch, "load.db")
        db = "sqlite:" + path
        sql = lambda q: subprocess.run(["sqlite3", path, q], capture_output=True, text=True,
                                       check=True).stdout.strip()
    server = None
    try:
        init = subprocess.run([a.formhost, "init-db", "--db", db, "--demo"], capture_output=True,
                              text=True, check=True).stdout
        password = re.search(r"demo operator: demo\s+password: (\S+)", init).group(1)
        server = subprocess.Popen([a.formhost, "serve", "--db", db, "--listen", "127.0.0.1:0"],
                                  stdout=subprocess.PIPE, text=True)
        port = int(re.search(r":(\d+)/", server.stdout.readline()).group(1))

        out = {}
        start = threading.Barrier(a.sessions + 1)
        deadline = [float("inf")]
        threads = [threading.Thread(target=worker, args=(n, port, password, deadline, out, start))
                   for n in range(1, a.sessions + 1)]
        # Everyone signs in first (not measured), then the clock starts.
        for t in threads:
            t.start()
        while start.n_waiting < a.sessions and any(t.is_alive() for t in threads):
            time.sleep(0.05)
        began = time.monotonic()
        deadline[0] = began + a.seconds
        start.wait()
        for t in threads:
            t.join()
        elapsed = time.monotonic() - began

        times = sorted(x for v in out.values() for x in v[0])
        errors = [e for v in out.values() for e in v[1]]
        missing = []
        for n, (_, _, key, saved) in sorted(out.items()):
            if key is None or saved is None:
                missing.append(f"session {n}: nothing saved")
                continue
            found = sql(f"select f3bz02 from zr_016910 where f3jbid = {int(key)}")
            if found != saved:
                missing.append(f"session {n}: label {key} holds {found!r}, last saved {saved!r}")
        backend = "PostgreSQL" if a.pg else "SQLite"
        print(f"{backend}: {a.sessions} sessions, {elapsed:.1f} s, {len(times)} actions, "
              f"{len(times) / elapsed:.1f} actions/s")
        print(f"  round trip p50 {percentile(times, 50) * 1000:.1f} ms, "
              f"p95 {percentile(times, 95) * 1000:.1f} ms, p99 {percentile(times, 99) * 1000:.1f} ms, "
              f"max {times[-1] * 1000 if times else float('nan'):.1f} ms, "
              f"mean {statistics.fmean(times) * 1000 if times else float('nan'):.1f} ms")
        print(f"  errors: {len(errors)}" + (f" (first: {errors[0]})" if errors else ""))
        print(f"  saves checked in the database: {len(out) - len(missing)} of {a.sessions} sessions"
              + (f"; {missing[0]}" if missing else ""))
        return 0 if not errors and not missing else 1
    finally:
        if server:
            server.terminate()
            server.wait(timeout=30)
        if schema:
            subprocess.run(["psql", a.pg, "-X", "-q", "-c", f"drop schema if exists {schema} cascade"],
                           env=dict(os.environ, PGOPTIONS="-c client_min_messages=warning"))
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
