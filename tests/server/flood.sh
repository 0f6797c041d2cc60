#!/usr/bin/env bash
# Floods against the real deployment: Debian's nginx with a self-signed
# certificate, configured from dist/nginx/zazo-scores.conf, in front of two
# zazo-scores processes on a throw-away PostgreSQL cluster; then the same
# against one process directly. 16 maximal replay uploads at once while the
# leaderboard is read (p95 under a second, uploads beyond the queue turned
# away at once), 300 slow and 300 idle keep-alive clients while a fresh one
# reads it, and SIGTERM during a check (the process gone within 6 s). Loopback
# only, ephemeral ports; the figures themselves are bench/scores/flood.sh's.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SRC=$2
. "$SRC/tests/server/pg_cluster.inc"
command -v nginx > /dev/null || [ -x /usr/sbin/nginx ] || { echo "nginx is missing (scripts/install-deps.sh)"; exit 1; }
NGINX=$(command -v nginx || echo /usr/sbin/nginx)
TMP=$(mktemp -d /tmp/zazo-flood-test-XXXXXX)
chmod 755 "$TMP"
PIDS=()
NGINX_PID=
cleanup() {
  for pid in "${PIDS[@]}"; do kill -KILL "$pid" 2> /dev/null || true; done
  if [ -n "$NGINX_PID" ]; then
    # TERM: the master stops its workers, then itself.
    kill -TERM "$NGINX_PID" 2> /dev/null || true
    for _ in $(seq 50); do kill -0 "$NGINX_PID" 2> /dev/null || break; sleep 0.1; done
    kill -KILL "$NGINX_PID" 2> /dev/null || true
  fi
  pg_cluster_stop
  rm -rf "$TMP"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; for f in "$TMP"/*.log; do echo "== $f"; tail -20 "$f"; done; exit 1; }
ulimit -n 4096 2> /dev/null || true
free_port() { pg_free_port; }

# The shipped unit as systemd reads it (the binary of this build in place of
# the installed one).
if command -v systemd-analyze > /dev/null; then
  mkdir -p "$TMP/man/man1" "$TMP/unit"
  cp "$SRC/dist/zazo-scores.1" "$TMP/man/man1/"
  sed "s|/usr/games/zazo-scores|$BUILD/zazo-scores|" "$SRC/dist/systemd/zazo-scores@.service" \
    > "$TMP/unit/zazo-scores@8081.service"
  MANPATH=$TMP/man systemd-analyze verify "$TMP/unit/zazo-scores@8081.service" > "$TMP/verify.txt" 2>&1 ||
    fail "systemd-analyze verify: $(cat "$TMP/verify.txt")"
  [ -s "$TMP/verify.txt" ] && fail "systemd-analyze verify: $(cat "$TMP/verify.txt")"
  echo "systemd unit verified"
fi

pg_cluster_start "$TMP/pg"
REPLAY=$SRC/fuzz/corpus/replay_file/single_game_over.zzr

start_server() {  # port, then extra options
  local port=$1
  shift
  "$BUILD/zazo-scores" --db "$PG_URL" --port "$port" --rate-limit 0 --check-threads 1 \
    --check-queue 2 --replay-seconds 3 "$@" 2>> "$TMP/server-$port.log" &
  PIDS+=($!)
  for _ in $(seq 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/score/api/board" && return 0
    sleep 0.1
  done
  fail "server on $port did not start"
}
P1=$(free_port)
P2=$(free_port)
start_server "$P1" --trust-proxy
start_server "$P2" --trust-proxy

# nginx from the shipped site: our ports, certificate and folders.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=localhost" \
  -keyout "$TMP/key.pem" -out "$TMP/cert.pem" > "$TMP/openssl.log" 2>&1 || fail "openssl"
NPORT=$(free_port)
python3 - "$SRC/dist/nginx/zazo-scores.conf" "$TMP" "$NPORT" "$P1" "$P2" > "$TMP/site.conf" << 'PY'
import re, sys
text, tmp, port, p1, p2 = open(sys.argv[1]).read(), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
# The redirecting port-80 server is not needed here.
text = re.sub(r"server \{\s*listen 80;.*?\n\}\n", "", text, flags=re.S)
text = re.sub(r"\n\s*listen \[::\]:443[^\n]*", "", text)
text = text.replace("listen 443 ssl http2;", "listen 127.0.0.1:%s ssl http2;" % port)
text = text.replace("127.0.0.1:8081", "127.0.0.1:" + p1).replace("127.0.0.1:8082", "127.0.0.1:" + p2)
text = re.sub(r"ssl_certificate [^;]*;", "ssl_certificate %s/cert.pem;" % tmp, text)
text = re.sub(r"ssl_certificate_key [^;]*;", "ssl_certificate_key %s/key.pem;" % tmp, text)
print(text)
PY
cat > "$TMP/nginx.conf" << CONF
user $(id -un);
worker_processes 1;
daemon off;
pid $TMP/nginx.pid;
error_log $TMP/nginx-error.log warn;
events { worker_connections 4096; }
http {
  access_log off;
  client_body_temp_path $TMP/body;
  proxy_temp_path $TMP/proxy;
  fastcgi_temp_path $TMP/fastcgi;
  uwsgi_temp_path $TMP/uwsgi;
  scgi_temp_path $TMP/scgi;
  include $TMP/site.conf;
}
CONF
"$NGINX" -t -p "$TMP" -c "$TMP/nginx.conf" > "$TMP/nginx-t.log" 2>&1 || fail "nginx -t: $(cat "$TMP/nginx-t.log")"
"$NGINX" -p "$TMP" -c "$TMP/nginx.conf" 2>> "$TMP/nginx-error.log" &
NGINX_PID=$!
for _ in $(seq 100); do
  curl -sk -o /dev/null "https://127.0.0.1:$NPORT/score/api/board" && break
  sleep 0.1
done
curl -sk "https://127.0.0.1:$NPORT/score/api/board" | grep -q '"relay"' || fail "nginx does not reach the board"

echo "== through nginx (TLS, two processes on PostgreSQL)"
python3 "$SRC/bench/scores/flood.py" --url "https://127.0.0.1:$NPORT" --host-header localhost \
  --replay "$REPLAY" --uploads 16 --upload-seconds 4 --slow 300 --idle 300 --hold 4 --check \
  --max-read-p95 1.0 --max-busy-answer 2.0 || fail "flood through nginx"

echo "== directly (one process)"
python3 "$SRC/bench/scores/flood.py" --url "http://127.0.0.1:$P1" --replay "$REPLAY" \
  --uploads 16 --upload-seconds 4 --slow 300 --idle 300 --hold 4 --check \
  --max-read-p95 1.0 --max-busy-answer 2.0 || fail "direct flood"

# SIGTERM while a long check runs: the upload is answered 503 and the
# process is gone within 6 s.
P3=$(free_port)
start_server "$P3" --replay-seconds 60
python3 -c "
import sys; sys.path.insert(0, '$SRC/bench/scores')
import flood, http.client
body = flood.make_big_replay('$REPLAY', 1000000)
c = http.client.HTTPConnection('127.0.0.1', $P3, timeout=30)
c.request('POST', '/score/api/replay', body=body)
print('sent', flush=True)
print(c.getresponse().status)
" > "$TMP/term-status.txt" 2>&1 &
UPLOADER=$!
for _ in $(seq 200); do grep -q sent "$TMP/term-status.txt" && break; sleep 0.05; done
T0=$(date +%s.%N)
kill -TERM "${PIDS[2]}"
for _ in $(seq 120); do kill -0 "${PIDS[2]}" 2> /dev/null || break; sleep 0.05; done
kill -0 "${PIDS[2]}" 2> /dev/null && fail "still running 6 s after SIGTERM"
wait "$UPLOADER" || true
python3 -c "import sys; t=float(sys.argv[2])-float(sys.argv[1]); print('stopped %.1f s after SIGTERM' % t); sys.exit(t > 6)" \
  "$T0" "$(date +%s.%N)" || fail "slow stop"
grep -q '^503$' "$TMP/term-status.txt" || fail "the upload cut by the stop was not answered 503: $(cat "$TMP/term-status.txt")"
echo "flood: OK"
