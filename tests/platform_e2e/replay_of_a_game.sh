#!/usr/bin/env bash
# A single-player game played in the window to game over leaves a replay in
# save/replays/ (and best.zzr) whose headless check gives the very score text
# and signature of the registration page's link. The replay then plays in
# the window with --watch, which writes nothing; a replay of another version
# is refused with a message.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
mkdir -p "$E2E_TMP/bin"
cat > "$E2E_TMP/bin/xdg-open" << OPENER
#!/bin/sh
echo "\$1" >> "$E2E_TMP/opened.txt"
OPENER
chmod +x "$E2E_TMP/bin/xdg-open"
e2e_launch "$E2E_GAME" PATH="$E2E_TMP/bin:$PATH"

read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
e2e_wait_title "$x" "$y"
xdotool key --window "$wid" 4
e2e_wait_play "$x" "$y"

# Move, place and raise the stack until the game ends and the widgets appear.
shown=""
for ((i = 0; i < 160; i++)); do
  case $((i % 4)) in
    0) xdotool key --window "$wid" g ;;
    1) xdotool key --window "$wid" d ;;
    2) xdotool key --window "$wid" v ;;
    3) xdotool key --window "$wid" g ;;
  esac
  sleep 0.08
  if ((i % 10 == 9)); then
    e2e_shot "$E2E_TMP/screen.png" "$x" "$y" 640 480
    if [ "$(e2e_pixel "$E2E_TMP/screen.png" 630 48)" = "0,64,0" ]; then
      shown=1
      break
    fi
  fi
done
[ -n "$shown" ] || e2e_fail "no score widgets after the game should have ended"
sleep 0.3

# The registration page's link: &score=TEXT&p=SIGNATURE.
xdotool key --window "$wid" alt+s
e2e_until "the registration page was not opened" test -s "$E2E_TMP/opened.txt"
page="$E2E_GAME/save/scorereg.html"
[ -s "$page" ] || e2e_fail "no registration page"
link=$(sed -n 3p "$page")
text=$(echo "$link" | sed -nE 's/.*&score=([0-9]{33})&p=([0-9a-f]{32}).*/\1/p')
sig=$(echo "$link" | sed -nE 's/.*&score=([0-9]{33})&p=([0-9a-f]{32}).*/\2/p')
[ -n "$text" ] && [ -n "$sig" ] || e2e_fail "no link on line 3 of the page: $link"
sleep 1.2

xdotool key --window "$wid" Escape
e2e_wait_exit 10
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"

# One replay of the game, and the same file as the best so far.
shopt -s nullglob
replays=("$E2E_GAME"/save/replays/2*-single-*.zzr)
[ "${#replays[@]}" -eq 1 ] || e2e_fail "${#replays[@]} replays in save/replays: $(ls "$E2E_GAME/save/replays")"
replay=${replays[0]}
cmp -s "$replay" "$E2E_GAME/save/replays/best.zzr" || e2e_fail "best.zzr is not the game's replay"
echo "replay $(basename "$replay"): $(stat -c %s "$replay") bytes"

summary=$("$E2E_BUILD/zazo-replay" --summary "$replay") || e2e_fail "zazo-replay --summary failed ($?): $summary"
echo "$summary"
read -r word mode score level stext ssig <<< "$summary"
[ "$word $mode" = "game single" ] || e2e_fail "summary: $summary"
[ "$stext" = "$text" ] || e2e_fail "score text $stext, the page says $text"
[ "$ssig" = "$sig" ] || e2e_fail "signature $ssig, the page says $sig"
[ "$(basename "$replay")" = "${text:0:8}-${text:8:6}-single-$score.zzr" ] ||
  e2e_fail "the name $(basename "$replay") does not tell date, time, mode and score"

# Watching: the window plays the game and closes itself after its end; the
# save folder is left exactly as it was.
save_listing() {
  (cd "$E2E_GAME/save" && ls -l --time-style=full-iso -R . && md5sum score.dat replays/*)
}
save_listing > "$E2E_TMP/save_before.txt"
watch() {
  (cd "$E2E_GAME" && exec env SDL_AUDIODRIVER=dummy "$E2E_GAME/zazo-puzzle" --watch "$1") > "$E2E_LOG" 2>&1 &
  E2E_PID=$!
}
watch "$replay"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window while watching"
e2e_until "watching does not show the game" e2e_is_play "$x" "$y"
# Space pauses: two pictures a second apart are the same.
xdotool key --window "$wid" space
still() {
  e2e_shot "$E2E_TMP/paused1.png" "$x" "$y" 640 480
  sleep 1
  e2e_shot "$E2E_TMP/paused2.png" "$x" "$y" 640 480
  [ "$(e2e_diff "$E2E_TMP/paused1.png" "$E2E_TMP/paused2.png")" -lt 50 ]
}
e2e_until "Space did not pause" still
xdotool key --window "$wid" space
# The game lasted some seconds; after a hold on its end the viewer leaves by itself.
e2e_wait_exit 120
[ "$E2E_RC" -eq 0 ] || e2e_fail "watching ended with status $E2E_RC"
save_listing > "$E2E_TMP/save_after.txt"
diff "$E2E_TMP/save_before.txt" "$E2E_TMP/save_after.txt" > /dev/null ||
  e2e_fail "watching changed the save folder: $(diff "$E2E_TMP/save_before.txt" "$E2E_TMP/save_after.txt")"

# The right arrow held plays four times faster (the viewer counts the frames
# it showed fast; how much sooner it ends depends on the machine's load).
frames=$(sed -nE 's/^frames ([0-9]+)$/\1/p' "$replay")
watch "$replay"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window while watching"
# The window is listed before it takes input: wait for the game on it.
e2e_is_play "$x" "$y" || e2e_until "watching does not show the game" e2e_is_play "$x" "$y"
xdotool keydown --window "$wid" Right
e2e_wait_exit 120
xdotool keyup --window "$wid" Right 2> /dev/null
echo "watched with the right arrow held in $E2E_MS ms (the game's own length $((frames * 16)) ms, 3000 ms hold)"
grep -E "^watched .*: $frames frames, [0-9]+ of them at four times the speed" "$E2E_LOG" ||
  e2e_fail "no summary line of the frames watched: $(cat "$E2E_LOG")"
fast=$(sed -nE 's/.*, ([0-9]+) of them at four times.*/\1/p' "$E2E_LOG")
[ "$fast" -gt $((frames / 2)) ] || e2e_fail "only $fast of $frames frames were played fast"

# Esc leaves at once.
watch "$replay"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window while watching"
e2e_until "watching does not show the game" e2e_is_play "$x" "$y"
xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "Esc while watching: status $E2E_RC"

# Another version is refused before any window opens.
sed '1s/.*/zazo-puzzle-replay 99/' "$replay" > "$E2E_TMP/other.zzr"
"$E2E_GAME/zazo-puzzle" --watch "$E2E_TMP/other.zzr" > "$E2E_TMP/other.txt" 2>&1
rc=$?
[ "$rc" -eq 2 ] || e2e_fail "another version: status $rc"
grep -q "not written by this version" "$E2E_TMP/other.txt" || e2e_fail "another version: $(cat "$E2E_TMP/other.txt")"
echo "ok"
