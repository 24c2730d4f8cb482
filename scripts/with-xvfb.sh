#!/usr/bin/env bash
# with-xvfb.sh COMMAND [ARG...]: runs COMMAND on an X server of its own
# (1280x800, 24 bits) and ends the server with it.
# Each server takes a display number drawn at random from a wide range, not
# the lowest free one (xvfb-run -a): a server ending while a new one takes its
# number removes the new one's socket on its way out, and two servers starting
# together can take the same number. Either way the program finds no display
# and aborts. The server tells it is ready (-displayfd), and the display is
# tried before the command runs; a server that cannot be reached is replaced.
# -noreset: by default the server resets when its last client leaves, and a
# client connecting meanwhile (the program starting while a test's xdotool
# call ends) is refused.
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }
dir=$(mktemp -d)
server=
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

# Starts a server and sets `display` to its number (empty when it fails).
start_server() {
  display=
  : >"$dir/display"
  Xvfb ":$(( (RANDOM * 32768 + RANDOM) % 60000 + 100 ))" -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset \
    3>"$dir/display" 2>"$dir/xvfb.log" &
  server=$!
  for _ in $(seq 300); do
    # The server writes the number and its newline apart: ":1" may be the
    # first digit of ":12".
    if [ "$(tail -c 1 "$dir/display" | od -An -c | tr -d ' ')" = '\n' ]; then
      display=$(head -n 1 "$dir/display")
      return
    fi
    kill -0 "$server" 2>/dev/null || return
    sleep 0.1
  done
}

display=
for attempt in 1 2 3 4 5; do
  start_server
  if [ -n "$display" ]; then
    for _ in $(seq 50); do
      if DISPLAY=":$display" timeout 5 xdotool getdisplaygeometry >/dev/null 2>"$dir/probe.log"; then
        break 2
      fi
      sleep 0.1
    done
  fi
  echo "with-xvfb: attempt $attempt: no X server reachable on display :${display:-?}:" >&2
  cat "$dir/xvfb.log" "$dir/probe.log" >&2 2>/dev/null
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  server=
  display=
done
[ -n "$display" ] || exit 1

DISPLAY=":$display" "$@"
status=$?
if ! kill -0 "$server" 2>/dev/null; then
  echo "with-xvfb: the X server of display :$display ended before the command:" >&2
  cat "$dir/xvfb.log" >&2
  [ $status -ne 0 ] || status=1
fi
exit $status
