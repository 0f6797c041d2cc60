#!/usr/bin/env bash
# Registration end to end in a real browser: the real game under Xvfb plays a
# single-player game to its end, the registration button starts the local
# board (zazo-scores beside the game, its database in a private
# XDG_DATA_HOME) and opens the page in headless Chromium (a stand-in xdg-open
# first on PATH); the browser follows the page's forward to the board, and
# the leaderboard it shows holds the entry, verified by the game's replay.
source "$2/tests/platform_e2e/e2e_lib.bash"
CHROMIUM=$(command -v chromium || true)
[ -n "$CHROMIUM" ] || e2e_fail "chromium is missing (scripts/install-deps.sh installs it)"
command -v curl > /dev/null || e2e_fail "curl is missing"
PORT=47650
curl -s -o /dev/null "http://127.0.0.1:$PORT/" && e2e_fail "port $PORT is taken: stop the score board running there first"

e2e_prepare
cp "$E2E_BUILD/zazo-scores" "$E2E_GAME/"
export XDG_DATA_HOME="$E2E_TMP/data"
mkdir -p "$E2E_TMP/bin" "$XDG_DATA_HOME"
# The page opener: waits for the board as long as the page's forward would,
# then lets Chromium load the page, follow the forward and print the result.
cat > "$E2E_TMP/bin/xdg-open" << OPENER
#!/bin/sh
echo \$\$ > "$E2E_TMP/opener.pid"
for i in \$(seq 150); do curl -s -o /dev/null "http://127.0.0.1:$PORT/score/api/top" && break; sleep 0.1; done
# (a headless Chromium on a loaded machine now and then prints nothing: up
# to three tries, each into a fresh profile)
for try in 1 2 3; do
  "$CHROMIUM" --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --no-first-run --disable-sync --user-data-dir="$E2E_TMP/chrome\$try" \
    --virtual-time-budget=20000 --dump-dom "file://\$1" > "$E2E_TMP/dump.html" 2>> "$E2E_TMP/chrome.log"
  grep -q 'id="entry"' "$E2E_TMP/dump.html" && break
done
mv "$E2E_TMP/dump.html" "$E2E_TMP/forwarded.html"
OPENER
chmod +x "$E2E_TMP/bin/xdg-open"
stop_all() {
  if [ -s "$E2E_TMP/opener.pid" ]; then kill -KILL "$(cat "$E2E_TMP/opener.pid")" 2> /dev/null; fi
  # The board the game started, by the pid it wrote.
  local board="$XDG_DATA_HOME/zazo-puzzle/scores.pid"
  if [ -s "$board" ]; then
    local pid
    pid=$(cat "$board")
    kill -TERM "$pid" 2> /dev/null
    for ((i = 0; i < 50; i++)); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2> /dev/null
  fi
  e2e_cleanup
}
trap stop_all EXIT
e2e_launch "$E2E_GAME" PATH="$E2E_TMP/bin:$PATH" XDG_DATA_HOME="$XDG_DATA_HOME"

read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
e2e_wait_title "$x" "$y"
xdotool key --window "$wid" 4
e2e_wait_play "$x" "$y"
e2e_force_to_game_over "$wid" "$x" "$y"
xdotool key --window "$wid" alt+s

# The browser's page after the forward: the entry on the board.
for ((i = 0; i < 600; i++)); do
  grep -q 'id="entry"' "$E2E_TMP/forwarded.html" 2> /dev/null && break
  sleep 0.1
done
grep -q 'id="entry"' "$E2E_TMP/forwarded.html" 2> /dev/null ||
  { cat "$E2E_TMP/chrome.log" 2> /dev/null; e2e_fail "the browser did not reach the entry: $(head -c 600 "$E2E_TMP/forwarded.html" 2> /dev/null)"; }
page="$E2E_GAME/save/scorereg.html"
text=$(sed -n 3p "$page" | sed -E 's/.*&score=([0-9]{33})&p=.*/\1/')
date="${text:0:4}-${text:4:2}-${text:6:2} ${text:8:2}:${text:10:2}:${text:12:2}"
grep -qF "$date" "$E2E_TMP/forwarded.html" || e2e_fail "the entry page does not show the game's date $date"
# Registered by this visit, or a moment before by the replay the game sent.
grep -Eq 'スコアを登録しました|このスコアは登録済みです' "$E2E_TMP/forwarded.html" ||
  e2e_fail "no registration status on the entry page"
[ -s "$XDG_DATA_HOME/zazo-puzzle/scores.sqlite" ] || e2e_fail "no per-user database"

# Verified by the replay the game handed to the board (the check runs as
# the board starts): the verified leaderboard, as the browser shows it. A
# tree without the headless replay player (src/replay) cannot verify.
if [ ! -f "$E2E_SOURCE/src/replay/replay_summary.h" ]; then
  echo "entry $text registered; this tree has no replay player to verify it"
  xdotool key --window "$wid" Escape
  e2e_wait_exit 5
  exit 0
fi
for ((i = 0; i < E2E_LIMIT * 10; i++)); do
  curl -s "http://127.0.0.1:$PORT/score/api/top?verified=1" | grep -q '"verified":true' && break
  sleep 0.1
done
"$CHROMIUM" --headless --no-sandbox --disable-gpu --disable-background-networking \
  --disable-component-update --no-first-run --disable-sync --user-data-dir="$E2E_TMP/chrome2" \
  --dump-dom "http://127.0.0.1:$PORT/score/?verified=1" > "$E2E_TMP/board.html" 2>> "$E2E_TMP/chrome.log"
grep -qF "$date" "$E2E_TMP/board.html" ||
  { echo "--- board log ---"; e2e_fail "the verified leaderboard does not hold the entry: $(grep -o '<h1>.*</h1>\|<p>[0-9]* 件.*' "$E2E_TMP/board.html")"; }
grep -q '検証済み' "$E2E_TMP/board.html" || e2e_fail "no verified mark"
echo "entry $text registered and verified, shown by the browser"

xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
echo "ok"
