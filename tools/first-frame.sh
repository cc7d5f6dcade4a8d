#!/usr/bin/env bash
# first-frame.sh [build dir] [runs]
# Measures, in a private X server, the time from exec to the first presented frame and the
# peak memory of the e2e program beside a bare SDL2 window on the same software path.
# Prints the median of the runs for each. Informational only: it never fails on numbers.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/dev}"
runs="${2:-7}"
app="$build/tests/e2e/e2e_app"
bare="$build/tests/e2e/bare_sdl"
for f in "$app" "$bare"; do
  [[ -x "$f" ]] || { echo "first-frame: $f is missing (build e2e_app and bare_sdl first)" >&2; exit 2; }
done
[[ -x /usr/bin/time ]] || { echo "first-frame: /usr/bin/time is missing (package time)" >&2; exit 2; }

if [[ "${FIRST_FRAME_INNER:-}" != 1 ]]; then
  exec env FIRST_FRAME_INNER=1 "$root/tests/support/xvfb-run" -t 120 "$0" "$build" "$runs"
fi
export SDL_VIDEODRIVER=x11

# One run: milliseconds from exec to the READY line, and the peak resident set in KiB.
measure() {
  local work start ready line
  work="$(mktemp -d)"
  start="$(date +%s%N)"
  ready=""
  while IFS= read -r line; do
    if [[ -z "$ready" && "$line" == READY* ]]; then ready="$(date +%s%N)"; fi
  done < <(timeout 20 /usr/bin/time -f "%M" -o "$work/rss" "$@" 2>/dev/null)
  wait || true
  [[ -n "$ready" ]] || { echo "first-frame: no READY from $1" >&2; rm -rf "$work"; return 1; }
  echo "$(( (ready - start) / 1000000 )) $(cat "$work/rss")"
  rm -rf "$work"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

report() {
  local name="$1"; shift
  local times=() rss=() t r
  for ((i = 0; i < runs; i++)); do
    read -r t r < <(measure "$@")
    times+=("$t"); rss+=("$r")
  done
  printf '%-10s first frame %4s ms   peak RSS %6s KiB   (median of %d)\n' "$name" \
    "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${rss[@]}" | median)" "$runs"
}

report "bare SDL2" "$bare"
report "e2e_app" "$app" --bare
