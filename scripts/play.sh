#!/usr/bin/env bash
# Installs what is missing, builds Zazo Puzzle (the game, the local score
# board it starts, its pictures, sounds and music; not the tests) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$(nproc)" --target zazo-puzzle assets
exec ./build/zazo-puzzle "$@"
