#!/usr/bin/env bash
# A finished single-player game shows the score text, its signature and the
# registration button over the game-over picture. Alt+S writes
# save/scorereg.html and hands it to xdg-open (a stand-in here) without
# waiting for it; a click on a field keeps the keys away from the game until
# the game picture is clicked.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
mkdir -p "$E2E_TMP/bin"
cat > "$E2E_TMP/bin/xdg-open" << OPENER
#!/bin/sh
echo \$\$ > "$E2E_TMP/opener.pid"
echo "\$1" >> "$E2E_TMP/opened.txt"
exec sleep 120
OPENER
chmod +x "$E2E_TMP/bin/xdg-open"
stop_opener() {
  if [ -s "$E2E_TMP/opener.pid" ]; then kill "$(cat "$E2E_TMP/opener.pid")" 2> /dev/null; fi
  e2e_cleanup
}
trap stop_opener EXIT
e2e_launch "$E2E_GAME" PATH="$E2E_TMP/bin:$PATH"

read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
e2e_wait_title "$x" "$y"
xdotool key --window "$wid" 4
e2e_wait_play "$x" "$y"

# Force the stack up until the game ends and the widgets appear.
e2e_force_to_game_over "$wid" "$x" "$y" 120
widgets_shown() {
  e2e_shot "$E2E_TMP/over.png" "$x" "$y" 640 480
  [ "$(e2e_pixel "$E2E_TMP/over.png" 630 72)" = "0,64,64" ] && [ "$(e2e_pixel "$E2E_TMP/over.png" 620 90)" = "212,208,200" ]
}
e2e_until "no signature field and registration button" widgets_shown
e2e_crop "$E2E_TMP/over.png" "$E2E_TMP/fields.png" 200x40+403+41
e2e_crop "$E2E_TMP/over.png" "$E2E_TMP/caption.png" 150x15+470+91
[ "$(e2e_colours "$E2E_TMP/fields.png")" -gt 8 ] || e2e_fail "the fields show no text"
[ "$(e2e_colours "$E2E_TMP/caption.png")" -gt 8 ] || e2e_fail "the button shows no caption"

# Alt+S: the page is written and opened; the game does not wait for the opener.
start=$(date +%s%N)
xdotool key --window "$wid" alt+s
e2e_until "xdg-open was not started" test -s "$E2E_TMP/opened.txt"
page="$E2E_GAME/save/scorereg.html"
[ "$(head -n 1 "$E2E_TMP/opened.txt")" = "$page" ] || e2e_fail "opened $(cat "$E2E_TMP/opened.txt")"
[ "$(grep -c $'\r$' "$page")" = 36 ] || e2e_fail "the page does not have 36 CR LF lines"
sed -n 3p "$page" | grep -Eq '&score=[0-9]{33}&p=[0-9a-f]{32}">'$'\r''$' ||
  e2e_fail "line 3 of the page holds no link: $(sed -n 3p "$page")"
sleep 1.2
e2e_running || e2e_fail "the program ended"

# A click on the score field: '8' (back to the title) goes to the field.
xdotool mousemove --window "$wid" 450 48 click 1
sleep 0.2
xdotool key --window "$wid" 8
sleep 0.5
e2e_shot "$E2E_TMP/still.png" "$x" "$y" 640 480
[ "$(e2e_pixel "$E2E_TMP/still.png" 630 48)" = "0,64,0" ] || e2e_fail "a key reached the game while the field had the keyboard"
# A click on the game picture gives the keys back: '8' returns to the title.
xdotool mousemove --window "$wid" 300 300 click 1
sleep 0.2
xdotool key --window "$wid" 8
e2e_until "'8' did not bring the title back after clicking the picture" e2e_is_title "$x" "$y"
# All this happened while the opener (two minutes) was still running: the
# game never waited for it, however slow the machine.
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "back on the title $elapsed ms after Alt+S"
kill -0 "$(cat "$E2E_TMP/opener.pid")" 2> /dev/null || e2e_fail "the program waited for the browser"

xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
echo "ok"
