#!/usr/bin/env bash
# Drives the real melodux under its own Xvfb: window shape, Stop and Play
# clicked at the skin's button rectangles, a screenshot against the stored
# reference, and a file handed over by a second start.
# Usage: melodux_e2e.sh MELODUX_BINARY SKIN_DIR REFERENCE_PNG
# Exit 77 (skip) only when no X server can be started.
set -uo pipefail

melodux=$1 skin_ini=$2/Skin.ini reference=$3
skip=77

for tool in Xvfb xdotool xwininfo import compare sox; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit $skip; }
done

# Never the user's folders.
. "$(dirname "$0")/../../support/private_session.sh" e2e
export QT_QPA_PLATFORM=xcb
fail() { echo "FAIL: $*"; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "SKIP: Xvfb did not start"; cat "$work/xvfb.log"; exit $skip; }
    export DISPLAY=:$(head -1 "$work/display")
fi

# x1,y1,x2,y2 of a key in [Rect] -> its centre "x y".
button_centre() {
    awk -F'[=,]' -v key="$1" '
        /^\[/ { section = $0 }
        section == "[Rect]" && $1 == key { print int(($2 + $4) / 2), int(($3 + $5) / 2); exit }
    ' "$skin_ini"
}
read -r stop_x stop_y <<<"$(button_centre Stop)"
read -r play_x play_y <<<"$(button_centre Play)"
[ -n "${stop_x:-}" ] && [ -n "${play_x:-}" ] || fail "Stop/Play missing from $skin_ini"

# Bytes written so far: the file output writes a temporary file beside OUT and renames it when the chain stops.
written() { cat "$work"/out.wav "$work"/*.tmp 2>/dev/null | wc -c; }

sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 30 sine 440 vol 0.3 || fail "sox"
sox -n -r 44100 -c 2 -b 16 "$work/second.wav" synth 5 sine 660 vol 0.3 || fail "sox"

export MELODUX_AUDIO=file:$work/out.wav
"$melodux" "$work/tone.wav" >"$work/first.log" 2>&1 &
first=$!
pids+=($first)
window=$(timeout 15 xdotool search --sync --onlyvisible --name "MP3 Melodux" | head -1)
[ -n "$window" ] || fail "no window within 15 s"
echo "window $window"

# The shape follows the skin's region, so it is not the window's rectangle.
geometry=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
extents=$(xwininfo -shape -id "$window" | awk '/Window shape extents:/ { print $4 }')
echo "window $geometry, shape extents $extents"
[ -n "$extents" ] || fail "window has no shape"
xwininfo -shape -id "$window" | grep -q "No window shape defined" && fail "window has no shape"

grows_within() { # seconds: true once the output grows
    local before after
    before=$(written)
    for _ in $(seq $(($1 * 10))); do
        sleep 0.1
        after=$(written)
        [ "$after" -gt "$before" ] && return 0
    done
    return 1
}
grows_within 5 || fail "the file named on the command line does not play"

xdotool mousemove --window "$window" "$stop_x" "$stop_y" click 1
sleep 0.5
stopped=$(written)
sleep 1
[ "$(written)" -eq "$stopped" ] || fail "output still grows after Stop"

xdotool mousemove --window "$window" 0 0
sleep 0.3
# Only the part inside the shape: what lies outside it is undefined.
import -window "$window" -crop "$extents" +repage "$work/stopped.png" || fail "screenshot"
if [ ! -f "$reference" ]; then
    cp "$work/stopped.png" "$reference"
    echo "reference written to $reference: review it"
fi
# Fonts' antialiasing may differ between hosts: a few per cent of pixels.
differing=$(compare -metric AE -fuzz 15% "$work/stopped.png" "$reference" null: 2>&1)
echo "pixels differing from the reference: $differing"
[ "${differing%%.*}" -le 1500 ] 2>/dev/null || fail "screenshot differs from $reference ($differing pixels)"

xdotool mousemove --window "$window" "$play_x" "$play_y" click 1
grows_within 3 || fail "Play does not start the output again"

# A second start hands its file over and leaves at once; the first plays on.
start=$(date +%s%N)
timeout 5 "$melodux" "$work/second.wav" >"$work/second.log" 2>&1
rc=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "second start: exit $rc after $elapsed ms"
[ "$rc" -eq 0 ] || fail "second start exited $rc: $(cat "$work/second.log")"
[ "$elapsed" -lt 3000 ] || fail "second start took $elapsed ms"
kill -0 "$first" 2>/dev/null || fail "first instance ended: $(cat "$work/first.log")"
[ "$(xdotool search --name "MP3 Melodux" | wc -l)" -ge 1 ] || fail "window gone"
grows_within 3 || fail "first instance stopped playing after the hand-over"
echo "PASS"
