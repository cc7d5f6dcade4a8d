#!/usr/bin/env bash
# run-game-end-e2e.sh <tessaloom> <xgrab> <xvfb-run>
# Plays a whole small game to its end on the screen host in a private X server: a folder of
# its own with config.ini asking for 5 x 5 cells of 2 colours, so the first game is number
# 2611 of that shape, which four clicks finish with one cell left. The result window takes a
# typed name; highscores.ini then holds it, and the high-scores window lists the game in a
# selected row. Every wait has a deadline; the whole run is retried once with a warning.
set -euo pipefail
app="$1"; grab="$2"; xvfb="$3"
e2e_name=run-game-end-e2e
source "$(dirname "$0")/e2e-common.sh"
e2e_run_in_xvfb "$xvfb" "game end e2e" "$@"

e2e_start_small_game "$app"

pixel() { timeout 10 "$grab" "$1" "$2" || true; }
# Waits until the window's point shows the colour.
expect() {
  local w="$1" at="$2" want="$3" got="" deadline=$((SECONDS + 10))
  until got="$(pixel "$w" "$at")"; [[ "$got" == "$want" ]]; do
    ((SECONDS < deadline)) || fail "pixel $at is '$got', expected $want"
    sleep 0.05
  done
}

# Each click, then a cell it empties (the grey dot of the empty cell's cross).
xdo windowfocus --sync "$wid"
for step in "0,0 0,0" "0,2 0,2" "0,3 3,1"; do
  read -r move empty <<<"$step"
  IFS=, read -r cx cy <<<"$(centre ${move/,/ })"
  xdo mousemove --window "$wid" "$cx" "$cy" click 1
  expect "$wid" "$(centre ${empty/,/ })" 808080
done
IFS=, read -r cx cy <<<"$(centre 0 3)"
xdo mousemove --window "$wid" "$cx" "$cy" click 1

# The last move ends the game: the result window, its name field focused; a new name, Enter.
result="$(e2e_window 'Game Result')"
xdo windowfocus --sync "$result"
xdo key --clearmodifiers End
for _ in 1 2 3 4 5 6 7 8; do xdo key BackSpace; done
xdo type --delay 20 "Zoe"
xdo key Return
e2e_gone 'Game Result'
grep -qx '2611=1,Zoe,(0,0)(0,2)(0,3)(0,3)' "$work/highscores.ini" || fail "highscores.ini holds no result by Zoe: $(cat "$work/highscores.ini" 2>&1)"
grep -qx '\[5,2\]' "$work/highscores.ini" || fail "highscores.ini has no section for 5 x 5 cells of 2 colours"
grep -qx 'Name=Zoe' "$work/config.ini" || fail "config.ini does not keep the name"

# Game | High Scores by the keyboard: the game's row is listed, selected.
xdo windowfocus --sync "$wid"
xdo key F10
xdo key Down
sleep 0.2
xdo key h
scores="$(e2e_window 'High Scores')"
eval "$(xdo getwindowgeometry --shell "$scores")"
highlight=0
deadline=$((SECONDS + 10))
# The selected row: a band of the highlight colour well below the caption.
until ((highlight >= 300)); do
  ((SECONDS < deadline)) || fail "the high-scores window shows no selected row"
  pts=()
  for ((y = 60; y < HEIGHT - 60; y += 2)); do
    for ((x = 20; x < WIDTH - 20; x += 4)); do pts+=("$x,$y"); done
  done
  highlight="$(timeout 20 "$grab" "$scores" "${pts[@]}" | grep -c '^0A246A$' || true)"
  sleep 0.1
done
xdo key Return
e2e_gone 'High Scores'

# Exit: F10, Down, X.
xdo windowfocus --sync "$wid"
xdo key F10
xdo key Down
sleep 0.2
xdo key x
e2e_expect_exit "the game" "Game | Exit" 0.05
echo "game end e2e: a whole game played, the name stored and listed in the high scores"
