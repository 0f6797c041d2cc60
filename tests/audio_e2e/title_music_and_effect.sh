#!/usr/bin/env bash
# End to end: the real program under Xvfb with SDL's disk audio driver.
# Starts a normal game ('4'), goes back to the title ('8'), where the title
# music fades in, then presses '1' (a display toggle, which sounds effect 0).
# Checks in the recorded output that the title music is audible and that
# the key added the effect. Effect 0 is our own test tone (7,350 Hz) so that
# it can be told apart from the music.
#   bash title_music_and_effect.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$2" && pwd)
BIN="$BUILD/zazo-puzzle"

if [[ ! -f "$SRC/src/platform/zazo_puzzle_main.cpp" ]]; then
  echo "SKIP: the program itself is not part of the tree yet"; exit 0
fi
if [[ ! -x "$BIN" ]]; then
  echo "FAIL: $BIN not built"; exit 1
fi
# The music comes from the asset generator; without it there is nothing to hear.
for f in system/nil.ogg system/bgm_a_01.ogg; do
  if [[ ! -f "$BUILD/$f" ]]; then echo "SKIP: $BUILD/$f not generated"; exit 0; fi
done
[[ -f "$BUILD/graph/title.bmp" ]] || { echo "FAIL: $BUILD/graph missing"; exit 1; }
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool not installed"; exit 1; }
done

WORK=$(mktemp -d /tmp/zazo-audio-e2e-XXXXXX)
XPID=""; GPID=""
cleanup() {
  [[ -n "$GPID" ]] && kill "$GPID" 2>/dev/null || true
  [[ -n "$XPID" ]] && kill "$XPID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# A program folder of our own: the binary, the pictures, the two tracks, and
# only effect 0, a pure tone.
mkdir -p "$WORK/prog/system" "$WORK/prog/save"
cp "$BIN" "$WORK/prog/"
cp -r "$BUILD/graph" "$WORK/prog/"
cp "$BUILD/system/nil.ogg" "$BUILD/system/bgm_a_01.ogg" "$WORK/prog/system/"
python3 - "$WORK/prog/system/00.wav" <<'PY'
import math, struct, sys, wave
w = wave.open(sys.argv[1], "wb")
w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
w.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * i / 6)))
                       for i in range(int(0.4 * 44100))))
w.close()
PY

# Xvfb picks a free display number itself and writes it to the pipe once
# it takes connections, so a check running beside this one never shares it.
command -v xdpyinfo >/dev/null || { echo "FAIL: xdpyinfo not installed"; exit 1; }
mkfifo "$WORK/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/displayfd" >"$WORK/xvfb.log" 2>&1 &
XPID=$!
DISPLAY_NUM=""
read -r -t 60 DISPLAY_NUM <"$WORK/displayfd" || true
[[ -n "$DISPLAY_NUM" ]] || { echo "FAIL: Xvfb gave no display number within 60 s"; cat "$WORK/xvfb.log"; exit 1; }
export DISPLAY=:$DISPLAY_NUM
for ((i = 0; ; i++)); do
  xdpyinfo >/dev/null 2>&1 && break
  ((i < 600)) || { echo "FAIL: the X server on $DISPLAY took no connection within 60 s"; exit 1; }
  sleep 0.1
done

RAW="$WORK/out.raw"
now() { date +%s.%N; }
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$RAW" SDL_VIDEODRIVER=x11 \
  "$WORK/prog/zazo-puzzle" >"$WORK/stdout" 2>"$WORK/stderr" &
GPID=$!
T0=$(now)
# (the name search misses the title SDL sets; the class is the program name)
WID=$(timeout 60 xdotool search --sync --classname zazo-puzzle | head -1)
[[ -n "$WID" ]] || { echo "FAIL: no window"; cat "$WORK/stderr"; exit 1; }
key() {
  xdotool windowfocus --sync "$WID" 2>/dev/null || true
  xdotool key --window "$WID" "$1" 2>/dev/null || xdotool key "$1"
}
sleep 2
key 4; T4=$(now)
sleep 3
key 8; T8=$(now)
sleep 5
key 1; T1=$(now)
sleep 2
key Escape
for _ in $(seq 40); do kill -0 "$GPID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$GPID" 2>/dev/null; then echo "FAIL: program did not exit after Esc"; exit 1; fi
wait "$GPID"; STATUS=$?; GPID=""
[[ $STATUS -eq 0 ]] || { echo "FAIL: exit status $STATUS"; cat "$WORK/stderr"; exit 1; }

python3 - "$RAW" "$T0" "$T4" "$T8" "$T1" <<'PY'
import array, math, sys
raw, t0, t4, t8, t1 = sys.argv[1], *map(float, sys.argv[2:])
s = array.array("h")
with open(raw, "rb") as f:
    s.frombytes(f.read())
left = s[0::2]
rate = 44100
print(f"recorded {len(left) / rate:.2f} s; keys at 4: {t4 - t0:.2f} s, 8: {t8 - t0:.2f} s, 1: {t1 - t0:.2f} s")
N = 2048
coeff = 2 * math.cos(2 * math.pi / 6)
def tone(seg):  # Goertzel magnitude at 7,350 Hz
    a = b = 0.0
    for x in seg:
        a, b = x + coeff * a - b, a
    return math.sqrt(max(a * a + b * b - coeff * a * b, 0.0))
def rms(seg):
    return math.sqrt(sum(x * x for x in seg) / max(len(seg), 1))
win = [(i / rate, tone(left[i:i + N])) for i in range(0, len(left) - N, N)]
full = N * 12000 / 2
bursts = []
for t, m in win:
    if m > 0.3 * full and (not bursts or t - bursts[-1] > 0.5):
        bursts.append(t)
print("effect 0 heard at", ", ".join(f"{t:.2f} s" for t in bursts) or "no time")
# The recording starts when the device opens, after the program has started
# by a time that a busy machine or a sanitizer build stretches to a second or
# more. '4' plays effect 1 (absent here, so silent), '8' and '1' effect 0:
# exactly two bursts, as far apart as the two keys, and the first one tells
# where the recording stands against the clock.
ok = True
if len(bursts) != 2:
    print(f"FAIL: effect 0 heard {len(bursts)} times, expected twice ('8', then '1')"); ok = False
elif abs((bursts[1] - bursts[0]) - (t1 - t8)) > 0.5:
    print("FAIL: effect 0 not heard when '1' was pressed"); ok = False
else:
    t0 = t8 - bursts[0]
    print(f"the recording started {t0 - float(sys.argv[2]):.2f} s after the program")
# Title music: after the 3 s fade-in that follows '8', before '1'.
a, b = int((t8 - t0 + 3.3) * rate), int((t1 - t0 - 0.2) * rate)
title = rms(left[a:b])
# (the game's track starts after the 61-frame slide and one refill half)
game = rms(left[int((t4 - t0 + 1.6) * rate):int((t8 - t0 - 0.2) * rate)])
first = rms(left[int(0.5 * rate):int((t4 - t0 - 0.2) * rate)])
print(f"music level (RMS): first title {first:.0f}, game {game:.0f}, title after the game {title:.0f}")
if b - a < rate or title < 300:
    print("FAIL: the title music is not audible"); ok = False
if game < 300:
    print("FAIL: the game music is not audible"); ok = False
print("PASS" if ok else "FAILED")
sys.exit(0 if ok else 1)
PY
