#!/usr/bin/env bash
# first-frame.sh [build dir] [runs]
# Measures, in a private X server, the time from exec to the first painted frame and the
# peak memory of the game beside a bare SDL2 window on the same software framebuffer path
# (and the platform's own small e2e program between the two), and prints the game's ratios
# to the bare window. Median of the runs for each; the programs take turns, so a change
# in the machine's load touches all of them alike. Informational only: it never fails on
# numbers.
#
# The first painted frame is seen by a preloaded probe (tests/e2e/first_frame_probe.c): the
# first window update after which a board pixel is painted prints READY and ends the
# process, so every program's peak memory is taken at the same moment. Needs a build with
# the end-to-end targets (tessaloom, e2e_app, bare_sdl, first_frame_probe), Xvfb and
# /usr/bin/time (package time).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/release}" && pwd)"
runs="${2:-9}"
game="$build/game/tessaloom"
app="$build/tests/e2e/e2e_app"
bare="$build/tests/e2e/bare_sdl"
probe="$build/tests/e2e/libfirst_frame_probe.so"
for f in "$game" "$app" "$bare" "$probe"; do
  [[ -e "$f" ]] || { echo "first-frame: $f is missing (cmake --build $build --target tessaloom e2e_app bare_sdl first_frame_probe)" >&2; exit 2; }
done
[[ -x /usr/bin/time ]] || { echo "first-frame: /usr/bin/time is missing (package time)" >&2; exit 2; }

if [[ "${FIRST_FRAME_INNER:-}" != 1 ]]; then
  exec env FIRST_FRAME_INNER=1 "$root/tests/support/xvfb-run" -t 600 "$0" "$build" "$runs"
fi
export SDL_VIDEODRIVER=x11
# A pixel inside the board, inside the e2e pattern (below caption and menu bar when no
# window manager runs) and inside the bare fill.
export FIRST_FRAME_PIXEL="40,60"

# One run: milliseconds from exec to the READY line, and the peak resident set in KiB.
measure() {
  local work start ready line
  work="$(mktemp -d)"
  start="$(date +%s%N)"
  ready=""
  while IFS= read -r line; do
    if [[ -z "$ready" && "$line" == READY* ]]; then ready="$(date +%s%N)"; fi
  done < <(cd "$work" && timeout 20 /usr/bin/time -f "%M" -o "$work/rss" env LD_PRELOAD="$probe" "$@" 2>/dev/null)
  wait || true
  [[ -n "$ready" ]] || { echo "first-frame: no painted frame from $1" >&2; rm -rf "$work"; return 1; }
  echo "$(( (ready - start) / 1000000 )) $(cat "$work/rss")"
  rm -rf "$work"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

names=("bare SDL2" "e2e_app" "tessaloom")
cmds=("$bare" "$app --bare" "$game")
declare -A times rss
for ((i = 0; i < runs; i++)); do
  for k in 0 1 2; do
    read -r t r < <(measure ${cmds[$k]})
    times[$k]+="$t "
    rss[$k]+="$r "
  done
done
declare -a mt mr
for k in 0 1 2; do
  mt[$k]=$(tr ' ' '\n' <<<"${times[$k]}" | grep . | median)
  mr[$k]=$(tr ' ' '\n' <<<"${rss[$k]}" | grep . | median)
  printf '%-10s first painted frame %5s ms   peak RSS %7s KiB   (median of %d)\n' "${names[$k]}" "${mt[$k]}" "${mr[$k]}" "$runs"
done
awk -v gt="${mt[2]}" -v bt="${mt[0]}" -v gr="${mr[2]}" -v br="${mr[0]}" \
  'BEGIN { printf "tessaloom / bare SDL2: time %.2fx, peak memory %.2fx (%.1f MB)\n", gt / bt, gr / br, gr / 1024 }'
