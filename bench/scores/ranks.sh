#!/usr/bin/env bash
# Leaderboard page and rank times at 1,000,000 entries (or N), SQLite and a
# throw-away PostgreSQL 15 cluster.
#   bench/scores/ranks.sh BUILD_DIR [N]
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$(dirname "$0")/../.." && pwd)
N=${2:-1000000}
. "$SRC/tests/server/pg_cluster.inc"
TMP=$(mktemp -d /tmp/zazo-bench-ranks-pg-XXXXXX)
chmod 755 "$TMP"
trap 'pg_cluster_stop; rm -rf "$TMP"' EXIT
pg_cluster_start "$TMP/pg"
"$BUILD/zazo-bench-ranks" --pg "$PG_URL" --entries "$N"
