#!/usr/bin/env bash
# The store tests against a real PostgreSQL 15, then the load run: two
# zazo-scores processes on one database, 8 clients registering and uploading
# in parallel, and the same again with one server killed mid-run.
set -euo pipefail
BUILD=$1
SRC=$2
. "$SRC/tests/server/pg_cluster.inc"

TMP=$(mktemp -d /tmp/zazo-pg-test-XXXXXX)
chmod 755 "$TMP"
SERVER_PIDS=()
cleanup() {
  for pid in "${SERVER_PIDS[@]}"; do kill -KILL "$pid" 2> /dev/null || true; done
  pg_cluster_stop
  rm -rf "$TMP"
}
trap cleanup EXIT

pg_cluster_start "$TMP/pg"
echo "PostgreSQL at $PG_URL (pid $PG_PID)"

ZAZO_TEST_PG=$PG_URL "$BUILD/tests/test_server" --gtest_filter='*postgres*:*Postgres*' \
  --gtest_brief=1

# Two servers on the same database.
start_server() {
  local port=$1
  "$BUILD/zazo-scores" --db "$PG_URL" --port "$port" --rate-limit 0 --threads 8 \
    2>> "$TMP/server-$port.log" &
  SERVER_PIDS+=($!)
  for _ in $(seq 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/score/api/top?limit=1" && return 0
    sleep 0.1
  done
  echo "server on $port did not start"; cat "$TMP/server-$port.log"; return 1
}

run_load() {
  local label=$1
  shift
  psql_reset
  local p1 p2
  p1=$(pg_free_port)
  p2=$(pg_free_port)
  SERVER_PIDS=()
  start_server "$p1"
  start_server "$p2"
  python3 "$SRC/tests/server/load_clients.py" --ports "$p1,$p2" --pids "${SERVER_PIDS[0]},${SERVER_PIDS[1]}" \
    --db "$PG_URL" "$@" --label "$label"
  for pid in "${SERVER_PIDS[@]}"; do
    if kill -0 "$pid" 2> /dev/null; then
      kill -TERM "$pid"
      wait "$pid" || { echo "server $pid did not stop cleanly"; exit 1; }
    else
      wait "$pid" 2> /dev/null || true
    fi
  done
  SERVER_PIDS=()
}

psql_reset() {
  psql -q -d "$PG_URL" -c 'DROP TABLE IF EXISTS scores' > /dev/null 2>&1
}

# The uploads: a finished single-player game's replay, checked by the game.
export ZAZO_TEST_REPLAY=${ZAZO_TEST_REPLAY:-$SRC/fuzz/corpus/replay_file/single_game_over.zzr}
CLIENTS=${ZAZO_LOAD_CLIENTS:-8}
REGS=${ZAZO_LOAD_REGISTRATIONS:-100}
UPLOADS=${ZAZO_LOAD_UPLOADS:-20}
run_load "two servers" --clients "$CLIENTS" --registrations "$REGS" --uploads "$UPLOADS"
run_load "one server killed" --clients "$CLIENTS" --registrations "$REGS" --uploads "$UPLOADS" \
  --kill-after 0.4
echo "postgres: OK"
