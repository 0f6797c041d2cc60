#!/usr/bin/env bash
# Rewrites the golden screenshots from the current build, after a deliberate
# change of the pictures or the drawing.
set -eu
build="${1:-build}"
here="$(cd "$(dirname "$0")/../../tests/golden_screens" && pwd)"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for script in "$here"/*.script; do
  name=$(basename "$script" .script)
  "$build/zazo-replay" --dump-every 100000000 --screenshot "$tmp/$name.bmp" "$script" > /dev/null
  convert "$tmp/$name.bmp" "$here/$name.png"
  echo "wrote $name.png"
done
