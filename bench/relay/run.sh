#!/usr/bin/env bash
# The relay's capacity: matches one relay process carries on one core.
#   bench/relay/run.sh BUILD_DIR [ROOMS=25,50,100] [SECONDS=4]
set -euo pipefail
BUILD=$(cd "$1" && pwd)
exec "$BUILD/zazo-bench-relay" --rooms "${2:-25,50,100}" --seconds "${3:-4}"
