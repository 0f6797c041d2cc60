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
trap 'e2e_stop_children; kill "$E2E_WM" 2> /dev/null; wait "$E2E_WM" 2> /dev/null; e2e_cleanup' EXIT

# start_pair TAG [NAME]: a host and a joining program through a fresh
# simulator; sets HOST_PID JOIN_PID HOST_WIN JOIN_WIN. The host is --name
# ホスト, or without --name and with NAME in its settings file.
start_pair() {
  local tag=$1 port simport shown=ホスト config
  config="$E2E_TMP/config-$tag"
  local name=(--name ホスト)
  mkdir -p "$config/zazo-puzzle"
  if [ -n "${2:-}" ]; then
    printf 'name = "%s"\n' "$2" > "$config/zazo-puzzle/settings.toml"
    name=()
    shown=$2
  fi
  rm -rf "$E2E_GAME/save/replays" "$E2E_TMP/game2/save/replays"
  (cd "$E2E_GAME" && exec env XDG_CONFIG_HOME="$config" USER=login SDL_AUDIODRIVER=dummy \
    ./zazo-puzzle --host 0 "${name[@]}") > "$E2E_TMP/host-$tag.log" 2>&1 &
  HOST_PID=$!
  E2E_CHILDREN+=("$HOST_PID")
  port=$(e2e_wait_log "$E2E_TMP/host-$tag.log" "on UDP port [0-9]+" 10 | sed -E 's/.*port ([0-9]+).*/\1/')
  "$SIM" --target "127.0.0.1:$port" --delay-ms 15 --jitter-ms 3 --max-seconds 120 \
    > "$E2E_TMP/sim-$tag.out" 2>&1 &
  E2E_CHILDREN+=("$!")
  simport=$(e2e_wait_log "$E2E_TMP/sim-$tag.out" "^port [0-9]+" 5 | sed -E 's/port //')
  (cd "$E2E_TMP/game2" && exec env SDL_AUDIODRIVER=dummy ./zazo-puzzle --join "127.0.0.1:$simport" \
    --name ゲスト) > "$E2E_TMP/join-$tag.log" 2>&1 &
  JOIN_PID=$!
  E2E_CHILDREN+=("$JOIN_PID")
  e2e_wait_log "$E2E_TMP/host-$tag.log" "match 1 started, side 1" 15
  e2e_wait_log "$E2E_TMP/join-$tag.log" "match 1 started, side 2" 15
  e2e_wait_log "$E2E_TMP/join-$tag.log" "opponent $shown " 1
  HOST_WIN=$(e2e_window_of "$HOST_PID") || e2e_fail "no host window"
  JOIN_WIN=$(e2e_window_of "$JOIN_PID") || e2e_fail "no joining window"
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
e2e_keys_then_leave a
e2e_match_replays "$E2E_GAME" "$E2E_TMP/game2"
grep -q "^game versus2$" "$HOST_REPLAY" || e2e_fail "not a two-person versus replay"
e2e_stop_children

# ---- the joining program killed mid-match (the host named by its settings) ----
start_pair b 設定の名前
sleep 0.5
kill -9 "$JOIN_PID"
killed=$(date +%s%N)
e2e_wait_log "$E2E_TMP/host-b.log" "応答がありません|接続が切れました" 6
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
e2e_stop_children

# ---- the joining program closed mid-match (SIGTERM is a quit for SDL) ----
start_pair c
kill -TERM "$JOIN_PID"
e2e_wait_log "$E2E_TMP/host-c.log" "相手が退出しました" 5
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
