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
# folders; a single-player game is started with '4', the cursor moves every
# two seconds, and '7' starts a fresh game every 100 s (left alone, a game
# from level 1 lasts over two minutes), so it never leaves play. The sound environment is left
# as it is (set SDL_AUDIODRIVER=dummy to measure a mixing sound device on a
# machine without a sound card). Prints both percentages of one core and the
# ratio game / bare loop, over the whole period and as the median of five
# windows (a busy machine shows as one odd window).
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
# The period in five windows: a busy machine's bursts show as one odd
# window, and the median of the five is printed beside the whole.
windows=5
bare_start=$(cpu "$bare") game_start=$(cpu "$game") t_start=$(date +%s%N)
last=$(date +%s) restarted=$(date +%s) move=d
: > "$tmp/windows"
for ((w = 0; w < windows; w++)); do
  b0=$(cpu "$bare") g0=$(cpu "$game") t0=$(date +%s%N)
  end=$((t0 + seconds * 1000000000 / windows))
  while (($(date +%s%N) < end)); do
    kill -0 "$game" 2> /dev/null || {
      echo "the game ended during the run"
      cat "$tmp/game.log"
      exit 1
    }
    if (($(date +%s) - restarted >= 100)); then
      xdotool key --window "$wid" 7  # a fresh game before this one can end
      restarted=$(date +%s)
    fi
    if (($(date +%s) - last >= 2)); then
      xdotool key --window "$wid" "$move"
      [ "$move" = d ] && move=a || move=d
      last=$(date +%s)
    fi
    sleep 0.2
  done
  echo "$(($(cpu "$bare") - b0)) $(($(cpu "$game") - g0)) $(($(date +%s%N) - t0))" >> "$tmp/windows"
done
bare_end=$(cpu "$bare") game_end=$(cpu "$game") t_end=$(date +%s%N)
echo "$((bare_end - bare_start)) $((game_end - game_start)) $((t_end - t_start))" >> "$tmp/windows"

awk -v hz="$ticks" -v n="$windows" '
  { s = $3 / 1e9; bp[NR] = 100 * $1 / hz / s; gp[NR] = 100 * $2 / hz / s
    r[NR] = bp[NR] > 0 ? gp[NR] / bp[NR] : 0; secs[NR] = s }
  END {
    line = "windows:"
    for (i = 1; i <= n; i++) { line = line sprintf(" %.2f", r[i]); m[i] = r[i] }
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (m[j] < m[i]) { t = m[i]; m[i] = m[j]; m[j] = t }
    print line
    printf "over %.1f s: bare loop %.1f %% of a core, game in play %.1f %%, ratio %.2f (median of the windows %.2f)\n", secs[n + 1], bp[n + 1], gp[n + 1], r[n + 1], m[(n + 1) / 2]
  }' "$tmp/windows"
