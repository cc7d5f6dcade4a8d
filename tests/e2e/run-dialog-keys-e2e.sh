#!/usr/bin/env bash
# run-dialog-keys-e2e.sh <tessaloom> <xgrab> <xvfb-run>
# Dialogs that take typing and the keyboard's Alt keys, on the screen host in a private X
# server: 5 x 5 cells of 2 colours (game 2611), played to its end. The result window's name
# field takes "Ann" typed at once and Alt+C closes it; "New with Number" takes 42 typed at
# once, twice, giving the same board; Alt+H opens Help (A: About, Alt+O closes it); Alt+G
# opens Game (X: Exit). Every wait has a deadline; the whole run is retried once.
set -euo pipefail
app="$1"; grab="$2"; xvfb="$3"
e2e_name=run-dialog-keys-e2e
source "$(dirname "$0")/e2e-common.sh"
e2e_run_in_xvfb "$xvfb" "dialog keys e2e" "$@"

work="$(mktemp -d)"
cp "$app" "$work/tessaloom"
printf '[Settings]\nSize=5\nColors=2\n' >"$work/config.ini"
e2e_start "$work/tessaloom" "$work/out"

wid="$(timeout 15 xdotool search --sync --name '^Tessaloom$' | head -n1)" || fail "no window named Tessaloom within 15 s"
[[ "$wid" =~ ^[0-9]+$ ]] || fail "bad window id '$wid'"
eval "$(xdo getwindowgeometry --shell "$wid")"
left=$(((WIDTH - 125) / 2))
top=$((HEIGHT - 144 - left))
((left >= 0 && top > 0 && WIDTH == 125 + 2 * left)) || fail "window of $WIDTH x $HEIGHT is not the 5 x 5 board with its frame and menu bar"

centre() { echo "$((left + $1 * 25 + 12)),$((top + $2 * 25 + 12))"; }
cells=()
for ((y = 0; y < 5; ++y)); do for ((x = 0; x < 5; ++x)); do cells+=("$(centre $x $y)"); done; done
board() { timeout 10 "$grab" "$wid" "${cells[@]}" | tr '\n' ' ' || true; }
# Waits until the board reads `want` (with `!`: anything but it, and no cell hidden by a
# dialog's shadow or the like: a full read); prints it.
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
window() { timeout 15 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1 || fail "no window named $1 within 15 s"; }
gone() {
  local deadline=$((SECONDS + 10))
  while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || fail "the window $1 did not close"
    sleep 0.05
  done
}
menu() {   # F10, Down, then the item's letter
  xdo windowfocus --sync "$wid"
  xdo key F10
  xdo key Down
  sleep 0.2
  xdo key "$1"
}

start="$(expect_board '!')"
# Game 2611 to its end: three clicks, each waited for, and the last.
xdo windowfocus --sync "$wid"
last="$start"
click() {
  IFS=, read -r cx cy <<<"$(centre $1 $2)"
  xdo mousemove --window "$wid" "$cx" "$cy" click 1
}
for move in "0 0" "0 2" "0 3"; do
  click $move
  last="$(expect_board "!$last")"
done
click 0 3

# The result window: the name field has the focus with "Player" selected; "Ann" replaces
# it, and Alt+C presses "&Close" from the field.
result="$(window 'Game Result')"
xdo windowfocus --sync "$result"
sleep 0.3
xdo type --delay 30 "Ann"
xdo key --clearmodifiers alt+c
gone 'Game Result'
grep -qx '2611=1,Ann,(0,0)(0,2)(0,3)(0,3)' "$work/highscores.ini" || fail "highscores.ini holds no result by Ann: $(cat "$work/highscores.ini" 2>&1)"
grep -qx 'Name=Ann' "$work/config.ini" || fail "config.ini does not keep the name Ann: $(cat "$work/config.ini")"

# New with Number, 42 typed over the number shown, twice: the same board both times, not
# game 2611's.
number42() {
  menu e
  local dialog
  dialog="$(window 'Start New Game')"
  xdo windowfocus --sync "$dialog"
  sleep 0.3
  xdo type --delay 30 "42"
  xdo key Return
  gone 'Start New Game'
}
number42
first="$(expect_board '!')"
sleep 0.3
first="$(expect_board '!')"
[[ "$first" != "$start" ]] || fail "New with Number started game 2611 again, not 42"
xdo windowfocus --sync "$wid"
xdo key F2
expect_board "!$first" >/dev/null
number42
expect_board "$first" >/dev/null

# Alt+H opens Help: A is About, whose "&OK" Alt+O presses.
xdo windowfocus --sync "$wid"
xdo key --clearmodifiers alt+h
sleep 0.3
xdo key a
about="$(window 'About\.\.\.')"
xdo windowfocus --sync "$about"
sleep 0.2
xdo key --clearmodifiers alt+o
gone 'About\.\.\.'

# Alt+G opens Game: X is Exit.
xdo windowfocus --sync "$wid"
xdo key --clearmodifiers alt+g
sleep 0.3
xdo key x
e2e_expect_exit "the game" "Alt+G, X" 0.05
echo "dialog keys e2e: typed name and number replaced what was shown; Alt+C, Alt+H, Alt+O and Alt+G answered"
