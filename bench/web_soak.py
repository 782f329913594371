#!/usr/bin/env python3
"""Soak through the browser front end: operators adding and editing labels at once.

Each of N signed-in sessions keeps the item list open and, for the given time,
either adds a label of its own (the editor numbers it from the key counter in
the save) or renames one of the first SHARED labels, which every session
edits, and saves with OK. When another station saved that label first, the
save is refused naming the row; the operator reads the row again (Yes) and
leaves the editor (Cancel).

Afterwards, from the database:
- every add reported saved is there exactly once, and nothing else was added;
- on each shared label, the saved renames form one chain: each was made on
  the name the one before it saved (no save overwrote a name it never saw),
  and the label holds the last of them;
- every refused save was a conflict reported with its row, and every session
  kept working to the end (none stuck).

    bench/web_soak.py FORMHOST [--sessions 20] [--seconds 60] [--shared 4] [--pg URL]
"""
import argparse
import collections
import functools
import json
import os
import random
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from web_client import Operator, control, demo_server, run_at_once  # noqa: E402

LIST, EDITOR = "w_01691", "w_01691_edit"
KEY, NAME, MARK = "zr_016910_f3jbid", "zr_016910_f3bz02", "zr_016910_f3bz01"


class Station:
    def __init__(self, n, port, password):
        self.n = n
        self.me = Operator(port)
        self.me.sign_in(password)
        self.adds = []  # marks reported saved
        self.renames = []  # (key, based on, new name) reported saved
        self.conflicts = 0
        self.errors = []
        self.last_action = 0.0

    def act(self, action):
        """The refusals of an action (None for an HTTP error)."""
        status, data = self.me.act(action)
        self.last_action = time.monotonic()
        if status != 200:
            self.errors.append(f"{action['kind']}: HTTP {status} {data[:200]!r}")
            return None
        return json.loads(data)["refused"]

    def rows(self):
        return control(self.me.view, LIST, "dw_items")["rows"]

    def add(self, i):
        mark = f"S{self.n}.{i}"
        steps = [{"kind": "insert", "window": LIST, "control": "dw_items"},
                 {"kind": "type", "window": EDITOR, "control": "dw_maint", "row": 1,
                  "column": "ddyjbh", "text": "DD240301"},
                 {"kind": "type", "window": EDITOR, "control": "dw_maint", "row": 1,
                  "column": "f3bz01", "text": mark},
                 {"kind": "click", "window": EDITOR, "control": "uo_ok"}]
        for step in steps:
            refused = self.act(step)
            if refused != []:
                self.errors.append(f"add {mark}: {step['kind']} refused {refused}")
                self.recover()
                return
        if any(r["values"][MARK] == mark for r in self.rows()):
            self.adds.append(mark)
        else:
            self.errors.append(f"add {mark}: saved but not in the list")

    def rename(self, key, i):
        name = f"R{self.n}.{i}"
        at = [k + 1 for k, r in enumerate(self.rows()) if str(r["values"][KEY]) == str(key)]
        if not at:
            self.errors.append(f"label {key} is not in the list")
            return
        for step in [{"kind": "row", "window": LIST, "control": "dw_items", "row": at[0]},
                     {"kind": "enter", "window": LIST, "control": "dw_items"}]:
            if self.act(step) != []:
                self.errors.append(f"rename of {key}: {step['kind']} refused")
                self.recover()
                return
        based_on = control(self.me.view, EDITOR, "dw_maint")["rows"][0]["values"]["f3bz02"] or ""
        if self.act({"kind": "type", "window": EDITOR, "control": "dw_maint", "row": 1,
                     "column": "f3bz02", "text": name}) != []:
            self.errors.append(f"rename of {key}: typing refused")
            self.recover()
            return
        refused = self.act({"kind": "click", "window": EDITOR, "control": "uo_ok"})
        if refused == []:
            self.renames.append((key, based_on, name))
            return
        box = self.me.view.get("messagebox")
        if refused and "another station" in refused[0] and box and f"f3jbid {key})" in box["text"]:
            self.conflicts += 1
        else:
            self.errors.append(f"rename of {key} refused: {refused} {box}")
        self.recover()

    def recover(self):
        """Answers what is asked (read the row again), leaves the editor."""
        for _ in range(5):
            if self.me.view.get("messagebox"):
                self.act({"kind": "answer", "button": 1})
            elif any(w["class"] == EDITOR for w in self.me.view["windows"]):
                self.act({"kind": "click", "window": EDITOR, "control": "uo_cancel"})
            else:
                return
        self.errors.append("could not get back to the list")


def work(station, shared, deadline, start):
    rng = random.Random(station.n)
    start.wait()
    station.act({"kind": "open", "window": LIST})
    i = 0
    while time.monotonic() < deadline[0]:
        i += 1
        if rng.random() < 0.5:
            station.add(i)
        else:
            station.rename(rng.choice(shared), i)


def check_chain(key, initial, final, renames):
    """Why the saved renames of one label do not form one chain ending in final."""
    after = {}
    for based_on, name in renames:
        if based_on in after:
            return f"label {key}: {after[based_on]!r} and {name!r} were both saved over {based_on!r}"
        after[based_on] = name
    value, seen = initial, 0
    while value in after:
        value, seen = after[value], seen + 1
    if seen != len(renames):
        return f"label {key}: {len(renames) - seen} saved renames are not in the chain from {initial!r}"
    if value != final:
        return f"label {key} holds {final!r}, the last saved rename was {value!r}"
    return None


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("formhost")
    ap.add_argument("--sessions", type=int, default=20)
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--shared", type=int, default=4, help="labels every session renames")
    ap.add_argument("--pg", help="a PostgreSQL connection (postgresql://...)")
    a = ap.parse_args()
    if a.sessions < 1 or a.seconds <= 0 or a.shared < 1:
        ap.error("sessions, seconds and shared must be positive")

    with demo_server(a.formhost, a.pg) as (port, password, sql):
        keys = sql(f"select f3jbid from zr_016910 order by f3jbid limit {a.shared}").split()
        initial = {k: sql(f"select coalesce(f3bz02, '') from zr_016910 where f3jbid = {k}")
                   for k in keys}
        before = int(sql("select count(*) from zr_016910"))
        stations = [Station(n, port, password) for n in range(1, a.sessions + 1)]
        elapsed = run_at_once([functools.partial(work, s, keys) for s in stations], a.seconds)
        deadline = time.monotonic() - elapsed + a.seconds

        faults = [e for s in stations for e in s.errors]
        adds = [m for s in stations for m in s.adds]
        for mark in adds:
            found = int(sql(f"select count(*) from zr_016910 where f3bz01 = '{mark}'"))
            if found != 1:
                faults.append(f"add {mark} reported saved is in the table {found} times")
        now = int(sql("select count(*) from zr_016910"))
        if now != before + len(adds):
            faults.append(f"{now - before} labels were added, {len(adds)} reported saved")
        by_key = collections.defaultdict(list)
        for s in stations:
            for key, based_on, name in s.renames:
                by_key[key].append((based_on, name))
        for key in keys:
            final = sql(f"select coalesce(f3bz02, '') from zr_016910 where f3jbid = {key}")
            why = check_chain(key, initial[key], final, by_key[key])
            if why:
                faults.append(why)
        stuck = [s.n for s in stations if s.last_action < deadline - 5]
        if stuck:
            faults.append(f"sessions {stuck} stopped acting more than 5 s before the end")

        backend = "PostgreSQL" if a.pg else "SQLite"
        renames = sum(len(v) for v in by_key.values())
        conflicts = sum(s.conflicts for s in stations)
        print(f"{backend}: {a.sessions} sessions, {elapsed:.1f} s: {len(adds) + renames} saves "
              f"({len(adds)} adds, {renames} renames of {len(keys)} shared labels), "
              f"{conflicts} conflicts reported, {len(faults)} faults")
        for f in faults[:10]:
            print("  " + f)
        return 0 if not faults else 1


if __name__ == "__main__":
    sys.exit(main())
