#!/bin/sh
# utm-sim as a person runs it: the device to give the station comes first,
# SIGINT and SIGTERM end it cleanly, a wrong option is refused.
set -u
sim=$1
for sig in INT TERM; do
  out=$(timeout --preserve-status -s "$sig" 2 "$sim" --speed 10)
  status=$?
  [ "$status" -eq 0 ] || { echo "exit status $status after SIG$sig"; exit 1; }
  first=$(printf '%s\n' "$out" | head -n 1)
  printf '%s\n' "$first" | grep -q '^UTM_SERIAL_PORTS=/dev/pts/[0-9][0-9]*$' ||
    { echo "first line after SIG$sig: $first"; exit 1; }
done
"$sim" --speed 0 >/dev/null 2>&1
status=$?
[ "$status" -eq 2 ] || { echo "exit status $status for a bad option"; exit 1; }
"$sim" --help | grep -q '^usage: utm-sim' || { echo "no usage"; exit 1; }
echo ok
