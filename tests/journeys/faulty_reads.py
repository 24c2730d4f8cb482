"""What the program asks of a misbehaving marketplace by itself or at the
member's word, with the whole program running: the start-up login (a server
that never answers: the window answers and File > Exit ends it; a cut
connection: the member is told why and how to log in again, and does), a poll
(a web page instead of XML; an expired session: one more login, then the
records), the buyer's contact of a lead (a cut connection; a server that never
answers while the member leaves by File > Exit; then, started again, the
contact). The window answers
within a second throughout (the program's event-loop probe), nothing is
stored half-way, and the next normal operation works."""

import os
import time

from harness import JourneyFailed
from bad_days import control, counts
from steps import FIRST_ROW, log_lines, parts_mode

# The member's patience with File > Exit.
EXIT_SECONDS = 5
# "Get contact information" on a lead's page in the Details bar, from the main window's top left.
GET_CONTACT = (300, 430)
LOGIN_AGAIN = "To log in again, choose Login in the File menu (Ctrl+L)."


def exit_by_menu(run, what):
    """File > Exit; the program must end with 0 within EXIT_SECONDS."""
    run.focus_main()
    run.key("alt+f")
    time.sleep(0.5)
    run.shot("exit-" + what.replace(" ", "-"))
    clock = time.monotonic()
    run.key("x")
    run.wait_ended("File > Exit " + what)
    took = time.monotonic() - clock
    run.client = None
    print("File > Exit %s: ended after %.1f s" % (what, took))
    if took > EXIT_SECONDS:
        raise JourneyFailed("the program took %.1f s to end after File > Exit %s" % (took, what))


def window_answers(run, label):
    """A menu opens and closes, and another page shows."""
    run.focus_main()
    run.key("alt+t")
    time.sleep(0.5)
    run.shot("menu-" + label)
    run.key("Escape")
    page = "Pending Quotes" if "Pending Quotes" not in run.xdotool("getwindowname", run.main) else "Open Requests"
    run.key("alt+b", "p" if page == "Pending Quotes" else "o")
    run.wait_title(page)
    run.shot("page-" + label)


def start_up_login(run):
    # The server takes the login and never answers.
    control(run, "login=silent")
    run.start_client()
    run.wait(lambda: run.requests("login"), "the start-up login")
    with run.answering("the start-up login, the server silent"):
        window_answers(run, "while-logging-in")
    exit_by_menu(run, "while the start-up login hangs")

    # The connection breaks in the login's answer: told why and how to log in again.
    control(run, "login=cut-short")
    stored = counts(run)
    logins = len(run.requests("login"))
    shown = len(run.boxes("Cannot retrieve main info"))
    run.start_client(maximize=False)
    # The login fails at once: the window's answers after it are what counts.
    run.past_start_up()
    with run.answering("the start-up login, the connection cut"):
        run.told("Cannot retrieve main info", shown, "The connection was closed before the whole answer arrived.",
                 LOGIN_AGAIN)
        run.maximize()
        run.wait(lambda: "[Offline]" in run.xdotool("getwindowname", run.main), "the window offline")
    if len(run.requests("login")) != logins + 2:
        raise JourneyFailed("%d login attempts at start-up" % (len(run.requests("login")) - logins))
    if counts(run) != stored:
        raise JourneyFailed("a failed login changed the records: %r, then %r" % (stored, counts(run)))

    # Well again: File > Login logs in, and Synchronize stores the day's records.
    control(run, "login=ok")
    run.key("ctrl+l")
    run.wait(lambda: "[Offline]" not in run.xdotool("getwindowname", run.main), "the member's name in the title")
    run.synchronize()
    run.wait(lambda: run.db_value("SELECT COUNT(*) FROM Quotes WHERE ID = 'QT-3001'"), "the sample records")
    run.shot("logged-in")
    if run.popup():
        run.wait_popup_gone()


def poll(run):
    stored = counts(run)
    # A web page where the poll's XML was expected.
    control(run, "poll=html")
    with run.answering("a poll, a web page for an answer"):
        sent = len(run.requests("poll"))
        run.focus_main()
        run.key("F5")
        run.wait(lambda: len(run.requests("poll")) > sent, "the poll sent")
        run.wait(lambda: run.log_has("The server answered with a web page"), "the web page refused")
        time.sleep(0.5)
        run.shot("poll-web-page")
        window_answers(run, "after-a-web-page")
    if counts(run) != stored:
        raise JourneyFailed("a refused poll changed the records: %r, then %r" % (stored, counts(run)))

    # The session expired: one more login, the poll again, the records stored.
    control(run, "poll=code4-once")
    logins = len(run.requests("login"))
    with run.answering("a poll, the session expired"):
        run.synchronize()
    run.wait(lambda: run.db("SELECT TITLE FROM HotDeals WHERE ID = 'D-6002'"), "the poll's new hot deal")
    if len(run.requests("login")) != logins + 1:
        raise JourneyFailed("%d logins for one expired session" % (len(run.requests("login")) - logins))
    if run.popup():
        run.wait_popup_gone()


def contact_of(run, query):
    return run.db("SELECT C_NAME, C_PHONE, IS_CONTACT_FULL FROM Queries WHERE ID = ?", query)


def shown_lead(run):
    """Sell > Pending Queries, its first lead in the Details bar; its id."""
    parts_mode(run)
    shown = len(log_lines(run, "Details bar"))
    run.key("alt+s", "p")  # Sell > Pending Queries
    run.wait_title("Incoming Leads")
    run.click(run.main, *FIRST_ROW)
    key = run.wait(lambda: [k for k in log_lines(run, "Details bar")[shown:] if k != "none"], "the lead's page")[-1]
    time.sleep(2)  # the page is drawn
    return key.split("|")[-1]


def get_contact(run, what, fault, then=None):
    """The lead's "Get contact information" while the server answers with
    `fault`; `then` runs while the window still waits for the answer."""
    control(run, "getQuery=" + fault)
    sent = len(run.requests("getQuery"))
    with run.answering(what):
        run.focus_main()
        run.click(run.main, *GET_CONTACT)
        run.wait(lambda: len(run.requests("getQuery")) > sent, "the contact asked for")
        if then:
            then()


def contact(run):
    query = shown_lead(run)
    run.shot("lead")
    before = contact_of(run, query)

    # The connection breaks in the answer: told, nothing changed.
    shown = len(run.boxes("Cannot get the contact information"))
    get_contact(run, "a contact, the connection cut", "cut-short",
                lambda: run.told("Cannot get the contact information", shown,
                                 "The connection was closed before the whole answer arrived."))
    if contact_of(run, query) != before:
        raise JourneyFailed("a broken answer changed the lead: %r, then %r" % (before, contact_of(run, query)))

    # The server takes the request and never answers; the member leaves.
    get_contact(run, "a contact, the server silent", "silent", lambda: window_answers(run, "while-the-contact-hangs"))
    exit_by_menu(run, "while a contact request hangs")
    if contact_of(run, query) != before:
        raise JourneyFailed("an unanswered request changed the lead: %r, then %r" % (before, contact_of(run, query)))

    # Well again, started again: the contact is stored.
    polls = run.poll_lines()
    run.start_client()
    run.wait_polls(polls + 1)
    time.sleep(1)
    if run.popup():
        run.wait_popup_gone()
    if shown_lead(run) != query:
        raise JourneyFailed("another lead came first after the start")
    get_contact(run, "a contact", "ok", lambda: run.wait(lambda: contact_of(run, query) != before, "the contact stored"))
    run.shot("contact-stored")
    if contact_of(run, query)[0][2] != 1:
        raise JourneyFailed("the stored contact is %r" % (contact_of(run, query),))


def faulty_reads(run):
    run.probe_stalls()
    run.start_server("--control", os.path.join(run.home, "control"))
    run.seed()
    start_up_login(run)
    poll(run)
    contact(run)
