"""Sends while the marketplace misbehaves, with the whole program running: a
query, a message and a purchase order each go to a server that takes them and
never answers (the member cancels from the waiting box and is told the server
may have it); a query to a server whose every answer says the session expired
(one more login, then a plain refusal); a message to one whose session expired
once (one more login, the message sent and stored once). Nothing is stored
half-way, each form then sends to a well server, the window answers within a
second throughout (the program's event-loop probe), and SIGTERM during a send
that hangs ends the program within 5 s."""

import os

from harness import JourneyFailed
from bad_days import control
from ends_on_signal import terminate
from steps import SECOND_ROW, SUBMIT_ORDER, first_poll, lookup, parts_mode

QUERY = (("alt+k", "Ford"), ("alt+d", "Focus"), ("alt+y", "2005"), ("alt+a", "Engine"), ("alt+n", "Starter"))
MAY_HAVE = "The server may have received your %s before the connection ended."


def own_queries(run):
    return run.db_value("SELECT COUNT(*) FROM Queries WHERE IS_INCOMING = 0")


def sent_messages(run):
    return run.db_value("SELECT COUNT(*) FROM Messages WHERE IS_INCOMING = 0")


def submit(run):
    """Return in a text field is the form's Submit And Close."""
    run.key("alt+y", "Return")


def cancelled_send(run, operation, form, send, caption, record):
    """The server takes the send and never answers: the waiting box's Cancel
    ends it, and the member is told the server may have the record."""
    control(run, operation + "=silent")
    sent = len(run.requests(operation))
    shown = len(run.boxes(caption))
    with run.answering("a %s, the server silent" % record):
        send()
        run.wait(lambda: len(run.requests(operation)) > sent, "the %s sent" % record)
        run.wait_window("^Sending$")
        run.shot("waiting-box")
        run.key("Escape")
        run.told(caption, shown, "The request was cancelled.", MAY_HAVE % record, then=form)


def query(run):
    before = own_queries(run)
    parts_mode(run)
    run.key("alt+b", "o")  # Buy > Open Queries
    run.wait_title("Open Requests")
    run.key("ctrl+n")
    form = run.wait_window("New Query")
    for mnemonic, text in QUERY:
        run.key(mnemonic)
        run.type(text)

    cancelled_send(run, "newQuery", form, lambda: submit(run), "Cannot send the query", "query")
    if own_queries(run) != before:
        raise JourneyFailed("a cancelled query was stored")

    # Every answer says the session expired: one more login, then a refusal.
    control(run, "newQuery=code4")
    logins = len(run.requests("login"))
    sent = len(run.requests("newQuery"))
    shown = len(run.boxes("Cannot send the query"))
    with run.answering("a query, every session expired"):
        submit(run)
        run.told("Cannot send the query", shown, "Your session has expired.", then=form)
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


def new_message(run):
    """Member Lookup, Private Message to a member, written; the two windows."""
    dialog = lookup(run, "1000234")
    run.key("alt+p")  # Private Message
    form = run.wait_window("New Message")
    run.key("alt+s")
    run.type("Door panels")
    run.key("Tab")
    run.type("Do you have door panels for a 2008 Civic?")
    return dialog, form


def message(run):
    before = sent_messages(run)
    dialog, form = new_message(run)

    def send():
        run.key("alt+s", "Return")  # Submit is the default button
    cancelled_send(run, "newMessage", form, send, "Cannot send the message", "message")
    if sent_messages(run) != before:
        raise JourneyFailed("a cancelled message was stored")

    # The session expired once: one more login, the message sent again and stored once.
    control(run, "newMessage=code4-once")
    logins = len(run.requests("login"))
    sent = len(run.requests("newMessage"))
    with run.answering("a message, the session expired"):
        send()
        run.wait_gone("New Message", then=dialog)
    run.shot("message-sent")
    if len(run.requests("login")) != logins + 1 or len(run.requests("newMessage")) != sent + 2:
        raise JourneyFailed("%d logins and %d sends for a session that expired once" %
                            (len(run.requests("login")) - logins, len(run.requests("newMessage")) - sent))
    run.wait(lambda: sent_messages(run) == before + 1, "the message stored once")
    run.key("alt+c")
    run.wait_gone("Member Lookup")


def ordered(run, quote):
    return run.db("SELECT COUNT(*) FROM Orders WHERE CONTEXT_ID = ?", quote)[0][0]


def order(run):
    # The seller's quote for the query sent above.
    run.synchronize()
    quote = run.wait(lambda: run.db_value("SELECT ID FROM Quotes WHERE QUERY_ID = 'Q-8001'"), "the seller's quote")
    if run.popup():
        run.wait_popup_gone()
    run.key("alt+b", "p")  # Buy > Pending Quotes
    run.wait_title("Pending Quotes")
    run.click(run.main, *SECOND_ROW)  # the quote under the query
    run.key("Return")
    form = run.wait_window("New Purchase Order")
    run.wait(lambda: run.requests("getMainInfo"), "the order page")
    run.click(form, 600, 300)
    run.key("End")
    run.shot("order-form-end")

    def send():
        x, y, _, _ = run.geometry(form)
        run.click(form, SUBMIT_ORDER[0] - x, SUBMIT_ORDER[1] - y)
    status = run.db_value("SELECT STATUS_CODE FROM Quotes WHERE ID = ?", quote)
    cancelled_send(run, "newOrder", form, send, "Cannot send the purchase order", "purchase order")
    if ordered(run, quote) or run.db_value("SELECT STATUS_CODE FROM Quotes WHERE ID = ?", quote) != status:
        raise JourneyFailed("a cancelled order was stored")

    # Well again: the same page sends it.
    control(run, "newOrder=ok")
    sent = len(run.requests("newOrder"))
    send()
    run.wait(lambda: len(run.requests("newOrder")) > sent, "the order sent")
    run.wait_gone("New Purchase Order")
    run.wait(lambda: ordered(run, quote) == 1, "the order stored once")
    run.shot("order-sent")


def faulty_sends(run):
    run.probe_stalls()
    run.start_server("--control", os.path.join(run.home, "control"))
    run.seed()
    first_poll(run)
    query(run)
    message(run)
    order(run)

    # Once more the server takes a message and never answers; the desktop ends the session.
    control(run, "newMessage=silent")
    sent = len(run.requests("newMessage"))
    new_message(run)
    run.key("alt+s", "Return")
    run.wait(lambda: len(run.requests("newMessage")) > sent, "the message sent")
    run.wait_window("^Sending$")
    terminate(run, "a message send without an answer", True)
