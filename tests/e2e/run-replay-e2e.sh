#!/usr/bin/env bash
# run-replay-e2e.sh <tessaloom> <xgrab> <xvfb-run>
# Replays on the screen host in a private X server: 5 x 5 cells of 2 colours (game 2611),
# three moves clicked, then Game | Show Last Game Replay twice by the keyboard. The board is
# read after each click and all through the replays: the first replay must show every
# position in order, the second is paused by F5 after its first move and must stay there:
# the board hidden while paused, and after F5 again the position of that one move, for good.
# Every wait has a deadline; the whole run is retried once with a warning.
set -euo pipefail
app="$1"; grab="$2"; xvfb="$3"
e2e_name=run-replay-e2e
source "$(dirname "$0")/e2e-common.sh"
e2e_run_in_xvfb "$xvfb" "replay e2e" "$@"

e2e_start_small_game "$app"
hidden="$(printf '808080 %.0s' {1..25})"   # every cell empty
replay() { e2e_game_menu l; }   # Game | Show Last Game Replay
# The positions: before any move and after each click.
positions=("$(expect_board "!$hidden")")
xdo windowfocus --sync "$wid"
for move in "0 0" "0 2" "0 3"; do
  e2e_click $move
  positions+=("$(expect_board "!${positions[-1]}")")
done
# Settled: the clicked positions are all different, none is the hidden board.
for ((i = 1; i < 4; ++i)); do
  [[ "${positions[i]}" != "${positions[i - 1]}" && "${positions[i]}" != "$hidden" ]] || fail "move $i left the board unchanged"
done

# First replay: every position is seen, in order, and the last stays.
replay
expect_board "${positions[0]}" >/dev/null
seen=("${positions[0]}")
deadline=$((SECONDS + 10))
while [[ "${seen[-1]}" != "${positions[3]}" ]]; do
  ((SECONDS < deadline)) || fail "the replay showed ${#seen[@]} positions and stopped before the last"
  got="$(board)"
  [[ -n "$got" && "$got" != "${seen[-1]}" ]] && seen+=("$got")
  sleep 0.02
done
((${#seen[@]} == 4)) || fail "the replay showed ${#seen[@]} positions for 3 moves"
for ((i = 0; i < 4; ++i)); do
  [[ "${seen[i]}" == "${positions[i]}" ]] || fail "position $i of the replay is not the one played"
done

# Hidden: no cell shows a tile's colour (the pause banner's text may cross some).
tiles="$(printf '%s\n' ${positions[0]} | sort -u | grep -vx 808080 | paste -sd'|')"
hidden_now() { local b; b="$(board)"; [[ -n "$b" ]] && ! grep -Eq "$tiles" <<<"$b"; }
expect_hidden() {
  local deadline=$((SECONDS + 10))
  until hidden_now; do
    ((SECONDS < deadline)) || fail "the board is not hidden: $(board)"
    sleep 0.05
  done
}

# Second replay: F5 once its first move shows. The replay ends there: hidden while paused,
# and after F5 again the first move's position, through the time the rest would have taken.
replay
expect_board "${positions[0]}" >/dev/null
expect_board "${positions[1]}" >/dev/null
xdo key F5
expect_hidden
sleep 1.5
hidden_now || fail "the board showed under the pause: $(board)"
xdo key F5
expect_board "${positions[1]}" >/dev/null
sleep 1.5
[[ "$(board)" == "${positions[1]}" ]] || fail "the replay went on after the pause: $(board)"

xdo key F10
xdo key Down
sleep 0.2
xdo key x
e2e_expect_exit "the game" "Game | Exit" 0.05
echo "replay e2e: every replayed position seen, and F5 paused and ended a replay after its first move"
