#!/usr/bin/env bash
# Full screen under a window manager: Alt+Return lets the borderless window
# cover the whole display with the 640 x 480 frame centred on black (1:1 on
# a 1024 x 768 display), the pointer is mapped back to frame pixels (a click
# on the first menu item starts a game), and Alt+Return again brings back the
# bordered window at the same place, also after several round trips.
source "$(dirname "$0")/e2e_lib.bash"

command -v openbox > /dev/null || e2e_fail "openbox is missing (scripts/install-deps.sh installs it)"
command -v xprop > /dev/null || e2e_fail "xprop is missing (scripts/install-deps.sh installs it)"
openbox > "$E2E_TMP/openbox.log" 2>&1 &
wm=$!
stop_wm() {
  kill "$wm" 2> /dev/null
  wait "$wm" 2> /dev/null
  e2e_cleanup
}
trap stop_wm EXIT
for ((i = 0; i < 50; i++)); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
  sleep 0.1
done

e2e_prepare
e2e_launch "$E2E_GAME"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
sleep 1
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 1)
echo "windowed: ${w}x${h} at $x,$y"

xdotool key --window "$wid" alt+Return
sleep 1
read -r wid fw fh fx fy < <(e2e_window "Zazo Puzzle" 1)
echo "full screen: ${fw}x${fh} at $fx,$fy"
[ "$fw" = 1024 ] && [ "$fh" = 768 ] && [ "$fx" = 0 ] && [ "$fy" = 0 ] ||
  e2e_fail "the window does not cover the display"
e2e_shot "$E2E_TMP/full.png" 0 0 1024 768
for point in "10 10" "1013 757" "191 400" "832 400" "500 143" "500 624"; do
  read -r px py <<< "$point"
  [ "$(e2e_pixel "$E2E_TMP/full.png" "$px" "$py")" = "0,0,0" ] || e2e_fail "no black border at $px,$py"
done
e2e_crop "$E2E_TMP/full.png" "$E2E_TMP/centre.png" 640x480+192+144
e2e_crop "$E2E_GAME/graph/title.bmp" "$E2E_TMP/title_sheet.png" 640x480+0+0
differ=$(e2e_diff "$E2E_TMP/centre.png" "$E2E_TMP/title_sheet.png")
echo "centre: $differ pixels differ from the title picture"
[ "$differ" -lt 100000 ] || e2e_fail "the title is not centred 1:1"

# Frame pixel (300, 210) is menu item 1; the same screen point unmapped
# (300, 354) would be below the menu, where a click does nothing.
xdotool mousemove 492 354
sleep 0.3
xdotool click 1
sleep 1.6
e2e_shot "$E2E_TMP/play.png" 192 144 640 480
differ=$(e2e_diff "$E2E_TMP/play.png" "$E2E_TMP/title_sheet.png")
[ "$differ" -gt 150000 ] || e2e_fail "the click on the mapped menu item did not start a game"

for round in 1 2 3; do
  xdotool key --window "$wid" alt+Return
  sleep 1
  read -r wid rw rh rx ry < <(e2e_window "Zazo Puzzle" 1)
  echo "round $round windowed: ${rw}x${rh} at $rx,$ry"
  [ "$rw" = 640 ] && [ "$rh" = 480 ] || e2e_fail "the window is ${rw}x${rh} after full screen"
  [ "$rx" = "$x" ] && [ "$ry" = "$y" ] || e2e_fail "the window moved from $x,$y to $rx,$ry"
  [ "$round" = 3 ] && break
  xdotool key --window "$wid" alt+Return
  sleep 1
done
xprop -id "$wid" _NET_FRAME_EXTENTS | grep -q "= 0, 0, 0, 0" && e2e_fail "the window has no border"

xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
echo "ok"
