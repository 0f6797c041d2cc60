#!/usr/bin/env bash
# A downloaded replay opens in the game: the installed shared-mime-info
# package gives *.zzr (and a replay without that name, by its first line)
# the type application/x-zazo-replay, the installed desktop entry is the
# application for that type, and its Exec line with the file plays the
# replay in the game's window (watch mode), which writes nothing.
source "$(dirname "$0")/install_lib.bash"

for tool in update-mime-database update-desktop-database desktop-file-validate gio xdg-mime; do
  command -v "$tool" > /dev/null || e2e_fail "$tool is missing (scripts/install-deps.sh installs it)"
done
prefix="$E2E_TMP/prefix"
cmake --install "$E2E_BUILD" --prefix "$prefix" > "$E2E_TMP/install.log" 2>&1 ||
  { cat "$E2E_TMP/install.log"; e2e_fail "cmake --install failed"; }
[ -f "$prefix/share/mime/packages/zazo-puzzle.xml" ] || e2e_fail "no share/mime/packages/zazo-puzzle.xml"
desktop=$(ls "$prefix"/share/applications/*.desktop | head -n 1)
id=$(basename "$desktop")
said=$(desktop-file-validate "$desktop" 2>&1) || e2e_fail "desktop-file-validate: $said"
[ -z "$said" ] || e2e_fail "desktop-file-validate complained: $said"
grep -qx "MimeType=application/x-zazo-replay;" "$desktop" || e2e_fail "the entry names no replay type"
update-mime-database "$prefix/share/mime" > /dev/null 2>&1 || e2e_fail "update-mime-database refused the package"
update-desktop-database "$prefix/share/applications" || e2e_fail "update-desktop-database failed"

# A replay: a short game in the portable copy, left for the title.
e2e_prepare
e2e_launch "$E2E_GAME"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 10) || e2e_fail "no window \"Zazo Puzzle\""
e2e_wait_title "$x" "$y"
xdotool key --window "$wid" 4
e2e_wait_play "$x" "$y"
xdotool key --window "$wid" 8
for ((i = 0; i < E2E_LIMIT * 10; i++)); do
  ls "$E2E_GAME"/save/replays/2*-single-*.zzr > /dev/null 2>&1 && break
  sleep 0.1
done
xdotool key --window "$wid" Escape
e2e_wait_exit 5
replay=$(ls "$E2E_GAME"/save/replays/2*-single-*.zzr 2> /dev/null | head -n 1)
[ -n "$replay" ] || e2e_fail "the short game left no replay"
mkdir -p "$E2E_TMP/Downloads"
cp "$replay" "$E2E_TMP/Downloads/daily-2026-12-08 #7.zzr"
cp "$replay" "$E2E_TMP/Downloads/replay-download"

# The type and its application, as a desktop looks them up (GLib's gio).
export XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_DATA_HOME="$E2E_TMP/no-user-data"
export XDG_CONFIG_HOME="$E2E_TMP/no-user-config" XDG_CURRENT_DESKTOP=GNOME
# (GLib lists only applications whose program is on the PATH.)
export PATH="$prefix/games:$PATH" SDL_AUDIODRIVER=dummy
for f in "$E2E_TMP/Downloads/daily-2026-12-08 #7.zzr" "$E2E_TMP/Downloads/replay-download"; do
  type=$(xdg-mime query filetype "$f")
  echo "$(basename "$f"): $type"
  [ "$type" = application/x-zazo-replay ] || e2e_fail "$(basename "$f") has the type $type"
done
apps=$(gio mime application/x-zazo-replay 2>&1)
echo "$apps" | head -n 3
grep -q "^Default application for .*: $id$" <<< "$apps" ||
  e2e_fail "the game is not the default application for replays"

# Opening the file as the desktop does (gio open: the default application's
# Exec line with the file for %f).
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ "$exec_line" = "zazo-puzzle %f" ] || e2e_fail "Exec=$exec_line"
listing_before=$(ls -lR "$E2E_TMP/Downloads" "$E2E_GAME/save")
(cd "$E2E_TMP" && gio open "$E2E_TMP/Downloads/daily-2026-12-08 #7.zzr") > "$E2E_LOG" 2>&1 ||
  e2e_fail "gio open failed"
read -r wid w h x y < <(e2e_window "Zazo Puzzle" 15) || e2e_fail "no window for the opened replay"
# The game gio started, found by the downloaded file's path (in this
# check's own folder) on its command line.
opened=$(pgrep -f -- "zazo-puzzle $E2E_TMP/Downloads/daily-2026-12-08 #7.zzr" | head -n 1)
[ -n "$opened" ] || e2e_fail "no game runs with the file on its command line"
trap 'kill "$opened" 2> /dev/null; e2e_cleanup' EXIT
watching() { [ "$(e2e_title_shown 640x480+$x+$y)" -gt 100000 ]; }
e2e_until "the opened replay shows the title, not the game" watching
# The watch mode plays it and closes by itself after a hold on its end.
e2e_gone "Zazo Puzzle" 60 || e2e_fail "the window of the opened replay did not close after its end"
[ "$listing_before" = "$(ls -lR "$E2E_TMP/Downloads" "$E2E_GAME/save")" ] ||
  e2e_fail "opening the replay wrote files"
echo "ok"
