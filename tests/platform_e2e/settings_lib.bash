# Steps shared by the checks of the player's settings: waiting for a file,
# for a game to start, and reading what a replay recorded.

# settings_wait_file FILE SECONDS [PATTERN]: until FILE exists (and holds a
# line matching PATTERN).
settings_wait_file() {
  local file=$1 limit=$2 pattern=${3:-} i
  ((limit < E2E_LIMIT)) && limit=$E2E_LIMIT
  for ((i = 0; i < limit * 10; i++)); do
    if [ -f "$file" ] && { [ -z "$pattern" ] || grep -qE "$pattern" "$file"; }; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# settings_shot GEOMETRY FILE: the screen's part GEOMETRY (WxH+X+Y, the game
# picture) scaled back to 640 x 480. Only that part is written, which keeps
# the checks quick on large screens.
settings_shot() {
  import -window root -crop "$1" +repage "$E2E_TMP/part.bmp" || e2e_fail "screenshot failed"
  "$CONVERT" "$E2E_TMP/part.bmp" -filter box -resize 640x480! "$2"
}

# settings_wait_game GEOMETRY: until the game picture at GEOMETRY shows the
# play scene's top bar (the full-screen button and the game's label, as in
# the golden play picture): the title's slide is over and keys reach the
# game. At most E2E_LIMIT seconds.
settings_wait_game() {
  local i
  "$CONVERT" "$E2E_SOURCE/tests/golden_screens/play.png" -crop 200x20+440+0 +repage \
    "$E2E_TMP/bar_want.png"
  local end=$((SECONDS + E2E_LIMIT))
  for ((i = 0; SECONDS < end; i++)); do
    settings_shot "$1" "$E2E_TMP/shown_small.png"
    "$CONVERT" "$E2E_TMP/shown_small.png" -crop 200x20+440+0 +repage "$E2E_TMP/bar_small.png"
    [ "$(e2e_diff "$E2E_TMP/bar_small.png" "$E2E_TMP/bar_want.png")" -lt 400 ] && return 0
    sleep 0.25
  done
  e2e_fail "no game started (no play scene in $1)"
}

# settings_wait_title GEOMETRY: until the game picture at GEOMETRY shows the
# title picture (fewer than 20000 pixels differ), at most SECONDS (the
# second argument, else E2E_LIMIT); prints the last count.
settings_wait_title() {
  local i differ
  local end=$((SECONDS + ${2:-$E2E_LIMIT}))
  for ((i = 0; SECONDS < end; i++)); do
    settings_shot "$1" "$E2E_TMP/shown_small.png"
    differ=$(e2e_title_diff "$E2E_TMP/shown_small.png")
    [ "$differ" -lt 20000 ] && break
    sleep 0.25
  done
  echo "$differ"
}

# settings_window_settled: prints "id width height x y" of the game's window
# once the window manager has framed it (_NET_FRAME_EXTENTS set) and it
# stays put between two looks, at most E2E_LIMIT seconds.
settings_window_settled() {
  local i line last=""
  local end=$((SECONDS + E2E_LIMIT))
  for ((i = 0; SECONDS < end; i++)); do
    line=$(e2e_window "Zazo Puzzle" 1) || continue
    if [ "$line" = "$last" ] && xprop -id "${line%% *}" _NET_FRAME_EXTENTS 2> /dev/null | grep -q "="; then
      break
    fi
    last=$line
    sleep 0.1
  done
  echo "$line"
}

# settings_replay_keys: the key codes the last replay recorded, one a line.
settings_replay_keys() {
  local replay
  replay=$(ls -t "$E2E_GAME"/save/replays/2*.zzr 2> /dev/null | head -n 1)
  [ -n "$replay" ] || e2e_fail "no replay in save/replays"
  awk '$1 == "i" && $3 == "k" {print $4}' "$replay"
}

# settings_replay_moves: the pointer moves of the last replay, "x y" a line.
settings_replay_moves() {
  local replay
  replay=$(ls -t "$E2E_GAME"/save/replays/2*.zzr 2> /dev/null | head -n 1)
  [ -n "$replay" ] || e2e_fail "no replay in save/replays"
  awk '$1 == "i" && $3 == "m" {print $4, $5}' "$replay"
}

# settings_end_game WID: '8' takes the game back to the title, which ends
# its replay; waits until the replay is written.
settings_end_game() {
  rm -f "$E2E_GAME"/save/replays/2*.zzr
  xdotool key --window "$1" 8
  local i
  local end=$((SECONDS + E2E_LIMIT))
  for ((i = 0; SECONDS < end; i++)); do
    ls "$E2E_GAME"/save/replays/2*.zzr > /dev/null 2>&1 && return 0
    sleep 0.1
  done
  e2e_fail "no replay written after the game was left"
}
