"""A query sent while the marketplace misbehaves: a server that takes it and
never answers (the member cancels from the waiting box and is told the
server may have it), a server whose every answer says the session expired
(one more login, then a plain refusal); nothing is stored half-way, and the
same form then sends the query when the server is well again."""

import os

from harness import JourneyFailed
from bad_days import control
from steps import first_poll, parts_mode

QUERY = (("alt+k", "Ford"), ("alt+d", "Focus"), ("alt+y", "2005"), ("alt+a", "Engine"), ("alt+n", "Starter"))


def own_queries(run):
    return run.db_value("SELECT COUNT(*) FROM Queries WHERE IS_INCOMING = 0")


def submit(run):
    """Return in a text field is the form's Submit And Close."""
    run.key("alt+y", "Return")


def failure_box(run, form, label):
    run.wait_window("^Cannot send the query$")
    run.shot(label)
    run.key("Return")
    run.wait_gone("^Cannot send the query$", then=form)


def faulty_sends(run):
    run.start_server("--control", os.path.join(run.home, "control"))
    run.seed()
    first_poll(run)
    before = own_queries(run)
    parts_mode(run)
    run.key("alt+b", "o")  # Buy > Open Queries
    run.wait_title("Open Requests")
    run.key("ctrl+n")
    form = run.wait_window("New Query")
    for mnemonic, text in QUERY:
        run.key(mnemonic)
        run.type(text)

    # Taken and never answered: the waiting box's Cancel ends the send.
    control(run, "newQuery=silent")
    sent = len(run.requests("newQuery"))
    submit(run)
    run.wait(lambda: len(run.requests("newQuery")) > sent, "the query sent")
    run.wait_window("^Sending$")
    run.shot("waiting-box")
    run.key("Escape")
    failure_box(run, form, "told-it-may-have-arrived")
    if not run.log_has("The request was cancelled."):
        raise JourneyFailed("the cancel was not logged")
    if own_queries(run) != before:
        raise JourneyFailed("a cancelled query was stored")

    # Every answer says the session expired: one more login, then a refusal.
    control(run, "newQuery=code4")
    logins = len(run.requests("login"))
    sent = len(run.requests("newQuery"))
    submit(run)
    failure_box(run, form, "session-refused")
    if len(run.requests("login")) != logins + 1 or len(run.requests("newQuery")) != sent + 2:
        raise JourneyFailed("%d logins and %d sends for one expired session" %
                            (len(run.requests("login")) - logins, len(run.requests("newQuery")) - sent))
    if own_queries(run) != before:
        raise JourneyFailed("a refused query was stored")

    # Well again: the same form sends it.
    control(run, "newQuery=ok")
    submit(run)
    run.wait(lambda: run.window("^Korvant$"), "\"Your query was submitted successfully\"")
    run.shot("query-sent")
    run.key("Return")
    run.wait_gone("New Query")
    run.wait(lambda: own_queries(run) == before + 1, "the query stored once")
