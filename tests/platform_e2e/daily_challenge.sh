#!/usr/bin/env bash
# Today's challenge end to end against a real zazo-scores (a public board on
# a free loopback port, started here): `--daily` fetches the challenge and
# starts the game with the dealt start; at game over the registration button
# sends the replay with the challenge's id, the owner token is kept in
# save/tokens.toml and carried by the page's address, and the board lists the
# entry as verified in its daily table. A second run (C on the title) adds a
# second token without losing the first; a plain game after it writes the
# very page the game always wrote, without a token.
source "$(dirname "$0")/e2e_lib.bash"
command -v curl > /dev/null || e2e_fail "curl is missing"
[ -x "$E2E_BUILD/zazo-scores" ] || e2e_fail "no $E2E_BUILD/zazo-scores"

e2e_prepare
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
URL="http://127.0.0.1:$PORT"
"$E2E_BUILD/zazo-scores" --db "sqlite:$E2E_TMP/scores.sqlite" --listen 127.0.0.1 --port "$PORT" \
  --rate-limit 0 > "$E2E_TMP/server.log" 2>&1 &
SERVER=$!
stop_all() {
  kill -TERM "$SERVER" 2> /dev/null
  for ((i = 0; i < 50; i++)); do kill -0 "$SERVER" 2> /dev/null || break; sleep 0.1; done
  kill -KILL "$SERVER" 2> /dev/null
  e2e_cleanup
}
trap stop_all EXIT
for ((i = 0; i < 100; i++)); do
  curl -s -o /dev/null "$URL/score/api/top" && break
  sleep 0.1
done
challenge=$(curl -s "$URL/score/api/challenge/daily")
id=$(python3 -c 'import json, sys; print(json.loads(sys.argv[1])["id"])' "$challenge" 2> /dev/null)
[ -n "$id" ] || e2e_fail "the board offers no challenge: $challenge ($(cat "$E2E_TMP/server.log"))"
today=${id#daily-}

# The page opener keeps a copy of every page it is handed.
mkdir -p "$E2E_TMP/bin"
cat > "$E2E_TMP/bin/xdg-open" << OPENER
#!/bin/sh
n=\$(ls "$E2E_TMP"/page-*.html 2> /dev/null | wc -l)
cp "\$1" "$E2E_TMP/page-\$((n + 1)).html"
OPENER
chmod +x "$E2E_TMP/bin/xdg-open"

# game_to_end_and_register N: the game in play is forced to its end, the
# registration button pressed, and page N awaited.
game_to_end_and_register() {
  local n=$1 i
  e2e_wait_play "$x" "$y"
  e2e_force_to_game_over "$wid" "$x" "$y"
  xdotool key --window "$wid" alt+s
  for ((i = 0; i < E2E_LIMIT * 10; i++)); do
    [ -s "$E2E_TMP/page-$n.html" ] && return 0
    sleep 0.1
  done
  e2e_fail "page $n was not opened"
}
tokens() { grep -oE "^token = ['\"][0-9a-f]{32}" "$E2E_GAME/save/tokens.toml" | cut -c10-; }
page_link() { sed -n 3p "$1" | sed -E 's/.*CONTENT="10;URL=(.*)">\r$/\1/'; }

# launch ARGS...: the game with the stand-in opener first on the PATH.
launch() {
  (cd "$E2E_GAME" && exec env XDG_CONFIG_HOME="$E2E_CONFIG" PATH="$E2E_TMP/bin:$PATH" SDL_AUDIODRIVER=dummy \
    "$E2E_GAME/zazo-puzzle" "$@") > "$E2E_LOG" 2>&1 &
  E2E_PID=$!
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
}

# ---- run 1: --daily ----
launch --board "$URL" --daily
for ((i = 0; i < E2E_LIMIT * 10; i++)); do
  grep -q "today's challenge $id" "$E2E_LOG" && break
  sleep 0.1
done
grep -q "today's challenge $id" "$E2E_LOG" || e2e_fail "--daily did not start $id"
game_to_end_and_register 1
grep -q "sent to $URL: entry .*, verified" "$E2E_LOG" || e2e_fail "the challenge game was not sent verified"
mapfile -t kept < <(tokens)
[ "${#kept[@]}" -eq 1 ] || e2e_fail "${#kept[@]} tokens kept after the first upload"
[ "$(stat -c %a "$E2E_GAME/save/tokens.toml")" = 600 ] || e2e_fail "tokens.toml is not private"
grep -qE "^challenge = ['\"]$id['\"]$" "$E2E_GAME/save/tokens.toml" || e2e_fail "the token does not name $id"
link1=$(page_link "$E2E_TMP/page-1.html")
[[ "$link1" == "$URL/score/?mode=reg&score="*"&token=${kept[0]}" ]] || e2e_fail "page 1 forwards to $link1"
text1=$(sed -E 's/.*&score=([0-9]{33})&p=.*/\1/' <<< "$link1")
score1=$((10#${text1:14:8}))
# The board's daily table lists it, verified.
daily=$(curl -s "$URL/score/api/daily?date=$today")
echo "daily table: $daily" | head -c 600
echo
python3 - "$daily" "$score1" << 'PY' || e2e_fail "the daily table does not list the game verified"
import json, sys
d = json.loads(sys.argv[1])
rows = d if isinstance(d, list) else d.get("entries", [])
sys.exit(0 if any(r.get("score") == int(sys.argv[2]) and r.get("verified") for r in rows) else 1)
PY
curl -s "$URL/score/daily/$today" | grep -q "$score1" || e2e_fail "the daily page does not show $score1"
xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"

# ---- run 2: C on the title; the first token is still there ----
launch --board "$URL"
# The title up (a busy machine takes a while to draw it), then C; a press
# that came before the window took keys is repeated, at most twice.
e2e_wait_title "$x" "$y"
for ((try = 0; try < 3; try++)); do
  xdotool key --window "$wid" c
  for ((i = 0; i < 30; i++)); do
    grep -q "today's challenge $id" "$E2E_LOG" && break 2
    sleep 0.1
  done
done
grep -q "today's challenge $id" "$E2E_LOG" || e2e_fail "C did not start $id"
game_to_end_and_register 2
mapfile -t kept2 < <(tokens)
[ "${#kept2[@]}" -eq 2 ] && [ "${kept2[0]}" = "${kept[0]}" ] ||
  e2e_fail "after a restart and a second upload the tokens are: ${kept2[*]}"
[ "$(page_link "$E2E_TMP/page-2.html")" != "${link1}" ] || e2e_fail "page 2 is page 1"
[[ "$(page_link "$E2E_TMP/page-2.html")" == *"&token=${kept2[1]}" ]] || e2e_fail "page 2 carries no token"

# ---- a plain game (7: restart): the page as the game always wrote it ----
xdotool key --window "$wid" 7
game_to_end_and_register 3
link3=$(page_link "$E2E_TMP/page-3.html")
[[ "$link3" =~ ^$URL/score/\?mode=reg\&score=[0-9]{33}\&p=[0-9a-f]{32}$ ]] || e2e_fail "page 3 forwards to $link3"
# Every byte but the link: the page of the game before the board's features.
sum=$(sed "s|$(sed 's/[&|.]/\\&/g' <<< "$link3")|{LINK}|g" "$E2E_TMP/page-3.html" | md5sum | cut -c1-32)
[ "$sum" = bd418f2070318e9afd9d08582dd45c78 ] || e2e_fail "the plain page differs from the game's page ($sum)"
[ "$(tokens | wc -l)" -eq 2 ] || e2e_fail "a plain game added a token"
[ "$(grep -c "sent to $URL" "$E2E_LOG")" -eq 1 ] || e2e_fail "the plain game was sent to the board"
xdotool key --window "$wid" Escape
e2e_wait_exit 5
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
echo "ok"
