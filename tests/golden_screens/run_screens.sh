#!/usr/bin/env bash
# Golden screenshots: each tests/golden_screens/NAME.script is run through
# zazo-replay and its last frame must look like NAME.png. A small tolerance
# (per-channel fuzz, and at most 0.5 % of the pixels off) absorbs font or
# codec library updates; a broken sheet, region or layout is far beyond it.
# tools/replay/update_screens.sh rewrites the pictures after a deliberate change.
set -u
build="$1"
src="$2"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
limit=$((640 * 480 / 200))
status=0
for script in "$src"/tests/golden_screens/*.script; do
  name=$(basename "$script" .script)
  if ! "$build/zazo-replay" --dump-every 100000000 --screenshot "$tmp/$name.bmp" "$script" \
    > /dev/null; then
    echo "FAIL $name: zazo-replay failed"
    status=1
    continue
  fi
  # compare prints the number of differing pixels on standard error.
  diff=$(compare -metric AE -fuzz 3% "$src/tests/golden_screens/$name.png" "$tmp/$name.bmp" \
    "$tmp/$name-diff.png" 2>&1 > /dev/null)
  if ! [[ "$diff" =~ ^[0-9]+$ ]] || [ "$diff" -gt "$limit" ]; then
    echo "FAIL $name: $diff pixels differ (limit $limit)"
    status=1
  else
    echo "ok   $name ($diff pixels differ)"
  fi
done
exit $status
