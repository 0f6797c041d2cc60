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
e2e_wait_placed_title

# ---- full screen ----
xdotool key --window "$wid" alt+Return
# The picture: 1066 x 800 at (107, 0); black beside it, none above or below.
black_beside() {
  local point px py
  e2e_shot "$E2E_TMP/full.png" 0 0 1280 800
  for point in "20 400" "100 400" "1180 400" "1270 10"; do
    read -r px py <<< "$point"
    [ "$(e2e_pixel "$E2E_TMP/full.png" "$px" "$py")" = "0,0,0" ] || return 1
  done
  [ "$(e2e_title_shown 1066x800+107+0)" -lt 20000 ]
}
e2e_until "no full-screen title with black borders beside it" black_beside
differ=$(e2e_title_shown 1066x800+107+0)
echo "full screen 1280x800: picture 1066x800 at 107,0 (100 % of the height); $differ of 307200 pixels differ from the title picture"
[ "$differ" -lt 20000 ] || e2e_fail "the title does not fill the height"

# Frame pixel (300, 210), menu item 1, is screen (107 + 300 * 1066 / 640, 350).
xdotool mousemove 607 350
sleep 0.3
xdotool click 1
game_shown() { [ "$(e2e_title_shown 1066x800+107+0)" -gt 150000 ]; }
e2e_until "the click on the mapped menu item did not start a game" game_shown
# The play screen, scaled: its top bar (the full-screen button and the
# game's label) as in the golden play picture.
"$CONVERT" "$E2E_SOURCE/tests/golden_screens/play.png" -crop 200x20+440+0 +repage "$E2E_TMP/bar_want.png"
in_play() {
  e2e_shot "$E2E_TMP/scaled.png" 107 0 1066 800
  "$CONVERT" "$E2E_TMP/scaled.png" -filter box -resize 640x480! -crop 200x20+440+0 +repage "$E2E_TMP/bar.png"
  [ "$(e2e_diff "$E2E_TMP/bar.png" "$E2E_TMP/bar_want.png")" -lt 400 ]
}
e2e_until "the game was not drawn in full screen" in_play

# The cell under the pointer: the piece is shown with its corner on the
# cell pointed at. Cell (6, 10) is frame pixel (128, 192), on the screen
# (321, 320); cell (9, 10) is frame pixel (176, 192), screen (401, 320).
# The piece's 4 x 4 cells there look the same in both, and not like the
# same place with the piece gone.
e2e_shot "$E2E_TMP/hover_none.png" 0 0 1280 800
e2e_crop "$E2E_TMP/hover_none.png" "$E2E_TMP/piece_none.png" 106x106+321+320
xdotool mousemove 333 333
# Until the piece is drawn there.
piece_shown() {
  e2e_shot "$E2E_TMP/hover_a.png" 0 0 1280 800
  e2e_crop "$E2E_TMP/hover_a.png" "$E2E_TMP/piece_a.png" 106x106+321+320
  [ "$(e2e_diff "$E2E_TMP/piece_none.png" "$E2E_TMP/piece_a.png")" -gt 1000 ]
}
e2e_until "no piece drawn under the pointer" piece_shown
xdotool mousemove 413 333
# Until the next frames have drawn it (a loaded machine may take a while).
piece_moved() {
  e2e_shot "$E2E_TMP/hover_b.png" 0 0 1280 800
  e2e_crop "$E2E_TMP/hover_b.png" "$E2E_TMP/piece_b.png" 106x106+401+320
  e2e_crop "$E2E_TMP/hover_b.png" "$E2E_TMP/left_b.png" 106x106+321+320
  same=$(e2e_diff "$E2E_TMP/piece_a.png" "$E2E_TMP/piece_b.png")
  left=$(e2e_diff "$E2E_TMP/piece_a.png" "$E2E_TMP/left_b.png")
  [ "$left" -gt 1000 ] && [ $((same * 4)) -lt "$left" ]
}
e2e_until "the pointer does not land on the cell pointed at" piece_moved
echo "piece under the pointer: $same pixels differ after moving with it, $left where it left"

# ---- pause ----
xdotool key --window "$wid" p
panel_shown() {
  e2e_shot "$E2E_TMP/pause1.png" 107 0 1066 800
  [ "$(e2e_pixel "$E2E_TMP/pause1.png" 80 80)" = "12,14,40" ]
}
e2e_until "no pause panel after P" panel_shown
# Paused: nothing moves, however long it is watched.
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
resumed() {
  e2e_shot "$E2E_TMP/resumed.png" 107 0 1066 800
  [ "$(e2e_diff "$E2E_TMP/pause2.png" "$E2E_TMP/resumed.png")" -gt 100000 ]
}
e2e_until "the game did not come back after the pause" resumed

# ---- quick exit ----
xwininfo -id "$wid" | grep -q "IsViewable" || e2e_fail "the window is not on the screen before Esc"
xdotool key --window "$wid" Escape
start=$(date +%s%N)
gone=""
end=$((SECONDS + E2E_LIMIT))
while ((SECONDS < end)); do
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
