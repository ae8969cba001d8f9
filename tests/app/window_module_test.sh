#!/bin/sh
# The program opens its window from the module beside it, and says why when
# the module is missing.  Usage: window_module_test.sh PROGRAM
set -u
program="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# With the module: the window opens on the demo site and stays open.
QT_QPA_PLATFORM=offscreen "$program" --demo >"$work/out" 2>"$work/err" &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
  echo "FAIL: the window did not stay open"; cat "$work/err"; exit 1
fi
kill "$pid"; wait "$pid" 2>/dev/null
if grep -q "cannot be opened" "$work/err"; then
  echo "FAIL: the module was not loaded"; cat "$work/err"; exit 1
fi

# Without it: status 3 and a message, at once.
cp "$program" "$work/alone"
QT_QPA_PLATFORM=offscreen "$work/alone" --demo >"$work/out" 2>"$work/err"
status=$?
if [ "$status" -ne 3 ] || ! grep -q "the window cannot be opened" "$work/err"; then
  echo "FAIL: without the module: status $status"; cat "$work/err"; exit 1
fi
echo "ok"
