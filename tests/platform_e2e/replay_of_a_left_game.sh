#!/usr/bin/env bash
# Every game keeps its replay, also one left before its end: single-player
# games ended by a restart (7), the title (8) and Esc, and a versus game whose
# window the window manager closes (the close button's request), each leave
# a replay in save/replays/ that the headless check runs again to the very
# end the live game had (exit 0), with the mode played and the keys pressed.
# Only the newest 100 are kept; the check refuses an edited or cut replay;
# a replay that cannot be written is told and costs nothing else.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
e2e_start_wm
e2e_crop "$E2E_GAME/graph/title.bmp" "$E2E_TMP/title_sheet.png" 640x480+0+0

# well FILE X Y: the pixel is the empty well's dark blue.
well() {
  local r g b
  IFS=, read -r r g b <<< "$(e2e_pixel "$1" "$2" "$3")"
  [ "$r" -lt 40 ] && [ "$g" -lt 50 ] && [ "$b" -ge 25 ] && [ "$b" -lt 80 ] && [ "$b" -gt "$r" ]
}

# lit FILE X Y: the pixel is not black (the title's slide leaves the left
# of the screen below its menu strip black; play shows the background there).
lit() {
  local r g b
  IFS=, read -r r g b <<< "$(e2e_pixel "$1" "$2" "$3")"
  [ $((r + g + b)) -gt 60 ]
}

# start_game WID MENU_KEY: presses MENU_KEY on the title until the title has
# slid away and a new game is in play, its well empty. The window's place is
# read each time: the window manager moves it once it frames it, and a key
# sent before the window takes input is lost.
start_game() {
  local i wid w h x y differ
  for ((i = 0; i < 60; i++)); do
    read -r wid w h x y < <(e2e_window "Zazo Puzzle" 1) || continue
    e2e_shot "$E2E_TMP/screen.png" "$x" "$y" 640 480
    differ=$(e2e_diff "$E2E_TMP/screen.png" "$E2E_TMP/title_sheet.png")
    if [ "$differ" -lt 60000 ]; then
      xdotool key --window "$wid" "$2"
    elif [ "$differ" -gt 150000 ] && lit "$E2E_TMP/screen.png" 5 290 &&
      lit "$E2E_TMP/screen.png" 5 240 && well "$E2E_TMP/screen.png" 100 250 &&
      well "$E2E_TMP/screen.png" 200 350; then
      return 0
    fi
    sleep 0.2
  done
  if ! e2e_running; then
    e2e_wait_exit 1
    e2e_fail "the program ended with status $E2E_RC before a game with the menu key $2"
  fi
  e2e_fail "no game in play after the menu key $2"
}

# wait_for_title: the title is on the screen.
wait_for_title() {
  local i wid w h x y
  for ((i = 0; i < 60; i++)); do
    read -r wid w h x y < <(e2e_window "Zazo Puzzle" 1) || continue
    e2e_shot "$E2E_TMP/screen.png" "$x" "$y" 640 480
    [ "$(e2e_diff "$E2E_TMP/screen.png" "$E2E_TMP/title_sheet.png")" -lt 60000 ] && return 0
    sleep 0.2
  done
  e2e_fail "no title after 8"
}

# launch: starts the program once the last one's window is gone; sets WID.
launch() {
  local w h x y
  e2e_gone "Zazo Puzzle" 10 || e2e_fail "the last game's window is still there"
  e2e_launch "$E2E_GAME"
  read -r WID w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
}

# play: presses keys of play in the window.
play() {
  local k
  # Ends with moves: a key pressed while a place request waits for its frame
  # is ignored, and 7, 8 and Esc must count.
  for k in d d w v g a s v Left Up d a; do
    xdotool key --window "$WID" "$k"
    sleep 0.05
  done
}

# leave HOW: Esc (HOW=esc) or the window manager's close (HOW=close), then
# the program must end with status 0.
leave() {
  if [ "$1" = esc ]; then
    xdotool key --window "$WID" Escape
  else
    # Openbox closes the active window on Alt+F4 with the close button's
    # request (WM_DELETE_WINDOW).
    xdotool windowactivate --sync "$WID"
    xdotool key alt+F4
  fi
  e2e_wait_exit 30
  [ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC after leaving with $1"
  # The program ends on the press; a release the server did not see leaves
  # the key held, repeating into the next program's window (it then quits
  # before it is shown).
  xdotool keyup Escape keyup alt keyup F4 2> /dev/null
}

# check_replays MODE COUNT: COUNT replays of MODE this run wrote, each run
# again by the headless check to the end the live game had; prints the key
# code that ended each game.
check_replays() {
  local mode=$1 count=$2 replay summary inputs
  shopt -s nullglob
  local replays=("$E2E_GAME"/save/replays/2*-"$mode"-*.zzr)
  shopt -u nullglob
  local new=()
  for replay in "${replays[@]}"; do
    [[ $(basename "$replay") == 20000101-* ]] || new+=("$replay")
  done
  [ "${#new[@]}" -eq "$count" ] ||
    e2e_fail "${#new[@]} $mode replays, not $count: $(ls "$E2E_GAME/save/replays" | grep -v ^20000101)"
  for replay in "${new[@]}"; do
    summary=$("$E2E_BUILD/zazo-replay" --summary "$replay") ||
      e2e_fail "zazo-replay --summary refused $(basename "$replay") ($?): $summary"
    echo "$(basename "$replay"): $summary" >&2
    [ "$(echo "$summary" | awk '{print $1, $2}')" = "game $mode" ] || e2e_fail "summary: $summary"
    # The keys of play are in it (the menu key came before the game began).
    inputs=$(grep -cE '^i [0-9]+ k ' "$replay")
    [ "$inputs" -ge 5 ] || e2e_fail "only $inputs keys in $(basename "$replay")"
    grep -E '^i [0-9]+ k ' "$replay" | tail -n 1 | awk '{print $4}'
  done
}

# A hundred replays of earlier runs: the oldest go as new ones come.
mkdir -p "$E2E_GAME/save/replays"
for ((n = 0; n < 100; n++)); do
  echo "an earlier replay" > "$E2E_GAME/save/replays/$(printf '20000101-%06d-single-0.zzr' "$n")"
done

# Single player: a game restarted with 7, one left for the title with 8, and
# one left with Esc each keep their replay.
launch
start_game "$WID" 4
play
xdotool key --window "$WID" 7
start_game "$WID" 7 # 7 again only if the title showed
play
xdotool key --window "$WID" 8
wait_for_title
start_game "$WID" 4
play
leave esc
ended=$(check_replays single 3 | sort -n | tr '\n' ' ')
[ "$ended" = "27 55 56 " ] || e2e_fail "the games ended with keys $ended, not Esc, 7 and 8"
[ -f "$E2E_GAME/save/replays/best.zzr" ] || e2e_fail "no best.zzr after single-player games"
kept=$(find "$E2E_GAME/save/replays" -name '2*.zzr' | wc -l)
[ "$kept" -eq 100 ] || e2e_fail "$kept replays kept, not the newest 100"
for n in 0 1 2; do
  [ ! -e "$E2E_GAME/save/replays/$(printf '20000101-%06d-single-0.zzr' "$n")" ] ||
    e2e_fail "the oldest replay $n was kept"
done
[ -e "$E2E_GAME/save/replays/20000101-000003-single-0.zzr" ] || e2e_fail "a replay beyond the oldest three went"

# The check refuses an edited and a cut replay of the program's own.
replay=$(find "$E2E_GAME/save/replays" -name '2*-single-*.zzr' ! -name '20000101-*' | head -n 1)
sed -E 's/^result ([0-9]+) /result 99\1 /' "$replay" > "$E2E_TMP/edited.zzr"
"$E2E_BUILD/zazo-replay" --summary "$E2E_TMP/edited.zzr" > "$E2E_TMP/edited.txt" 2>&1
rc=$?
[ "$rc" -eq 3 ] || e2e_fail "an edited result: status $rc ($(cat "$E2E_TMP/edited.txt"))"
head -c 3000 "$replay" > "$E2E_TMP/cut.zzr"
"$E2E_BUILD/zazo-replay" --summary "$E2E_TMP/cut.zzr" > "$E2E_TMP/cut.txt" 2>&1
rc=$?
[ "$rc" -eq 2 ] || e2e_fail "a cut replay: status $rc ($(cat "$E2E_TMP/cut.txt"))"
grep -q "line" "$E2E_TMP/cut.txt" || e2e_fail "a cut replay: no line named: $(cat "$E2E_TMP/cut.txt")"

# Versus, closed by the window manager.
launch
start_game "$WID" 3
play
leave close
check_replays versus2 1 > /dev/null

# A replay that cannot be written is told and costs nothing else: the game
# ends normally and the best score is saved.
rm -rf "$E2E_GAME/save/replays" "$E2E_GAME/save/score.dat"
echo "not a folder" > "$E2E_GAME/save/replays"
launch
start_game "$WID" 4
play
leave esc
grep -q "the replay could not be written" "$E2E_LOG" || e2e_fail "no message of the lost replay"
[ -s "$E2E_GAME/save/score.dat" ] || e2e_fail "the best score was not saved"
echo "ok"
