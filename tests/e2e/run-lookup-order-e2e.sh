#!/usr/bin/env bash
# run-lookup-order-e2e.sh <lookup_order_app> <xvfb-run>
# The data-aware lookup combo box on the screen host in a private X server: the order shows
# its customer Bob; F4 drops the list of all seven customers and Escape closes it; typed "a"
# drops it filtered to Ann and anna, "nna" narrows it to anna; Enter chooses her; Tab
# leaves the combo box, Space presses "&Post", and the posted order names customer 8, anna.
# The list is a window of its own on the screen, as wide as the combo box (160), shorter
# for fewer rows, and gone once closed. Every step waits for the state the program reports
# and for the screen; the whole run is retried once.
set -euo pipefail
app="$1"; xvfb="$2"
e2e_name=run-lookup-order-e2e
source "$(dirname "$0")/e2e-common.sh"
e2e_run_in_xvfb "$xvfb" "lookup order e2e" "$@"

work="$(mktemp -d)"
out="$work/out"
: >"$out"
e2e_start "$app" "$out"

# Waits up to 15 s for the program's last STATE line to read $1.
expect_state() {
  local want="STATE $1" got deadline=$((SECONDS + 15))
  while :; do
    got="$(grep '^STATE ' "$out" | tail -n1 || true)"
    [[ "$got" == "$want" ]] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the program exited waiting for '$want'"
    ((SECONDS < deadline)) || fail "the state reads '$got', expected '$want'"
    sleep 0.05
  done
}

# The heights of the visible popup windows as wide as the combo box (unnamed; the root
# window is unnamed too, but wider), one a line.
popups() {
  local w
  for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null || true); do
    eval "$(timeout 10 xdotool getwindowgeometry --shell "$w" 2>/dev/null || echo WIDTH=0)"
    [[ "$WIDTH" == 160 ]] && echo "$HEIGHT"
  done
  true
}
# Waits up to 15 s for no popup ($1 = none) or for one popup ($1 = shown), lower than $2
# when given (the screen may follow the program's state a moment later); then sets `height`
# to its height.
expect_popup() {
  local got deadline=$((SECONDS + 15)) below="${2:-1000000}"
  while :; do
    got="$(popups)"
    if [[ "$1" == none ]]; then [[ -z "$got" ]] && return 0
    elif [[ "$got" =~ ^[0-9]+$ ]] && ((got < below)); then height="$got"; return 0; fi
    ((SECONDS < deadline)) || fail "expected popup: $1 ${2:+lower than $2}, the screen shows heights '${got//$'\n'/ }'"
    sleep 0.05
  done
}

wid="$(e2e_window 'Lookup Order')"
[[ "$wid" =~ ^[0-9]+$ ]] || fail "bad window id '$wid'"
expect_state "focus=Customer popup=0 rows=7 text=Bob"
# No window manager runs: the window is focused by hand before typing.
xdo windowfocus --sync "$wid"

xdo key F4
expect_state "focus=Customer popup=1 rows=7 text=Bob"
expect_popup shown
all="$height"
xdo key Escape
expect_state "focus=Customer popup=0 rows=7 text=Bob"
expect_popup none

xdo type --delay 30 "a"
expect_state "focus=Customer popup=1 rows=2 text=Ann"
expect_popup shown "$all"
two="$height"
xdo type --delay 30 "nna"
expect_state "focus=Customer popup=1 rows=1 text=anna"
expect_popup shown "$two"
xdo key Return
expect_state "focus=Customer popup=0 rows=7 text=anna"
expect_popup none

xdo key Tab
expect_state "focus=Post popup=0 rows=7 text=anna"
xdo key space
e2e_expect_exit "the program" "Space on Post" 0.05
grep -qx 'POSTED CustID=8 CustName=anna' "$out" || fail "the posted order is not customer 8, anna: $(grep POSTED "$out" || echo none)"
echo "lookup order e2e: listed, filtered by typing, chosen with Enter and posted"
