#!/usr/bin/env bash
# Under a file-size limit of 0 (ulimit -f 0) every write fails: the game
# still starts, plays and ends normally; the save at exit fails like any
# failed save (the warning box, the old file kept) instead of the limit's
# signal ending the program (status 153).
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
printf '500\r\n' > "$E2E_GAME/save/score.dat"
# The limit is the program's alone; its output goes through a pipe, which
# the limit does not cover, so that its messages are kept.
(ulimit -S -f 0 && cd "$E2E_GAME" && exec env SDL_AUDIODRIVER=dummy "$E2E_GAME/zazo-puzzle") \
  > >(cat > "$E2E_LOG") 2>&1 &
E2E_PID=$!

read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
e2e_until "the title was not shown" e2e_is_title "$x" "$y"
e2e_running || e2e_fail "the program ended at start-up"
xdotool key --window "$wid" Escape
# The save at exit fails like any failed save: the warning box, then the end.
read -r box bw bh bx by < <(e2e_window "警告" 10) || e2e_fail "no warning box for the failed save"
xdotool key --window "$box" Return
e2e_wait_exit 5
echo "Esc: exit status $E2E_RC"
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
grep -q "could not be saved" "$E2E_LOG" || e2e_fail "the failed save is not reported"
e2e_expect_score_file 500
[ -z "$(ls "$E2E_GAME/save" | grep -v '^score.dat$')" ] || e2e_fail "left in save/: $(ls "$E2E_GAME/save")"
echo "ok"
