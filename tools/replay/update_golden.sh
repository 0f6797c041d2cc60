#!/usr/bin/env bash
# Rewrites the expected dumps of the golden replays from the current build.
# Only after a deliberate change of the rules or the drawing's random draws.
set -eu
build="${1:-build}"
here="$(cd "$(dirname "$0")/../../tests/golden" && pwd)"
for script in "$here"/*.script; do
  name=$(basename "$script" .script)
  options=$(sed -n 's/^# replay-options: //p' "$script" | head -n 1)
  # shellcheck disable=SC2086
  "$build/zazo-replay" $options "$script" > "$here/$name.expected"
  echo "wrote $name.expected"
done
