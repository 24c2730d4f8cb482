"""SIGTERM ends the program within 5 s whatever state the member left it in:
the sign-up sheet of a first start, the login dialog, the update prompt, a
form, a box over it, a send the server never answers, a poll it never
answers and an import. Each state is a start of its own; the signal comes once the state
shows. The program must end with 0 through its own shutdown (never through
its last-resort guard), send its logout where it was logged in, and leave
the database whole."""

import os
import shutil
import signal
import subprocess
import time

from harness import JourneyFailed
from bad_days import control
from first_start import WELCOME
from steps import parts_mode

LIMIT = 5.0
# What the program logs when its last-resort guard ends it.
GUARD = "did not end in time after the signal"
FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures", "net")


def terminate(run, state, logged_in):
    logouts = len(run.requests("logout"))
    run.shot(state.replace(" ", "-"))
    clock = time.monotonic()
    run.client.send_signal(signal.SIGTERM)
    try:
        code = run.client.wait(timeout=30)
    except subprocess.TimeoutExpired:
        run.client.kill()
        raise JourneyFailed("%s: the program did not end within 30 s of SIGTERM" % state)
    took = time.monotonic() - clock
    run.client = None  # ended as it should: waits no longer watch it
    print("%s: ended %.1f s after SIGTERM" % (state, took))
    if took > LIMIT * run.slow:
        raise JourneyFailed("%s: the program took %.1f s to end after SIGTERM" % (state, took))
    if code != 0:
        raise JourneyFailed("%s: the program ended with %d" % (state, code))
    if run.log_has(GUARD):
        raise JourneyFailed("%s: the program was ended by its guard, not by its shutdown" % state)
    if logged_in and len(run.requests("logout")) <= logouts:
        raise JourneyFailed("%s: no logout was sent" % state)
    if run.db_value("PRAGMA quick_check") not in (None, "ok"):
        raise JourneyFailed("%s: the database is damaged" % state)


def set_setting(run, name, value):
    path = os.path.join(run.config, "Korvant", "Korvant.ini")
    with open(path, encoding="utf-8") as f:
        lines = [line for line in f.read().splitlines() if not line.startswith(name + "=")]
    lines.insert(lines.index("[Settings]") + 1, "%s=%s" % (name, value))
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def logged_in_start(run):
    """The seeded member, logged in by itself, after the start-up poll."""
    polls = run.poll_lines()
    run.start_client()
    run.wait_polls(polls + 1)
    time.sleep(1)
    if run.popup():
        run.wait_popup_gone()
    run.focus_main()


def new_query(run):
    parts_mode(run)
    run.key("alt+b", "o")  # Buy > Open Queries
    run.wait_title("Open Requests")
    run.key("ctrl+n")
    return run.wait_window("New Query")


def ends_on_signal(run):
    run.start_server("--control", os.path.join(run.home, "control"))
    seeded = run.data

    # A first start on an empty folder: the sign-up sheet is up.
    run.data = os.path.join(run.home, "fresh")
    run.start_client(wait_main=False)
    run.wait(lambda: run.window(WELCOME), "the sign-up sheet")
    terminate(run, "sign-up sheet", False)

    run.data = seeded
    run.seed()
    set_setting(run, "AutoLogin", "0")
    run.start_client(wait_main=False)
    run.wait(lambda: run.window("Login$"), "the login dialog")
    terminate(run, "login dialog", False)
    set_setting(run, "AutoLogin", "1")

    logged_in_start(run)
    new_query(run)
    terminate(run, "a form", True)

    logged_in_start(run)
    new_query(run)
    run.key("alt+y", "Return")  # Return in a text field submits: nothing is filled in
    run.wait_window("^Submission Error$")
    terminate(run, "a box over a form", True)

    # The server takes the query and never answers.
    control(run, "newQuery=silent")
    logged_in_start(run)
    new_query(run)
    for mnemonic, text in (("alt+k", "Ford"), ("alt+d", "Focus"), ("alt+y", "2005"), ("alt+a", "Engine"),
                           ("alt+n", "Starter")):
        run.key(mnemonic)
        run.type(text)
    sent = len(run.requests("newQuery"))
    run.key("alt+y", "Return")
    run.wait(lambda: len(run.requests("newQuery")) > sent, "the query sent")
    time.sleep(2)
    terminate(run, "a send without an answer", True)
    control(run, "newQuery=ok")

    logged_in_start(run)
    control(run, "poll=silent")
    polls = len(run.requests("poll"))
    run.key("F5")
    run.wait(lambda: len(run.requests("poll")) > polls, "the poll that hangs")
    time.sleep(1)
    terminate(run, "a poll without an answer", True)
    control(run, "poll=ok")

    # An import of a long inventory file runs.
    samples = os.path.join(run.data, "samples", "inventory.csv")
    with open(samples, encoding="utf-8") as f:
        head, first = f.readline(), f.readline()
    fields = first.rstrip("\n").split(",")
    with open(samples, "w", encoding="utf-8") as f:
        f.write(head)
        for i in range(200000):
            fields[1] = '"S-%d"' % i
            f.write(",".join(fields) + "\n")
    logged_in_start(run)
    run.key("alt+f", "Down", "Down", "Down", "Down", "Right", "Return")  # File > Import... > Inventory
    run.wait_window("^Inventory Import$")
    run.key("Return")
    run.wait(lambda: not run.window("^Inventory Import$"), "the import to start")
    time.sleep(0.3)
    if run.window("^Inventory Import Completed$"):
        raise JourneyFailed("the import ended before the signal")
    terminate(run, "an import", True)

    # The server offers a newer version: the start-up prompt is up.
    fixtures = os.path.join(run.home, "fixtures")
    shutil.copytree(FIXTURES, fixtures)
    info = os.path.join(fixtures, "getMainInfo.xml")
    with open(info, encoding="utf-8") as f:
        text = f.read()
    with open(info, "w", encoding="utf-8") as f:
        f.write(text.replace("<client_version>3.1.52</client_version>", "<client_version>9.9.99</client_version>"))
    run.server.terminate()
    run.server.wait(timeout=10)
    run.start_server("--fixtures", fixtures)
    run.start_client(wait_main=False)
    # The splash bears the program's name too: the prompt is the second one.
    run.wait(lambda: len([w for w in run.windows("^Korvant$") if not run.is_popup(w)]) >= 2 or
             (run.main and run.window("^Korvant$")), "the update prompt")
    terminate(run, "the update prompt", False)
