#!/usr/bin/env bash
# Start-up time and peak memory of the real program with hostile files in
# place: how long until its window (or its warning box) appears.
#
#   bash bench/hostile_startup.sh BUILD_DIR [PROGRAM] [GIB_OF_BLANKS]
#
# Cases: the normal files; bg.bmp as a run-length picture of 4096 x 4096
# (within every limit: the memory decoding takes); save/score.dat made of GIB_OF_BLANKS (default 2)
# GiB of spaces before "42"; the nine pictures replaced by 530 KB run-length
# BMPs that claim 16384 x 4096 pixels each. PROGRAM defaults to the build's
# zazo-puzzle (give an older build's to compare). Runs under xvfb-run.
set -u
build=$(cd "$1" && pwd)
program=${2:-$build/zazo-puzzle}
gib=${3:-2}
if [ -z "${ZAZO_BENCH_DISPLAY_UP:-}" ]; then
  export ZAZO_BENCH_DISPLAY_UP=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

tmp=$(mktemp -d /tmp/zazo-hostile-bench.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

fresh_game() {
  rm -rf "$tmp/game"
  mkdir -p "$tmp/game/save"
  cp "$program" "$tmp/game/zazo-puzzle"
  cp -r "$build/graph" "$build/system" "$tmp/game/"
}

# Whether a window titled "Zazo Puzzle" or "警告" is on the screen (the
# program creates its window hidden and shows it after loading).
shown() {
  local id
  for id in $(xwininfo -root -tree 2> /dev/null | grep -E '"(Zazo Puzzle|警告)":' | awk '{print $1}'); do
    xwininfo -id "$id" 2> /dev/null | grep -q "IsViewable" && return 0
  done
  return 1
}

# ms until the window or the warning box is shown, and the peak resident
# memory then; the program is ended afterwards.
measure() {
  local name=$1 start pid ms=timeout peak=?
  start=$(date +%s%N)
  (cd "$tmp/game" && exec env SDL_AUDIODRIVER=dummy ./zazo-puzzle) > "$tmp/log" 2>&1 &
  pid=$!
  for ((i = 0; i < 12000; i++)); do
    if shown; then
      ms=$((($(date +%s%N) - start) / 1000000))
      peak=$(awk '/VmHWM/ {print $2 / 1024 " MiB"}' "/proc/$pid/status")
      break
    fi
    sleep 0.005
  done
  kill -9 "$pid" 2> /dev/null
  wait "$pid" 2> /dev/null
  echo "$name: window after $ms ms, peak memory $peak"
}

fresh_game
measure "normal files"

# A run-length BMP of w x h pixels whose runs of 255 cover `runs` * 255 of them.
rle_bmp() {
  python3 - "$@" << 'PY'
import struct, sys
path, w, h, runs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
rows = bytes([255, 1]) * runs + bytes([0, 1])
offset = 14 + 40 + 8
head = b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1, len(rows), 2835, 2835, 2, 0)
open(path, "wb").write(head + info + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + rows)
PY
}

fresh_game
rle_bmp "$tmp/game/graph/bg.bmp" 4096 4096 65800
measure "bg.bmp of 4096 x 4096 (run-length)"

fresh_game
python3 - "$tmp/game/save/score.dat" "$gib" << 'PY'
import sys
with open(sys.argv[1], "wb") as f:
    block = b" " * (1 << 20)
    for _ in range(int(float(sys.argv[2]) * 1024)):
        f.write(block)
    f.write(b"42\r\n")
PY
measure "score.dat of $gib GiB of blanks"

fresh_game
for name in info item label title gauge score score2 bg bom; do
  rle_bmp "$tmp/game/graph/$name.bmp" 16384 4096 270000
done
measure "nine 16384 x 4096 run-length pictures"
