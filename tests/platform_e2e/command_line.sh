#!/usr/bin/env bash
# The programs' command lines through the real binaries: zazo-puzzle answers
# --help and --version without a display and without a writable home, and
# refuses an unknown option by name; zazo-replay takes its options before or
# after the file, as the golden checks and the README use them.
set -u
build="$1"
src="$2"
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
mkdir "$work/home"
chmod 500 "$work/home"
version=$(sed -n 's/^set(ZAZO_VERSION "\(.*\)")$/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || fail "no ZAZO_VERSION in CMakeLists.txt"

# A bare environment: no display, no sound, a home that cannot be written.
bare() { timeout 20 env -i PATH=/usr/bin:/bin HOME="$work/home" "$@"; }

bare "$build/zazo-puzzle" --help > "$work/out" 2> "$work/err"
rc=$?
[ "$rc" -eq 0 ] || fail "zazo-puzzle --help: exit status $rc: $(cat "$work/err")"
grep -q -- "--watch REPLAY" "$work/out" || fail "zazo-puzzle --help does not list --watch"
[ ! -s "$work/err" ] || fail "zazo-puzzle --help wrote to stderr: $(cat "$work/err")"
bare "$build/zazo-puzzle" --version > "$work/out" 2> "$work/err"
rc=$?
[ "$rc" -eq 0 ] || fail "zazo-puzzle --version: exit status $rc"
[ "$(cat "$work/out")" = "zazo-puzzle $version" ] || fail "zazo-puzzle --version said: $(cat "$work/out")"
bare "$build/zazo-puzzle" --no-such-option > "$work/out" 2> "$work/err"
rc=$?
[ "$rc" -eq 2 ] || fail "zazo-puzzle --no-such-option: exit status $rc"
grep -q -- "--no-such-option" "$work/err" || fail "the unknown option is not named: $(cat "$work/err")"
[ -z "$(ls -A "$work/home")" ] || fail "the home folder was touched"
echo "ok   zazo-puzzle --help, --version, an unknown option"

bare "$build/zazo-replay" --version > "$work/out" 2>&1
[ "$(cat "$work/out")" = "zazo-replay $version" ] || fail "zazo-replay --version said: $(cat "$work/out")"
bare "$build/zazo-replay" --help > "$work/out" 2>&1 || fail "zazo-replay --help failed"
for option in --assets --dump-every --screenshot --summary --max-frames --max-millis; do
  grep -q -- "$option" "$work/out" || fail "zazo-replay --help does not list $option"
done
# The golden script with its options after the file, and from standard
# input, prints the golden dump.
script="$src/tests/golden/single_player.script"
expected="$src/tests/golden/single_player.expected"
options=$(sed -n 's/^# replay-options: //p' "$script" | head -n 1)
# shellcheck disable=SC2086
"$build/zazo-replay" "$script" $options > "$work/after" || fail "options after the file refused"
cmp -s "$work/after" "$expected" || fail "options after the file: the dump differs"
# shellcheck disable=SC2086
"$build/zazo-replay" $options - < "$script" > "$work/stdin" || fail "standard input refused"
cmp -s "$work/stdin" "$expected" || fail "standard input: the dump differs"
"$build/zazo-replay" --dump-every 0 "$script" > /dev/null 2> "$work/err"
rc=$?
[ "$rc" -eq 2 ] || fail "--dump-every 0: exit status $rc"
grep -q -- "--dump-every" "$work/err" || fail "--dump-every 0 is not named: $(cat "$work/err")"
echo "ok   zazo-replay options in any order, - for standard input, a bad count named"
