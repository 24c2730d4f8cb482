#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UBSan, build-fuzz/)
# and runs each for the given seconds (default 30): first every saved case of
# fuzz/corpus/<target>/ once, then new inputs. Fails on any finding; a finding
# is written to build-fuzz/findings/. Usage: scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANT_FUZZ=ON \
  -DKORVANT_WERROR=$werror >/dev/null
cmake --build build-fuzz -j "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp | sed 's/^fuzz_//')"); done
fi

# Seeds beyond the saved cases: the fixtures of the tests.
seeds_for() {
  case "$1" in
    xml) echo tests/fixtures/net tests/fixtures/db tools/samples ;;
    poll) echo tools/samples ;;
    import) echo tests/fixtures/import tests/fixtures/import/cap ;;
  esac
}

export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
mkdir -p build-fuzz/findings
status=0
for t in "${targets[@]}"; do
  exe=build-fuzz/fuzz/fuzz_$t
  work=build-fuzz/corpus/$t
  mkdir -p "$work" "fuzz/corpus/$t"
  echo "== fuzz $t (${seconds}s) =="
  # shellcheck disable=SC2046
  # 0 seconds: only the saved cases and the seeds, the same every run.
  if ! "$exe" -runs=0 "fuzz/corpus/$t" $(seeds_for "$t") >"build-fuzz/findings/$t.log" 2>&1 ||
     { [ "$seconds" -gt 0 ] && ! "$exe" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
         -artifact_prefix="build-fuzz/findings/$t-" "$work" "fuzz/corpus/$t" $(seeds_for "$t") \
         >>"build-fuzz/findings/$t.log" 2>&1; }; then
    echo "fuzz $t: FINDING (see build-fuzz/findings/$t.log)"
    grep -E "property does not hold|ERROR|runtime error|Test unit written" -A3 "build-fuzz/findings/$t.log" | head -20
    status=1
  else
    grep -E "^stat::number_of_executed_units" "build-fuzz/findings/$t.log" | tail -1 || true
  fi
done
exit $status
