#!/usr/bin/env bash
# The window on a 3840 x 2160 screen starts at three times the frame (the
# largest whole multiple whose height fits in two thirds of the screen):
# 1920 x 1440, the title fills it, and pointer positions land on the frame
# pixel drawn under them. Resized by the window manager to 1000 x 700 the
# picture follows (933 x 700, centred) and the pointer stays exact.
E2E_SCREEN=3840x2160x24
source "$(dirname "$0")/e2e_lib.bash"
source "$(dirname "$0")/settings_lib.bash"

e2e_start_wm
e2e_prepare
e2e_launch "$E2E_GAME"
e2e_window "Zazo Puzzle" 10 > /dev/null || e2e_fail "no window \"Zazo Puzzle\""
read -r wid w h x y < <(settings_window_settled)
echo "first window: ${w}x${h} at $x,$y"
[ "$w" = 1920 ] && [ "$h" = 1440 ] || e2e_fail "the first window is ${w}x${h}, not 1920x1440"
# The pointer off the menu (a hovered row looks different).
xdotool mousemove $((x + 10)) $((y + 1400))
# The frame's place is read again when the picture is not where it was
# read (a window manager still framing the window on a busy machine).
for ((try = 0; try < 5; try++)); do
  differ=$(settings_wait_title "1920x1440+$x+$y" 8)
  [ "$differ" -lt 20000 ] && break
  read -r wid w h x y < <(settings_window_settled)
done
echo "3x: $differ pixels differ from the title picture"
[ "$differ" -lt 20000 ] || e2e_fail "the title does not fill the window at 3x"

# Frame pixel (300, 210), menu item 1, is drawn from (900, 630).
xdotool mousemove $((x + 900)) $((y + 630))
sleep 0.2
xdotool click 1
settings_wait_game "1920x1440+$x+$y"
# Frame pixel (100, 200) covers window pixels 300..302 x 600..602.
for p in "299 599" "300 600" "302 602" "303 603"; do
  read -r px py <<< "$p"
  xdotool mousemove $((x + px)) $((y + py))
  sleep 0.15
done
settings_end_game "$wid"
moves=$(settings_replay_moves | tr '\n' ',')
echo "3x moves: $moves"
[ "$moves" = "99 199,100 200,100 200,101 201," ] || e2e_fail "3x: the pointer landed at $moves"

# Resized: 1000 x 700 holds a 933 x 700 picture at x = 33.
xdotool windowsize "$wid" 1000 700
for ((i = 0; i < 50; i++)); do
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 1)
  [ "$w" = 1000 ] && [ "$h" = 700 ] && break
  sleep 0.1
done
[ "$w" = 1000 ] && [ "$h" = 700 ] || e2e_fail "the window was not resized: ${w}x${h}"
read -r wid w h x y < <(settings_window_settled)
xdotool mousemove $((x + 40)) $((y + 690))
for ((try = 0; try < 5; try++)); do
  differ=$(settings_wait_title "933x700+$((x + 33))+$y" 8)
  [ "$differ" -lt 20000 ] && break
  read -r wid w h x y < <(settings_window_settled)
done
echo "1000x700: $differ pixels differ from the title picture"
[ "$differ" -lt 20000 ] || e2e_fail "the title does not fill the resized window"
xdotool mousemove $((x + 33 + 300 * 933 / 640 + 1)) $((y + 210 * 700 / 480 + 1))
sleep 0.2
xdotool click 1
settings_wait_game "933x700+$((x + 33))+$y"
# Frame pixel (100, 200) starts at output pixel (33 + 146, 292).
for p in "178 291" "179 292"; do
  read -r px py <<< "$p"
  xdotool mousemove $((x + px)) $((y + py))
  sleep 0.15
done
settings_end_game "$wid"
moves=$(settings_replay_moves | tr '\n' ',')
echo "1000x700 moves: $moves"
[ "$moves" = "99 199,100 200," ] || e2e_fail "resized: the pointer landed at $moves"
xdotool key --window "$wid" Escape
e2e_wait_exit 5
echo "ok"
