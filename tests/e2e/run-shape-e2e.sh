#!/usr/bin/env bash
# run-shape-e2e.sh <shape_app> <xgrab> <xvfb-run>
# The form "Shapes" on the screen host in a private X server. Its menu bar is as high as
# the item's 30-high image needs: the image shows whole, from the bar's second row to the
# row above the bar's last, and the blue client area starts right under the bar. The drag
# image over the client area shows its lime square, and where its mask leaves it out the
# screen shows the form under it, not the image's background. Every read waits with a
# deadline; the whole run is retried once.
set -euo pipefail
app="$1"; grab="$2"; xvfb="$3"
e2e_name=run-shape-e2e
source "$(dirname "$0")/e2e-common.sh"
e2e_run_in_xvfb "$xvfb" "shape e2e" "$@"

work="$(mktemp -d)"
out="$work/out"
: >"$out"
e2e_start "$app" "$out"

deadline=$((SECONDS + 15))
until grep -q '^READY ' "$out"; do
  kill -0 "$pid" 2>/dev/null || fail "the program exited before its first frame"
  ((SECONDS < deadline)) || fail "no READY within 15 s"
  sleep 0.05
done
wid="$(grep -m1 '^READY ' "$out" | cut -d' ' -f2)"
read -r _ bar imagex clienty < <(grep -m1 '^BAR ' "$out")
read -r _ dragx dragy < <(grep -m1 '^DRAG ' "$out")
[[ "$wid" =~ ^[0-9]+$ && "$wid" != 0 ]] || fail "bad window id '$wid'"
[[ "$bar" =~ ^[0-9]+$ && "$imagex" =~ ^[0-9]+$ && "$clienty" =~ ^[0-9]+$ ]] || fail "bad bar line '$bar $imagex $clienty'"
[[ "$dragx" =~ ^[0-9]+$ && "$dragy" =~ ^[0-9]+$ ]] || fail "bad drag line '$dragx $dragy'"
# A 30-high image and a pixel above and below it.
[[ "$bar" == 32 ]] || fail "the menu bar is $bar high, expected 32"

# Waits until the pixel at $2,$3 of window $1 (an id or root) reads $4 (with a leading `!`:
# anything but it).
expect_pixel() {
  local window="$1" x="$2" y="$3" want="$4" got="" deadline=$((SECONDS + 10))
  while :; do
    got="$(timeout 10 "$grab" "$window" "$x,$y" || true)"
    if [[ "$want" == !* ]]; then [[ -n "$got" && "$got" != "${want:1}" ]] && return 0
    elif [[ "$got" == "$want" ]]; then return 0; fi
    ((SECONDS < deadline)) || fail "pixel $x,$y of $window is '$got', expected $want"
    sleep 0.05
  done
}

# The image's first and last rows, the bar's last row and the client area's first.
expect_pixel "$wid" "$imagex" $((clienty - 31)) FF0000
expect_pixel "$wid" "$imagex" $((clienty - 2)) FF0000
expect_pixel "$wid" "$imagex" $((clienty - 1)) '!FF0000'
expect_pixel "$wid" "$imagex" $((clienty - 1)) '!0000FF'
expect_pixel "$wid" "$imagex" "$clienty" 0000FF

# The drag image: its square, and the form where the mask leaves the image out.
expect_pixel root $((dragx + 20)) $((dragy + 20)) 00FF00
expect_pixel root $((dragx + 3)) $((dragy + 3)) 0000FF
expect_pixel root $((dragx + 36)) $((dragy + 20)) 0000FF
echo "shape e2e: the tall menu bar shows its image whole, the drag image shows through its mask"
