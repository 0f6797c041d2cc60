#!/usr/bin/env bash
# The game's whole CPU use against the least an SDL2 program needs to show
# 640 x 480 every 16 ms: the game in play and the bare loop (bare-loop,
# built from bench/bare_loop.cpp) run side by side in one Xvfb with openbox
# for the same period; their CPU time comes from /proc/PID/stat.
#
#   bash bench/process_ratio.sh BUILD_DIR [SECONDS] [PROGRAM]
#
# SECONDS defaults to 20. PROGRAM defaults to the build's zazo-puzzle (give
# an older build's to compare). The game runs from a private copy of its
# folders; a single-player game is started with '4' and restarted with '7'
# every few seconds, so it never leaves play. The sound environment is left
# as it is (set SDL_AUDIODRIVER=dummy to measure a mixing sound device on a
# machine without a sound card). Prints both percentages of one core and the
# ratio game / bare loop.
set -u
build=$(cd "$1" && pwd)
seconds=${2:-20}
program=${3:-$build/zazo-puzzle}
if [ -z "${ZAZO_BENCH_DISPLAY_UP:-}" ]; then
  command -v xvfb-run > /dev/null || {
    echo "xvfb-run is missing (scripts/install-deps.sh installs it)"
    exit 1
  }
  export ZAZO_BENCH_DISPLAY_UP=1
  exec xvfb-run -a -n $((100 + $$ % 5000)) -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
for tool in openbox xdotool xwininfo xprop; do
  command -v "$tool" > /dev/null || {
    echo "$tool is missing (scripts/install-deps.sh installs it)"
    exit 1
  }
done
[ -x "$build/bare-loop" ] || {
  echo "no $build/bare-loop (cmake --build $build --target bare-loop)"
  exit 1
}

tmp=$(mktemp -d /tmp/zazo-ratio-bench.XXXXXX)
wm="" bare="" game=""
stop() {
  local pid
  for pid in $game $bare $wm; do
    kill "$pid" 2> /dev/null
    wait "$pid" 2> /dev/null
  done
  rm -rf "$tmp"
}
trap stop EXIT

openbox > "$tmp/openbox.log" 2>&1 &
wm=$!
for ((i = 0; i < 100; i++)); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
  sleep 0.1
done

mkdir -p "$tmp/game/save"
cp "$program" "$tmp/game/zazo-puzzle"
cp -r "$build/graph" "$tmp/game/"
[ -d "$build/system" ] && cp -r "$build/system" "$tmp/game/"

# window TITLE: the id of the top-level window with that title, waited for.
window() {
  local line
  for ((i = 0; i < 200; i++)); do
    line=$(xwininfo -root -tree 2> /dev/null | grep -F "\"$1\":" | head -n 1)
    if [ -n "$line" ]; then
      echo "$line" | awk '{print $1}'
      return 0
    fi
    sleep 0.1
  done
  return 1
}

"$build/bare-loop" > "$tmp/bare.log" 2>&1 &
bare=$!
(cd "$tmp/game" && exec ./zazo-puzzle) > "$tmp/game.log" 2>&1 &
game=$!
window "Bare Loop" > /dev/null || {
  echo "the bare loop shows no window"
  cat "$tmp/bare.log"
  exit 1
}
wid=$(window "Zazo Puzzle") || {
  echo "the game shows no window"
  cat "$tmp/game.log"
  exit 1
}
xdotool key --window "$wid" 4
sleep 2  # the title slides away; the game is in play

# cpu PID: user + system clock ticks of the whole process, all its threads.
cpu() {
  awk '{print $14 + $15}' "/proc/$1/stat"
}
ticks=$(getconf CLK_TCK)
bare0=$(cpu "$bare") game0=$(cpu "$game") t0=$(date +%s%N)
end=$(($(date +%s) + seconds))
last=$(date +%s)
while (($(date +%s) < end)); do
  kill -0 "$game" 2> /dev/null || {
    echo "the game ended during the run"
    cat "$tmp/game.log"
    exit 1
  }
  if (($(date +%s) - last >= 5)); then
    # A fresh game before this one can end; a move keeps the keys busy.
    xdotool key --window "$wid" 7 d
    last=$(date +%s)
  fi
  sleep 0.5
done
bare1=$(cpu "$bare") game1=$(cpu "$game") t1=$(date +%s%N)

awk -v b=$((bare1 - bare0)) -v g=$((game1 - game0)) -v ns=$((t1 - t0)) -v hz="$ticks" 'BEGIN {
  s = ns / 1e9
  bp = 100 * b / hz / s
  gp = 100 * g / hz / s
  printf "over %.1f s: bare loop %.1f %% of a core, game in play %.1f %%, ratio %.2f\n", s, bp, gp, (bp > 0 ? gp / bp : 0)
}'
