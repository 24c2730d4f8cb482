"""Steps the journeys share: a person's ways to the places of the window."""

import os
import time

from harness import JourneyFailed  # noqa: F401


def started(run):
    """The sample member, logged in automatically, after the first poll and
    its pop-up."""
    run.start_server()
    run.seed()
    first_poll(run)


def first_poll(run):
    """The program started on its prepared folder, until the first poll and
    its pop-up have come."""
    run.start_client()
    run.wait_polls(1)
    run.wait(lambda: run.db_value("SELECT COUNT(*) FROM Quotes WHERE ID = 'QT-3001'"), "the sample records")
    run.wait_popup()
    run.maximize()
    run.shot("first-poll")
    run.wait_popup_gone()


def parts_mode(run):
    """The "Car Parts" button of the tool bar."""
    if "> Parts >" not in run.xdotool("getwindowname", run.main):
        run.click(run.main, 85, 46)
        run.wait_title("> Parts >")


def post_part_query(run):
    """A part query from Open Queries, until the seller's quote has come."""
    run.key("alt+b", "o")  # Buy > Open Queries
    run.wait_title("Open Requests")
    run.key("ctrl+n")
    dialog = run.wait_window("New Query")
    run.shot("new-query")
    for mnemonic, text in (("alt+k", "Ford"), ("alt+d", "Focus"), ("alt+y", "2005"), ("alt+a", "Engine"),
                           ("alt+n", "Starter")):
        run.key(mnemonic)
        run.type(text)
    run.shot("query-filled")
    # Alt+S also names "Engine Size": Return in a text field submits.
    run.key("alt+y", "Return")
    run.wait(lambda: run.requests("newQuery"), "the query sent")
    run.wait(lambda: run.window("^Korvant$"), "\"Your query was submitted successfully\"")
    run.shot("query-sent")
    run.key("Return")
    run.wait_gone("New Query")
    run.shot("query-under-open-requests")
    query = run.wait(lambda: run.db("SELECT ID, P_NAME, V_MAKE FROM Queries WHERE IS_INCOMING = 0"), "the query stored")
    if query != [("Q-8001", "Starter", "Ford")]:
        raise JourneyFailed("stored queries %r" % (query,))
    body = run.requests("newQuery")[0][1]
    if "<name>Starter</name>" not in body or "<make>Ford</make>" not in body:
        raise JourneyFailed("the server got %s" % body)

    run.synchronize()
    run.wait(lambda: run.db("SELECT STATUS FROM Queries WHERE ID = 'Q-8001'") == [("Replied",)] and
             run.db("SELECT ID, C_NAME FROM Quotes WHERE QUERY_ID = 'Q-8001'") == [("QT-8002", "Pat Seller")],
             "the seller's quote")
    run.wait_popup()
    run.shot("quote-pop-up")
    run.wait_popup_gone()


def cars_mode(run):
    """The "Cars" button of the tool bar."""
    if "> Cars >" not in run.xdotool("getwindowname", run.main):
        run.click(run.main, *CARS_BUTTON)
        run.wait_title("> Cars >")


CARS_BUTTON = (33, 46)
# Points of the car query sheet, from its top left corner.
TRADE_IN_NO = (332, 616)
SHEET_SUBMIT = (481, 653)
# Rows of the main window's list.
FIRST_ROW = (400, 130)
SECOND_ROW = (400, 146)
# The order page's "Submit Order", on the screen once the page is at its end.
SUBMIT_ORDER = (307, 652)


def lookup(run, passport):
    """Action > Member Lookup, a search by passport id; the dialog's id, once
    it shows the result: its buttons are hidden until then, and an Alt+letter
    meant for one lands in the id field as a letter."""
    run.key("alt+a", "m")
    dialog = run.wait_window("Member Lookup")
    run.type(passport)
    height = run.geometry(dialog)[3]
    run.key("alt+s")
    run.wait(lambda: [b for _, b in run.requests("getProfile") if "<passport_id>%s<" % passport in b], "the lookup")
    run.wait(lambda: run.geometry(dialog)[3] > height, "the lookup's result shown")
    return dialog


# Points of the options sheet, a click away.
OPTION_PAGES = {"Synchronization": (62, 46), "Notifications": (62, 60)}
POLL_MINUTES = (300, 57)
HOT_DEAL_ALERTS = (182, 133)


def options_page(run, page):
    """Tools > Options (Ctrl+O), one of its pages."""
    run.key("ctrl+o")
    sheet = run.wait_window("^Options$")
    run.click(sheet, *OPTION_PAGES[page])
    return sheet


def post_car_query(run):
    """A car query from Open Queries (cars mode), sent and stored."""
    run.key("alt+b", "o")  # Buy > Open Queries
    run.wait_title("> Cars > Open Requests")
    run.key("ctrl+n")
    sheet = run.wait_window("Cars - New Query")
    run.shot("new-car-query")
    # The lists find an item by the letters typed.
    run.key("alt+k")
    run.type("Subaru")
    run.key("alt+d")
    run.type("Outback")
    run.click(sheet, *TRADE_IN_NO)
    run.shot("car-query-filled")
    run.click(sheet, *SHEET_SUBMIT)  # Return is Next
    run.wait(lambda: run.requests("newCarQuery"), "the car query sent")
    run.wait(lambda: run.window("^Korvant$"), "\"Your query was submitted successfully\"")
    run.shot("car-query-sent")
    run.key("Return")
    run.wait_gone("Cars - New Query")
    run.shot("car-query-under-open-requests")


def address_book(run):
    """Action > Address Book, once it has fetched its members' profiles;
    closed again."""
    fetched = len(run.requests("getProfile"))
    run.key("alt+a", "b")  # Action > Address Book
    run.wait_window("^Address Book$")
    # The book fetches each member's profile before it lists them.
    run.wait(lambda: len(run.requests("getProfile")) > fetched, "the member's profile for the book")
    time.sleep(1)
    run.shot("address-book")
    run.key("Escape")
    run.wait_gone("^Address Book$")


def place_order(run):
    """The order page of the selected quote, submitted; until it has gone."""
    run.key("Return")
    dialog = run.wait_window("Order")
    # The page fills in the member's addresses; its form ends in Submit Order.
    run.wait(lambda: run.requests("getMainInfo"), "the order page")
    time.sleep(3)
    run.shot("new-order")
    run.click(dialog, 600, 300)
    run.key("End")
    time.sleep(1)
    run.shot("order-form-end")
    x, y, _, _ = run.geometry(dialog)
    run.click(dialog, SUBMIT_ORDER[0] - x, SUBMIT_ORDER[1] - y)
    run.wait(lambda: run.requests("newOrder"), "the order sent")
    run.wait_gone("Order")


def log_lines(run, context):
    """The texts the client logged under a context, oldest first."""
    try:
        with open(os.path.join(run.data, "kvc.log"), encoding="utf-8", errors="replace") as f:
            return [line.split(" %s " % context, 1)[1].strip() for line in f if " %s " % context in line]
    except FileNotFoundError:
        return []


def details_left(run, before, record):
    """The Details bar, after the list it follows was refilled, no longer
    shows the record (nor its links); it shows the list's current row or
    nothing."""
    def same(line):  # a two-level list keys its rows "1|<id>" (a record) or "0|<id>"
        return line.split("|")[-1] == record

    def moved():
        shown = log_lines(run, "Details bar")[before:]
        last = max((i for i, line in enumerate(shown) if same(line)), default=None)
        if last is None or last + 1 == len(shown):
            return None
        return shown[-1] if not same(shown[-1]) else None
    now = run.wait(moved, "the Details bar to leave %s" % record)
    time.sleep(1)
    if same(log_lines(run, "Details bar")[-1]):
        raise JourneyFailed("the Details bar went back to %s" % record)
    return now


def counters_after(run, before):
    """The navigator's counters of the first recount after the log had
    `before` counter lines, as {node: (total, new)}."""
    line = run.wait(lambda: log_lines(run, "Counters")[before:] and log_lines(run, "Counters")[before],
                    "the navigator's counters")
    counters = {}
    for entry in line.split("; "):
        node, counts = entry.split()[:2]
        total, new = counts.split("/")
        counters[int(node)] = (int(total), int(new))
    return counters
