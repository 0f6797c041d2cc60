#!/usr/bin/env bash
# Flood figures of zazo-scores: 16 maximal replay uploads at once while the
# leaderboard is read, then 300 slow and 300 idle keep-alive clients while a
# fresh visitor reads it. Prints the figures (bench/scores/flood.py).
#   bench/scores/flood.sh BUILD [SERVER [ARGS...]]
# SERVER defaults to BUILD/zazo-scores; extra ARGS go to it (an older server
# can be measured the same way). Loopback only, a fresh SQLite file.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
shift
SRC=$(cd "$(dirname "$0")/../.." && pwd)
SERVER=${1:-$BUILD/zazo-scores}
[ $# -gt 0 ] && shift
TMP=$(mktemp -d /tmp/zazo-flood-XXXXXX)
PID=
cleanup() {
  [ -n "$PID" ] && kill -KILL "$PID" 2> /dev/null || true
  rm -rf "$TMP"
}
trap cleanup EXIT
ulimit -n 4096 2> /dev/null || true
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$SERVER" --db "sqlite:$TMP/scores.sqlite" --port "$PORT" --rate-limit 0 "$@" 2> "$TMP/server.log" &
PID=$!
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$PORT/score/" && break; sleep 0.1; done
echo "server $SERVER $*"
python3 "$SRC/bench/scores/flood.py" --url "http://127.0.0.1:$PORT" \
  --replay "$SRC/fuzz/corpus/replay_file/single_game_over.zzr" ${FLOOD_ARGS:-}
