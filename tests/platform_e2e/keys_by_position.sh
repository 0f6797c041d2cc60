#!/usr/bin/env bash
# Keys by position on other keyboard layouts. French (AZERTY): the key at
# W's place (labelled Z) moves the cursor up and the replay records 87; the
# key labelled W (at Z's place) does nothing. German (QWERTZ) with "1P up"
# bound to I in settings.toml: I moves up (87), W no longer does; with the
# effects off at start the replay still plays back.
source "$(dirname "$0")/e2e_lib.bash"
source "$(dirname "$0")/settings_lib.bash"
command -v setxkbmap > /dev/null || e2e_fail "setxkbmap is missing (scripts/install-deps.sh installs it)"

e2e_prepare
play() {  # play LAYOUT KEYS...: one game on that layout, the keys pressed in it
  local layout=$1
  shift
  setxkbmap "$layout" || e2e_fail "setxkbmap $layout failed"
  command -v xkbcomp > /dev/null || e2e_fail "xkbcomp is missing (scripts/install-deps.sh installs it)"
  e2e_launch "$E2E_GAME"
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
  xdotool key --window "$wid" 4
  settings_wait_game "640x480+$x+$y"
  xdotool key --window "$wid" "$@"
  sleep 0.3
  settings_end_game "$wid"
  xdotool key --window "$wid" Escape
  e2e_wait_exit 5
}

# fr: z is at W's place, q at A's place; w and a sit where Z and Q are.
# Some X servers (Xvfb builds among them) keep their US keymap whatever
# setxkbmap says: the layout part then cannot be seen here, and says so.
setxkbmap fr
if xkbcomp -xkb "$DISPLAY" - 2> /dev/null | grep -A2 "key <AD01>" | grep -q "\[ *a, *A"; then
  play fr z z w q a
  keys=$(settings_replay_keys | tr '\n' ' ')
  echo "fr recorded: $keys"
  [ "$keys" = "87 87 65 56 " ] || e2e_fail "fr: expected 87 87 65 56, recorded $keys"
else
  echo "not checked: this X server does not take the fr keymap (setxkbmap has no effect)"
fi

mkdir -p "$E2E_CONFIG/zazo-puzzle"
# Effects off at start too: the game draws no random numbers for them, and
# its replay (which holds the toggles) still plays back to the same end.
printf 'effects = false\n[keys]\nside1_up = "I"\n' > "$E2E_CONFIG/zazo-puzzle/settings.toml"
play de w i d w
keys=$(settings_replay_keys | tr '\n' ' ')
echo "de recorded: $keys"
[ "$keys" = "87 68 56 " ] || e2e_fail "de with I bound: expected 87 68 56, recorded $keys"
replay=$(ls -t "$E2E_GAME"/save/replays/2*.zzr | head -n 1)
grep -qx "showEffects 0" "$replay" || e2e_fail "the replay does not start with the effects off"
summary=$("$E2E_BUILD/zazo-replay" --summary "$replay") || e2e_fail "the replay does not play back: $summary"
echo "$summary"
grep -q "Zazo Puzzle: .*settings" "$E2E_LOG" && e2e_fail "a sound settings file was complained about"
echo "ok"
