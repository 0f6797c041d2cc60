#!/usr/bin/env bash
# Started from another working directory, the program finds its pictures and
# its save folder beside itself: the title shows, and the best score is
# written to the program's own save/, nothing into the working directory.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
elsewhere="$E2E_TMP/elsewhere"
mkdir -p "$elsewhere"
e2e_launch "$elsewhere"

read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
e2e_until "the window does not show the title picture" e2e_is_title "$x" "$y"
e2e_shot "$E2E_TMP/title.png" "$x" "$y" 640 480
e2e_crop "$E2E_GAME/graph/title.bmp" "$E2E_TMP/title_sheet.png" 640x480+0+0
differ=$(e2e_diff "$E2E_TMP/title.png" "$E2E_TMP/title_sheet.png")
echo "title: $differ of 307200 pixels differ from the title picture"
[ "$differ" -lt 100000 ] || e2e_fail "the window does not show the title picture"
e2e_window "警告" 0 > /dev/null && e2e_fail "a warning box appeared"
grep -q "picture" "$E2E_LOG" && e2e_fail "a picture was not found"

xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
e2e_expect_score_file 765
[ -z "$(ls -A "$elsewhere")" ] || e2e_fail "files written into the working directory: $(ls -A "$elsewhere")"
echo "ok"
