#!/usr/bin/env bash
# The real program in a real X session (Xvfb), in demonstration mode: no
# serial port, no USB unit, no network address. It starts, shows the
# demonstration message, which is answered; the screen is saved as a PNG for
# a person to look at; then the program is closed the operator's way,
# "Закрыть программу?" answered "ДА", and must end with status 0.
#
#   station_under_xvfb.sh STATION XSHOT OUTPUT_FOLDER
set -euo pipefail
station=$1
xshot=$2
out=$3
mkdir -p "$out"

work=$(mktemp -d)
xvfb=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A program folder of its own: the station keeps its files beside itself.
cp "$station" "$work/"
[ -d "$(dirname "$station")/help" ] && cp -r "$(dirname "$station")/help" "$work/"

Xvfb -displayfd 3 -screen 0 1400x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
export UTM_SERIAL_PORTS=""
# The X keyboard library reads a string past its end under ASan's strict
# string checks; it is the system's, so those checks are off for this run.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0"
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

"$work/$(basename "$station")" &
pid=$!
win=$(timeout 60 xdotool search --sync --name "Ворталинец" | head -n1)

# The window's place and size (no window manager here: as the program set it).
# Without a window manager the window still covers the screen.
covers() {
  eval "$(xdotool getwindowgeometry --shell "$win")"
  [ "$X" = 0 ] && [ "$Y" = 0 ] && [ "$WIDTH" = 1400 ] && [ "$HEIGHT" = 800 ]
}
for _ in $(seq 50); do covers && break; sleep 0.1; done
covers || {
  echo "the window is ${WIDTH} x ${HEIGHT} at ${X}, ${Y} on a 1400 x 800 screen" >&2
  exit 1
}
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.5; }
# The message panel is 620 x 230, centred; its answer buttons sit near its
# foot: "ОК" alone in the middle, "ДА" left of the middle.
panel_x=$((X + (WIDTH - 620) / 2))
panel_y=$((Y + (HEIGHT - 230) / 2))
button_y=$((panel_y + 186))

# Start-up ends with the demonstration message.
sleep 4
click $((panel_x + 310)) "$button_y"
sleep 1
"$xshot" "$out/station_demonstration.png"

# The close button is the last one of the mode bar, top right.
click $((X + WIDTH - 39)) $((Y + 31))
click $((panel_x + 232)) "$button_y"

status=0
for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end after the close question was answered" >&2
  exit 1
fi
wait "$pid" || status=$?
pid=""
echo "exit status $status; screenshot: $out/station_demonstration.png"
exit "$status"
