#!/usr/bin/env bash
# Damaged, hostile and unreachable settings: garbage, a pipe (never waited
# on), 100 MB (never read), wrong types, values out of range, a folder in
# the file's place, and a config folder that cannot be written. Each time
# the game opens its window in its usual time with the defaults, says so
# in one line, and leaves the file as it was. A setting changed after that
# keeps the damaged file beside the new one as settings.toml.broken.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
file="$E2E_CONFIG/zazo-puzzle/settings.toml"

start_and_quit() {  # start_and_quit CASE [ENV...]
  local name=$1 t0 t1
  shift
  t0=$(date +%s%N)
  e2e_launch "$E2E_GAME" "$@"
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "$name: no window within 10 s"
  t1=$(date +%s%N)
  [ "$w" = 640 ] && [ "$h" = 480 ] || e2e_fail "$name: the window is ${w}x${h}"
  xdotool key --window "$wid" Escape
  e2e_wait_exit 5
  [ "$E2E_RC" -eq 0 ] || e2e_fail "$name: exit status $E2E_RC"
  local said
  said=$(grep -c "settings" "$E2E_LOG")
  echo "$name: window after $(((t1 - t0) / 1000000)) ms; said: $(grep "settings" "$E2E_LOG")"
  [ "$said" = 1 ] || e2e_fail "$name: $said lines about the settings, not one"
}

mkdir -p "$E2E_CONFIG/zazo-puzzle"
head -c 3000 /dev/urandom > "$E2E_TMP/garbage"
printf 'music_volume = "loud"\nfull_screen = 1\n[keys]\nside1_up = 5\n' > "$E2E_TMP/types"
printf 'music_volume = 900\nwindow_scale = -3\n[keys]\nside1_up = "Escape"\n' > "$E2E_TMP/range"
for name in garbage types range; do
  cp "$E2E_TMP/$name" "$file"
  start_and_quit "$name"
  cmp -s "$E2E_TMP/$name" "$file" || e2e_fail "$name: the damaged file was rewritten"
done
grep -q "music_volume" "$E2E_LOG" || e2e_fail "the line does not name what was wrong"

rm -f "$file"
mkfifo "$file"
start_and_quit "pipe"
[ -p "$file" ] || e2e_fail "pipe: replaced"
rm -f "$file"
truncate -s 100M "$file"
start_and_quit "100 MB"
[ "$(stat -c %s "$file")" = 104857600 ] || e2e_fail "100 MB: changed"
rm -f "$file"
mkdir "$file"
start_and_quit "folder"
rmdir "$file"

# A config folder that cannot be written: read-only for a player; for root
# (who writes anywhere) one that cannot exist, a file holding its parent's name.
if [ "$(id -u)" = 0 ]; then
  echo "not a folder" > "$E2E_TMP/config-file"
  start_and_quit "unwritable folder" XDG_CONFIG_HOME="$E2E_TMP/config-file"
else
  mkdir -p "$E2E_TMP/ro/zazo-puzzle"
  chmod 0555 "$E2E_TMP/ro/zazo-puzzle"
  start_and_quit "read-only folder" XDG_CONFIG_HOME="$E2E_TMP/ro"
fi
grep -q "settings cannot be saved" "$E2E_LOG" || e2e_fail "no word that the settings cannot be saved"

# Garbage again, then the music one step down: the garbage is kept aside.
cp "$E2E_TMP/garbage" "$file"
e2e_launch "$E2E_GAME"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window"
xdotool key --window "$wid" minus
for ((i = 0; i < 50; i++)); do
  [ -f "$file.broken" ] && grep -q "^music_volume = 90" "$file" && break
  sleep 0.1
done
cmp -s "$E2E_TMP/garbage" "$file.broken" || e2e_fail "the damaged file was not kept as settings.toml.broken"
grep -q "^music_volume = 90" "$file" || e2e_fail "no new settings.toml: $(head -c 300 "$file")"
xdotool key --window "$wid" Escape
e2e_wait_exit 5
echo "ok"
