#!/usr/bin/env bash
# The real program in a real X session (Xvfb) against the simulated unit,
# walked through its screens the operator's way, with a PNG of each for a
# person to look at: set-up, result before the test, work during the test,
# result with the markers after the break, the protocol preview, settings,
# the on-screen keyboard and help. Then "Закрыть программу?" is answered
# "ДА" and the program must end with status 0.
#
#   station_screens_under_xvfb.sh STATION XSHOT SIM OUTPUT_FOLDER
#
# There is no window manager: the window covers the 1390 x 755 screen and the
# positions clicked below are those of its layout at that size.
set -euo pipefail
station=$1
xshot=$2
sim=$3
out=$4/station_screens
mkdir -p "$out"
rm -f "$out"/*.png

work=$(mktemp -d)
xvfb=""
simpid=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$simpid" ] && kill "$simpid" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "$*" >&2
  exit 1
}

# Polls a command every 0.1 s for at most $1 seconds.
wait_for() {
  local limit=$(($1 * 10))
  shift
  for _ in $(seq "$limit"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# A program folder of its own: the station keeps its files beside itself.
cp "$station" "$work/"
[ -d "$(dirname "$station")/help" ] && cp -r "$(dirname "$station")/help" "$work/"

# The simulated unit writes the settings the station needs into its
# Config.INI and names the device to open.
"$sim" --speed 10 --ini "$work/Config.INI" >"$work/sim.log" 2>&1 &
simpid=$!
wait_for 30 grep -q '^UTM_SERIAL_PORTS=' "$work/sim.log" || fail "utm-sim named no device"
device=$(sed -n 's/^UTM_SERIAL_PORTS=//p' "$work/sim.log" | head -n1)

Xvfb -displayfd 3 -screen 0 1390x755x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
export UTM_SERIAL_PORTS="$device"
# The X keyboard library reads a string past its end under ASan's strict
# string checks; it is the system's, so those checks are off for this run.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0"
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

"$work/$(basename "$station")" >"$work/station.log" 2>&1 &
pid=$!
win=$(timeout 60 xdotool search --sync --name "Ворталинец" | head -n1)
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" = 1390 ] && [ "$HEIGHT" = 755 ] ||
  fail "the window is ${WIDTH} x ${HEIGHT}, the clicks are laid out for 1390 x 755"

# Positions are the window's; the pause lets the click's work be drawn.
click() {
  xdotool mousemove $((X + $1)) $((Y + $2)) click 1
  sleep 0.5
}
shot() {
  "$xshot" "$out/$1.png" 2>/dev/null || fail "no screenshot $1"
  echo "screenshot: $out/$1.png"
}
sim_said() { grep -q "$1" "$work/sim.log"; }
alive() { kill -0 "$pid" 2>/dev/null || fail "the program ended early: $(tail -n 20 "$work/station.log")"; }

# The message panel is 620 x 230, centred; "ОК" alone in the middle near
# its foot, "ДА" left of the middle.
message_ok() { click 695 450; }
message_yes() { click 617 450; }

# Start-up talks to the unit behind "Инициализация устройств..." and ends
# in set-up mode on the work screen with the main menu.
sleep 4
alive
shot 01_setup

# The result screen before any test: the current method and empty lists.
click 603 31 # РАСЧЕТ
shot 02_result

# Back to set-up through "НОВОЕ", then "ПУСК": the work screen while the
# unit pulls the specimen.
click 67 100 # НОВОЕ
click 80 608 # ПУСК
wait_for 30 sim_said "test 1 started" || fail "the unit saw no start"
sleep 1
alive
shot 03_work

# The break stops the unit; its message is answered and the result screen
# shows the curve with its markers.
wait_for 60 sim_said "stopped at" || fail "the unit was not stopped at the break"
sleep 2
message_ok
sleep 1
alive
shot 04_result_markers

# ПЕЧАТЬ builds the protocol and shows its preview.
click 67 286 # ПЕЧАТЬ
sleep 2
shot 05_preview
click 725 96 # ЗАКРЫТЬ (back to the result screen)

# Settings through the password panel; the password is empty by default.
click 67 100  # НОВОЕ
click 128 724 # НАСТРОЙКИ
click 616 436 # ОК of the password panel
sleep 0.5
shot 06_settings

# The keyboard is offered only when "Использовать Вирт. клавиатуру" is on:
# the operator sets it in the list, then asks for the keyboard.
xdotool mousemove $((X + 1320)) $((Y + 293)) click --repeat 2 1
sleep 0.5
xdotool type 1
xdotool key Return
sleep 0.5
click 155 658 # КЛАВИАТУРА
sleep 0.5
shot 07_keyboard
click 1148 316 # the keyboard's close key
click 155 720  # ВЫХОД ИЗ НАСТРОЕК
sleep 1

click 1175 31 # СПРАВКА
sleep 1
alive
shot 08_help

# The close button is the last one of the mode bar, top right.
click $((WIDTH - 39)) 31
message_yes

wait_for 15 bash -c "! kill -0 $pid 2>/dev/null" ||
  fail "the program did not end after the close question was answered"
status=0
wait "$pid" || status=$?
pid=""
echo "exit status $status"
exit "$status"
