"""A seller's day: the inventory imported from a file, the specialty set,
the leads it brings answered by the auto-reply and by hand with a picture,
the buyer's order updated and printed to PDF, a hot deal published."""

import os
import re
import struct
import time
import zlib

from harness import JourneyFailed
from steps import FIRST_ROW, first_poll, parts_mode

# Points of windows, from their top left corners.
SPECIALTY_EDIT = (59, 293)          # "Edit my specialty" on My Specialty
WIZARD_NEXT = (416, 397)
WIZARD_FINISH = (502, 397)
WIZARD_TOYOTA = (45, 115)           # the makes list on the Vehicle Specialty page
AUTO_REPLY_PAGE = (62, 74)          # the options sheet's "Auto Reply Parts"
AUTO_REPLY_CHECK = (183, 29)
PRINT_OUTPUT_FILE = (189, 118)      # the print dialog's "Output file"
PRINT_BUTTON = (202, 159)
HOT_DEALS_EXPAND = (51, 370)        # the navigator's "Hot Deals" expander
MY_HOT_DEALS = (130, 388)
DEAL_PICTURE = (218, 417)           # the hot deal editor's "Picture 1"
DEAL_SUBMIT = (502, 597)
PAY_NOW = (52, 112)                 # the payment page's "Pay now"
QUOTE_PICTURE = (63, 521)           # the quote form's "Select ..."
PICTURE_BROWSE = (293, 207)         # "..." of the part image
PICTURE_OK = (218, 236)


def png(path, width=64, height=48):
    """A small picture of the part, as a camera would leave it in a folder."""
    raw = b"".join(b"\0" + b"".join(bytes((x * 4 % 256, y * 5 % 256, 90)) for x in range(width))
                   for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def started(run):
    """The sample member's first poll, on a day that starts with the
    auto-reply off (the seller turns it on once the inventory is in)."""
    run.start_server()
    run.seed()
    path = os.path.join(run.config, "Korvant", "Korvant.ini")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    with open(path, "w", encoding="utf-8") as f:
        f.write(re.sub(r"^AutoReply=1$", "AutoReply=0", text, flags=re.M))
    first_poll(run)


def synchronize(run):
    """Tools > Synchronize from the menu: on a web page F5 may not reach the
    window's shortcut."""
    before = run.poll_lines()
    run.focus_main()
    run.key("alt+t", "y")
    run.wait(lambda: run.poll_lines() > before, "the poll that Tools > Synchronize asks for")


def import_inventory(run):
    """File > Import... > Inventory: the seeded settings name the sample file."""
    run.focus_main()
    run.key("alt+f", "Down", "Down", "Down", "Down", "Right", "Return")
    run.wait_window("^Inventory Import$")
    run.shot("import-dialog")
    run.key("Return")
    run.wait_window("^Inventory Import Completed$")
    run.shot("import-completed")
    run.key("Return")
    run.wait_gone("^Inventory Import Completed$")
    run.wait_title("Catalog/Inventory")
    run.shot("catalog")
    rows = run.db("SELECT P_STOCK_NUMBER, P_NAME, V_MAKE FROM Inventory ORDER BY P_STOCK_NUMBER")
    if len(rows) != 4 or rows[1] != ("K-1002", "Alternator", "Toyota"):
        raise JourneyFailed("the imported inventory is %r" % (rows,))


def set_specialty(run):
    """My Specialty's "Edit my specialty": the wizard, Toyota only."""
    run.key("alt+s", "m")
    run.wait_title("Specialty")
    time.sleep(2)  # the page renders
    run.click(run.main, *SPECIALTY_EDIT)
    wizard = run.wait_window("^Specialty Wizard$")
    run.click(wizard, *WIZARD_NEXT)
    time.sleep(0.5)
    run.click(wizard, *WIZARD_TOYOTA)
    run.shot("specialty-toyota")
    run.click(wizard, *WIZARD_FINISH)
    run.wait(lambda: run.requests("changeProfile"), "the specialty sent")
    run.wait_gone("^Specialty Wizard$")
    time.sleep(1)
    run.shot("specialty-set")
    body = run.requests("changeProfile")[0][1]
    if "<filter>@vi_make,,Toyota,,#EQ</filter>" not in body:
        raise JourneyFailed("the server got %s" % body)


def auto_reply_on(run):
    """Tools > Options, "Auto Reply Parts": the box checked."""
    run.key("ctrl+o")
    sheet = run.wait_window("^Options$")
    run.click(sheet, *AUTO_REPLY_PAGE)
    time.sleep(0.5)
    run.click(sheet, *AUTO_REPLY_CHECK)
    run.shot("auto-reply-on")
    run.key("Return")
    run.wait_gone("^Options$")
    run.wait(lambda: re.search(r"^AutoReply=1$", run.settings(), re.M), "the auto-reply saved")


def leads_answered(run):
    """The poll brings the leads; the one the inventory holds is answered."""
    synchronize(run)
    leads = run.wait(lambda: run.db("SELECT ID, P_NAME FROM Queries WHERE V_MAKE = 'Toyota' ORDER BY ID"),
                     "the leads")
    if leads != [("Q-8001", "Alternator"), ("Q-8002", "Hood")]:
        raise JourneyFailed("the leads are %r" % (leads,))
    run.wait(lambda: run.db("SELECT STATUS FROM Queries WHERE ID = 'Q-8001'") == [("Auto Replied",)],
             "the auto-reply")
    quote = run.db("SELECT QUERY_ID, P_NAME, P_PRICE FROM Quotes WHERE IS_INCOMING = 0")
    if quote != [("Q-8001", "Alternator", 65)]:
        raise JourneyFailed("the auto-replied quote is %r" % (quote,))
    body = run.requests("newQuote")[0][1]
    if "<query_id>Q-8001</query_id>" not in body or "<name>Alternator</name>" not in body:
        raise JourneyFailed("the server got %s" % body[:2000])
    if run.db_value("SELECT STATUS FROM Queries WHERE ID = 'Q-8002'") != "New":
        raise JourneyFailed("the hood lead was answered")
    run.wait_popup()
    run.shot("leads-pop-up")
    run.wait_popup_gone()


def quote_by_hand(run):
    """Send Quote on Incoming Leads, with a picture chosen in the file dialog."""
    picture = os.path.join(run.home, "hood.png")
    png(picture)
    run.key("alt+s", "p")  # Sell > Pending Queries
    run.wait_title("Incoming Leads")
    run.shot("incoming-leads")
    run.click(run.main, *FIRST_ROW)
    run.key("Return")
    form = run.wait_window(r"New Quote - QueryID \[Q-8002\]")
    time.sleep(1)
    run.key("alt+p", "ctrl+a")
    run.type("180")
    run.click(form, *QUOTE_PICTURE)
    image = run.wait_window("^Part image$")
    run.click(image, *PICTURE_BROWSE)
    run.wait_window("^Open$")
    run.type(picture)
    run.shot("file-dialog")
    run.key("Return")
    run.wait_gone("^Open$", then=image)
    time.sleep(0.5)
    run.shot("picture-chosen")
    run.click(image, *PICTURE_OK)
    run.wait_gone("^Part image$", then=form)
    run.shot("quote-filled")
    run.key("alt+s")
    run.wait(lambda: len(run.requests("newQuote")) == 2, "the quote sent")
    run.wait(lambda: run.window("^Korvant$"), "the quote's confirmation")
    run.shot("quote-sent")
    run.key("Return")
    run.wait(lambda: not run.window("^Korvant$"), "the confirmation to close")
    # The form goes on to the next lead; the seller is done.
    other = run.window("New Quote - QueryID")
    if other:
        run.focus(other)
        run.key("alt+c")
    run.wait_gone("New Quote - QueryID")
    sent = run.wait(lambda: run.db("SELECT ID, P_PRICE FROM Quotes WHERE QUERY_ID = 'Q-8002' AND IS_INCOMING = 0"),
                    "the quote stored")
    if sent[0][1] != 180:
        raise JourneyFailed("the stored quote is %r" % (sent,))
    body = run.requests("newQuote")[1][1]
    if "<query_id>Q-8002</query_id>" not in body or "<image_1_full>" not in body:
        raise JourneyFailed("the quote went without its picture: %s" % body[:2000])
    return sent[0][0]


def update_order(run, quote):
    """The buyer's order comes at the next poll; the seller ships it."""
    synchronize(run)
    order = run.wait(lambda: run.db("SELECT ID FROM Orders WHERE CONTEXT_ID = ? AND IS_INCOMING = 1", quote),
                     "the buyer's order")[0][0]
    run.wait_popup_gone()
    run.key("alt+s", "e")  # Sell > Pending Sales
    run.wait_title("Pending Sales")
    run.shot("order-under-pending-sales")
    run.click(run.main, *FIRST_ROW)
    run.key("Return")
    run.wait_window("Purchase Order # %s - Order Update" % order)
    time.sleep(1)
    run.key("alt+h")
    run.type("UPS")
    run.key("alt+t")
    run.type("1Z999AA10123456784")
    run.shot("order-update")
    run.key("alt+u")
    run.wait(lambda: run.requests("newOrderUpdate"), "the update sent")
    run.wait(lambda: run.window("^Korvant$"), "the update's confirmation")
    run.shot("order-updated")
    run.key("Return")
    run.wait_gone("Order Update")
    stored = run.db("SELECT STATUS_CODE, U_STATUS, U_SHIPPER, U_TRACK_NUM FROM Orders WHERE ID = ?", order)
    if stored != [(5, "Shipped", "UPS", "1Z999AA10123456784")]:
        raise JourneyFailed("the updated order is %r" % (stored,))
    body = run.requests("newOrderUpdate")[0][1]
    if "<order_id>%s</order_id>" % order not in body or "<shipper>UPS</shipper>" not in body:
        raise JourneyFailed("the server got %s" % body)
    return order


def print_order(run, order):
    """Completed Sales, File > Print (Ctrl+P), the purchase order to a PDF file."""
    run.key("alt+s", "o")  # Sell > Completed Sales
    run.wait_title("Completed Sales")
    run.click(run.main, *FIRST_ROW)
    run.key("ctrl+p")
    run.wait_window("^Print PO$")
    run.shot("print-po")
    run.key("alt+p")
    # The order's page first, in a preview that Close ends.
    preview = run.wait(lambda: next((w for w in run.windows("^Print PO$") if run.geometry(w)[2] > 400), None),
                       "the preview")
    run.focus(preview)
    time.sleep(2)
    run.shot("preview")
    run.click(preview, 668, 517)
    dialog = run.wait_window("^Print$")
    pdf = os.path.join(run.home, "%s.pdf" % order)
    run.click(dialog, *PRINT_OUTPUT_FILE)
    run.key("ctrl+a")
    run.type(pdf)
    run.shot("print-dialog")
    run.click(dialog, *PRINT_BUTTON)

    def printed():
        try:
            with open(pdf, "rb") as f:
                return f.read(5) == b"%PDF-" and os.path.getsize(pdf) > 1000
        except FileNotFoundError:
            return False
    run.wait(printed, "the order's PDF")
    run.wait_gone("^Print PO$")
    run.shot("printed")


def publish_hot_deal(run):
    """New on My Hot Deals: the editor, then the payment page."""
    run.key("alt+v", "n")  # View > Navigator
    time.sleep(1)
    # The Details bar (half the window) folded down: the navigator's lower nodes in view.
    run.drag_edge(run.main, (635, 370), (635, 717))
    time.sleep(1)
    run.click(run.main, *HOT_DEALS_EXPAND)
    time.sleep(0.5)
    run.click(run.main, *MY_HOT_DEALS)
    run.wait_title("My Hot Deals")
    run.shot("my-hot-deals")
    run.key("ctrl+n")
    editor = run.wait_window("^New Hot Deal$")
    time.sleep(1)
    for mnemonic, text in (("alt+p", "Alternator, tested"), ("alt+u", "60"), ("alt+q", "2")):
        run.key(mnemonic)
        run.type(text)
    run.click(editor, *DEAL_PICTURE)
    run.type(os.path.join(run.home, "hood.png"))
    run.shot("hot-deal-filled")
    run.click(editor, *DEAL_SUBMIT)
    run.wait(lambda: run.requests("newDeal"), "the deal sent")
    payment = run.wait_window("^Hot Deal Payment$")
    time.sleep(3)  # the page loads
    run.shot("payment-page")
    run.click(payment, *PAY_NOW)
    run.wait(lambda: run.window("^Korvant$"), "\"Your Hot Deal has been sent successfully\"")
    run.shot("hot-deal-paid")
    run.key("Return")
    run.wait_gone("New Hot Deal")
    deal = run.wait(lambda: run.db("SELECT ID, TITLE, PRICE FROM HotDeals WHERE TITLE = 'Alternator, tested'"),
                    "the deal stored")
    if [d[:2] for d in deal] != [("HD-7001", "Alternator, tested")]:
        raise JourneyFailed("the stored deals are %r" % (deal,))
    body = run.requests("newDeal")[0][1]
    if "Alternator, tested" not in body:
        raise JourneyFailed("the server got %s" % body[:2000])
    if run.requests("removeDeal"):
        raise JourneyFailed("the paid deal was withdrawn")
    time.sleep(1)
    run.shot("deal-under-my-hot-deals")


def seller_day(run):
    started(run)
    parts_mode(run)
    import_inventory(run)
    set_specialty(run)
    auto_reply_on(run)
    leads_answered(run)
    quote = quote_by_hand(run)
    order = update_order(run, quote)
    print_order(run, order)
    publish_hot_deal(run)
