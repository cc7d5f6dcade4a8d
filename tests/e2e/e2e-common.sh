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
