#!/usr/bin/env python3
"""Journeys through the real program as a member goes through it.

    journeys.py BUILD_DIR NAME      runs one journey (on the X server of scripts/with-xvfb.sh)
    journeys.py --list              names the journeys, one a line

Each journey starts the test marketplace server and the program in a folder
of its own, drives the window with keys and clicks, waits on what the window,
the database and the server's request log show, and leaves a screenshot per
step under BUILD_DIR/screenshots/journeys/NAME/."""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import JourneyFailed, Run  # noqa: E402
from steps import (CARS_BUTTON, FIRST_ROW, SECOND_ROW, place_order,  # noqa: E402
                   cars_mode, lookup, options_page, parts_mode, post_part_query, started)
from steps import HOT_DEAL_ALERTS, POLL_MINUTES  # noqa: E402,F401
from steps import address_book, first_poll, post_car_query  # noqa: E402
from steps import counters_after, details_left, log_lines  # noqa: E402
from first_start import first_start  # noqa: E402
from housekeeping import housekeeping  # noqa: E402
from bad_days import bad_days  # noqa: E402
from seller_day import seller_day  # noqa: E402
from buyer_day import buyer_day  # noqa: E402
from ends_on_signal import ends_on_signal  # noqa: E402
from faulty_sends import faulty_sends  # noqa: E402
from faulty_reads import faulty_reads  # noqa: E402

SKIP = 77  # ctest's SKIP_RETURN_CODE for journeys whose forms are not there yet


def part_query_gets_quote(run):
    started(run)
    parts_mode(run)
    post_part_query(run)
    run.key("alt+b", "p")  # Buy > Pending Quotes
    run.wait_title("Pending Quotes")
    run.shot("quote-under-pending-quotes")


def car_query_gets_quote(run):
    started(run)
    cars_mode(run)
    post_car_query(run)
    query = run.wait(lambda: run.db("SELECT MAKE, MODEL, IS_INCOMING FROM Queries_Cars WHERE ID = 'CQ-8001'"),
                     "the car query stored")
    if query != [("Subaru", "Outback", 0)]:
        raise JourneyFailed("the stored car query is %r" % (query,))
    body = run.requests("newCarQuery")[0][1]
    if "<make>Subaru</make>" not in body or "<model>Outback</model>" not in body:
        raise JourneyFailed("the server got %s" % body)

    run.synchronize()
    quote = run.wait(lambda: run.db("SELECT ID, C_NAME, MAKE, ASKING_PRICE FROM Quotes_Cars WHERE QUERY_ID = 'CQ-8001'"),
                     "the dealer's car quote")
    if quote[0][:3] != ("CQT-8002", "Lee Cars", "Subaru"):
        raise JourneyFailed("the stored car quote is %r" % (quote,))
    run.wait_popup()
    run.shot("car-quote-pop-up")
    run.wait_popup_gone()
    run.key("alt+b", "p")  # Buy > Pending Quotes
    run.wait_title("> Cars > Pending Quotes")
    run.shot("car-quote-under-pending-quotes")


def quote_answered_by_order(run):
    started(run)
    parts_mode(run)
    run.key("alt+s", "p")  # Sell > Pending Queries
    run.wait_title("Incoming Leads")
    run.shot("incoming-leads")
    run.click(run.main, *FIRST_ROW)
    # The lead's page loads into the Details bar and may hold the focus for a
    # moment: Return goes to the list once the page is in.
    run.wait(lambda: log_lines(run, "Details bar")[-1:] not in ([], ["none"]), "the lead's page")
    time.sleep(1)
    run.click(run.main, *FIRST_ROW)
    shown = len(log_lines(run, "Details bar"))
    run.key("Return")
    dialog = run.wait_window("New Quote - QueryID")
    query = re.search(r"QueryID \[([^\]]+)\]", run.xdotool("getwindowname", dialog)).group(1)
    run.shot("new-quote")
    run.key("alt+p", "ctrl+a")
    run.type("120")
    run.shot("quote-filled")
    run.key("alt+s")
    run.wait(lambda: run.requests("newQuote"), "the quote sent")
    run.wait(lambda: run.window("^Korvant$"), "the quote's confirmation")
    run.shot("quote-sent")
    run.key("Return")
    # The form goes on to the next lead; the member is done.
    if run.wait(lambda: run.window("New Quote - QueryID") or "closed", "the form after the send") != "closed":
        run.key("alt+c")
    run.wait_gone("New Quote - QueryID")
    sent = run.wait(lambda: run.db("SELECT ID, P_PRICE FROM Quotes WHERE QUERY_ID = ? AND IS_INCOMING = 0", query),
                    "the quote stored")
    if sent != [("QT-8001", 120)]:
        raise JourneyFailed("the stored quote is %r" % (sent,))
    # The answered lead left Incoming Leads, and the Details bar with it.
    details_left(run, shown, query)
    run.shot("details-after-the-lead-left")
    body = run.requests("newQuote")[0][1]
    if "<query_id>%s</query_id>" % query not in body or "<price>120" not in body:
        raise JourneyFailed("the server got %s" % body)

    run.synchronize()
    order = run.wait(lambda: run.db("SELECT ID, IS_INCOMING, P_NAME FROM Orders WHERE CONTEXT_ID = 'QT-8001'"),
                     "the buyer's order")
    if order[0][:2] != ("PO-8002", 1):
        raise JourneyFailed("the stored order is %r" % (order,))
    run.wait_popup()
    run.shot("order-pop-up")
    run.wait_popup_gone()
    run.key("alt+s", "e")  # Sell > Pending Sales
    run.wait_title("Pending Sales")
    run.shot("order-under-pending-sales")


def order_quote_and_update(run):
    started(run)
    parts_mode(run)
    shown = len(log_lines(run, "Details bar"))
    post_part_query(run)
    # The quote moved the query out of Open Requests; the Details bar followed.
    details_left(run, shown, "Q-8001")
    run.shot("details-after-refill")
    run.key("alt+b", "p")  # Buy > Pending Quotes
    run.wait_title("Pending Quotes")
    run.click(run.main, *SECOND_ROW)  # the seller's quote under the query
    shown = len(log_lines(run, "Details bar"))
    place_order(run)
    # The list shows the ordered quote again, its page without the order link.
    run.wait(lambda: len(log_lines(run, "Details bar")) > shown, "the Details bar after the order")
    run.shot("order-sent")
    order = run.wait(lambda: run.db("SELECT ID, IS_INCOMING FROM Orders WHERE CONTEXT_ID = 'QT-8002'"),
                     "the order stored")
    if order != [("PO-8003", 0)]:
        raise JourneyFailed("the stored order is %r" % (order,))
    quote = run.db("SELECT STATUS_CODE, STATUS FROM Quotes WHERE ID = 'QT-8002'")
    if quote != [(4, "Po")]:
        raise JourneyFailed("the ordered quote is %r" % (quote,))
    body = run.requests("newOrder")[0][1]
    if "<context_id>QT-8002</context_id>" not in body or "<part_name>Starter</part_name>" not in body:
        raise JourneyFailed("the server got %s" % body)

    run.synchronize()
    update = run.wait(lambda: run.db("SELECT U_STATUS, U_SHIPPER, U_TRACK_NUM, IS_U_NEW, STATUS_CODE FROM Orders "
                                     "WHERE ID = 'PO-8003' AND U_STATUS <> ''"), "the seller's update")
    # A shipped order is complete.
    if update != [("Shipped", "UPS", "1Z999AA10123456784", 1, 5)]:
        raise JourneyFailed("the stored update is %r" % (update,))
    run.wait_popup()
    run.shot("update-pop-up")
    run.wait_popup_gone()
    run.key("alt+b", "c")  # Buy > Confirmed Orders
    run.wait_title("Confirmed Orders")
    run.shot("shipped-under-confirmed-orders")


def message_gets_reply(run):
    started(run)
    dialog = lookup(run, "1000234")
    run.shot("member-found")
    run.key("alt+p")  # Private Message
    run.wait_window("New Message")
    run.key("alt+s")
    run.type("Door panels")
    run.key("Tab")
    run.type("Do you have door panels for a 2008 Civic?")
    run.shot("message-written")
    run.key("alt+s", "Return")  # Submit is the default button
    run.wait(lambda: run.requests("newMessage"), "the message sent")
    run.wait_gone("New Message", then=dialog)
    run.key("alt+c")
    run.wait_gone("Member Lookup")
    sent = run.db("SELECT OWNER_ID, MESSAGE_SUBJ FROM Messages WHERE IS_INCOMING = 0")
    if sent != [("1000234", "Door panels")]:
        raise JourneyFailed("sent messages %r" % (sent,))

    run.synchronize()
    reply = run.wait(lambda: run.db("SELECT MESSAGE_SUBJ, OWNER_NAME FROM Messages "
                                    "WHERE IS_INCOMING = 1 AND OWNER_ID = '1000234'"), "the reply")
    if reply != [("Re: Door panels", "Lee Halvorsen")]:
        raise JourneyFailed("the reply is %r" % (reply,))
    run.wait_popup()
    run.shot("reply-pop-up")
    # A click on the pop-up shows the page of the news.
    run.click_popup()
    run.wait_title("Messages")
    run.shot("reply-under-messages")


def lookup_and_address_book(run):
    started(run)
    dialog = lookup(run, "1000318")
    run.shot("member-found")
    run.key("alt+a")  # Add to Address Book
    run.wait(lambda: run.window("^Information$"), "\"User added to Address Book\"")
    run.shot("added")
    run.key("Return")
    run.wait_gone("^Information$", then=dialog)
    run.wait(lambda: run.db("SELECT PASSPORT_ID FROM ABookUsers") == [("1000318",)], "the member in the book")
    run.key("alt+c")
    run.wait_gone("Member Lookup")
    address_book(run)


def options_kept_across_restart(run):
    started(run)
    sheet = options_page(run, "Synchronization")
    run.click(sheet, *POLL_MINUTES)
    run.key("Up", "Up", "Up")
    run.shot("every-6-minutes")
    run.key("Return")
    run.wait_gone("^Options$")
    run.wait(lambda: "PollTimeout=360" in run.settings(), "the minutes saved")

    polls = run.poll_lines()
    counted = len(log_lines(run, "Counters"))
    run.stop_client()
    run.start_client()
    # The second start logs in by itself and polls again.
    run.wait_polls(polls + 1)
    run.maximize()
    # The navigator is counted from the start, the records of the first day with it.
    counters = counters_after(run, counted)
    if not any(total for total, _ in counters.values()):
        raise JourneyFailed("no counter after the restart: %r" % (counters,))
    run.shot("counters-after-restart")
    options_page(run, "Synchronization")
    run.shot("still-6-minutes")
    run.key("Escape")
    run.wait_gone("^Options$")
    if "PollTimeout=360" not in run.settings():
        raise JourneyFailed("the minutes were not kept")
    logins = run.requests("login")
    if len(logins) != 2:
        raise JourneyFailed("%d logins for two starts" % len(logins))


def hot_deal_appears(run):
    started(run)
    # Hot deals raise no pop-up until the member asks for it.
    sheet = options_page(run, "Notifications")
    run.click(sheet, *HOT_DEAL_ALERTS)
    run.shot("hot-deal-alerts-on")
    run.key("Return")
    run.wait_gone("^Options$")
    run.wait(lambda: "DispAlertForDeals=1" in run.settings(), "the hot deal alerts saved")
    run.synchronize()
    run.wait(lambda: run.db("SELECT TITLE FROM HotDeals WHERE ID = 'D-6002'"), "the new hot deal")
    run.wait_popup()
    run.shot("hot-deal-pop-up")
    run.click_popup()
    run.wait_title("Hot Deals")
    run.shot("hot-deals")


def expired_session_at_start(run):
    """The marketplace forgets the session right after the start-up login:
    the first marketplaces list and the first profile asked for answer result
    code 4. The program logs in once more for each, repeats only that request,
    and starts as it does on a good day."""
    run.start_server("--fault", "getMarketPlaces=code4-once", "--fault", "getProfile=code4-once")
    run.seed()
    first_poll(run)
    run.wait(lambda: "[Offline]" not in run.xdotool("getwindowname", run.main), "the member's name in the title")
    sent = {op: len(run.requests(op)) for op in ("login", "getMarketPlaces", "getProfile")}
    if sent != {"login": 3, "getMarketPlaces": 2, "getProfile": 2}:
        raise JourneyFailed("requests at start-up: %r" % (sent,))
    # The window answers: a menu opens and another page shows.
    run.key("alt+f")
    time.sleep(0.5)
    run.shot("file-menu")
    run.key("Escape")
    run.key("alt+b", "p")  # Buy > Pending Quotes
    run.wait_title("Pending Quotes")
    run.shot("pending-quotes")


# Name, what it needs that is not there yet (None: runs), the journey.


JOURNEYS = [
    ("part_query_gets_quote", None, part_query_gets_quote),
    ("message_gets_reply", None, message_gets_reply),
    ("lookup_and_address_book", None, lookup_and_address_book),
    ("options_kept_across_restart", None, options_kept_across_restart),
    ("hot_deal_appears", None, hot_deal_appears),
    ("car_query_gets_quote", None, car_query_gets_quote),
    ("quote_answered_by_order", None, quote_answered_by_order),
    ("order_quote_and_update", None, order_quote_and_update),
    ("first_start", None, first_start),
    ("housekeeping", None, housekeeping),
    ("bad_days", None, bad_days),
    ("expired_session_at_start", None, expired_session_at_start),
    ("seller_day", None, seller_day),
    ("buyer_day", None, buyer_day),
    ("ends_on_signal", None, ends_on_signal),
    ("faulty_sends", None, faulty_sends),
    ("faulty_reads", None, faulty_reads),
]


def print_tail(path, lines):
    """The end of the program's own output, where a sanitizer's report or a
    fatal message lands: the journey's folder is gone with the CI machine."""
    try:
        with open(path, errors="replace") as f:
            tail = f.readlines()[-lines:]
    except OSError:
        return
    print("--- the last %d lines of %s" % (len(tail), path), file=sys.stderr)
    sys.stderr.writelines(tail)
    print("---", file=sys.stderr)


def main(argv):
    if argv[1:] == ["--list"]:
        for name, _, _ in JOURNEYS:
            print(name)
        return 0
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    build, name = argv[1], argv[2]
    entry = next((j for j in JOURNEYS if j[0] == name), None)
    if entry is None:
        print("no journey %s" % name, file=sys.stderr)
        return 2
    if entry[2] is None:
        print("journey %s waits for %s" % (name, entry[1]))
        return SKIP
    run = Run(build, name)
    clock = time.monotonic()
    ok = False
    try:
        entry[2](run)
        run.stop_client()
        ok = True
    except JourneyFailed as e:
        print("JOURNEY FAILED: %s" % e, file=sys.stderr)
        print_tail(os.path.join(run.home, "client.out"), 60)
        print_tail(os.path.join(run.data, "kvc.log"), 30)
    finally:
        run.close(keep=not ok or bool(os.environ.get("KORVANT_KEEP_TEST_DIRS")))
    print("journey %s: %s in %.1f s, screenshots in %s" % (name, "passed" if ok else "FAILED",
                                                            time.monotonic() - clock, run.shots))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
