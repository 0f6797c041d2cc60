#!/usr/bin/env bash
# Today's challenge with no board to answer (a port nobody listens on, the
# board of the player's settings): `--daily` says so over the title within a
# few seconds, the window goes on answering, and '4' still starts the normal
# game. C on the title asks again and gets the same answer.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
# A loopback port that refuses every connection: bound, never listened on,
# held until the check ends.
python3 -c '
import socket, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1], flush=True)
time.sleep(120)' > "$E2E_TMP/port" &
holder=$!
trap 'kill "$holder" 2> /dev/null; e2e_cleanup' EXIT
for ((i = 0; i < E2E_LIMIT * 10; i++)); do
  [ -s "$E2E_TMP/port" ] && break
  sleep 0.1
done
port=$(cat "$E2E_TMP/port")
[ -n "$port" ] || e2e_fail "no free port"
start=$(date +%s%N)
mkdir -p "$E2E_CONFIG/zazo-puzzle"
printf 'board = "http://127.0.0.1:%s"\n' "$port" > "$E2E_CONFIG/zazo-puzzle/settings.toml"
(cd "$E2E_GAME" && exec env XDG_CONFIG_HOME="$E2E_CONFIG" SDL_AUDIODRIVER=dummy "$E2E_GAME/zazo-puzzle" --daily) > "$E2E_LOG" 2>&1 &
E2E_PID=$!
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""

for ((i = 0; i < E2E_LIMIT * 20; i++)); do
  grep -q "could not be fetched" "$E2E_LOG" && break
  sleep 0.05
done
elapsed=$((($(date +%s%N) - start) / 1000000))
grep -q "could not be fetched from http://127.0.0.1:$port" "$E2E_LOG" ||
  e2e_fail "the game did not find the settings' board missing"
echo "the board's absence was found ${elapsed} ms after the start"
[ "$elapsed" -lt 8000 ] || e2e_fail "finding it took ${elapsed} ms"
# The message box over the title, its frame at (120, 360) of the picture.
shown=""
for ((i = 0; i < E2E_LIMIT * 10; i++)); do
  e2e_shot "$E2E_TMP/msg.png" "$x" "$y" 640 480
  [ "$(e2e_pixel "$E2E_TMP/msg.png" 120 360)" = "120,200,255" ] && shown=1 && break
  sleep 0.1
done
[ -n "$shown" ] || e2e_fail "no 'board not reachable' message over the title"
e2e_crop "$E2E_TMP/msg.png" "$E2E_TMP/box.png" 398x82+121+361
[ "$(e2e_colours "$E2E_TMP/box.png")" -gt 8 ] || e2e_fail "the message box holds no text"
[ "$(e2e_title_shown 640x480+$x+$y)" -lt 60000 ] || e2e_fail "the title is not under the message"

# C asks again: the same answer, and no game starts.
xdotool key --window "$wid" c
for ((i = 0; i < E2E_LIMIT * 10; i++)); do
  [ "$(grep -c "could not be fetched" "$E2E_LOG")" -ge 2 ] && break
  sleep 0.1
done
[ "$(grep -c "could not be fetched" "$E2E_LOG")" -ge 2 ] || e2e_fail "C did not ask the board again"

# '4': the normal game starts, the message goes.
xdotool key --window "$wid" 4
started=""
for ((i = 0; i < E2E_LIMIT * 10; i++)); do
  sleep 0.1
  [ "$(e2e_title_shown 640x480+$x+$y)" -gt 150000 ] && started=1 && break
done
[ -n "$started" ] || e2e_fail "'4' did not start the normal game"
e2e_shot "$E2E_TMP/game.png" "$x" "$y" 640 480
[ "$(e2e_pixel "$E2E_TMP/game.png" 120 360)" != "120,200,255" ] || e2e_fail "the message stayed over the game"

xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
grep -q "today's challenge daily" "$E2E_LOG" && e2e_fail "a challenge was started without a board"
echo "ok"
