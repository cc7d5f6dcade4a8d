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

e2e_start_small_game "$app"

start="$(expect_board '!')"
# Game 2611 to its end: three clicks, each waited for, and the last.
xdo windowfocus --sync "$wid"
last="$start"
for move in "0 0" "0 2" "0 3"; do
  e2e_click $move
  last="$(expect_board "!$last")"
done
e2e_click 0 3

# The result window: the name field has the focus with "Player" selected; "Ann" replaces
# it, and Alt+C presses "&Close" from the field.
result="$(e2e_window 'Game Result')"
xdo windowfocus --sync "$result"
sleep 0.3
xdo type --delay 30 "Ann"
xdo key --clearmodifiers alt+c
e2e_gone 'Game Result'
grep -qx '2611=1,Ann,(0,0)(0,2)(0,3)(0,3)' "$work/highscores.ini" || fail "highscores.ini holds no result by Ann: $(cat "$work/highscores.ini" 2>&1)"
grep -qx 'Name=Ann' "$work/config.ini" || fail "config.ini does not keep the name Ann: $(cat "$work/config.ini")"

# New with Number, 42 typed over the number shown, twice: the same board both times, not
# game 2611's.
number42() {
  e2e_game_menu e
  local dialog
  dialog="$(e2e_window 'Start New Game')"
  xdo windowfocus --sync "$dialog"
  sleep 0.3
  xdo type --delay 30 "42"
  xdo key Return
  e2e_gone 'Start New Game'
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
about="$(e2e_window 'About\.\.\.')"
xdo windowfocus --sync "$about"
sleep 0.2
xdo key --clearmodifiers alt+o
e2e_gone 'About\.\.\.'

# Alt+G opens Game: X is Exit.
xdo windowfocus --sync "$wid"
xdo key --clearmodifiers alt+g
sleep 0.3
xdo key x
e2e_expect_exit "the game" "Alt+G, X" 0.05
echo "dialog keys e2e: typed name and number replaced what was shown; Alt+C, Alt+H, Alt+O and Alt+G answered"
