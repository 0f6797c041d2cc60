#!/usr/bin/env bash
# The real program under a virtual X display: the window "Zazo Puzzle"
# appears at 640 x 480 showing the title picture, '4' starts a game that is
# drawn a second later, a click places a piece, and Esc ends the program
# within about a second and a half with status 0, leaving save/score.dat
# holding 765 CR LF when there was none.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
e2e_launch "$E2E_GAME"

read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
[ "$w" = 640 ] && [ "$h" = 480 ] || e2e_fail "window is ${w}x${h}, not 640x480"
echo "window $wid at $x,$y"
e2e_wait_title "$x" "$y"

# The title: the picture from graph/title.bmp fills the window (the menu
# strip, the best score and the sparkles cover parts of it).
e2e_shot "$E2E_TMP/title.png" "$x" "$y" 640 480
e2e_crop "$E2E_GAME/graph/title.bmp" "$E2E_TMP/title_sheet.png" 640x480+0+0
differ=$(e2e_diff "$E2E_TMP/title.png" "$E2E_TMP/title_sheet.png")
echo "title: $differ of 307200 pixels differ from the title picture"
[ "$differ" -lt 100000 ] || e2e_fail "the window does not show the title picture ($differ pixels differ)"

# '4' starts a single-player game: the title slides away in about a second.
xdotool key --window "$wid" 4
e2e_wait_play "$x" "$y"
e2e_shot "$E2E_TMP/play.png" "$x" "$y" 640 480
differ=$(e2e_diff "$E2E_TMP/play.png" "$E2E_TMP/title_sheet.png")
colours=$(e2e_colours "$E2E_TMP/play.png")
echo "play: $differ pixels differ from the title, $colours colours"
[ "$differ" -gt 150000 ] || e2e_fail "the game did not start (only $differ pixels changed)"
[ "$colours" -gt 200 ] || e2e_fail "the play screen is not drawn ($colours colours)"

# Point at a cell of the well and click: the piece is placed. The change is
# compared with what the animations alone change over the same time.
xdotool mousemove --window "$wid" 120 200
sleep 0.4
e2e_shot "$E2E_TMP/before1.png" "$x" "$y" 640 480
sleep 0.3
e2e_shot "$E2E_TMP/before2.png" "$x" "$y" 640 480
xdotool click 1
sleep 0.3
e2e_shot "$E2E_TMP/after.png" "$x" "$y" 640 480
idle=$(e2e_diff "$E2E_TMP/before1.png" "$E2E_TMP/before2.png")
placed=$(e2e_diff "$E2E_TMP/before2.png" "$E2E_TMP/after.png")
echo "placing: $placed pixels changed (animation alone: $idle)"
[ "$placed" -gt 800 ] && [ "$placed" -gt $((idle * 3)) ] ||
  e2e_fail "placing a piece did not change the picture ($placed vs $idle)"

# Esc ends the program: best score saved, sound stopped, one second's wait.
xdotool key --window "$wid" Escape
e2e_wait_exit 5
echo "Esc: exit status $E2E_RC after $E2E_MS ms"
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
[ "$E2E_MS" -le 1800 ] || e2e_fail "took $E2E_MS ms to end"
e2e_expect_score_file 765
e2e_gone "Zazo Puzzle" 2 || e2e_fail "the window is still there"
echo "ok"
