# Sourced by the screen-host e2e scripts after `set -euo pipefail`, with `e2e_name` set to the
# script's name for messages. Gives the retry round a private X server, the program's start
# and end, and the failure report.

# Outside the private X server: checks for xdotool, runs this script again inside a server of
# `xvfb-run` ($1), retrying once with a warning (labelled $2), and exits with the result.
# Inside: returns at once.
e2e_run_in_xvfb() {
  local xvfb="$1" label="$2" attempt
  shift 2
  [[ "${E2E_INNER:-}" == 1 ]] && return 0
  command -v xdotool >/dev/null || { echo "$e2e_name: xdotool is not installed (package xdotool)" >&2; exit 1; }
  for attempt in 1 2; do
    if E2E_INNER=1 "$xvfb" -t 50 "$0" "$@"; then exit 0; fi
    if [[ $attempt == 1 ]]; then echo "WARNING: $label attempt 1 failed, retrying once" >&2; fi
  done
  exit 1
}

# Starts the program ($1) in the background, its output to $2 and its errors to $work/err;
# sets `pid`. On exit the program is stopped and `work` removed.
e2e_start() {
  SDL_VIDEODRIVER=x11 "$1" >"$2" 2>"$work/err" &
  pid=$!
  trap e2e_cleanup EXIT
}

e2e_cleanup() {
  kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}

# Reports the failure with the program's errors (and its output, where `out` names it) and ends.
fail() {
  echo "$e2e_name: $*" >&2
  if [[ -n "${out:-}" ]]; then echo "--- program output" >&2; cat "$out" >&2 || true; fi
  echo "--- program errors" >&2; cat "$work/err" >&2 || true
  exit 1
}

xdo() { timeout 10 xdotool "$@" || fail "xdotool $* failed"; }

# Waits up to 10 s for the program to end by itself, then checks that it ended with status 0;
# $1 names it in the messages, $2 is the step that should have ended it, $3 the poll interval.
e2e_expect_exit() {
  local who="$1" step="$2" poll="$3" deadline=$((SECONDS + 10)) status=0
  while kill -0 "$pid" 2>/dev/null; do
    ((SECONDS < deadline)) || fail "$who did not exit after $step"
    sleep "$poll"
  done
  wait "$pid" || status=$?
  [[ $status == 0 ]] || fail "$who exited with $status"
}

# The game's window and its board of $1 x $1 cells (25 pixels each). With no window
# manager the host shows the whole window: equal borders round the caption, the menu bar
# and the client area, which holds the board and the status bar (19). Sets `wid`, `left`
# and `top` (the board's corner in the window).
e2e_find_board() {
  local side=$(($1 * 25))
  wid="$(timeout 15 xdotool search --sync --name '^Tessaloom$' | head -n1)" || fail "no window named Tessaloom within 15 s"
  [[ "$wid" =~ ^[0-9]+$ ]] || fail "bad window id '$wid'"
  eval "$(xdo getwindowgeometry --shell "$wid")"
  left=$(((WIDTH - side) / 2))
  top=$((HEIGHT - side - 19 - left))
  ((left >= 0 && top > 0 && WIDTH == side + 2 * left)) || fail "window of $WIDTH x $HEIGHT is not the $1 x $1 board with its frame and menu bar"
}

# The game ($1) started in a folder of its own whose config.ini asks for 5 x 5 cells of 2
# colours, so that the first game is number 2611 of that shape. Sets `work`, `pid`, `wid`
# (its window), `left` and `top` (the board's corner in the window) and `cells` (the
# centres of the 25 cells, rows outer); needs `grab` (the xgrab program).
e2e_start_small_game() {
  work="$(mktemp -d)"
  cp "$1" "$work/tessaloom"
  printf '[Settings]\nSize=5\nColors=2\n' >"$work/config.ini"
  e2e_start "$work/tessaloom" "$work/out"
  e2e_find_board 5
  cells=()
  local x y
  for ((y = 0; y < 5; ++y)); do for ((x = 0; x < 5; ++x)); do cells+=("$(centre $x $y)"); done; done
}

# The centre of cell (column, row), in window coordinates.
centre() { echo "$((left + $1 * 25 + 12)),$((top + $2 * 25 + 12))"; }
# A click on the centre of cell (column, row).
e2e_click() {
  local cx cy
  IFS=, read -r cx cy <<<"$(centre "$1" "$2")"
  xdo mousemove --window "$wid" "$cx" "$cy" click 1
}
# The board as one word: the centre pixel of each cell, rows outer.
board() { timeout 10 "$grab" "$wid" "${cells[@]}" | tr '\n' ' ' || true; }
# Waits until the board reads $1 (with a leading `!`: anything but it); prints what it read.
expect_board() {
  local want="$1" got deadline=$((SECONDS + 10))
  while :; do
    got="$(board)"
    if [[ "$want" == !* ]]; then [[ -n "$got" && "$got" != "${want:1}" ]] && { echo "$got"; return 0; }
    else [[ "$got" == "$want" ]] && { echo "$got"; return 0; }; fi
    ((SECONDS < deadline)) || fail "the board reads '$got', expected '$want'"
    sleep 0.05
  done
}
# The id of the visible window named $1 (a pattern), waited for up to 15 s.
e2e_window() { timeout 15 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1 || fail "no window named $1 within 15 s"; }
# Waits up to 10 s for the window named $1 to close.
e2e_gone() {
  local deadline=$((SECONDS + 10))
  while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || fail "the window $1 did not close"
    sleep 0.05
  done
}
# Game | <item> by the keyboard: F10, Down, then the item's letter $1.
e2e_game_menu() {
  xdo windowfocus --sync "$wid"
  xdo key F10
  xdo key Down
  sleep 0.2
  xdo key "$1"
}
