#!/usr/bin/env bash
# Builds the threaded core tests (CTest label "threads": poller, one-shot
# poll, auto-reply, imports, exit, logout) with ThreadSanitizer in build-tsan/
# and runs them; fails on any report. Qt is not built with ThreadSanitizer:
# the program's own waits use standard primitives or tell the sanitizer the
# ordering Qt gives (src/app/TsanSync.h), and tests/tsan-qt.supp silences
# only what happens wholly inside Qt and the C library. Reports go to
# build-tsan/reports/.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANT_TSAN=ON \
      -DKORVANT_WERROR=$werror >/dev/null
# shellcheck disable=SC2046
cmake --build build-tsan -j "$(nproc)" \
      --target $(ctest --test-dir build-tsan -N -L threads | sed -n 's/^ *Test *#[0-9]*: //p')
rm -rf build-tsan/reports
mkdir -p build-tsan/reports
export QT_QPA_PLATFORM=offscreen
# GLib's slice allocator hands memory between threads through its own
# caches; with plain malloc the sanitizer sees every block's owner.
export G_SLICE=always-malloc
# die_after_fork=0: QProcess starts a child with a vfork-like clone that
# shares memory, so the sanitizer takes the parent for a forked child and
# would end it at its next thread; the child itself only runs exec.
export TSAN_OPTIONS="die_after_fork=0:second_deadlock_stack=1:suppressions=$PWD/tests/tsan-qt.supp:log_path=$PWD/build-tsan/reports/tsan"
status=0
ctest --test-dir build-tsan --output-on-failure -j "$(nproc)" -L threads || status=$?
reports=$(cat build-tsan/reports/tsan.* 2>/dev/null | grep -c "WARNING: ThreadSanitizer" || true)
echo "ThreadSanitizer reports: $reports (build-tsan/reports/)"
[ "$reports" -eq 0 ] || status=1
exit $status
