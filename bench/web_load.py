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
import functools
import json
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from web_client import Operator, control, demo_server, percentile, run_at_once  # noqa: E402


def worker(n, port, password, out, deadline, start):
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


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("formhost")
    ap.add_argument("--sessions", type=int, default=20)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--pg", help="a PostgreSQL connection (postgresql://...)")
    a = ap.parse_args()

    with demo_server(a.formhost, a.pg) as (port, password, sql):
        out = {}
        # Everyone signs in first (not measured), then the clock starts.
        elapsed = run_at_once([functools.partial(worker, n, port, password, out)
                               for n in range(1, a.sessions + 1)], a.seconds)

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


if __name__ == "__main__":
    sys.exit(main())
