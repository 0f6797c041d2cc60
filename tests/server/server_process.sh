#!/usr/bin/env bash
# zazo-scores as a process on SQLite: hostile requests over the wire, the
# rate limit, the pid file, the idle exit, the replay hand-off to a running
# server, and a SIGTERM in the middle of a burst losing no answered entry.
set -euo pipefail
BUILD=$1
SRC=$2
TMP=$(mktemp -d /tmp/zazo-scores-test-XXXXXX)
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill -KILL "$pid" 2> /dev/null || true; done
  rm -rf "$TMP"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; for f in "$TMP"/*.log; do echo "== $f"; cat "$f"; done; exit 1; }
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
sign() { printf '%sh3Tq9pLx2VmW8rKd' "$1" | md5sum | cut -c1-32; }
wait_up() {
  for _ in $(seq 600); do curl -s -o /dev/null "http://127.0.0.1:$1/score/api/top" && return 0; sleep 0.1; done
  fail "no server on $1"
}
code() { curl -s -o /dev/null -w '%{http_code}' "$@"; }

PORT=$(free_port)
"$BUILD/zazo-scores" --db "sqlite:$TMP/scores.sqlite" --port "$PORT" --rate-limit 0 \
  --pid-file "$TMP/pid" 2> "$TMP/server.log" &
PIDS+=($!)
wait_up "$PORT"
URL="http://127.0.0.1:$PORT"
[ "$(cat "$TMP/pid")" = "${PIDS[0]}" ] || fail "pid file does not hold the server's pid"

T=202407032005090001234500000012061
S=$(sign $T)
[ "$(code -c "$TMP/jar" "$URL/score/?mode=reg&score=$T&p=$S")" = 200 ] || fail "registration"
grep -q "zazo_owner_1" "$TMP/jar" || fail "no owner cookie for a new entry"
# Hostile requests: oversized address, body over 1 MB, text with NUL and
# quotes, names with markup and 10,000 characters, invalid UTF-8.
[ "$(code "$URL/score/?mode=reg&score=$(head -c 9000 /dev/zero | tr '\0' 1)&p=$S")" = 414 ] ||
  fail "oversized address not refused"
head -c 1100000 /dev/zero > "$TMP/big"
[ "$(code -X POST --data-binary @"$TMP/big" "$URL/score/api/replay")" = 413 ] || fail "1 MB cap"
[ "$(code "$URL/score/?mode=reg&score=%00$T&p=$S")" = 400 ] || fail "NUL in text"
[ "$(code "$URL/score/?mode=reg&score=$T%27%20OR%201=1--&p=$S")" = 400 ] || fail "SQL in text"
# (a 10,000-character form is over the library's 8 KB form cap: 413)
for n in 17 2000 10000; do
  C=$(code -b "$TMP/jar" -X POST --data-urlencode "score=$T" --data-urlencode "p=$S" \
    --data-urlencode "name=$(head -c $n /dev/zero | tr '\0' a)" "$URL/score/name")
  [ "$C" = 400 ] || [ "$C" = 413 ] || fail "$n-character name: $C"
done
[ "$(code -b "$TMP/jar" -X POST --data "score=$T&p=$S&name=%C0%80" "$URL/score/name")" = 400 ] ||
  fail "invalid UTF-8 name"
# The signature alone names nothing; the owner cookie does.
[ "$(code -X POST --data-urlencode "score=$T" --data-urlencode "p=$S" \
  --data-urlencode "name=thief" "$URL/score/name")" = 403 ] || fail "named without the owner's token"
[ "$(code -b "$TMP/jar" -X POST --data-urlencode "score=$T" --data-urlencode "p=$S" \
  --data-urlencode "name=<i>x</i>" "$URL/score/name")" = 303 ] || fail "name"
curl -s "$URL/score/?all=1" | grep -q "&lt;i&gt;x&lt;/i&gt;" || fail "name not escaped"
curl -s "$URL/score/?all=1" | grep -q "<i>x" && fail "name shown raw"
# A replay the server cannot read is refused with a reason, nothing stored.
printf 'garbage\n' > "$TMP/bad.replay"
curl -s -X POST --data-binary @"$TMP/bad.replay" "$URL/score/api/replay" | grep -q '"ok":false' ||
  fail "bad replay not refused"
# --replay while the port is taken: handed to the running server.
if "$BUILD/zazo-scores" --db "sqlite:$TMP/other.sqlite" --port "$PORT" \
  --replay "$TMP/bad.replay" 2> "$TMP/handoff.log"; then
  fail "a refused replay handed over reported success"
fi
grep -q "sent to the running server" "$TMP/handoff.log" || fail "no hand-off"

# A burst of registrations cut by SIGTERM: every answered one is stored.
python3 - "$PORT" > "$TMP/answered" << 'PY' &
import hashlib, http.client, sys
port = int(sys.argv[1])
for n in range(100000):
    t = "20240801%06d%08d%08d%03d" % (n % 240000 if n % 10000 < 6000 else 0, n, 1, 60)
    t = "20240801" + "%02d%02d%02d" % (n // 3600 % 24, n // 60 % 60, n % 60) + t[14:]
    try:
        c = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
        c.request("GET", "/score/?mode=reg&score=%s&p=%s" % (t, hashlib.md5(t.encode() + b"h3Tq9pLx2VmW8rKd").hexdigest()))
        if c.getresponse().status == 200:
            print(t, flush=True)
    except OSError:
        break
PY
BURST=$!
# Cut it once a good number have been answered (a loaded machine is slow).
for ((i = 0; i < 600; i++)); do
  [ "$(wc -l < "$TMP/answered")" -ge 20 ] && break
  kill -0 "$BURST" 2> /dev/null || break
  sleep 0.1
done
kill -TERM "${PIDS[0]}"
wait "${PIDS[0]}" || fail "SIGTERM did not stop the server cleanly"
wait "$BURST" || true
ANSWERED=$(sort -u "$TMP/answered" | wc -l)
[ "$ANSWERED" -gt 0 ] || fail "the burst got no answer"
STORED=$(python3 -c "
import sqlite3, sys
db = sqlite3.connect(sys.argv[1]); have = {r[0] for r in db.execute('SELECT score_text FROM scores')}
print(sum(1 for l in open(sys.argv[2]) if l.strip() in have))" "$TMP/scores.sqlite" "$TMP/answered")
[ "$STORED" = "$ANSWERED" ] || fail "$ANSWERED answered, only $STORED stored"
[ -e "$TMP/pid" ] && fail "pid file left behind"
echo "SIGTERM mid-burst: $ANSWERED answered registrations, all stored"

# Rate limit: 5 a minute, the sixth is refused.
PORT2=$(free_port)
"$BUILD/zazo-scores" --db "sqlite:$TMP/scores.sqlite" --port "$PORT2" --rate-limit 5 \
  --idle-exit 2 2> "$TMP/limited.log" &
PIDS+=($!)
wait_up "$PORT2"  # request 1
for _ in 1 2 3 4; do [ "$(code "http://127.0.0.1:$PORT2/score/")" = 200 ] || fail "under the limit"; done
[ "$(code "http://127.0.0.1:$PORT2/score/")" = 429 ] || fail "rate limit"
# Idle exit after 2 s without requests.
for _ in $(seq 600); do kill -0 "${PIDS[1]}" 2> /dev/null || break; sleep 0.1; done
kill -0 "${PIDS[1]}" 2> /dev/null && fail "no idle exit"
wait "${PIDS[1]}" || fail "idle exit status"
grep -q "without requests" "$TMP/limited.log" || fail "idle exit not logged"
echo "server_process: OK"
