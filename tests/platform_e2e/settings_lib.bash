# Steps shared by the checks of the player's settings: waiting for a file,
# for a game to start, and reading what a replay recorded.

# settings_wait_file FILE SECONDS [PATTERN]: until FILE exists (and holds a
# line matching PATTERN).
settings_wait_file() {
  local file=$1 limit=$2 pattern=${3:-} i
  for ((i = 0; i < limit * 10; i++)); do
    if [ -f "$file" ] && { [ -z "$pattern" ] || grep -qE "$pattern" "$file"; }; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# settings_wait_game GEOMETRY: until the screen's part GEOMETRY (the game
# picture) no longer shows the title (the game has started), at most 10 s.
settings_wait_game() {
  local i
  for ((i = 0; i < 40; i++)); do
    [ "$(e2e_title_shown "$1")" -gt 150000 ] && return 0
    sleep 0.25
  done
  e2e_fail "no game started (the screen $1 still shows the title)"
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
  for ((i = 0; i < 100; i++)); do
    ls "$E2E_GAME"/save/replays/2*.zzr > /dev/null 2>&1 && return 0
    sleep 0.1
  done
  e2e_fail "no replay written after the game was left"
}
