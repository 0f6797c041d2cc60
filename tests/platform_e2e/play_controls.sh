#!/usr/bin/env bash
# The player's controls on a 1280 x 800 display under a window manager:
# full screen fills the height with the 4:3 picture (1066 x 800, centred)
# and clicks land where they are drawn; P pauses (the panel covers the well,
# the picture stands still) and resumes; Esc hides the window at once and
# the best score is saved.
E2E_SCREEN=1280x800x24
source "$(dirname "$0")/e2e_lib.bash"

e2e_start_wm

e2e_prepare
e2e_launch "$E2E_GAME"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
sleep 1

# ---- full screen ----
xdotool key --window "$wid" alt+Return
sleep 1.2
e2e_shot "$E2E_TMP/full.png" 0 0 1280 800
# The picture: 1066 x 800 at (107, 0); black beside it, none above or below.
for point in "20 400" "100 400" "1180 400" "1270 10"; do
  read -r px py <<< "$point"
  [ "$(e2e_pixel "$E2E_TMP/full.png" "$px" "$py")" = "0,0,0" ] || e2e_fail "no black border at $px,$py"
done
differ=$(e2e_title_shown 1066x800+107+0)
echo "full screen 1280x800: picture 1066x800 at 107,0 (100 % of the height); $differ of 307200 pixels differ from the title picture"
[ "$differ" -lt 20000 ] || e2e_fail "the title does not fill the height"

# Frame pixel (300, 210), menu item 1, is screen (107 + 300 * 1066 / 640, 350).
xdotool mousemove 607 350
sleep 0.3
xdotool click 1
sleep 1.8
[ "$(e2e_title_shown 1066x800+107+0)" -gt 150000 ] ||
  e2e_fail "the click on the mapped menu item did not start a game"

# The cell under the pointer: the piece is shown with its corner on the
# cell pointed at. Cell (6, 10) is frame pixel (128, 192), on the screen
# (321, 320); cell (9, 10) is frame pixel (176, 192), screen (401, 320).
# The piece's 4 x 4 cells there look the same in both, and not like the
# same place with the piece gone.
xdotool mousemove 333 333
sleep 0.4
e2e_shot "$E2E_TMP/hover_a.png" 0 0 1280 800
e2e_crop "$E2E_TMP/hover_a.png" "$E2E_TMP/piece_a.png" 106x106+321+320
xdotool mousemove 413 333
# Until the next frames have drawn it (a loaded machine may take a while).
for ((try = 0; try < 10; try++)); do
  sleep 0.3
  e2e_shot "$E2E_TMP/hover_b.png" 0 0 1280 800
  e2e_crop "$E2E_TMP/hover_b.png" "$E2E_TMP/piece_b.png" 106x106+401+320
  e2e_crop "$E2E_TMP/hover_b.png" "$E2E_TMP/left_b.png" 106x106+321+320
  same=$(e2e_diff "$E2E_TMP/piece_a.png" "$E2E_TMP/piece_b.png")
  left=$(e2e_diff "$E2E_TMP/piece_a.png" "$E2E_TMP/left_b.png")
  [ "$left" -gt 1000 ] && [ $((same * 4)) -lt "$left" ] && break
done
echo "piece under the pointer: $same pixels differ after moving with it, $left where it left"
[ "$left" -gt 1000 ] && [ $((same * 4)) -lt "$left" ] || e2e_fail "the pointer does not land on the cell pointed at"

# ---- pause ----
xdotool key --window "$wid" p
for ((try = 0; try < 20; try++)); do
  sleep 0.2
  e2e_shot "$E2E_TMP/pause1.png" 107 0 1066 800
  [ "$(e2e_pixel "$E2E_TMP/pause1.png" 80 80)" = "12,14,40" ] && break
done
sleep 1
e2e_shot "$E2E_TMP/pause2.png" 107 0 1066 800
differ=$(e2e_diff "$E2E_TMP/pause1.png" "$E2E_TMP/pause2.png")
echo "paused: $differ pixels changed in a second"
[ "$differ" -eq 0 ] || e2e_fail "the picture moves while paused"
# The panel's colour over the well (frame 32..240 x 32..448).
for point in "80 80" "60 600" "330 700"; do
  read -r px py <<< "$point"
  [ "$(e2e_pixel "$E2E_TMP/pause1.png" "$px" "$py")" = "12,14,40" ] || e2e_fail "the well shows at $px,$py while paused"
done
xdotool key --window "$wid" p
for ((try = 0; try < 20; try++)); do
  sleep 0.2
  e2e_shot "$E2E_TMP/resumed.png" 107 0 1066 800
  differ=$(e2e_diff "$E2E_TMP/pause2.png" "$E2E_TMP/resumed.png")
  [ "$differ" -gt 100000 ] && break
done
[ "$differ" -gt 100000 ] || e2e_fail "the game did not come back after the pause"

# ---- quick exit ----
xwininfo -id "$wid" | grep -q "IsViewable" || e2e_fail "the window is not on the screen before Esc"
xdotool key --window "$wid" Escape
start=$(date +%s%N)
gone=""
for ((i = 0; i < 400; i++)); do
  # Gone from the screen: unmapped, or destroyed altogether.
  if ! xwininfo -id "$wid" 2> /dev/null | grep -q "IsViewable"; then
    gone=$(date +%s%N)
    break
  fi
  sleep 0.002
done
[ -n "$gone" ] || e2e_fail "the window stayed after Esc"
echo "window gone $(((gone - start) / 1000000)) ms after Esc"
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
echo "program ended $((E2E_MS + (gone - start) / 1000000)) ms after Esc"
e2e_expect_score_file 765
echo "ok"
