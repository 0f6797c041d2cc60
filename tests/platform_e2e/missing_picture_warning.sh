#!/usr/bin/env bash
# Without graph/title.bmp the first frame shows the warning box "警告" with
# "エラー : Code1" and the game stops; the box closes with Return, the window
# stays, and Esc still ends the program normally. Run with LANG=C, where the
# box's Japanese text would come out blank without a UTF-8 locale.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
rm "$E2E_GAME/graph/title.bmp"
e2e_launch "$E2E_GAME" -u LC_ALL -u LC_CTYPE LANG=C

read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
read -r box bw bh bx by < <(e2e_window "警告" 10) || e2e_fail "no warning box \"警告\""
echo "warning box $box ${bw}x${bh} at $bx,$by"
grep -q "エラー : Code1" "$E2E_LOG" || e2e_fail "the warning is not \"エラー : Code1\""

# The message is drawn: the upper part of the box (above the OK button)
# holds light text on the dark box.
box_text() {
  e2e_shot "$E2E_TMP/box.png" "$bx" "$by" "$bw" $((bh / 2))
  text=$(e2e_bright "$E2E_TMP/box.png")
  [ "$text" -gt 40 ]
}
e2e_until "the warning box shows no text" box_text
echo "box text: $text light pixels"

# No frame runs while the box is open, nor after it: the window stays black.
xdotool key --window "$box" Return
e2e_gone "警告" 5 || e2e_fail "Return did not close the warning box"
sleep 0.5
e2e_window "Zazo Puzzle" 1 > /dev/null || e2e_fail "the window went away with the box"
e2e_shot "$E2E_TMP/frozen.png" "$x" "$y" 640 480
colours=$(e2e_colours "$E2E_TMP/frozen.png")
[ "$colours" -le 2 ] || e2e_fail "frames still run after the error ($colours colours)"
e2e_running || e2e_fail "the program ended with the box"

xdotool key --window "$wid" Escape
e2e_wait_exit 5
echo "Esc: exit status $E2E_RC after $E2E_MS ms"
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
e2e_expect_score_file 765
echo "ok"
