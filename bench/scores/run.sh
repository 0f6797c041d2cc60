#!/usr/bin/env bash
# The score server's figures on one core (taskset -c 0), SQLite and a
# throw-away PostgreSQL 15 cluster (fsync on, as a real board runs).
#   bench/scores/run.sh BUILD_DIR [REPLAY_FILE] [COUNT]
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$(dirname "$0")/../.." && pwd)
REPLAY=${2:-}
COUNT=${3:-2000}
. "$SRC/tests/server/pg_cluster.inc"
TMP=$(mktemp -d /tmp/zazo-bench-pg-XXXXXX)
chmod 755 "$TMP"
trap 'pg_cluster_stop; rm -rf "$TMP"' EXIT
PG_FSYNC=on pg_cluster_start "$TMP/pg"
args=(--pg "$PG_URL" --count "$COUNT")
[ -n "$REPLAY" ] && args+=(--replay "$REPLAY")
taskset -c 0 "$BUILD/zazo-bench-scores" "${args[@]}"
