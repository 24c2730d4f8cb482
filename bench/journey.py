#!/usr/bin/env python3
"""bench/journey: the real program under xvfb-run against the test server.

    xvfb-run -a -s "-screen 0 1280x800x24" /usr/bin/python3 bench/journey.py BUILD_DIR [RUNS] [JOURNEY]

Prints, per run, the time from the program's start to its first window (the
splash), to its main window (titled with the page and the member, once logged
in) and to the first poll shown (the sample records stored and the poll's summary put in
the status bar and the log), then the wall time of one
journey (part_query_gets_quote unless named), each with the median of the
runs."""

import os
import statistics
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "journeys"))
import journeys  # noqa: E402
from harness import Run  # noqa: E402


def first_poll(build):
    run = Run(build, "bench-startup")
    try:
        run.start_server()
        run.seed()
        start = time.monotonic()
        run.start_client(maximize=False, wait_main=False)
        run.wait(lambda: run.windows("^Korvant"), "the first window", interval=0.02)
        first = time.monotonic() - start
        run.wait(lambda: run.main, "the main window", interval=0.02)
        window = time.monotonic() - start
        # The summary goes to the status bar and the log once the records are stored.
        run.wait_polls(1, interval=0.02)
        shown = time.monotonic() - start
        run.stop_client()
        return first, window, shown
    finally:
        run.close(keep=False)


def journey(build, name):
    entry = next(j for j in journeys.JOURNEYS if j[0] == name)
    run = Run(build, "bench-" + name)
    try:
        start = time.monotonic()
        entry[2](run)
        run.stop_client()
        return time.monotonic() - start
    finally:
        run.close(keep=False)


def main(argv):
    build = argv[1] if len(argv) > 1 else "build"
    runs = int(argv[2]) if len(argv) > 2 else 3
    name = argv[3] if len(argv) > 3 else "part_query_gets_quote"
    starts = []
    for i in range(runs):
        starts.append(first_poll(build))
        print("run %d: first window %.2f s, main window %.2f s, first poll shown %.2f s" % (i + 1, *starts[-1]))
    print("median: first window %.2f s, main window %.2f s, first poll shown %.2f s"
          % tuple(statistics.median(s[k] for s in starts) for k in range(3)))
    walls = []
    for i in range(runs):
        walls.append(journey(build, name))
        print("run %d: journey %s %.2f s" % (i + 1, name, walls[-1]))
    print("median: journey %s %.2f s" % (name, statistics.median(walls)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
