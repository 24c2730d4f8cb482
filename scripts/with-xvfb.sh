#!/usr/bin/env bash
# with-xvfb.sh COMMAND [ARG...]: runs COMMAND on an X server of its own
# (1280x800, 24 bits) and ends the server with it.
# The server picks its display number itself (-displayfd). xvfb-run -a picks
# one from the lock files first, and two started at the same moment can pick
# the same number: one program then finds no display and aborts.
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
server=$!
display=
for _ in $(seq 300); do
  # The server writes the number and its newline apart: ":1" may be the
  # first digit of ":12".
  if grep -q . "$dir/display" 2>/dev/null && [ "$(tail -c 1 "$dir/display" | od -An -c | tr -d ' ')" = '\n' ]; then
    display=$(head -n 1 "$dir/display")
    break
  fi
  if ! kill -0 "$server" 2>/dev/null; then
    echo "with-xvfb: the X server did not start:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$display" ]; then
  echo "with-xvfb: the X server gave no display within 30 s" >&2
  kill "$server" 2>/dev/null
  exit 1
fi
DISPLAY=":$display" "$@"
status=$?
if ! kill -0 "$server" 2>/dev/null; then
  echo "with-xvfb: the X server of display :$display ended before the command:" >&2
  cat "$dir/xvfb.log" >&2
  [ $status -ne 0 ] || status=1
fi
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
