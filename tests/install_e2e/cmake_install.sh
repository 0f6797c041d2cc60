#!/usr/bin/env bash
# `cmake --install BUILD --prefix DIR`: the program in DIR/games finds its data
# in DIR/share/games/zazo-puzzle, runs from another working directory as an
# unprivileged user and as root, keeps the best score per user and writes
# nothing under DIR.
source "$(dirname "$0")/install_lib.bash"

prefix="$E2E_TMP/prefix"
cmake --install "$E2E_BUILD" --prefix "$prefix" > "$E2E_TMP/install.log" 2>&1 ||
  { cat "$E2E_TMP/install.log"; e2e_fail "cmake --install failed"; }
for f in games/zazo-puzzle games/zazo-scores; do
  [ -x "$prefix/$f" ] || e2e_fail "no $prefix/$f"
done
[ -d "$prefix/share/games/zazo-puzzle/graph" ] || e2e_fail "no $prefix/share/games/zazo-puzzle/graph"
[ ! -e "$prefix/games/graph" ] && [ ! -e "$prefix/games/save" ] || e2e_fail "data installed beside the program"
chmod -R a+rX "$prefix"

inst_play_and_save "$INST_USER" "$prefix/games/zazo-puzzle" "$prefix/share/games/zazo-puzzle/" "$prefix"
inst_play_and_save root "$prefix/games/zazo-puzzle" "$prefix/share/games/zazo-puzzle/" "$prefix"

# A best score that cannot be saved (a file where the data folder would go):
# the warning box says so once; the game goes on, and a second failed save
# in the same run shows nothing.
echo "--- a save that fails"
home=$(inst_home "$INST_USER")
blocked="$home/.local"
echo "in the way" > "$blocked"
chown "$INST_USER" "$blocked"
inst_launch "$INST_USER" "$home" "$prefix/games/zazo-puzzle" "$home"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 15) || e2e_fail "no window \"Zazo Puzzle\""
e2e_wait_title "$x" "$y"
xdotool key --window "$wid" 4
e2e_wait_play "$x" "$y"
xdotool key --window "$wid" 8
read -r box bw bh bx by < <(e2e_window "警告" 10) || e2e_fail "no warning box for the failed save"
grep -q "エラー : $home/.local/share/zazo-puzzle/score.dat にベストスコアを保存できません." "$E2E_LOG" ||
  e2e_fail "the warning does not name the score file"
xdotool key --window "$box" Return
e2e_gone "警告" 5 || e2e_fail "Return did not close the warning box"
# The game goes on: another game starts, and its save fails without a box.
xdotool key --window "$wid" 4
e2e_wait_play "$x" "$y"
xdotool key --window "$wid" 8
e2e_wait_title "$x" "$y"
e2e_window "警告" 0 > /dev/null && e2e_fail "a second warning box in the same run"
inst_quit "$wid"
[ "$(grep -c "could not be saved" "$E2E_LOG")" -ge 3 ] || e2e_fail "the failed saves were not all said"
[ "$(grep -c "警告" "$E2E_LOG")" -eq 1 ] || e2e_fail "the warning was given more than once"
[ "$(cat "$blocked")" = "in the way" ] || e2e_fail "the file in the way was changed"
echo "ok"
