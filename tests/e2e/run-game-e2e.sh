#!/usr/bin/env bash
# run-game-e2e.sh <tessaloom> <xgrab> <xvfb-run>
# Starts the game on the screen host in a private X server, from a folder of its own so
# that no config.ini is found (the first game is then number 2611 on 10 x 10 cells of 4
# colours), and plays it with xdotool: a click on a group, F5 twice (the pause banner over
# the hidden board), F2, then Exit from the menu by the keyboard. Pixels are read back
# after each step. Every wait has a deadline; the whole run is retried once with a warning.
set -euo pipefail
app="$1"; grab="$2"; xvfb="$3"
e2e_name=run-game-e2e
source "$(dirname "$0")/e2e-common.sh"
e2e_run_in_xvfb "$xvfb" "game e2e" "$@"

work="$(mktemp -d)"
cp "$app" "$work/tessaloom"
e2e_start "$work/tessaloom" "$work/out"

e2e_find_board 10

pixel() { timeout 10 "$grab" "$wid" "$1" || true; }

# Waits until the point shows the colour (`!colour`: anything else).
expect() {
  local at="$1" want="$2" got="" deadline=$((SECONDS + 10))
  while :; do
    got="$(pixel "$at")"
    if [[ "$want" == !* ]]; then
      [[ -n "$got" && "$got" != "${want:1}" ]] && return 0
    else
      [[ "$got" == "$want" ]] && return 0
    fi
    ((SECONDS < deadline)) || fail "pixel $at is '$got', expected $want"
    sleep 0.05
  done
}

# Game 2611: cells (2,0) and (3,0) are a group of two with nothing above them. An empty
# cell's centre is a grey dot of its dotted cross.
expect "$(centre 0 0)" '!FFFFFF'
expect "$(centre 2 0)" '!808080'
first="$(pixel "$(centre 0 0)")"

xdo windowfocus --sync "$wid"
IFS=, read -r cx cy <<<"$(centre 2 0)"
xdo mousemove --window "$wid" "$cx" "$cy" click 1
expect "$(centre 2 0)" 808080
expect "$(centre 3 0)" 808080
expect "$(centre 0 0)" "$first"

# Navy pixels in the band of the board where the pause banner stands: centred, a third of
# the way down the client area, in rows 3 and 4 of the board.
banner_ink() {
  local pts=() x y
  for ((y = 50; y < 130; y += 2)); do
    for ((x = 0; x < 250; x += 2)); do pts+=("$((left + x)),$((top + y))"); done
  done
  timeout 20 "$grab" "$wid" "${pts[@]}" | grep -c '^000080$' || true
}

# F5: every cell shows empty, the banner's navy text over them; F5 again: the board is back
# and the banner gone.
under="$(pixel "$(centre 4 3)")"
xdo key F5
expect "$(centre 0 0)" 808080
expect "$(centre 5 5)" 808080
expect "$(centre 0 9)" 808080
deadline=$((SECONDS + 10))
until (($(banner_ink) >= 20)); do
  ((SECONDS < deadline)) || fail "no pause banner over the hidden board"
  sleep 0.05
done
xdo key F5
expect "$(centre 0 0)" "$first"
expect "$(centre 2 0)" 808080
expect "$(centre 4 3)" "$under"

# F2: a new full board, no cell empty.
xdo key F2
expect "$(centre 2 0)" '!808080'
expect "$(centre 3 0)" '!808080'

# Exit by the keyboard through the menu: F10 enters the bar, Down drops Game, X is Exit.
xdo key F10
xdo key Down
sleep 0.2
xdo key x
e2e_expect_exit "the game" "Game | Exit" 0.05
[[ ! -e "$work/config.ini" ]] || fail "the game wrote config.ini without a change of settings"
echo "game e2e: click, pause, resume, new game and exit all seen on screen"
