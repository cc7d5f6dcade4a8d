#!/usr/bin/env bash
# run-lookup-mouse-e2e.sh <lookup_order_app> <xvfb-run>
# The data-aware lookup combo box chosen from with the mouse, on the screen host in a private
# X server: the order shows its customer Bob; a click on the drop-down button opens the list
# of seven; a click on Dora's row chooses her and closes it; opened again, a click on the
# header sorts the list by name and leaves it open; a click on the sixth row of the sorted
# list chooses Eve; opened again, a click beside it on the form closes it choosing nothing.
# The combo box's own window keeps the keyboard focus throughout. Tab leaves it, Space
# presses "&Post", and the posted order names customer 9, Eve. The program reports where
# the button and the list are on the screen; every step waits for the state it reports; the
# whole run is retried once.
set -euo pipefail
app="$1"; xvfb="$2"
e2e_name=run-lookup-mouse-e2e
source "$(dirname "$0")/e2e-common.sh"
e2e_run_in_xvfb "$xvfb" "lookup mouse e2e" "$@"

work="$(mktemp -d)"
out="$work/out"
: >"$out"
e2e_start "$app" "$out"

# Waits up to 15 s for the program's last line of kind $1 to read "$1 $2".
expect() {
  local want="$1 $2" got deadline=$((SECONDS + 15))
  while :; do
    got="$(grep "^$1 " "$out" | tail -n1 || true)"
    [[ "$got" == "$want" ]] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the program exited waiting for '$want'"
    ((SECONDS < deadline)) || fail "the program reports '$got', expected '$want'"
    sleep 0.05
  done
}
# The combo box's state, and that its own window holds the keyboard focus.
expect_combo() {
  expect STATE "focus=Customer $1"
  expect HOLD Customer
}

# The screen points of the last AT line: `bx by` (the drop-down button), `ox oy` (beside the
# combo box and its list), `lx ly` (the open list's corner), `header` and `row` (heights).
read_at() {
  local at
  at="$(grep '^AT ' "$out" | tail -n1)"
  local n='([0-9]+)'
  [[ "$at" =~ button=$n,$n\ outside=$n,$n\ list=$n,$n\ header=$n\ row=$n$ ]] ||
    fail "no open list in '$at'"
  bx=${BASH_REMATCH[1]} by=${BASH_REMATCH[2]} ox=${BASH_REMATCH[3]} oy=${BASH_REMATCH[4]}
  lx=${BASH_REMATCH[5]} ly=${BASH_REMATCH[6]} header=${BASH_REMATCH[7]} row=${BASH_REMATCH[8]}
  ((row > 0 && header > 0)) || fail "the list reports rows of $row and a header of $header pixels"
}
# Waits up to 15 s for the AT line of an open list.
expect_list_at() {
  local deadline=$((SECONDS + 15))
  until grep '^AT ' "$out" | tail -n1 | grep -q 'list=[0-9]'; do
    ((SECONDS < deadline)) || fail "no open list: $(grep '^AT ' "$out" | tail -n1)"
    sleep 0.05
  done
  read_at
}
click() { xdo mousemove "$1" "$2" click 1; }
# A click on the drop-down button (its place read from the program's first AT line).
click_button() {
  local at
  at="$(grep '^AT ' "$out" | head -n1)"
  [[ "$at" =~ button=([0-9]+),([0-9]+) ]] || fail "no button in '$at'"
  click "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}"
}
# A click in the middle of row $1 (from 0) of the open list, and on its header.
click_row() { click $((lx + 40)) $((ly + header + $1 * row + row / 2)); }
click_header() { click $((lx + 40)) $((ly + header / 2)); }

wid="$(e2e_window 'Lookup Order')"
[[ "$wid" =~ ^[0-9]+$ ]] || fail "bad window id '$wid'"
expect_combo "popup=0 rows=7 text=Bob"
expect LIST "sort=none order=Ann,Bob,Bobby,Cyd,Dora,anna,Eve"
xdo windowfocus --sync "$wid"

click_button
expect_combo "popup=1 rows=7 text=Bob"
expect_list_at
click_row 4
expect_combo "popup=0 rows=7 text=Dora"

click_button
expect_combo "popup=1 rows=7 text=Dora"
expect_list_at
click_header
expect LIST "sort=asc order=Ann,Bob,Bobby,Cyd,Dora,Eve,anna"
expect_combo "popup=1 rows=7 text=Dora"
click_row 5
expect_combo "popup=0 rows=7 text=Eve"

click_button
expect_combo "popup=1 rows=7 text=Eve"
expect_list_at
click "$ox" "$oy"
expect_combo "popup=0 rows=7 text=Eve"

xdo windowfocus --sync "$wid"
xdo key Tab
expect STATE "focus=Post popup=0 rows=7 text=Eve"
xdo key space
e2e_expect_exit "the program" "Space on Post" 0.05
grep -qx 'POSTED CustID=9 CustName=Eve' "$out" ||
  fail "the posted order is not customer 9, Eve: $(grep POSTED "$out" || echo none)"
echo "lookup mouse e2e: chosen, sorted and closed with the mouse, the edit focused throughout"
