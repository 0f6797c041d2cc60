#!/usr/bin/env bash
# Full screen under a window manager: Alt+Return lets the borderless window
# cover the whole display with the frame scaled to fill it (all of a
# 1024 x 768 display), the pointer is mapped back to frame pixels (a click
# on the first menu item starts a game), and Alt+Return again brings back the
# bordered window at the same place, also after several round trips.
source "$(dirname "$0")/e2e_lib.bash"

e2e_start_wm

e2e_prepare
e2e_launch "$E2E_GAME"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
e2e_wait_placed_title
echo "windowed: ${w}x${h} at $x,$y"

# covers W H X Y: the window has that size and place.
covers() {
  local cw ch cx cy
  read -r wid cw ch cx cy < <(e2e_window "Zazo Puzzle" 1) && [ "$cw $ch $cx $cy" = "$*" ]
}
xdotool key --window "$wid" alt+Return
e2e_until "the window does not cover the display" covers 1024 768 0 0
read -r wid fw fh fx fy < <(e2e_window "Zazo Puzzle" 1)
echo "full screen: ${fw}x${fh} at $fx,$fy"
[ "$fw" = 1024 ] && [ "$fh" = 768 ] && [ "$fx" = 0 ] && [ "$fy" = 0 ] ||
  e2e_fail "the window does not cover the display"
# 1024 x 768 is 4:3 itself: the picture covers the whole display, smoothed
# from twice its size (1 x would fill only 62 % of the height).
title_covers() { [ "$(e2e_title_shown 1024x768+0+0)" -lt 20000 ]; }
e2e_until "the title does not cover the display" title_covers
differ=$(e2e_title_shown 1024x768+0+0)
echo "full screen: $differ pixels differ from the title picture"
[ "$differ" -lt 20000 ] || e2e_fail "the title does not cover the display"

# Frame pixel (300, 210) is menu item 1, at screen (480, 336); the same
# screen point unmapped (480, 336) would be below the menu, where a click
# does nothing.
xdotool mousemove 480 337
sleep 0.3
xdotool click 1
game_shown() { [ "$(e2e_title_shown 1024x768+0+0)" -gt 150000 ]; }
e2e_until "the click on the mapped menu item did not start a game" game_shown

for round in 1 2 3; do
  xdotool key --window "$wid" alt+Return
  e2e_until "round $round: the window did not come back at 640x480 at $x,$y" covers 640 480 "$x" "$y"
  # The window manager may still be framing it: its place is read once it
  # has stayed put between two looks.
  settled() {
    read -r wid rw rh rx ry < <(e2e_window "Zazo Puzzle" 1) || return 1
    sleep 0.3
    local now
    now=$(e2e_window "Zazo Puzzle" 1) && [ "$now" = "$wid $rw $rh $rx $ry" ]
  }
  e2e_until "round $round: the window did not settle" settled
  echo "round $round windowed: ${rw}x${rh} at $rx,$ry"
  [ "$rw" = 640 ] && [ "$rh" = 480 ] || e2e_fail "the window is ${rw}x${rh} after full screen"
  [ "$rx" = "$x" ] && [ "$ry" = "$y" ] || e2e_fail "the window moved from $x,$y to $rx,$ry"
  [ "$round" = 3 ] && break
  xdotool key --window "$wid" alt+Return
  e2e_until "round $round: the window does not cover the display again" covers 1024 768 0 0
done
xprop -id "$wid" _NET_FRAME_EXTENTS | grep -q "= 0, 0, 0, 0" && e2e_fail "the window has no border"

xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
echo "ok"
