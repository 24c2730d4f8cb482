"""Bad days: the marketplace goes silent in the middle of a poll, comes back
with garbage, then recovers; a second start of the program brings the
running window forward; the member quits while a poll hangs.

The program runs as a member starts it from the desktop: no command-line
override, so the single-instance guard is on (its socket lives in this run's
own temporary folder) and the data and settings are in the member's usual
folders. The server's faults are switched through its control file."""

import os
import subprocess
import time

from harness import JourneyFailed

# The poll's transfer gives up after a minute without a byte.
HUNG_POLL_ENDS = 150
# The member's patience with File > Exit.
EXIT_SECONDS = 5


def server_lines(run, prefix):
    try:
        with open(os.path.join(run.home, "server.out")) as f:
            return [line.strip() for line in f if line.startswith(prefix)]
    except FileNotFoundError:
        return []


def control(run, line):
    """Writes the server's control file whole and waits until the server
    has applied it."""
    before = len(server_lines(run, "CONTROL "))
    path = os.path.join(run.home, "control")
    with open(path + ".new", "w") as f:
        f.write(line + "\n")
    os.replace(path + ".new", path)
    run.wait(lambda: server_lines(run, "CONTROL ")[before:] == ["CONTROL " + line], "the server to take %s" % line,
             timeout=20)


def counts(run):
    return {table: run.db_value("SELECT COUNT(*) FROM %s" % table)
            for table in ("Queries", "Quotes", "Messages", "HotDeals", "Orders")}


def poll_until(run, condition, what):
    """F5 until `condition` holds: a poll asked for while the timed poll runs
    is dropped, so one press may not be enough."""
    deadline = time.monotonic() + 120

    def once():
        run.focus_main()
        run.key("F5")
        try:
            return run.wait(condition, what, timeout=15)
        except JourneyFailed:
            if time.monotonic() > deadline:
                raise
            return None
    while True:
        value = once()
        if value:
            return value


def start_as_from_desktop(run):
    """The program with no arguments but the log level, as the desktop entry
    starts it."""
    run.client_started = time.monotonic()
    return subprocess.Popen([os.path.join(run.bin, "korvant"), "-level", "5"], env=run.env,
                            stdout=open(os.path.join(run.home, "client.out"), "a"), stderr=subprocess.STDOUT)


def point_settings_at_server(run):
    """The member's settings name the marketplace (the seed, run with a data
    folder given, leaves the address out)."""
    path = os.path.join(run.config, "Korvant", "Korvant.ini")
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    lines = [line for line in lines if not line.startswith("ServerURL=")]
    at = lines.index("[Settings]") + 1
    lines.insert(at, "ServerURL=" + run.url)
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def stacking(run):
    """The root's children, as xwininfo lists them."""
    r = subprocess.run(["xwininfo", "-root", "-children"], capture_output=True, text=True)
    ids = []
    for line in r.stdout.splitlines():
        line = line.strip()
        if line.startswith("0x"):
            ids.append(int(line.split()[0], 16))
    return ids


def above(ids, upper, lower):
    return upper in ids and lower in ids and ids.index(upper) < ids.index(lower)


def bad_days(run):
    tmp = os.path.join(run.home, "tmp")
    os.makedirs(tmp)
    run.env["TMPDIR"] = tmp
    run.data = os.path.join(run.home, "share", "Korvant", "data")
    os.makedirs(os.path.dirname(run.data), mode=0o700)
    run.start_server("--control", os.path.join(run.home, "control"))
    run.seed()
    point_settings_at_server(run)
    run.client = start_as_from_desktop(run)
    run.wait(lambda: run.main, "the main window")
    run.maximize()
    run.wait_polls(1)
    run.wait(lambda: run.db_value("SELECT COUNT(*) FROM Quotes WHERE ID = 'QT-3001'"), "the sample records")
    run.wait_popup()
    run.shot("first-poll")
    run.wait_popup_gone()
    stored = counts(run)

    # The server goes silent after the headers of a poll's answer.
    control(run, "poll=silent")
    polls = len(run.requests("poll"))
    run.key("F5")
    run.wait(lambda: len(run.requests("poll")) > polls, "the poll that hangs")
    hung_at = time.monotonic()
    run.shot("poll-hangs")
    # The window keeps answering: a menu opens, another page shows.
    run.key("alt+t")
    time.sleep(1)
    run.shot("menu-open-while-hung")
    run.key("Escape")
    run.key("alt+b", "p")  # Buy > Pending Quotes
    run.wait_title("Pending Quotes")
    run.shot("page-changed-while-hung")
    run.wait(lambda: run.log_has("The server did not answer in time."), "the hung poll to give up",
             timeout=HUNG_POLL_ENDS)
    waited = time.monotonic() - hung_at
    run.shot("poll-timed-out")
    if counts(run) != stored:
        raise JourneyFailed("the hung poll changed the records: %r, then %r" % (stored, counts(run)))

    # It comes back with garbage: a clear error, nothing stored, nothing lost.
    control(run, "poll=garbage")
    poll_until(run, lambda: run.log_has("The server's answer is not valid XML"), "the garbage refused")
    run.shot("garbage-refused")
    if counts(run) != stored:
        raise JourneyFailed("the garbage changed the records: %r, then %r" % (stored, counts(run)))
    if run.db_value("PRAGMA quick_check") != "ok":
        raise JourneyFailed("the database is damaged after the garbage")

    # It recovers: the next poll stores what the other members sent meanwhile.
    control(run, "poll=ok")
    poll_until(run, lambda: run.db("SELECT TITLE FROM HotDeals WHERE ID = 'D-6002'"), "the new hot deal")
    run.key("alt+b", "p")
    run.wait_title("Pending Quotes")
    run.shot("recovered")
    after = counts(run)
    if after["HotDeals"] != stored["HotDeals"] + 1 or any(after[t] < stored[t] for t in stored):
        raise JourneyFailed("after the recovery the records are %r (before %r)" % (after, stored))

    # Another window covers the program and has the focus; a second start
    # brings the running window forward and ends.
    main = run.main
    cover = subprocess.Popen(["xmessage", "-geometry", "640x360+300+200", "Another program"], env=run.env)
    try:
        other = run.wait(lambda: (run.xdotool("search", "--onlyvisible", "--classname", "^xmessage$").split() or [None])[0],
                         "the other program's window")
        run.xdotool("windowraise", other)
        run.xdotool("windowfocus", "--sync", other)
        run.wait(lambda: not run.focused_inside(main) and run.xdotool("getwindowfocus") != main,
                 "the other program to take the focus")
        run.shot("covered")
        second = start_as_from_desktop(run)
        try:
            second.wait(timeout=30)
        except subprocess.TimeoutExpired:
            second.kill()
            raise JourneyFailed("the second start did not end")
        # Without a window manager the X server may refuse the focus the
        # program asks for (its request carries an older time than the
        # other program's focus), so the raise is what is checked.
        run.wait(lambda: above(stacking(run), int(main), int(other)), "the running window raised over the other one",
                 timeout=20)
        run.shot("brought-forward")
        if run.client.poll() is not None:
            raise JourneyFailed("the running program ended at the second start")
    finally:
        cover.terminate()
        cover.wait(timeout=10)
    run.focus_main()

    # Silent again; the member quits while the poll hangs.
    control(run, "poll=silent")
    polls = len(run.requests("poll"))
    poll_until(run, lambda: len(run.requests("poll")) > polls, "the poll that hangs")
    run.key("alt+f")
    time.sleep(0.5)
    run.shot("exit-while-hung")
    clock = time.monotonic()
    run.key("x")  # File > Exit
    try:
        code = run.client.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise JourneyFailed("the program did not end within 30 s of File > Exit")
    took = time.monotonic() - clock
    if took > EXIT_SECONDS * run.slow:
        raise JourneyFailed("the program took %.1f s to end during a hung poll" % took)
    if code != 0:
        raise JourneyFailed("the program ended with %d" % code)
    print("hung poll gave up after %.0f s; the program ended %.1f s after File > Exit" % (waited, took))
