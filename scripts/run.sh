#!/usr/bin/env bash
# Builds the client and runs it with its own data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target korvant
data="${KORVANT_RUN_DATA:-$PWD/build/run-data}"
mkdir -p "$data"
exec ./build/bin/korvant -dbpath "$data" -level 5 "$@"
