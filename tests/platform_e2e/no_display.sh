#!/usr/bin/env bash
# Without a display the game does not run invisibly: it says so on stderr
# and exits with a non-zero status at once. A driver the player chose in
# SDL_VIDEODRIVER is taken as it is, even one that shows nothing.
source "$(dirname "$0")/e2e_lib.bash"

e2e_prepare
e2e_launch "$E2E_GAME" -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER
e2e_wait_exit 10
echo "no display: exit status $E2E_RC after $E2E_MS ms"
[ "$E2E_RC" -ne 0 ] || e2e_fail "exit status 0"
grep -q "no display found" "$E2E_LOG" || e2e_fail "no \"no display found\" on stderr"
[ ! -e "$E2E_GAME/save/score.dat" ] || e2e_fail "the game ran (save/score.dat written)"

e2e_launch "$E2E_GAME" -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen
sleep 2
e2e_running || e2e_fail "the chosen offscreen driver was refused"
kill "$E2E_PID"
e2e_wait_exit 5
echo "offscreen by choice: exit status $E2E_RC"
[ "$E2E_RC" -eq 0 ] || e2e_fail "exit status $E2E_RC"
echo "ok"
