#!/usr/bin/env bash
# Golden replays: each tests/golden/NAME.script is run through zazo-replay
# with the options on its "# replay-options:" line, and the dump must match
# NAME.expected byte for byte. tools/replay/update_golden.sh rewrites the expected
# dumps after a deliberate change of the game.
set -u
build="$1"
src="$2"
status=0
count=0
for script in "$src"/tests/golden/*.script; do
  name=$(basename "$script" .script)
  options=$(sed -n 's/^# replay-options: //p' "$script" | head -n 1)
  expected="$src/tests/golden/$name.expected"
  actual=$(mktemp)
  # shellcheck disable=SC2086
  if ! "$build/zazo-replay" $options "$script" > "$actual"; then
    echo "FAIL $name: zazo-replay exited with an error"
    status=1
  elif ! cmp -s "$actual" "$expected"; then
    echo "FAIL $name: dump differs from $name.expected"
    diff "$expected" "$actual" | head -n 40
    status=1
  else
    echo "ok   $name"
  fi
  # The same script twice prints the same bytes.
  # shellcheck disable=SC2086
  if ! "$build/zazo-replay" $options "$script" | cmp -s - "$actual"; then
    echo "FAIL $name: two runs differ"
    status=1
  fi
  rm -f "$actual"
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "no golden scripts"; exit 1; }
exit $status
