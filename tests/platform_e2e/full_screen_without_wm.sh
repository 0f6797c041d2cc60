#!/usr/bin/env bash
# Full screen on a 1280 x 800 display without a window manager (a kiosk, a
# bare X session) and then with one: the picture is the whole 4:3 frame,
# 1066 x 800 centred, never a zoomed corner; the pointer maps back (a click
# on the first menu item starts a game), and the window comes back.
E2E_SCREEN=1280x800x24
source "$(dirname "$0")/e2e_lib.bash"
source "$(dirname "$0")/settings_lib.bash"

e2e_prepare
check_full_screen() {  # check_full_screen LABEL
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "$1: no window"
  xdotool key --window "$wid" alt+Return
  for ((i = 0; i < 50; i++)); do
    read -r wid w h x y < <(e2e_window "Zazo Puzzle" 1)
    [ "$w" = 1280 ] && [ "$h" = 800 ] && break
    sleep 0.1
  done
  echo "$1: full screen ${w}x${h} at $x,$y"
  [ "$w" = 1280 ] && [ "$h" = 800 ] && [ "$x" = 0 ] && [ "$y" = 0 ] ||
    e2e_fail "$1: the window does not cover the display"
  xdotool mousemove 120 790  # in the picture, off the menu
  local differ
  differ=$(settings_wait_title 1066x800+107+0)
  echo "$1: $differ pixels differ from the title picture"
  [ "$differ" -lt 20000 ] || e2e_fail "$1: the title is not shown whole in 1066 x 800"
  e2e_shot "$E2E_TMP/side.png" 0 0 100 800
  [ "$(e2e_bright "$E2E_TMP/side.png")" = 0 ] || e2e_fail "$1: the picture is not centred"
  # Frame pixel (300, 210) is menu item 1: screen (107 + 500, 350).
  xdotool mousemove 608 351
  sleep 0.2
  xdotool click 1
  settings_wait_game 1066x800+107+0
  # And back to the 640 x 480 window.
  xdotool key --window "$wid" alt+Return
  for ((i = 0; i < 50; i++)); do
    read -r wid w h x y < <(e2e_window "Zazo Puzzle" 1)
    [ "$w" = 640 ] && [ "$h" = 480 ] && break
    sleep 0.1
  done
  [ "$w" = 640 ] && [ "$h" = 480 ] || e2e_fail "$1: the window is ${w}x${h} after full screen"
  xdotool key --window "$wid" Escape
  e2e_wait_exit 5
}

e2e_launch "$E2E_GAME" XDG_CONFIG_HOME="$E2E_TMP/bare"
check_full_screen "no window manager"
e2e_start_wm
e2e_launch "$E2E_GAME" XDG_CONFIG_HOME="$E2E_TMP/openbox"
check_full_screen "openbox"
echo "ok"
