#!/usr/bin/env bash
# Two real programs play a direct match through the link simulator on one
# virtual display: the host waits (--host 0), the other joins through the
# simulator (--join). Keys sent to each window act for that player's side
# only, on its turn; Esc in one window ends the match for both; both write
# the same versus replay, which reproduces. Then a second pair: the joining
# program killed with SIGKILL mid-match ends the host's match within the
# 3-second silence rule, and the host's replay is kept.
source "$(dirname "$0")/../platform_e2e/e2e_lib.bash"

e2e_start_wm
e2e_prepare
SIM="$E2E_BUILD/zazo-link-sim"
[ -x "$SIM" ] || e2e_fail "no $SIM"
cp -r "$E2E_GAME" "$E2E_TMP/game2"
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

# start_pair TAG: a host and a joining program through a fresh simulator;
# sets HOST_PID JOIN_PID HOST_WIN JOIN_WIN.
start_pair() {
  local tag=$1 port simport
  rm -rf "$E2E_GAME/save/replays" "$E2E_TMP/game2/save/replays"
  (cd "$E2E_GAME" && exec env SDL_AUDIODRIVER=dummy ./zazo-puzzle --host 0 --name ホスト) \
    > "$E2E_TMP/host-$tag.log" 2>&1 &
  HOST_PID=$!
  PIDS+=("$HOST_PID")
  port=$(wait_log "$E2E_TMP/host-$tag.log" "on UDP port [0-9]+" 10 | sed -E 's/.*port ([0-9]+).*/\1/')
  "$SIM" --target "127.0.0.1:$port" --delay-ms 15 --jitter-ms 3 --max-seconds 120 \
    > "$E2E_TMP/sim-$tag.out" 2>&1 &
  PIDS+=("$!")
  simport=$(wait_log "$E2E_TMP/sim-$tag.out" "^port [0-9]+" 5 | sed -E 's/port //')
  (cd "$E2E_TMP/game2" && exec env SDL_AUDIODRIVER=dummy ./zazo-puzzle --join "127.0.0.1:$simport" \
    --name ゲスト) > "$E2E_TMP/join-$tag.log" 2>&1 &
  JOIN_PID=$!
  PIDS+=("$JOIN_PID")
  wait_log "$E2E_TMP/host-$tag.log" "match 1 started, side 1" 15
  wait_log "$E2E_TMP/join-$tag.log" "match 1 started, side 2" 15
  wait_log "$E2E_TMP/join-$tag.log" "opponent ホスト" 1
  HOST_WIN=$(window_of "$HOST_PID") || e2e_fail "no host window"
  JOIN_WIN=$(window_of "$JOIN_PID") || e2e_fail "no joining window"
}

# ---- a match played and left with Esc ----
start_pair a
# The match's bar over the bottom right of each picture: a green mark for a
# good link at frame pixel (450, 469).
for win in "$HOST_WIN" "$JOIN_WIN"; do
  read -r wx wy < <(xwininfo -id "$win" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {print x, $4}')
  mark=""
  for ((i = 0; i < 30; i++)); do
    e2e_shot "$E2E_TMP/bar.png" "$((wx + 440))" "$((wy + 460))" 200 20
    mark=$(e2e_pixel "$E2E_TMP/bar.png" 10 9)
    [ "$mark" = "70,220,90" ] && break
    sleep 0.1
  done
  [ "$mark" = "70,220,90" ] || e2e_fail "no green connection mark in the match bar (pixel $mark)"
done
# Side 1 has the first turn: the host's d moves its cursor; the joining
# player's d arrives as side 2's K and moves nothing.
for k in d d d; do xdotool key --window "$HOST_WIN" "$k"; done
for k in d d; do xdotool key --window "$JOIN_WIN" "$k"; done
# The keys travel a tick's input delay and the link; give them a moment.
sleep 1
xdotool key --window "$JOIN_WIN" Escape
wait_log "$E2E_TMP/join-a.log" "対戦を終了しました" 5
wait_log "$E2E_TMP/host-a.log" "相手が退出しました" 5
# Both programs stay, back on the title.
kill -0 "$HOST_PID" && kill -0 "$JOIN_PID" || e2e_fail "a program ended with the match"

for dir in "$E2E_GAME" "$E2E_TMP/game2"; do
  for ((i = 0; i < 50; i++)); do
    ls "$dir"/save/replays/*.zzr > /dev/null 2>&1 && break
    sleep 0.1
  done
done
host_replay=$(ls "$E2E_GAME"/save/replays/*.zzr 2> /dev/null | head -n 1)
join_replay=$(ls "$E2E_TMP"/game2/save/replays/*.zzr 2> /dev/null | head -n 1)
[ -n "$host_replay" ] || e2e_fail "the host wrote no replay"
[ -n "$join_replay" ] || e2e_fail "the joining program wrote no replay"
cmp -s "$host_replay" "$join_replay" || {
  diff "$host_replay" "$join_replay" | head -n 20
  e2e_fail "the two replays differ"
}
grep -q "^game versus2$" "$host_replay" || e2e_fail "not a two-person versus replay"
summary=$("$E2E_BUILD/zazo-replay" --summary "$host_replay") || e2e_fail "the replay does not reproduce: $summary"
echo "replay: $summary"
# Three side-1 D keys and two side-2 K keys, as the game received them.
[ "$(grep -cE '^i [0-9]+ k 68 0$' "$host_replay")" = 3 ] || e2e_fail "the host's keys are not side 1's D"
[ "$(grep -cE '^i [0-9]+ k 75 0$' "$host_replay")" = 2 ] || e2e_fail "the joining keys are not side 2's K"
# Only the side on turn moved: the cursor went 3 cells right, not 5.
"$E2E_BUILD/zazo-replay" --dump-every 100000 "$host_replay" > "$E2E_TMP/dump.txt" 2>&1
cursor=$(grep -E "^cursorX " "$E2E_TMP/dump.txt" | tail -n 1)
[ "$cursor" = "cursorX 3" ] || e2e_fail "after the keys the cursor is '$cursor', not 3"
stop_all

# ---- the joining program killed mid-match ----
start_pair b
sleep 0.5
kill -9 "$JOIN_PID"
killed=$(date +%s%N)
wait_log "$E2E_TMP/host-b.log" "応答がありません|接続が切れました" 6
took=$((($(date +%s%N) - killed) / 1000000))
echo "the host ended the match $took ms after its opponent was killed"
[ "$took" -le 4500 ] || e2e_fail "the match ended only after $took ms"
for ((i = 0; i < 50; i++)); do
  ls "$E2E_GAME"/save/replays/*.zzr > /dev/null 2>&1 && break
  sleep 0.1
done
host_replay=$(ls "$E2E_GAME"/save/replays/*.zzr 2> /dev/null | head -n 1)
[ -n "$host_replay" ] || e2e_fail "the host's replay was not kept"
"$E2E_BUILD/zazo-replay" --summary "$host_replay" > /dev/null || e2e_fail "the kept replay does not reproduce"
kill -0 "$HOST_PID" || e2e_fail "the host ended with the match"
stop_all

# ---- the joining program closed mid-match (SIGTERM is a quit for SDL) ----
start_pair c
kill -TERM "$JOIN_PID"
wait_log "$E2E_TMP/host-c.log" "相手が退出しました" 5
for ((i = 0; i < 50; i++)); do
  kill -0 "$JOIN_PID" 2> /dev/null || break
  sleep 0.1
done
kill -0 "$JOIN_PID" 2> /dev/null && e2e_fail "the closed program did not end"
for ((i = 0; i < 50; i++)); do
  ls "$E2E_GAME"/save/replays/*.zzr > /dev/null 2>&1 && break
  sleep 0.1
done
host_replay=$(ls "$E2E_GAME"/save/replays/*.zzr 2> /dev/null | head -n 1)
join_replay=$(ls "$E2E_TMP"/game2/save/replays/*.zzr 2> /dev/null | head -n 1)
[ -n "$host_replay" ] && [ -n "$join_replay" ] || e2e_fail "a replay is missing after the window closed"
cmp -s "$host_replay" "$join_replay" || e2e_fail "the replays differ after the window closed"
echo "direct match: keys, leave, replays, a killed and a closed opponent as expected"
