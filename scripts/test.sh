#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test; then builds the core
# libraries and their tests again with AddressSanitizer and UBSan and runs
# those; then runs every fuzz target over its saved cases and seeds (with
# FUZZ_SECONDS set, also that long on new inputs; scripts/fuzz.sh N explores).
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1

echo "== build (tests: all) =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANT_WERROR=$werror >/dev/null
cmake --build build -j "$jobs"
echo "== tests =="
status=0
ctest --test-dir build --output-on-failure -j "$jobs" || status=$?

echo "== build (core, AddressSanitizer + UBSan) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANT_SANITIZE=ON -DKORVANT_CORE_ONLY=ON \
      -DKORVANT_BENCH=OFF -DKORVANT_WERROR=$werror >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests (sanitizers) =="
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=$?

echo "== fuzz targets (clang, AddressSanitizer + UBSan) =="
bash scripts/fuzz.sh "${FUZZ_SECONDS:-0}" || status=$?

exit $status
