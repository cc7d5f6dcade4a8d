#!/usr/bin/env bash
# host-life.sh <e2e_app> <tessaloom>
# The screen host's life outside the happy path, each against its own private X server:
#   a display that does not answer: a clear message and an error status, at once;
#   idle: the program sleeps until something happens (no periodic wake-ups);
#   the game's main window shows centred on the screen, frame and all;
#   SIGTERM: the program ends through its message loop, with status 0;
#   the X server going away: the program ends with an error instead of spinning.
# Every wait has a deadline.
set -euo pipefail
app="$1"; game="$2"
command -v Xvfb >/dev/null || { echo "host-life: Xvfb is not installed (package xvfb)" >&2; exit 1; }
command -v xdotool >/dev/null || { echo "host-life: xdotool is not installed (package xdotool)" >&2; exit 1; }
export SDL_VIDEODRIVER=x11

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  # Only children not yet waited for: a reaped one's number may belong to anyone by now.
  local p
  for p in $(jobs -p); do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "host-life: $*" >&2
  for f in "$work"/*.out "$work"/*.err; do [[ -s "$f" ]] && { echo "--- $f" >&2; cat "$f" >&2; }; done
  exit 1
}

start_x() {
  rm -f "$work/display"
  mkfifo "$work/display"
  exec 3<>"$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local n=""
  read -r -t 30 n <&3 || fail "Xvfb did not report a display within 30 s"
  exec 3>&-
  export DISPLAY=":$n"
}

stop_x() {
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
}

# Waits up to 15 s for a child to end; its status goes to `status`.
wait_end() {
  local pid="$1" deadline=$((SECONDS + 15))
  while kill -0 "$pid" 2>/dev/null && ! grep -q '^Z' <(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null); do
    ((SECONDS < deadline)) || fail "process $pid did not end within 15 s"
    sleep 0.05
  done
  status=0
  wait "$pid" || status=$?
}

wait_ready() {
  local out="$1" pid="$2" deadline=$((SECONDS + 15))
  until grep -q '^READY ' "$out"; do
    kill -0 "$pid" 2>/dev/null || fail "the program exited before its first frame"
    ((SECONDS < deadline)) || fail "no READY within 15 s"
    sleep 0.02
  done
}

# 1. A display number nobody serves.
n=200
while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
status=0
DISPLAY=":$n" timeout 20 "$game" >"$work/nodisplay.out" 2>"$work/nodisplay.err" || status=$?
[[ $status == 1 ]] || fail "with display :$n that does not answer the program ended with $status, expected 1"
grep -q "cannot open its window: cannot open display :$n" "$work/nodisplay.err" \
  || fail "no clear message for a display that does not answer"

start_x

# 2. Idle: voluntary context switches over a second with nothing happening. A host that
#    polls wakes hundreds of times; one that blocks, not at all (a few allowed for the
#    server's own late replies).
"$app" >"$work/idle.out" 2>"$work/idle.err" &
pid=$!
wait_ready "$work/idle.out" "$pid"
sleep 0.5
before=$(awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$pid/status")
sleep 1
after=$(awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$pid/status")
((after - before <= 5)) || fail "the idle program woke $((after - before)) times in a second"

# 3. SIGTERM ends the program cleanly, through its loop.
kill -TERM "$pid"
wait_end "$pid"
[[ $status == 0 ]] || fail "after SIGTERM the e2e program ended with $status"

"$game" >"$work/game.out" 2>"$work/game.err" &
pid=$!
gwid="$(timeout 15 xdotool search --sync --onlyvisible --name '^Tessaloom$' | head -1)" || fail "the game showed no window"
# No window manager runs here, so the shown window is the whole window, frame included.
eval "$(xdotool getwindowgeometry --shell "$gwid")"
read -r sw sh < <(xdotool getdisplaygeometry)
((X == (sw - WIDTH) / 2 && Y == (sh - HEIGHT) / 2)) \
  || fail "the game's ${WIDTH}x$HEIGHT window is at $X,$Y on a ${sw}x$sh screen, not centred"
kill -TERM "$pid"
wait_end "$pid"
[[ $status == 0 ]] || fail "after SIGTERM the game ended with $status"

# 4. The X server goes away under a running program.
"$game" >"$work/lost.out" 2>"$work/lost.err" &
pid=$!
timeout 15 xdotool search --sync --onlyvisible --name '^Tessaloom$' >/dev/null || fail "the game showed no window"
stop_x
wait_end "$pid"
[[ $status == 1 ]] || fail "after losing its display the game ended with $status, expected 1"
grep -q "connection to display .* was lost" "$work/lost.err" || fail "no message on losing the display"

echo "host-life: no display, idle, SIGTERM and display loss all behave"
