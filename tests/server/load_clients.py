#!/usr/bin/env python3
"""Load clients for zazo-scores: N clients register signed entries (with
repeats of each other's) and upload replays in parallel over loopback, each
request retried on the other server when one fails; optionally SIGKILLs the
first server part-way. Then checks the database: every accepted entry stored
exactly once, nothing else stored, ranks as the database orders them."""
import argparse
import hashlib
import http.client
import json
import os
import random
import re
import signal
import subprocess
import sys
import threading
import time

SALT = b"h3Tq9pLx2VmW8rKd"
DEADLINE = time.monotonic() + 240


def score_text(n, score):
    # Distinct date per n: seconds after 2024-01-01 00:00:00.
    day, rest = divmod(n, 86400)
    month, day = divmod(day, 28)
    h, rest = divmod(rest, 3600)
    m, s = divmod(rest, 60)
    date = "2024%02d%02d%02d%02d%02d" % (month + 1, day + 1, h, m, s)
    return "%s%08d%08d%03d" % (date, score, 1 + n % 40, 60)


def sign(text):
    return hashlib.md5(text.encode() + SALT).hexdigest()


class Client:
    def __init__(self, ports):
        self.ports = ports
        self.conns = {}

    def request(self, method, path, body=None, first=0, final=500):
        """Sends until a server answers below `final`; tries the ports in turn."""
        attempt = 0
        while time.monotonic() < DEADLINE:
            port = self.ports[(first + attempt) % len(self.ports)]
            attempt += 1
            try:
                conn = self.conns.get(port)
                if conn is None:
                    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
                    self.conns[port] = conn
                conn.request(method, path, body=body,
                             headers={"Content-Type": "application/octet-stream"} if body else {})
                res = conn.getresponse()
                data = res.read()
                if res.status < final:
                    return res.status, data
            except (OSError, http.client.HTTPException):
                self.conns.pop(port, None)
            time.sleep(min(0.05 * attempt, 0.5))
        raise RuntimeError("no server answered %s %s" % (method, path))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ports", required=True)
    ap.add_argument("--pids", default="")
    ap.add_argument("--db", required=True)
    ap.add_argument("--clients", type=int, default=8)
    ap.add_argument("--registrations", type=int, default=500)
    ap.add_argument("--uploads", type=int, default=100)
    ap.add_argument("--replay", default=os.environ.get("ZAZO_TEST_REPLAY", ""))
    ap.add_argument("--kill-after", type=float, default=0.0)
    ap.add_argument("--label", default="load")
    a = ap.parse_args()
    ports = [int(p) for p in a.ports.split(",")]
    pids = [int(p) for p in a.pids.split(",") if p]
    replay = open(a.replay, "rb").read() if a.replay else None

    total = a.clients * a.registrations + a.uploads
    done = [0]
    lock = threading.Lock()
    accepted = set()
    refused = []
    upload_status = {}

    def client(c):
        cl = Client(ports)
        rnd = random.Random(c)
        mine = []
        for j in range(a.registrations):
            if j % 10 == 9 and c > 0:
                # A repeat of an entry another client registers.
                n = (c - 1) * a.registrations + rnd.randrange(a.registrations)
            else:
                n = c * a.registrations + j
            text = score_text(n, (n * 7919) % 100000)
            st, _ = cl.request("GET", "/score/?mode=reg&score=%s&p=%s" % (text, sign(text)), first=c + j)
            with lock:
                done[0] += 1
                (accepted.add(text) if st == 200 else refused.append((text, st)))
            mine.append(text)
        for u in range(a.uploads * (c + 1) // a.clients - a.uploads * c // a.clients):
            body = replay if replay else b"not a replay %d\n" % u
            # A full check queue answers 503 (Retry-After): sent again.
            st, data = cl.request("POST", "/score/api/replay", body=body, first=c + u, final=503)
            with lock:
                done[0] += 1
                upload_status[st] = upload_status.get(st, 0) + 1

    started = time.monotonic()
    threads = [threading.Thread(target=client, args=(c,)) for c in range(a.clients)]
    for t in threads:
        t.start()
    killed = False
    while any(t.is_alive() for t in threads):
        if a.kill_after and not killed and pids and done[0] >= a.kill_after * total:
            os.kill(pids[0], signal.SIGKILL)
            killed = True
            print("%s: SIGKILL server %d after %d requests" % (a.label, pids[0], done[0]))
        time.sleep(0.01)
    for t in threads:
        t.join()
    took = time.monotonic() - started

    def psql(sql):
        return subprocess.run(["psql", "-At", "-d", a.db, "-c", sql], check=True,
                              capture_output=True, text=True).stdout.split("\n")

    rows = [r for r in psql("SELECT score_text FROM scores") if r]
    stored = set(rows)
    fails = []
    if refused:
        fails.append("%d registrations refused, e.g. %s" % (len(refused), refused[:3]))
    if len(rows) != len(stored):
        fails.append("an entry is stored twice")
    # Entries beyond the accepted registrations come from the uploaded
    # replay's games (stored as plain: the uploads name no challenge).
    verified = set(re.findall(r"\nresult \d+ \d+ (\d{33}) ", replay.decode("latin-1"))) if replay else set()
    if replay and upload_status.get(200, 0) != a.uploads:
        fails.append("replay uploads not all verified: %s" % upload_status)
    if accepted - stored or (stored - accepted) - verified:
        fails.append("stored %d entries, accepted %d (missing %d, extra %d)" %
                     (len(stored), len(accepted), len(accepted - stored),
                      len((stored - accepted) - verified)))
    # Ranks: the API and the entry pages against the database's own order.
    ranks = {}
    for r in psql("SELECT score_text, RANK() OVER (ORDER BY score DESC) FROM scores"):
        if r:
            t, k = r.split("|")
            ranks[t] = int(k)
    live = [p for i, p in enumerate(ports) if not (killed and i == 0)]
    cl = Client(live)
    st, data = cl.request("GET", "/score/api/top?limit=1000&all=1")
    top = json.loads(data)
    prev = 0
    for i, e in enumerate(top):
        if e["rank"] < prev or e["rank"] > i + 1 or (i and e["score"] == top[i - 1]["score"]
                                                     and e["rank"] != top[i - 1]["rank"]):
            fails.append("inconsistent rank at %d: %s" % (i, e))
            break
        prev = e["rank"]
    for t in random.Random(1).sample(sorted(stored), min(20, len(stored))):
        st, page = cl.request("GET", "/score/?mode=reg&score=%s&p=%s" % (t, sign(t)))
        m = re.search(rb'id="entry">[^<]*<span class="en">Rank</span> <b>(\d+)</b>', page)
        if not m or int(m.group(1)) != ranks[t]:
            fails.append("entry page rank of %s is %s, the database says %d" %
                         (t, m and m.group(1), ranks[t]))
    print("%s: %d clients, %d registrations (%d distinct entries stored), %d replay uploads %s, "
          "%.1f s, %.0f requests/s" % (a.label, a.clients, a.clients * a.registrations, len(stored),
                                      a.uploads, dict(sorted(upload_status.items())), took,
                                      total / took))
    if fails:
        print("FAIL: " + "; ".join(fails))
        sys.exit(1)


if __name__ == "__main__":
    main()
