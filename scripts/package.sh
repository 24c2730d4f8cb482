#!/usr/bin/env bash
# Builds the Debian package of the client: build/korvant_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
(cd build && cpack -G DEB)
ls -1 build/korvant_*.deb
