#!/usr/bin/env bash
# Installs what is needed, then, exiting non-zero on any failure:
#  1. builds the whole program and its tests with AddressSanitizer and UBSan
#     (build-asan/) and runs every test there except those that need the web
#     engine (label "webengine") and the package test: the GUI tests and the
#     journeys included, the program they drive built the same way;
#  2. builds the plain program (build/) with the benchmarks and the tests that
#     need the web engine, and runs those and the package test (the shipped
#     program is not sanitized);
#  3. runs every fuzz target over its saved cases and seeds (with FUZZ_SECONDS
#     set, also that long on new inputs; scripts/fuzz.sh N explores);
#  4. builds the threaded core tests with ThreadSanitizer and runs them
#     (scripts/tsan.sh): any report fails.
# One sanitized build runs the tests rather than a plain and a sanitized one,
# so that the whole fits in CI's time on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
status=0

# The names of the tests carrying a label; each test is a target of its name.
tests_labelled() { # build-dir label
  ctest --test-dir "$1" -N -L "$2" | sed -n 's/^ *Test *#[0-9]*: //p'
}

echo "== build (all, AddressSanitizer + UBSan) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANT_SANITIZE=ON -DKORVANT_CORE_ONLY=OFF \
      -DKORVANT_BENCH=OFF -DKORVANT_WERROR=$werror >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests (AddressSanitizer + UBSan; all but the web engine's and the package's) =="
(
  # Chromium, linked by every GUI test and the program, frees with sizes and
  # kinds that these two checks refuse; every other check stays on.
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:halt_on_error=1:new_delete_type_mismatch=0:alloc_dealloc_mismatch=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE "webengine|package"
) || status=$?

echo "== build (plain: the program, the package, the benchmarks, the web engine's tests) =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANT_WERROR=$werror >/dev/null
# shellcheck disable=SC2046
cmake --build build -j "$jobs" --target korvant korvant-testserver korvant-seedrun resources packaging_docs \
      benchmarks $(tests_labelled build webengine)
echo "== tests (web engine, package) =="
ctest --test-dir build --output-on-failure -j "$jobs" -L "webengine|package" || status=$?

echo "== fuzz targets (clang, AddressSanitizer + UBSan) =="
bash scripts/fuzz.sh "${FUZZ_SECONDS:-0}" || status=$?

echo "== threaded core tests (ThreadSanitizer) =="
bash scripts/tsan.sh || status=$?

exit $status
