#!/usr/bin/env python3
"""Floods a running zazo-scores (directly or through a proxy) as an attacker
would and measures what a fresh visitor sees meanwhile.

  uploads: N maximal replay uploads at once (about 1 MB, a frame a byte)
           while a reader fetches the leaderboard; prints the reader's
           latencies and how the uploads were answered.
  slow:    S clients sending their headers a byte at a time and I idle
           keep-alive connections, then a fresh client reads the board.

The attackers connect from 127.0.0.2 and up, the visitor from 127.0.0.1
(all of 127/8 is loopback). Prints "name value" lines; with --check, exits
1 when a bound is missed (bounds given on the command line)."""
import argparse
import http.client
import re
import socket
import ssl
import sys
import threading
import time


def make_big_replay(path, size):
    """The replay with its first game's frames raised until the file is about
    `size` bytes: each frame costs one letter, and the check plays them all."""
    text = open(path, "rb").read().decode("latin-1")
    m = re.search(r"\nframes (\d+)\n((?:d [^\n]*\n)+)", text)
    frames = max(1000, size - len(text))
    deltas = "d " + "G" * (frames - 1) + "\n"
    return (text[:m.start()] + "\nframes %d\n" % frames + deltas + text[m.end():]).encode("latin-1")


class Target:
    def __init__(self, url, host_header=None):
        m = re.match(r"(https?)://([^:/]+):(\d+)", url)
        self.tls = m.group(1) == "https"
        self.host, self.port = m.group(2), int(m.group(3))
        self.host_header = host_header or self.host
        self.ctx = ssl._create_unverified_context() if self.tls else None

    def connect(self, source="127.0.0.1", timeout=30):
        s = socket.create_connection((self.host, self.port), timeout=timeout,
                                     source_address=(source, 0))
        if self.tls:
            s = self.ctx.wrap_socket(s, server_hostname=self.host_header)
        return s

    def request(self, method, path, body=None, source="127.0.0.1", timeout=30):
        """(status, seconds) of one request on a fresh connection; status 0
        when the connection failed."""
        t0 = time.monotonic()
        try:
            cls = http.client.HTTPSConnection if self.tls else http.client.HTTPConnection
            kw = {"context": self.ctx} if self.tls else {}
            c = cls(self.host, self.port, timeout=timeout, source_address=(source, 0), **kw)
            c.request(method, path, body=body, headers={"Host": self.host_header,
                                                         "Content-Type": "application/octet-stream"})
            r = c.getresponse()
            r.read()
            c.close()
            return r.status, time.monotonic() - t0
        except (OSError, http.client.HTTPException):
            return 0, time.monotonic() - t0


def percentile(values, p):
    v = sorted(values)
    return v[min(len(v) - 1, int(len(v) * p))] if v else float("nan")


def upload_flood(t, replay, uploads, seconds):
    answers = []
    lock = threading.Lock()
    start = threading.Barrier(uploads + 1)

    def upload(i):
        start.wait()
        st, took = t.request("POST", "/score/api/replay", body=replay,
                             source="127.0.0.%d" % (2 + i % 200), timeout=120)
        with lock:
            answers.append((st, took))

    threads = [threading.Thread(target=upload, args=(i,)) for i in range(uploads)]
    for th in threads:
        th.start()
    start.wait()
    reads = []
    until = time.monotonic() + seconds
    while time.monotonic() < until or any(th.is_alive() for th in threads):
        st, took = t.request("GET", "/score/", timeout=30)
        reads.append(took if st == 200 else 30.0)
        time.sleep(0.15)  # within a proxy's page rate per address
        if time.monotonic() > until + 120:
            break
    for th in threads:
        th.join()
    busy = [took for st, took in answers if st == 503]
    return {
        "upload_flood_reads": len(reads),
        "upload_flood_read_p50_s": percentile(reads, 0.5),
        "upload_flood_read_p95_s": percentile(reads, 0.95),
        "upload_flood_read_max_s": max(reads),
        "upload_flood_answers": " ".join("%d:%d" % (s, sum(1 for a, _ in answers if a == s))
                                         for s in sorted(set(a for a, _ in answers))),
        "upload_flood_503_count": len(busy),
        "upload_flood_503_max_s": max(busy) if busy else 0.0,
    }


def slow_flood(t, slow, idle, hold):
    socks = []
    opened = 0
    # Idle keep-alive connections: one request, then silence (its answer is
    # not waited for: a server that gives each connection a worker may never
    # send it).
    for i in range(idle):
        try:
            s = t.connect(source="127.0.1.%d" % (1 + i % 250), timeout=2)
            s.sendall(b"GET /score/api/board HTTP/1.1\r\nHost: %s\r\n\r\n" % t.host_header.encode())
            s.setblocking(False)
            socks.append(s)
            opened += 1
        except OSError:
            pass
    # Slow clients: the request line, then a header byte now and then.
    slowsocks = []
    for i in range(slow):
        try:
            s = t.connect(source="127.0.2.%d" % (1 + i % 250), timeout=2)
            s.sendall(b"GET /score/ HTTP/1.1\r\nHost: %s\r\nX-a: " % t.host_header.encode())
            s.setblocking(False)
            slowsocks.append(s)
        except OSError:
            pass
    reads = []
    until = time.monotonic() + hold
    while time.monotonic() < until:
        for s in slowsocks:
            try:
                s.send(b"a")
            except (OSError, ssl.SSLError):
                pass
        st, took = t.request("GET", "/score/", timeout=30)
        reads.append(took if st == 200 else 30.0)
        time.sleep(0.5)
    for s in socks + slowsocks:
        try:
            s.close()
        except OSError:
            pass
    return {
        "slow_flood_idle_open": opened,
        "slow_flood_slow_open": len(slowsocks),
        "slow_flood_read_p95_s": percentile(reads, 0.95),
        "slow_flood_read_max_s": max(reads),
    }


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--url", required=True)
    ap.add_argument("--host-header")
    ap.add_argument("--replay", required=True)
    ap.add_argument("--replay-bytes", type=int, default=1_000_000)
    ap.add_argument("--uploads", type=int, default=16)
    ap.add_argument("--upload-seconds", type=float, default=10)
    ap.add_argument("--slow", type=int, default=300)
    ap.add_argument("--idle", type=int, default=300)
    ap.add_argument("--hold", type=float, default=10)
    ap.add_argument("--check", action="store_true")
    ap.add_argument("--max-read-p95", type=float, default=1.0)
    ap.add_argument("--max-busy-answer", type=float, default=1.0)
    a = ap.parse_args()
    t = Target(a.url, a.host_header)
    figures = {}
    if a.uploads:
        figures.update(upload_flood(t, make_big_replay(a.replay, a.replay_bytes), a.uploads,
                                    a.upload_seconds))
    if a.slow or a.idle:
        figures.update(slow_flood(t, a.slow, a.idle, a.hold))
    for k, v in figures.items():
        print("%s %s" % (k, "%.3f" % v if isinstance(v, float) else v), flush=True)
    if not a.check:
        return
    fails = []
    if a.uploads:
        if figures["upload_flood_read_p95_s"] > a.max_read_p95:
            fails.append("leaderboard p95 %.2f s during the upload flood" %
                         figures["upload_flood_read_p95_s"])
        if figures["upload_flood_503_count"] == 0:
            fails.append("no upload beyond the queue was turned away")
        if figures["upload_flood_503_max_s"] > a.max_busy_answer:
            fails.append("a 503 took %.2f s" % figures["upload_flood_503_max_s"])
    if a.slow or a.idle:
        if figures["slow_flood_read_max_s"] > a.max_read_p95:
            fails.append("the leaderboard took %.2f s with slow and idle clients" %
                         figures["slow_flood_read_max_s"])
    if fails:
        print("FAIL: " + "; ".join(fails))
        sys.exit(1)


if __name__ == "__main__":
    main()
