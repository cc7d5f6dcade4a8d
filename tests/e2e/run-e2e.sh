#!/usr/bin/env bash
# run-e2e.sh <e2e_app> <xgrab> <xvfb-run>
# Starts the e2e program on the screen host in a private X server, waits for its READY
# line, checks its pattern, then sends a click, a key and a menu command with xdotool and
# checks the pixels each one paints. Every wait has a deadline; the whole run is retried
# once with a warning.
set -euo pipefail
app="$1"; grab="$2"; xvfb="$3"
e2e_name=run-e2e
source "$(dirname "$0")/e2e-common.sh"
e2e_run_in_xvfb "$xvfb" e2e "$@"

work="$(mktemp -d)"
out="$work/out"
: >"$out"
e2e_start "$app" "$out"

# Waits until the program has printed `count` lines matching `pattern`.
wait_line() {
  local pattern="$1" count="${2:-1}" deadline=$((SECONDS + 15))
  until [[ "$(grep -c -- "$pattern" "$out" || true)" -ge "$count" ]]; do
    kill -0 "$pid" 2>/dev/null || fail "the program exited while waiting for '$pattern'"
    ((SECONDS < deadline)) || fail "no '$pattern' within 15 s"
    sleep 0.02
  done
}

# Client coordinates, read in the shown window.
pixel() { timeout 10 "$grab" "$wid" "$((left + $1)),$((top + $2))"; }

# Waits until the pixel shows the colour (the repaint follows the printed line).
expect_pixel() {
  local x="$1" y="$2" want="$3" got="" deadline=$((SECONDS + 10))
  while :; do
    got="$(pixel "$x" "$y" || true)"
    [[ "$got" == "$want" ]] && return 0
    ((SECONDS < deadline)) || fail "pixel $x,$y is '$got', expected $want"
    sleep 0.02
  done
}

wait_line '^READY '
wid="$(grep -m1 '^READY ' "$out" | cut -d' ' -f2)"
read -r _ left top menu < <(grep -m1 '^CLIENT ' "$out")
[[ "$wid" =~ ^[0-9]+$ && "$wid" != 0 ]] || fail "bad window id '$wid'"
[[ "$left" =~ ^[0-9]+$ && "$top" =~ ^[0-9]+$ && "$menu" =~ ^[0-9]+$ ]] || fail "bad client origin '$left $top $menu'"

# The painted pattern: base colour, the checker row below the squares.
expect_pixel 50 50 C82828
expect_pixel 5 105 FFFFFF
expect_pixel 15 105 C82828

# No window manager runs, so focus the window ourselves before typing.
xdo windowfocus --sync "$wid"
xdo mousemove --window "$wid" $((left + 150)) $((top + 150))

xdo mousemove --window "$wid" $((left + 50)) $((top + 50)) click 1
wait_line '^CLICK 50 50$'
expect_pixel 50 50 0000FF

xdo key k
wait_line '^KEY 75$'
expect_pixel 150 50 00C800

# The menu bar item, then the first item of the menu it drops.
xdo mousemove --window "$wid" $((left + 15)) $((top - menu / 2)) click 1
wait_line '^MENUOPEN '
read -r _ mx my < <(grep -m1 '^MENUOPEN ' "$out")
xdo mousemove "$mx" "$my" click 1
wait_line '^MENU 1$'
expect_pixel 250 50 FFDC00
expect_pixel 50 50 0000FF

# The keyboard path through the menu: F10 enters the bar, Down drops the menu, Q chooses
# Quit, the program ends.
xdo key F10
xdo key Down
wait_line '^MENUOPEN ' 2
xdo key q
wait_line '^MENU 2$'
e2e_expect_exit "the program" Quit 0.02
echo "e2e: pattern, click, key and menu command all seen on screen"
