#!/usr/bin/env bash
# The player's settings survive a restart: volumes changed by their keys,
# full screen by Alt+Return and a key bound in the options overlay are in
# settings.toml after the game closes, and the next start uses them (full
# screen from the start, the new key moves the cursor, the old one does not).
source "$(dirname "$0")/e2e_lib.bash"
source "$(dirname "$0")/settings_lib.bash"

e2e_start_wm
e2e_prepare
settings="$E2E_CONFIG/zazo-puzzle/settings.toml"
e2e_launch "$E2E_GAME"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
[ "$w" = 640 ] && [ "$h" = 480 ] || e2e_fail "the first window on 1024 x 768 is ${w}x${h}"
[ -e "$settings" ] && e2e_fail "settings.toml written without a change"

# Music down twice, effects down once: written as they change.
xdotool key --window "$wid" minus minus bracketleft
settings_wait_file "$settings" 5 "^effects_volume = 90" || e2e_fail "no effects_volume = 90 in settings.toml"
grep -q "^music_volume = 80" "$settings" || e2e_fail "music_volume: $(cat "$settings")"
xdotool key --window "$wid" alt+Return
settings_wait_file "$settings" 5 "^full_screen = true" || e2e_fail "full screen not kept"

# The options: Tab, down to "1P up" (the seventh row), Return, then I.
xdotool key --window "$wid" Tab
sleep 0.3
for ((i = 0; i < 6; i++)); do xdotool key --window "$wid" Down; done
xdotool key --window "$wid" Return
sleep 0.2
xdotool key --window "$wid" i
settings_wait_file "$settings" 5 "^side1_up = 'I'" || e2e_fail "the binding was not kept: $(cat "$settings")"
# A clash is refused: 1P left (next row) on U, which is 2P up.
xdotool key --window "$wid" Down Return
sleep 0.2
xdotool key --window "$wid" u
sleep 0.3
grep -q "^side1_left = 'A'" "$settings" || e2e_fail "a clashing key was bound: $(cat "$settings")"
xdotool key --window "$wid" Escape
sleep 0.3
xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
cp "$settings" "$E2E_TMP/after_first.toml"

# Second start: full screen at once, the volumes as left, the new key.
e2e_launch "$E2E_GAME"
for ((i = 0; i < E2E_LIMIT * 10; i++)); do
  read -r wid fw fh fx fy < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window on the second start"
  [ "$fw" = 1024 ] && [ "$fh" = 768 ] && break
  sleep 0.1
done
[ "$fw" = 1024 ] && [ "$fh" = 768 ] && [ "$fx" = 0 ] && [ "$fy" = 0 ] ||
  e2e_fail "the second start is not full screen: ${fw}x${fh} at $fx,$fy"
xdotool key --window "$wid" 4
settings_wait_game 1024x768+0+0
xdotool key --window "$wid" i i w
sleep 0.3
settings_end_game "$wid"
keys=$(settings_replay_keys | tr '\n' ' ')
echo "recorded keys: $keys"
[ "$(settings_replay_keys | grep -cx 87)" = 2 ] || e2e_fail "I should have given two 87s, W none: $keys"
# Nothing changed on the second run: the file is as the first left it.
cmp -s "$settings" "$E2E_TMP/after_first.toml" || e2e_fail "settings.toml rewritten without a change"
# The music started at 80 %: one step up is 90 %, not 100 %.
xdotool key --window "$wid" equal
settings_wait_file "$settings" 5 "^music_volume = 90" || e2e_fail "the music did not start at 80 %"
xdotool key --window "$wid" Escape
e2e_wait_exit 5
echo "ok"
