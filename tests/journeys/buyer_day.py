"""A buyer's day: a part query and a car query, their quotes at the next
polls with the pop-up and the counters, the part quote's picture enlarged,
the order placed on it, the order under Purchase Orders, and a message on the
order answered at the next poll."""

import os
import time

from harness import JourneyFailed
from steps import (CARS_BUTTON, FIRST_ROW, SECOND_ROW, place_order,  # noqa: F401
                   cars_mode, parts_mode, post_car_query, post_part_query, started)

# Points of the main window with the details bar dragged up: the part
# picture of the quote's page two pages down; where the order page's "Send a
# message" is underlined (x from, to; y from, to).
QUOTE_PICTURE = (60, 730)
SEND_MESSAGE_LINK = (8, 107, 380, 480)
# The message dialog's "Submit" on the screen.
MESSAGE_SUBMIT = (727, 512)


def poll_summary(run, text):
    """The poll's summary line (status bar and log) with `text` in it."""
    run.wait(lambda: run.log_has(text), "the poll summary \"%s\"" % text)



def buyer_day(run):
    started(run)
    parts_mode(run)
    post_part_query(run)
    poll_summary(run, "Quotes: 1, Car Quotes: 0")
    run.key("alt+b", "p")  # Buy > Pending Quotes
    run.wait_title("> Parts > Pending Quotes")
    run.shot("part-quote-counted")

    cars_mode(run)
    post_car_query(run)
    run.synchronize()
    quote = run.wait(lambda: run.db("SELECT ID, C_NAME FROM Quotes_Cars WHERE QUERY_ID = 'CQ-8003'"),
                     "the dealer's car quote")
    if quote != [("CQT-8004", "Lee Cars")]:
        raise JourneyFailed("the stored car quote is %r" % (quote,))
    poll_summary(run, "Quotes: 0, Car Quotes: 1")
    run.wait_popup()
    run.shot("car-quote-pop-up")
    run.wait_popup_gone()
    run.key("alt+b", "p")
    run.wait_title("> Cars > Pending Quotes")
    run.shot("car-quote-counted")

    run.key("alt+v", "n")  # View > Navigator
    time.sleep(1)
    run.shot("navigator-counters")
    parts_mode(run)
    run.key("alt+b", "p")
    run.wait_title("> Parts > Pending Quotes")
    run.click(run.main, *SECOND_ROW)
    # The details bar opens on half the window; its edge dragged up gives the page more room.
    run.drag_edge(run.main, (635, 370), (635, 350))
    time.sleep(1)
    run.shot("quote-details")
    run.click(run.main, 600, 600)
    run.key("Page_Down", "Page_Down")  # down to the part's picture
    time.sleep(1)
    run.shot("quote-picture-in-details")
    run.click(run.main, *QUOTE_PICTURE)
    run.wait_window("^Enlarged Picture")
    # The enlarged picture is fetched from the server once and kept.
    run.wait(lambda: os.path.exists(os.path.join(run.data, "part_images", "incoming", "qt_QT-8002_1_big.jpg")),
             "the enlarged picture fetched")
    time.sleep(1)
    run.shot("picture-enlarged")
    run.key("Escape")
    run.wait_gone("^Enlarged Picture")

    # The order page opens on the quote.
    run.click(run.main, *SECOND_ROW)
    place_order(run)
    order = run.wait(lambda: run.db("SELECT ID, IS_INCOMING FROM Orders WHERE CONTEXT_ID = 'QT-8002'"),
                     "the order stored")
    if order != [("PO-8005", 0)]:
        raise JourneyFailed("the stored order is %r" % (order,))
    run.key("alt+b", "u")  # Buy > Purchase Orders
    run.wait_title("Purchase Orders")
    run.click(run.main, *FIRST_ROW)
    time.sleep(2)
    run.shot("order-under-purchase-orders")
    # The main window fills the screen from its top left corner.
    run.click(run.main, *run.wait(lambda: run.link_at(*SEND_MESSAGE_LINK), "the link \"Send a message\""))
    message = run.wait_window("New Message")
    run.shot("message-on-order")
    run.type("When will the starter ship?")
    run.shot("message-written")
    x, y, _, _ = run.geometry(message)
    run.click(message, MESSAGE_SUBMIT[0] - x, MESSAGE_SUBMIT[1] - y)
    run.wait(lambda: run.requests("newMessage"), "the message sent")
    run.wait_gone("New Message")
    sent = run.db("SELECT OWNER_ID, CONTEXT_ID, MESSAGE_SUBJ FROM Messages WHERE IS_INCOMING = 0")
    if sent != [("P3001", "PO-8005", "Purchase Order #PO-8005 - Starter")]:
        raise JourneyFailed("sent messages %r" % (sent,))
    run.click(run.main, *FIRST_ROW)  # F5 from the list: the page keeps its own keys
    run.synchronize()
    reply = run.wait(lambda: run.db("SELECT MESSAGE_SUBJ, OWNER_NAME FROM Messages "
                                    "WHERE IS_INCOMING = 1 AND CONTEXT_ID = 'PO-8005'"), "the seller's reply")
    if reply != [("Re: Purchase Order #PO-8005 - Starter", "Pat Seller")]:
        raise JourneyFailed("the reply is %r" % (reply,))
    run.wait_popup()
    run.shot("reply-pop-up")
    run.wait_popup_gone()
    run.click(run.main, *FIRST_ROW)
    time.sleep(1)
    run.shot("order-with-its-messages")

    # Each thing the member did went to the marketplace once.
    sent = {op: len(run.requests(op)) for op in ("newQuery", "newCarQuery", "newOrder", "newMessage")}
    if sent != {"newQuery": 1, "newCarQuery": 1, "newOrder": 1, "newMessage": 1}:
        raise JourneyFailed("the server got %r" % (sent,))
    body = run.requests("newMessage")[0][1]
    if "<context_id>PO-8005</context_id>" not in body or "When will the starter ship?" not in body:
        raise JourneyFailed("the server got %s" % body)
    rows = run.db("SELECT (SELECT COUNT(*) FROM Queries WHERE IS_INCOMING = 0), "
                  "(SELECT COUNT(*) FROM Queries_Cars WHERE IS_INCOMING = 0), "
                  "(SELECT STATUS_CODE FROM Quotes WHERE ID = 'QT-8002'), "
                  "(SELECT COUNT(*) FROM Messages WHERE CONTEXT_ID = 'PO-8005')")
    if rows != [(1, 1, 4, 2)]:
        raise JourneyFailed("queries, car queries, the quote's status and the order's messages: %r" % (rows,))
