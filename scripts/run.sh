#!/usr/bin/env bash
# Builds everything, starts the test marketplace server on a free loopback
# port and runs the client against it with its own data folder and settings.
# The server stops when the client ends. Extra arguments go to the client.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

run="${KORVANT_RUN_DIR:-$PWD/build/run}"
mkdir -p "$run/data" "$run/config"
chmod 700 "$run" "$run/data" "$run/config"

# The server remembers what it sent this folder's member; a new folder starts afresh.
[ -f "$run/data/kvc.mdb" ] || rm -f "$run/server.state"
server_out="$run/server.out"
./build/bin/korvant-testserver --state "$run/server.state" >"$server_out" 2>"$run/server.log" &
server=$!
stop_server() { kill "$server" 2>/dev/null && wait "$server" 2>/dev/null || true; }
trap stop_server EXIT

url=""
for _ in $(seq 1 100); do
  url="$(sed -n 's/^URL //p' "$server_out")"
  [ -n "$url" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$run/server.log" >&2; exit 1; }
  sleep 0.1
done
[ -n "$url" ] || { echo "the test server did not start" >&2; exit 1; }
echo "test marketplace server: $url"

# Settings of this run stay in the run folder, away from the member's own.
# A new run folder starts with the server's sample member, logged in automatically.
if [ ! -f "$run/data/kvc.mdb" ]; then
  XDG_CONFIG_HOME="$run/config" ./build/bin/korvant-seedrun "$run/data"
fi
status=0
XDG_CONFIG_HOME="$run/config" ./build/bin/korvant -dbpath "$run/data" -url "$url" -level 5 "$@" || status=$?
echo "client ended ($status); its log: $run/data/kvc.log"
exit "$status"
