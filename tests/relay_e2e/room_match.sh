#!/usr/bin/env bash
# Two real programs meet through a real board's relay on loopback: one makes
# a room (--create-room prints "room CODE"), the other joins by the code, a
# third follows as a spectator. Keys sent to each window act for that
# player's side only, on its turn; Esc ends the match for both; both replays
# agree and reproduce, and the board lists the match with its replay. Then:
# a third player refused by a full room, and the relay killed mid-match (both
# players are told within the 3-second silence rule).
source "$(dirname "$0")/../platform_e2e/e2e_lib.bash"

e2e_start_wm
e2e_prepare
for g in game2 game3 game4; do cp -r "$E2E_GAME" "$E2E_TMP/$g"; done
trap 'e2e_stop_children; kill "$E2E_WM" 2> /dev/null; wait "$E2E_WM" 2> /dev/null; e2e_cleanup' EXIT

free_port() {  # free_port tcp|udp
  python3 -c "import socket,sys; s=socket.socket(socket.AF_INET, socket.SOCK_STREAM if sys.argv[1]=='tcp' else socket.SOCK_DGRAM); s.bind(('127.0.0.1',0)); print(s.getsockname()[1])" "$1"
}

# The board with its relay, on ports the test picks.
start_board() {
  HTTP_PORT=$(free_port tcp)
  RELAY_PORT=$(free_port udp)
  "$E2E_BUILD/zazo-scores" --db "sqlite:$E2E_TMP/board.sqlite" --port "$HTTP_PORT" \
    --relay-port "$RELAY_PORT" --relay-listen 127.0.0.1 --assets "$E2E_BUILD/" --rate-limit 0 \
    2>> "$E2E_TMP/board.log" &
  BOARD_PID=$!
  E2E_CHILDREN+=("$BOARD_PID")
  e2e_wait_log "$E2E_TMP/board.log" "relay on UDP 127.0.0.1:$RELAY_PORT" 10
  e2e_wait_log "$E2E_TMP/board.log" "listening on 127.0.0.1:$HTTP_PORT" 10
  BOARD="http://127.0.0.1:$HTTP_PORT"
}

# game DIR TAG ARGS...: starts a program there, its output in TAG.log.
game() {
  local dir=$1 tag=$2
  shift 2
  (cd "$dir" && exec env SDL_AUDIODRIVER=dummy ./zazo-puzzle --board "$BOARD" "$@") \
    > "$E2E_TMP/$tag.log" 2>&1 &
  LAST_PID=$!
  E2E_CHILDREN+=("$LAST_PID")
}

# start_pair TAG: a room made and joined; sets CODE HOST_PID JOIN_PID.
start_pair() {
  local tag=$1
  rm -rf "$E2E_GAME/save/replays" "$E2E_TMP/game2/save/replays"
  game "$E2E_GAME" "host-$tag" --create-room --name ホスト
  HOST_PID=$LAST_PID
  CODE=$(e2e_wait_log "$E2E_TMP/host-$tag.log" "^room [2-9A-HJ-NP-Z]{6}$" 15 | cut -d' ' -f2)
  echo "room $CODE"
  game "$E2E_TMP/game2" "join-$tag" --join "$(tr 'A-Z' 'a-z' <<< "$CODE")" --name ゲスト
  JOIN_PID=$LAST_PID
  e2e_wait_log "$E2E_TMP/host-$tag.log" "match 1 started, side 1" 15
  e2e_wait_log "$E2E_TMP/join-$tag.log" "match 1 started, side 2" 15
}

start_board

# ---- a match through the relay, watched, left with Esc ----
start_pair a
game "$E2E_TMP/game3" spectator --spectate "$CODE" --name 観客
e2e_wait_log "$E2E_TMP/spectator.log" "room $CODE: watching" 10
HOST_WIN=$(e2e_window_of "$HOST_PID") || e2e_fail "no host window"
JOIN_WIN=$(e2e_window_of "$JOIN_PID") || e2e_fail "no joining window"
e2e_keys_then_leave a
e2e_match_replays "$E2E_GAME" "$E2E_TMP/game2"
# The spectator followed the match to its end.
e2e_wait_log "$E2E_TMP/spectator.log" "match ended" 10
# The board keeps the match: listed with its replay, the players' very file.
for ((i = 0; i < 300; i++)); do
  curl -s "$BOARD/score/matches/" | grep -q "$CODE" && break
  sleep 0.1
done
page=$(curl -s "$BOARD/score/matches/")
grep -q "ホスト" <<< "$page" && grep -q "$CODE" <<< "$page" || e2e_fail "the board does not list the match"
link=$(grep -oE '/score/matches/[0-9]+\.zzr' <<< "$page" | head -n 1)
curl -s "$BOARD$link" > "$E2E_TMP/kept.zzr"
cmp -s "$E2E_TMP/kept.zzr" "$HOST_REPLAY" || e2e_fail "the kept replay is not the players' replay"
# The title's meeting menu: O opens it, the third row makes a room.
game "$E2E_TMP/game4" menu --name メニュー
MENU_PID=$LAST_PID
MENU_WIN=$(e2e_window_of "$MENU_PID") || e2e_fail "no window for the menu"
for k in o Down Down Return; do xdotool key --window "$MENU_WIN" "$k"; done
e2e_wait_log "$E2E_TMP/menu.log" "^room [2-9A-HJ-NP-Z]{6}$" 10
e2e_stop_children

# ---- a full room, and the relay killed mid-match ----
start_board
start_pair b
game "$E2E_TMP/game4" third --join "$CODE" --name 三人目
e2e_wait_log "$E2E_TMP/third.log" "already has two players" 10
kill -0 "$LAST_PID" || e2e_fail "the refused program ended"
kill -9 "$BOARD_PID"
killed=$(date +%s%N)
e2e_wait_log "$E2E_TMP/host-b.log" "応答がありません|接続が切れました" 6
e2e_wait_log "$E2E_TMP/join-b.log" "応答がありません|接続が切れました" 6
took=$((($(date +%s%N) - killed) / 1000000))
echo "both players were told $took ms after the relay was killed"
[ "$took" -le 4500 ] || e2e_fail "the players were told only after $took ms"
kill -0 "$HOST_PID" && kill -0 "$JOIN_PID" || e2e_fail "a program ended with the relay"
echo "room match: meeting by code, keys, spectator, leave, replays, kept match, full room and a killed relay as expected"
