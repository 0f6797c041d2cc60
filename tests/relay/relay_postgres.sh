#!/usr/bin/env bash
# The room directory in a real PostgreSQL 15 (a throw-away cluster): the
# directory tests, and two relays sharing it (a room made at one joined at
# the other, a quick pairing across both).
set -euo pipefail
BUILD=$1
SRC=$2
. "$SRC/tests/server/pg_cluster.inc"
TMP=$(mktemp -d /tmp/zazo-relay-pg-XXXXXX)
chmod 755 "$TMP"
trap 'pg_cluster_stop; rm -rf "$TMP"' EXIT
pg_cluster_start "$TMP/pg"
ZAZO_TEST_PG=$PG_URL "$BUILD/tests/test_relay" --gtest_filter='*DirectoryTest*/2' --gtest_brief=1
