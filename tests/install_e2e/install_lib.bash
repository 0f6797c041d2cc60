# Shared steps of the end-to-end checks of an installed copy: the program
# run from a tree made by the package or by `cmake --install`, from another
# working directory, as an unprivileged user and as root, each with a home
# folder of its own.
#
# Sourced by tests/install_e2e/*.sh (bash script BUILD_DIR SOURCE_DIR) after
# the window steps of tests/platform_e2e/e2e_lib.bash.

source "$2/tests/platform_e2e/e2e_lib.bash"

INST_USER=nobody
# Everything below E2E_TMP must be reachable by the unprivileged user.
chmod 755 "$E2E_TMP"
command -v setpriv > /dev/null || e2e_fail "setpriv is missing (package util-linux)"
command -v xauth > /dev/null || e2e_fail "xauth is missing (scripts/install-deps.sh installs it)"
[ -x "$E2E_BUILD/zazo-replay" ] || e2e_fail "no $E2E_BUILD/zazo-replay"

# inst_home USER: a fresh home folder owned by USER, holding a copy of the
# display's cookie so that the user may open windows on it.
inst_home() {
  local user=$1 home
  home=$(mktemp -d "$E2E_TMP/home-$user.XXXXXX")
  touch "$home/.Xauthority"
  xauth extract - "$DISPLAY" 2> /dev/null | XAUTHORITY="$home/.Xauthority" xauth -q merge - ||
    e2e_fail "cannot copy the display cookie"
  chown -R "$user:$(id -gn "$user")" "$home"
  chmod 755 "$home"
  echo "$home"
}

# inst_launch USER HOME PROGRAM DIR: starts PROGRAM from working directory
# DIR as USER with a clean environment and that home folder.
inst_launch() {
  local user=$1 home=$2 program=$3 dir=$4
  local -a drop=() keep=()
  e2e_wait_x
  # The sanitizer build's settings pass through the clean environment.
  for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
    [ -n "${!name:-}" ] && keep+=("$name=${!name}")
  done
  if [ "$user" != root ]; then
    drop=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups)
  fi
  (cd "$dir" && exec env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$DISPLAY" \
    XAUTHORITY="$home/.Xauthority" SDL_AUDIODRIVER=dummy "${keep[@]}" "${drop[@]}" "$program") \
    > "$E2E_LOG" 2>&1 &
  E2E_PID=$!
}

# inst_quit WID: Esc ends the program with status 0.
inst_quit() {
  xdotool key --window "$1" Escape
  e2e_wait_exit 5
  [ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
}

# inst_listing TREE: every path under TREE with its size and time, so that
# any file written, changed or added there shows.
inst_listing() {
  find "$1" -printf '%p %s %T@ %m\n' | sort
}

# inst_title_digits OUT ID X Y: the best score on the title (8 digits of
# 32 x 32 at 210, 34) cut from the window at X, Y.
inst_title_digits() {
  e2e_shot "$E2E_TMP/shot.png" "$3" "$4" 640 480
  e2e_crop "$E2E_TMP/shot.png" "$1" 256x32+210+34
}

# inst_wait_digits OUT X Y EXPECTED: cuts the title's best score (as
# inst_title_digits) until it matches EXPECTED, for up to E2E_LIMIT seconds, so a
# busy machine that has not drawn the title yet is waited for; prints the
# last count of differing pixels and fails when it never matched.
inst_wait_digits() {
  local i differ
  local end=$((SECONDS + E2E_LIMIT))
  while :; do
    inst_title_digits "$1" "" "$2" "$3"
    differ=$(e2e_diff "$1" "$4")
    [ "$differ" -lt 400 ] || ((SECONDS >= end)) && break
    sleep 0.25
  done
  echo "$differ"
  [ "$differ" -lt 400 ]
}

# inst_expected_digits OUT DATA BEST: the same part of the title as the game
# draws it with best score BEST, from the data in DATA (headless replay).
inst_expected_digits() {
  printf 'best %s\nrun 20\n' "$3" > "$E2E_TMP/title.script"
  "$E2E_BUILD/zazo-replay" --assets "$2" --screenshot "$E2E_TMP/expected.bmp" \
    "$E2E_TMP/title.script" > /dev/null || e2e_fail "zazo-replay could not draw the title"
  e2e_crop "$E2E_TMP/expected.bmp" "$1" 256x32+210+34
}

# inst_play_and_save USER PROGRAM DATA TREE: two runs of the installed
# program as USER with a fresh home: the first starts a game, raises the
# stack five times for points, returns to the title with '8' (which saves)
# and quits; the best score must then be in the per-user folder, nothing
# written into TREE or the working directory, and the second run's title
# must show it.
inst_play_and_save() {
  local user=$1 program=$2 data=$3 tree=$4
  local home elsewhere before wid w h x y differ score
  echo "--- $user: $program"
  home=$(inst_home "$user")
  elsewhere=$(mktemp -d "$E2E_TMP/cwd.XXXXXX")
  chmod 777 "$elsewhere"
  before=$(inst_listing "$tree")

  inst_expected_digits "$E2E_TMP/expected_765.png" "$data" 765
  inst_launch "$user" "$home" "$program" "$elsewhere"
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 15) || e2e_fail "no window \"Zazo Puzzle\""
  [ "$w" = 640 ] && [ "$h" = 480 ] || e2e_fail "window is ${w}x${h}, not 640x480"
  differ=$(inst_wait_digits "$E2E_TMP/first.png" "$x" "$y" "$E2E_TMP/expected_765.png") ||
    e2e_fail "the first title did not show 765 ($differ pixels differ)"
  e2e_window "警告" 0 > /dev/null && e2e_fail "a warning box appeared at start"
  grep -q "picture" "$E2E_LOG" && e2e_fail "a picture was not found"
  xprop -id "$wid" _NET_WM_ICON | grep -q "64 x 64" || e2e_fail "the window has no 64 x 64 icon"

  xdotool key --window "$wid" 4
  e2e_wait_play "$x" "$y"
  for ((i = 0; i < 5; i++)); do
    xdotool key --window "$wid" g
    sleep 0.25
  done
  xdotool key --window "$wid" 8
  e2e_wait_title "$x" "$y"
  e2e_window "警告" 0 > /dev/null && e2e_fail "a warning box appeared"
  inst_quit "$wid"

  local saved="$home/.local/share/zazo-puzzle/score.dat"
  [ -f "$saved" ] || e2e_fail "no $saved ($(find "$home" | tr '\n' ' '))"
  score=$(tr -d '\r\n' < "$saved")
  echo "saved best score $score in $saved"
  [ "$(od -An -c "$saved" | tr -d ' ' | tail -c 5)" = '\r\n' ] || e2e_fail "score.dat does not end in CR LF"
  [ "$score" -gt 765 ] || e2e_fail "the raised stack scored nothing ($score)"
  [ "$(stat -c %U "$saved")" = "$user" ] || e2e_fail "score.dat belongs to $(stat -c %U "$saved")"
  [ "$(stat -c %a "$home/.local/share/zazo-puzzle")" = 700 ] ||
    e2e_fail "the save folder has mode $(stat -c %a "$home/.local/share/zazo-puzzle"), not 700"
  [ "$before" = "$(inst_listing "$tree")" ] ||
    e2e_fail "files written under $tree: $(diff <(echo "$before") <(inst_listing "$tree") | head -5)"
  [ -z "$(ls -A "$elsewhere")" ] || e2e_fail "files written into the working directory: $(ls -A "$elsewhere")"

  # The second start reads it back: the title shows the saved score, as the
  # game draws it, and no longer the 765 of the first start.
  inst_launch "$user" "$home" "$program" "$elsewhere"
  read -r wid w h x y < <(e2e_window "Zazo Puzzle" 15) || e2e_fail "no window at the second start"
  inst_expected_digits "$E2E_TMP/expected_saved.png" "$data" "$score"
  differ=$(inst_wait_digits "$E2E_TMP/second.png" "$x" "$y" "$E2E_TMP/expected_saved.png") ||
    e2e_fail "the title does not show the best score $score ($differ pixels differ)"
  echo "title: $differ of 8192 pixels differ from the best score $score as drawn"
  inst_quit "$wid"
  [ "$score" = "$(tr -d '\r\n' < "$saved")" ] || e2e_fail "the second run changed the best score"
}
