#!/usr/bin/env bash
# A game left before its end keeps its replay: a single-player game left with
# Esc and a versus game whose window is closed by the window manager (the
# close button's request) each leave one replay in save/replays/ that the
# headless check runs again to the very end the live game had (exit 0), with
# the mode that was played and the keys that were pressed.
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
  e2e_fail "no game in play after the menu key $2 (running: $(e2e_running && echo yes); $(xwininfo -root -tree | grep -F Zazo))"
}

# play_and_leave MENU_KEY HOW: starts a game with MENU_KEY, presses keys of
# play, then leaves with Esc (HOW=esc) or the window manager's close (HOW=close).
play_and_leave() {
  local menu=$1 how=$2 wid w h x y k
  e2e_gone "Zazo Puzzle" 10 || e2e_fail "the last game's window is still there"
  e2e_launch "$E2E_GAME"
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
  start_game "$wid" "$menu"
  for k in d d w v g a s v Left Up v; do
    xdotool key --window "$wid" "$k"
    sleep 0.05
  done
  if [ "$how" = esc ]; then
    xdotool key --window "$wid" Escape
  else
    # Openbox closes the active window on Alt+F4 with the close button's
    # request (WM_DELETE_WINDOW).
    xdotool windowactivate --sync "$wid"
    xdotool key alt+F4
  fi
  e2e_wait_exit 10
  [ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC after leaving a $menu game"
}

# check_replay MODE: exactly one new replay of MODE, accepted by the check.
check_replay() {
  local mode=$1 replay summary inputs
  shopt -s nullglob
  local replays=("$E2E_GAME"/save/replays/2*-"$mode"-*.zzr)
  shopt -u nullglob
  [ "${#replays[@]}" -eq 1 ] ||
    e2e_fail "${#replays[@]} $mode replays in save/replays: $(ls "$E2E_GAME/save/replays" 2>&1)"
  replay=${replays[0]}
  summary=$("$E2E_BUILD/zazo-replay" --summary "$replay") ||
    e2e_fail "zazo-replay --summary refused the $mode replay ($?): $summary"
  echo "$(basename "$replay"): $summary"
  [ "$(echo "$summary" | awk '{print $1, $2}')" = "game $mode" ] || e2e_fail "summary: $summary"
  # The keys of play are in it (the menu key came before the game began).
  inputs=$(grep -cE '^i [0-9]+ k ' "$replay")
  [ "$inputs" -ge 5 ] || e2e_fail "only $inputs keys in the $mode replay"
}

play_and_leave 4 esc
check_replay single
[ -f "$E2E_GAME/save/replays/best.zzr" ] || e2e_fail "no best.zzr after a single-player game"

play_and_leave 3 close
check_replay versus2
echo "ok"
