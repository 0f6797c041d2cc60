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
PIDS=()
stop_all() {
  local p
  for p in "${PIDS[@]}"; do kill -9 "$p" 2> /dev/null; done
  for p in "${PIDS[@]}"; do wait "$p" 2> /dev/null; done
  PIDS=()
}
trap 'stop_all; kill "$E2E_WM" 2> /dev/null; wait "$E2E_WM" 2> /dev/null; e2e_cleanup' EXIT

# wait_log FILE REGEX SECONDS: waits for a line; prints it.
wait_log() {
  local i
  for ((i = 0; i < $3 * 20; i++)); do
    if grep -qE "$2" "$1" 2> /dev/null; then
      grep -E "$2" "$1" | head -n 1
      return 0
    fi
    sleep 0.05
  done
  echo "--- $1 ---"
  cat "$1"
  e2e_fail "no line /$2/ in $1 within $3 s"
}

# window_of PID: the game window of that process.
window_of() {
  local i w tree
  for ((i = 0; i < 100; i++)); do
    tree=$(xwininfo -root -tree 2> /dev/null | grep -F '"Zazo Puzzle":')
    for w in $(xdotool search --pid "$1" 2> /dev/null); do
      if grep -q "$(printf '0x%x ' "$w")" <<< "$tree"; then
        echo "$w"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

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
  PIDS+=("$BOARD_PID")
  wait_log "$E2E_TMP/board.log" "relay on UDP 127.0.0.1:$RELAY_PORT" 10
  wait_log "$E2E_TMP/board.log" "listening on 127.0.0.1:$HTTP_PORT" 10
  BOARD="http://127.0.0.1:$HTTP_PORT"
}

# game DIR TAG ARGS...: starts a program there, its output in TAG.log.
game() {
  local dir=$1 tag=$2
  shift 2
  (cd "$dir" && exec env SDL_AUDIODRIVER=dummy ./zazo-puzzle --board "$BOARD" "$@") \
    > "$E2E_TMP/$tag.log" 2>&1 &
  LAST_PID=$!
  PIDS+=("$LAST_PID")
}

# start_pair TAG: a room made and joined; sets CODE HOST_PID JOIN_PID.
start_pair() {
  local tag=$1
  rm -rf "$E2E_GAME/save/replays" "$E2E_TMP/game2/save/replays"
  game "$E2E_GAME" "host-$tag" --create-room --name ホスト
  HOST_PID=$LAST_PID
  CODE=$(wait_log "$E2E_TMP/host-$tag.log" "^room [2-9A-HJ-NP-Z]{6}$" 15 | cut -d' ' -f2)
  echo "room $CODE"
  game "$E2E_TMP/game2" "join-$tag" --join "$(tr 'A-Z' 'a-z' <<< "$CODE")" --name ゲスト
  JOIN_PID=$LAST_PID
  wait_log "$E2E_TMP/host-$tag.log" "match 1 started, side 1" 15
  wait_log "$E2E_TMP/join-$tag.log" "match 1 started, side 2" 15
}

start_board

# ---- a match through the relay, watched, left with Esc ----
start_pair a
game "$E2E_TMP/game3" spectator --spectate "$CODE" --name 観客
wait_log "$E2E_TMP/spectator.log" "room $CODE: watching" 10
HOST_WIN=$(window_of "$HOST_PID") || e2e_fail "no host window"
JOIN_WIN=$(window_of "$JOIN_PID") || e2e_fail "no joining window"
for k in d d d; do xdotool key --window "$HOST_WIN" "$k"; done
for k in d d; do xdotool key --window "$JOIN_WIN" "$k"; done
sleep 1  # the keys travel the input delay and the relay
xdotool key --window "$JOIN_WIN" Escape
wait_log "$E2E_TMP/join-a.log" "対戦を終了しました" 5
wait_log "$E2E_TMP/host-a.log" "相手が退出しました" 5
kill -0 "$HOST_PID" && kill -0 "$JOIN_PID" || e2e_fail "a program ended with the match"
for dir in "$E2E_GAME" "$E2E_TMP/game2"; do
  for ((i = 0; i < 50; i++)); do
    ls "$dir"/save/replays/*.zzr > /dev/null 2>&1 && break
    sleep 0.1
  done
done
host_replay=$(ls "$E2E_GAME"/save/replays/*.zzr 2> /dev/null | head -n 1)
join_replay=$(ls "$E2E_TMP"/game2/save/replays/*.zzr 2> /dev/null | head -n 1)
[ -n "$host_replay" ] && [ -n "$join_replay" ] || e2e_fail "a player wrote no replay"
cmp -s "$host_replay" "$join_replay" || e2e_fail "the two replays differ"
"$E2E_BUILD/zazo-replay" --summary "$host_replay" > /dev/null || e2e_fail "the replay does not reproduce"
[ "$(grep -cE '^i [0-9]+ k 68 0$' "$host_replay")" = 3 ] || e2e_fail "the host's keys are not side 1's D"
[ "$(grep -cE '^i [0-9]+ k 75 0$' "$host_replay")" = 2 ] || e2e_fail "the joining keys are not side 2's K"
"$E2E_BUILD/zazo-replay" --dump-every 100000 "$host_replay" > "$E2E_TMP/dump.txt" 2>&1
[ "$(grep -E '^cursorX ' "$E2E_TMP/dump.txt" | tail -n 1)" = "cursorX 3" ] ||
  e2e_fail "the side not on turn moved the cursor"
# The spectator followed the match to its end.
wait_log "$E2E_TMP/spectator.log" "match ended" 10
# The board keeps the match: listed with its replay, the players' very file.
for ((i = 0; i < 300; i++)); do
  curl -s "$BOARD/score/matches/" | grep -q "$CODE" && break
  sleep 0.1
done
page=$(curl -s "$BOARD/score/matches/")
grep -q "ホスト" <<< "$page" && grep -q "$CODE" <<< "$page" || e2e_fail "the board does not list the match"
link=$(grep -oE '/score/matches/[0-9]+\.zzr' <<< "$page" | head -n 1)
curl -s "$BOARD$link" > "$E2E_TMP/kept.zzr"
cmp -s "$E2E_TMP/kept.zzr" "$host_replay" || e2e_fail "the kept replay is not the players' replay"
# The title's meeting menu: O opens it, the third row makes a room.
game "$E2E_TMP/game4" menu --name メニュー
MENU_PID=$LAST_PID
MENU_WIN=$(window_of "$MENU_PID") || e2e_fail "no window for the menu"
for k in o Down Down Return; do xdotool key --window "$MENU_WIN" "$k"; done
wait_log "$E2E_TMP/menu.log" "^room [2-9A-HJ-NP-Z]{6}$" 10
stop_all
PIDS=()

# ---- a full room, and the relay killed mid-match ----
start_board
start_pair b
game "$E2E_TMP/game4" third --join "$CODE" --name 三人目
wait_log "$E2E_TMP/third.log" "already has two players" 10
kill -0 "$LAST_PID" || e2e_fail "the refused program ended"
kill -9 "$BOARD_PID"
killed=$(date +%s%N)
wait_log "$E2E_TMP/host-b.log" "応答がありません|接続が切れました" 6
wait_log "$E2E_TMP/join-b.log" "応答がありません|接続が切れました" 6
took=$((($(date +%s%N) - killed) / 1000000))
echo "both players were told $took ms after the relay was killed"
[ "$took" -le 4500 ] || e2e_fail "the players were told only after $took ms"
kill -0 "$HOST_PID" && kill -0 "$JOIN_PID" || e2e_fail "a program ended with the relay"
echo "room match: meeting by code, keys, spectator, leave, replays, kept match, full room and a killed relay as expected"
