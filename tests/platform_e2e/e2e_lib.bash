# Shared steps of the end-to-end checks of the real program: a private copy
# of the program and its folders, a virtual X display, the window found by
# its title, real key presses and clicks, screenshots and pixel counts.
#
# Sourced by tests/platform_e2e/*.sh, which ctest runs as
#   bash script BUILD_DIR SOURCE_DIR
# Each script re-runs itself inside xvfb-run. It is skipped (exit 0, a line
# starting "skipped:") only when Xvfb itself is not installed. E2E_SCREEN
# (default 1024x768x24) sets the virtual screen.

E2E_BUILD=$(cd "$1" && pwd)
E2E_SOURCE=$(cd "$2" && pwd)

if [ -z "${ZAZO_E2E_DISPLAY_UP:-}" ]; then
  if ! command -v Xvfb > /dev/null || ! command -v xvfb-run > /dev/null; then
    echo "skipped: Xvfb is not installed (scripts/install-deps.sh installs it)"
    exit 0
  fi
  export ZAZO_E2E_DISPLAY_UP=1
  # xvfb-run -a takes the first display number without a lock file, so two
  # checks started together by ctest -j can pick the same one: start each
  # search at a number of its own.
  exec xvfb-run -a -n $((100 + $$ % 5000)) -s "-screen 0 ${E2E_SCREEN:-1024x768x24}" bash "$0" "$@"
fi

set -u

CONVERT=convert
COMPARE=compare
[ -x /usr/bin/convert ] && CONVERT=/usr/bin/convert
[ -x /usr/bin/compare ] && COMPARE=/usr/bin/compare

for tool in xdotool xwininfo xdpyinfo import "$CONVERT" "$COMPARE"; do
  if ! command -v "$tool" > /dev/null; then
    echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)"
    exit 1
  fi
done

# The X server must take connections before anything is started on it: on
# a loaded machine a program started too early says "no display found".
E2E_LIMIT=${E2E_LIMIT:-60}
e2e_wait_x() {
  local i
  for ((i = 0; ; i++)); do
    xdpyinfo > /dev/null 2>&1 && return 0
    if ((i >= E2E_LIMIT * 10)); then
      echo "FAIL: the X server on ${DISPLAY:-(no DISPLAY)} took no connection within $E2E_LIMIT s"
      exit 1
    fi
    sleep 0.1
  done
}
e2e_wait_x

E2E_TMP=$(mktemp -d /tmp/zazo-e2e.XXXXXX)
E2E_GAME="$E2E_TMP/game"
E2E_LOG="$E2E_TMP/program.log"
E2E_PID=""

e2e_cleanup() {
  if [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2> /dev/null; then
    # SDL turns SIGTERM into a quit event, which a program stuck in a modal
    # box never reads: give it two seconds, then kill it outright.
    kill "$E2E_PID" 2> /dev/null
    for ((i = 0; i < 20; i++)); do
      kill -0 "$E2E_PID" 2> /dev/null || break
      sleep 0.1
    done
    kill -9 "$E2E_PID" 2> /dev/null
    wait "$E2E_PID" 2> /dev/null
  fi
  if [ -n "${E2E_KEEP:-}" ]; then
    echo "kept: $E2E_TMP"
  else
    rm -rf "$E2E_TMP"
  fi
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL: $*"
  xdpyinfo > /dev/null 2>&1 || echo "(the X server on ${DISPLAY:-(no DISPLAY)} takes no connection now)"
  if [ -f "$E2E_LOG" ]; then
    echo "--- program output ---"
    cat "$E2E_LOG"
  fi
  E2E_KEEP=1
  exit 1
}

# e2e_start_wm: starts openbox on the virtual display, waits until it
# manages windows, and stops it when the script ends.
e2e_start_wm() {
  command -v openbox > /dev/null || e2e_fail "openbox is missing (scripts/install-deps.sh installs it)"
  command -v xprop > /dev/null || e2e_fail "xprop is missing (scripts/install-deps.sh installs it)"
  openbox > "$E2E_TMP/openbox.log" 2>&1 &
  E2E_WM=$!
  trap 'kill "$E2E_WM" 2> /dev/null; wait "$E2E_WM" 2> /dev/null; e2e_cleanup' EXIT
  local i
  for ((i = 0; i < 50; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
    sleep 0.1
  done
}

# The program and its folders, copied so that the build's own save/ is never
# touched. save/ starts empty.
e2e_prepare() {
  [ -x "$E2E_BUILD/zazo-puzzle" ] || e2e_fail "no program at $E2E_BUILD/zazo-puzzle"
  for f in info item label title gauge score score2 bg bom; do
    [ -f "$E2E_BUILD/graph/$f.bmp" ] || e2e_fail "no picture $E2E_BUILD/graph/$f.bmp (the build makes them)"
  done
  mkdir -p "$E2E_GAME/save"
  cp "$E2E_BUILD/zazo-puzzle" "$E2E_GAME/"
  cp -r "$E2E_BUILD/graph" "$E2E_GAME/"
  if [ -d "$E2E_BUILD/system" ]; then cp -r "$E2E_BUILD/system" "$E2E_GAME/"; fi
}

# e2e_launch DIR [ENV...]: starts the program from working directory DIR
# with the dummy audio driver and the extra environment given. Its settings
# live in $E2E_CONFIG (empty at first: the game as it starts by default)
# unless the environment given names another XDG_CONFIG_HOME.
E2E_CONFIG="$E2E_TMP/config"
e2e_launch() {
  local dir=$1
  shift
  e2e_wait_x
  (cd "$dir" && exec env XDG_CONFIG_HOME="$E2E_CONFIG" env "$@" SDL_AUDIODRIVER=dummy \
    "$E2E_GAME/zazo-puzzle") > "$E2E_LOG" 2>&1 &
  E2E_PID=$!
}

# e2e_window TITLE [SECONDS]: prints "id width height x y" of the top-level
# window with that exact title (also a UTF-8 one, which xdotool's name
# search misses), waiting for it up to SECONDS (default 10; any wait at all
# is stretched to E2E_LIMIT, as a loaded machine may take that long).
e2e_window() {
  local title=$1 limit=${2:-10} i line
  ((limit > 0 && limit < E2E_LIMIT)) && limit=$E2E_LIMIT
  for ((i = 0; i <= limit * 10; i++)); do
    line=$(xwininfo -root -tree 2> /dev/null | grep -F "\"$title\":" | head -n 1)
    if [ -n "$line" ]; then
      # 0x200008 "Zazo Puzzle": ("zazo-puzzle" "zazo-puzzle")  640x480+192+144  +192+144
      echo "$line" | sed -E 's/^ *(0x[0-9a-f]+) .* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+) *$/\1 \2 \3 \4 \5/'
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# e2e_gone TITLE [SECONDS]: succeeds once no window has that title.
e2e_gone() {
  local title=$1 limit=${2:-5} i
  ((limit < E2E_LIMIT)) && limit=$E2E_LIMIT
  for ((i = 0; i < limit * 10; i++)); do
    xwininfo -root -tree 2> /dev/null | grep -qF "\"$title\":" || return 0
    sleep 0.1
  done
  return 1
}

# e2e_shot FILE X Y W H: a screenshot of that part of the screen.
e2e_shot() {
  local file=$1 x=$2 y=$3 w=$4 h=$5
  import -window root "$E2E_TMP/root.png" || e2e_fail "screenshot failed"
  "$CONVERT" "$E2E_TMP/root.png" -crop "${w}x${h}+${x}+${y}" +repage "$file"
}

# e2e_diff A B: the number of pixels that differ by more than 10 %.
e2e_diff() {
  "$COMPARE" -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | sed -E 's/ .*//' | awk '{printf "%d\n", $1}'
}

# e2e_colours FILE: the number of distinct colours.
e2e_colours() {
  "$CONVERT" "$1" -format %k info:
}

# e2e_bright FILE: the number of pixels brighter than half.
e2e_bright() {
  "$CONVERT" "$1" -colorspace Gray -threshold 50% -format "%[fx:round(mean*w*h)]" info:
}

# e2e_pixel FILE X Y: "r,g,b" of one pixel, 0..255 each.
e2e_pixel() {
  "$CONVERT" "$1" -crop "1x1+$2+$3" +repage -depth 8 -format "%[fx:round(255*r)],%[fx:round(255*g)],%[fx:round(255*b)]" info:
}

# e2e_title_diff PNG: the number of pixels of a 640 x 480 picture that
# differ from the title picture. The key hints drawn over the title's
# top-left corner (Tab, C, O) are left out of the comparison in both.
e2e_title_diff() {
  local hints="rectangle 0,0 215,52"
  "$CONVERT" "$1" -fill black -draw "$hints" "$E2E_TMP/diff_shown.png"
  "$CONVERT" "$E2E_BUILD/graph/title.bmp" -crop 640x480+0+0 +repage -fill black -draw "$hints" \
    "$E2E_TMP/diff_title.png"
  e2e_diff "$E2E_TMP/diff_shown.png" "$E2E_TMP/diff_title.png"
}

# e2e_title_shown GEOMETRY: the number of pixels of the screen's part
# GEOMETRY (WxH+X+Y, the game picture), scaled back to 640 x 480, that
# differ from the title picture (e2e_title_diff).
e2e_title_shown() {
  e2e_shot "$E2E_TMP/shown.png" 0 0 "$(xwininfo -root | awk '/Width:/ {print $2}')" \
    "$(xwininfo -root | awk '/Height:/ {print $2}')"
  "$CONVERT" "$E2E_TMP/shown.png" -crop "$1" +repage -filter box -resize 640x480! "$E2E_TMP/shown_small.png"
  e2e_title_diff "$E2E_TMP/shown_small.png"
}

# e2e_crop IN OUT GEOMETRY
e2e_crop() {
  "$CONVERT" "$1" -crop "$3" +repage "$2"
}

# e2e_running: true while the program runs (a finished one that has not
# been waited for yet is a zombie and counts as ended).
e2e_running() {
  local state
  state=$(awk '{print $3}' "/proc/$E2E_PID/stat" 2> /dev/null) || return 1
  [ -n "$state" ] && [ "$state" != "Z" ] && [ "$state" != "X" ]
}

# e2e_wait_exit SECONDS: waits for the program to end, at most SECONDS
# (stretched to E2E_LIMIT for a loaded machine); sets E2E_RC (its exit
# status) and E2E_MS (milliseconds waited).
e2e_wait_exit() {
  local limit=$1 start now i
  ((limit < E2E_LIMIT)) && limit=$E2E_LIMIT
  start=$(date +%s%N)
  for ((i = 0; i < limit * 200; i++)); do
    e2e_running || break
    sleep 0.005
  done
  now=$(date +%s%N)
  e2e_running && e2e_fail "the program did not end within $limit s"
  wait "$E2E_PID"
  E2E_RC=$?
  E2E_PID=""
  E2E_MS=$(((now - start) / 1000000))
}

# e2e_expect_score_file TEXT: save/score.dat holds TEXT followed by CR LF.
e2e_expect_score_file() {
  local want=$1
  [ -f "$E2E_GAME/save/score.dat" ] || e2e_fail "no save/score.dat"
  printf '%s\r\n' "$want" > "$E2E_TMP/want.dat"
  cmp -s "$E2E_TMP/want.dat" "$E2E_GAME/save/score.dat" ||
    e2e_fail "save/score.dat is $(od -c "$E2E_GAME/save/score.dat" | head -n 2), not $want CR LF"
}

# e2e_force_to_game_over WID X Y [PRESSES]: in a single-player game, forces
# the stack up with 'g' until the score widgets show (the game has ended);
# fails when they do not within PRESSES presses (default 150).
e2e_force_to_game_over() {
  local wid=$1 x=$2 y=$3 limit=${4:-150} i
  for ((i = 0; i < limit; i++)); do
    xdotool key --window "$wid" g
    sleep 0.1
    if ((i % 10 == 9)); then
      e2e_shot "$E2E_TMP/screen.png" "$x" "$y" 640 480
      [ "$(e2e_pixel "$E2E_TMP/screen.png" 630 48)" = "0,64,0" ] && return 0
    fi
  done
  e2e_fail "no score widgets after the game should have ended"
}

# Helpers of the checks that run several programs at once.
#
# E2E_CHILDREN holds the process ids a check started; e2e_stop_children
# kills and reaps them all.
E2E_CHILDREN=()
e2e_stop_children() {
  local p
  for p in "${E2E_CHILDREN[@]}"; do kill -9 "$p" 2> /dev/null; done
  for p in "${E2E_CHILDREN[@]}"; do wait "$p" 2> /dev/null; done
  E2E_CHILDREN=()
}

# e2e_wait_log FILE REGEX SECONDS: waits for a line; prints it. Fails with
# the file shown when none comes.
e2e_wait_log() {
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

# e2e_window_of PID: the game window of that process.
e2e_window_of() {
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

# e2e_keys_then_leave TAG: in a match of two programs (HOST_PID with window
# HOST_WIN, output in $E2E_TMP/host-TAG.log; JOIN_PID, JOIN_WIN,
# join-TAG.log), three d on the host (side 1, on turn: its cursor moves)
# and two d on the joining program (side 2's K, off turn: nothing moves),
# then Esc on the joining program; both say the match ended and both go on.
e2e_keys_then_leave() {
  local k
  for k in d d d; do xdotool key --window "$HOST_WIN" "$k"; done
  for k in d d; do xdotool key --window "$JOIN_WIN" "$k"; done
  # The keys travel the input delay and the link before the Esc may end the
  # match. Nothing shows that they arrived: side 2's keys move nothing off
  # its turn, no line is printed per key, and the replay is written only at
  # the end. So a moment's grace, not a wait for a sign.
  sleep 1
  xdotool key --window "$JOIN_WIN" Escape
  e2e_wait_log "$E2E_TMP/join-$1.log" "対戦を終了しました" 5
  e2e_wait_log "$E2E_TMP/host-$1.log" "相手が退出しました" 5
  kill -0 "$HOST_PID" && kill -0 "$JOIN_PID" || e2e_fail "a program ended with the match"
}

# e2e_match_replays HOST_DIR JOIN_DIR: waits for the replay each program
# wrote in its save/replays/ (sets HOST_REPLAY and JOIN_REPLAY) and checks
# what e2e_keys_then_leave played: the same file on both, reproduced by
# zazo-replay, the three side-1 D and two side-2 K as the game received
# them, and the cursor 3 cells right (only the side on turn moved).
e2e_match_replays() {
  local dir i
  for dir in "$1" "$2"; do
    for ((i = 0; i < 50; i++)); do
      ls "$dir"/save/replays/*.zzr > /dev/null 2>&1 && break
      sleep 0.1
    done
  done
  HOST_REPLAY=$(ls "$1"/save/replays/*.zzr 2> /dev/null | head -n 1)
  JOIN_REPLAY=$(ls "$2"/save/replays/*.zzr 2> /dev/null | head -n 1)
  [ -n "$HOST_REPLAY" ] || e2e_fail "the host wrote no replay"
  [ -n "$JOIN_REPLAY" ] || e2e_fail "the joining program wrote no replay"
  cmp -s "$HOST_REPLAY" "$JOIN_REPLAY" || {
    diff "$HOST_REPLAY" "$JOIN_REPLAY" | head -n 20
    e2e_fail "the two replays differ"
  }
  local summary
  summary=$("$E2E_BUILD/zazo-replay" --summary "$HOST_REPLAY") ||
    e2e_fail "the replay does not reproduce: $summary"
  echo "replay: $summary"
  [ "$(grep -cE '^i [0-9]+ k 68 0$' "$HOST_REPLAY")" = 3 ] || e2e_fail "the host's keys are not side 1's D"
  [ "$(grep -cE '^i [0-9]+ k 75 0$' "$HOST_REPLAY")" = 2 ] || e2e_fail "the joining keys are not side 2's K"
  "$E2E_BUILD/zazo-replay" --dump-every 100000 "$HOST_REPLAY" > "$E2E_TMP/dump.txt" 2>&1
  [ "$(grep -E '^cursorX ' "$E2E_TMP/dump.txt" | tail -n 1)" = "cursorX 3" ] ||
    e2e_fail "the side not on turn moved the cursor"
}
# e2e_until WHAT COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; fails the check with "WHAT" when it has not within E2E_LIMIT
# seconds (60 by default).
e2e_until() {
  local what=$1 end=$((SECONDS + E2E_LIMIT))
  shift
  until "$@"; do
    ((SECONDS < end)) || e2e_fail "$what (waited $E2E_LIMIT s)"
    sleep 0.1
  done
}

# e2e_is_title X Y: the window at X, Y shows the title picture.
e2e_is_title() {
  e2e_shot "$E2E_TMP/is_title.png" "$1" "$2" 640 480
  # The build's own title picture: an installed game's check has no copy in E2E_GAME.
  e2e_crop "$E2E_BUILD/graph/title.bmp" "$E2E_TMP/title_sheet.png" 640x480+0+0
  [ "$(e2e_diff "$E2E_TMP/is_title.png" "$E2E_TMP/title_sheet.png")" -lt 100000 ]
}

# A pixel of the restart button's face, drawn from the first frame of a
# game to its end, under every shake of the picture.
E2E_PLAY_X=60
E2E_PLAY_Y=12
E2E_PLAY_RGB="16,18,30"

# e2e_is_play X Y: the window at X, Y shows a game in play or over (the
# title has slid away): the restart button shows, which neither the title
# nor its slide draws.
e2e_is_play() {
  e2e_shot "$E2E_TMP/is_play.png" "$1" "$2" 640 480
  [ "$(e2e_pixel "$E2E_TMP/is_play.png" "$E2E_PLAY_X" "$E2E_PLAY_Y")" = "$E2E_PLAY_RGB" ]
}

# e2e_wait_title X Y / e2e_wait_play X Y: waits for the title / the game.
e2e_wait_title() { e2e_until "the title was not shown" e2e_is_title "$1" "$2"; }
e2e_wait_play() { e2e_until "the game did not start" e2e_is_play "$1" "$2"; }

# e2e_wait_placed_title: under a window manager, which frames and moves the
# window after it is first listed: waits until the title shows where the
# window is now, and sets wid, w, h, x and y to that place.
e2e_placed_title() {
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 1) && e2e_is_title "$x" "$y"
}
e2e_wait_placed_title() { e2e_until "the title was not shown in the placed window" e2e_placed_title; }
