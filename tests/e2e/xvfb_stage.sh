#!/bin/sh
# The real program on a real X server: the name dialog confirmed with Enter,
# the stage covering the screen, black after its intro, a second start that
# finds the first and exits 0 at once, and a fighting click.
set -u
program="$1"
work=$(mktemp -d)
display=":$((90 + $$ % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $program_pid 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY="$display"
export XDG_RUNTIME_DIR="$work"
export SDL_AUDIODRIVER=dummy
for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A desktop with something on it, so that the capture has something to show.
convert -size 1024x768 gradient:orange-blue "$work/desk.png" && display -window root "$work/desk.png" &
sleep 1

fail() { echo "FAIL: $*"; exit 1; }
pixel() { convert "$1" -format "%[hex:u.p{$2,$3}]" info: 2>/dev/null | cut -c1-6; }

"$program" >"$work/out" 2>&1 &
program_pid=$!
sleep 1.5
xdotool key Return
sleep 3
kill -0 $program_pid 2>/dev/null || fail "the program ended early: $(cat "$work/out")"
import -window root "$work/stage.png"
for point in "5 5" "1018 5" "500 300" "5 570"; do
  set -- $point
  [ "$(pixel "$work/stage.png" "$1" "$2")" = "000000" ] || fail "stage not black at $1,$2: $(pixel "$work/stage.png" "$1" "$2")"
done
# The message window along the bottom shows its hit-point box in dark blue (translucent over black).
box=$(pixel "$work/stage.png" 495 697)
[ "$box" != "000000" ] || fail "no hit-point box at 495,697"

start=$(date +%s%N)
"$program" >"$work/second" 2>&1
code=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ $code -eq 0 ] || fail "second start exited $code: $(cat "$work/second")"
kill -0 $program_pid 2>/dev/null || fail "the first instance ended"
echo "second start exited 0 after ${elapsed} ms"

# A real click on "たたかう": the buttons go, the exchange runs, the menu comes back.
face_before=$(pixel "$work/stage.png" 80 701)
[ "$face_before" != "000000" ] || fail "no button at 80,701"
xdotool mousemove 111 701 click 1
sleep 0.5
import -window root "$work/fight.png"
[ "$(pixel "$work/fight.png" 80 701)" = "000000" ] || fail "the buttons stayed after the click"
sleep 3.5
import -window root "$work/menu.png"
[ "$(pixel "$work/menu.png" 80 701)" = "$face_before" ] || fail "the menu did not come back"
echo "PASS"
