#!/usr/bin/env bash
# Hostile things where the game reads and writes. A named pipe, /dev/zero
# behind a link and a folder stand in for three pictures (and pipes for a
# sound, the title music and the gamepad mappings): the warning box
# "エラー : Code1" comes at once, nothing waits on a pipe. save/score.dat is a
# link to another file of the player's: its score is read through the link,
# but the save at exit replaces the link and leaves that file as it was.
# Temporary files left by saves cut short are gone after start-up.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
G=$E2E_GAME
rm "$G/graph/title.bmp" "$G/graph/item.bmp" "$G/graph/bom.bmp"
mkfifo "$G/graph/title.bmp"
ln -s /dev/zero "$G/graph/item.bmp"
mkdir "$G/graph/bom.bmp"
mkfifo "$G/gamecontrollerdb.txt"
if [ -d "$G/system" ]; then
  rm -f "$G/system/03.wav" "$G/system/nil.ogg"
  mkfifo "$G/system/03.wav" "$G/system/nil.ogg"
fi
printf '4321\n' > "$E2E_TMP/notes.txt"
ln -s "$E2E_TMP/notes.txt" "$G/save/score.dat"
printf 'half a sa' > "$G/save/score.dat.tmp"
printf 'x' > "$G/save/score.dat.tmp-4242-0"
printf 'x' > "$G/save/scorereg.html.tmp-77-3"
printf 'mine' > "$G/save/score.dat.bak"

start=$(date +%s%N)
e2e_launch "$G"
read -r box bw bh bx by < <(e2e_window "警告" 10) || e2e_fail "no warning box \"警告\" within 10 s"
echo "warning box after $((($(date +%s%N) - start) / 1000000)) ms"
grep -q "エラー : Code1" "$E2E_LOG" || e2e_fail "the warning is not \"エラー : Code1\""
for f in title item bom; do
  grep -q "graph/$f.bmp" "$E2E_LOG" || e2e_fail "graph/$f.bmp is not reported"
done

for f in score.dat.tmp score.dat.tmp-4242-0 scorereg.html.tmp-77-3; do
  [ ! -e "$G/save/$f" ] || e2e_fail "save/$f was left behind"
done
[ "$(cat "$G/save/score.dat.bak")" = mine ] || e2e_fail "save/score.dat.bak was touched"

xdotool key --window "$box" Return
e2e_gone "警告" 5 || e2e_fail "Return did not close the warning box"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 5) || e2e_fail "no window \"Zazo Puzzle\""
xdotool key --window "$wid" Escape
e2e_wait_exit 5
echo "Esc: exit status $E2E_RC"
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"

[ ! -L "$G/save/score.dat" ] || e2e_fail "save/score.dat is still a link"
e2e_expect_score_file 4321
[ "$(cat "$E2E_TMP/notes.txt")" = 4321 ] || e2e_fail "the linked file was overwritten"
[ -p "$G/graph/title.bmp" ] || e2e_fail "the pipe was replaced"
echo "ok"
