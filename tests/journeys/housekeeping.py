"""Housekeeping: a search, the address book, a backup and its restore,
compaction, and the purge of expired queries at start-up."""

import os
import re
import time

from harness import JourneyFailed
import steps
from steps import lookup, parts_mode

# The server's clock: the sample queries Q-1001 (14 days from 2024-03-01) and
# Q-1002 (7 days from 2024-03-02) have expired by then, CQ-2001 (30 days from
# 2024-03-03) has not. Only Q-1002 is still pending: the others came replied.
SERVER_DATE = "2024-03-20 12:00:00"
# The General page of the options and its last check box (the purge).
GENERAL_PAGE = (62, 18)
PURGE_CHECK = (190, 107)


def housekeeping(run):
    run.adopt_restarts()
    run.start_server("--date", SERVER_DATE)
    run.seed()
    run.start_client()
    run.wait_polls(1)
    run.wait(lambda: run.db_value("SELECT COUNT(*) FROM Queries WHERE ID IN ('Q-1001', 'Q-1002')") == 2,
             "the sample queries")
    run.wait_popup()
    run.maximize()
    run.shot("first-poll")
    run.wait_popup_gone()

    # The purge waits until the end: until then the expired queries stay.
    set_purge(run, False)
    search(run)
    address_book(run)
    backup_and_restore(run)
    compact(run)
    purge(run)


def set_purge(run, on):
    """Options > General, "Automaically purge expired pending queries"."""
    run.key("ctrl+o")
    sheet = run.wait_window("^Options$")
    run.click(sheet, *GENERAL_PAGE)
    time.sleep(0.5)
    run.click(sheet, *PURGE_CHECK)
    run.shot("purge-%s" % ("on" if on else "off"))
    run.key("Return")
    run.wait_gone("^Options$")
    run.wait(lambda: "PurgeExpired=%d" % on in run.settings(), "the purge setting saved")


def search(run):
    """Tools > Search over the incoming leads: a word of a query finds it,
    Go To selects it in the main window, Return opens it."""
    parts_mode(run)
    run.key("alt+s", "p")  # Sell > Pending Queries
    run.wait_title("Incoming Leads")
    run.key("ctrl+f")
    dialog = run.wait_window("Search for queries")
    run.type("Honda")
    run.key("Return")
    time.sleep(1)
    run.shot("search-found")
    run.focus(dialog)
    run.key("alt+g")  # Go To
    run.wait_gone("Search for queries")
    run.shot("search-result-selected")
    run.key("Return")
    form = run.wait_window("New Quote - QueryID")
    title = run.xdotool("getwindowname", form)
    if "[Q-1002]" not in title:
        raise JourneyFailed("the search opened %r, not the Honda query Q-1002" % title)
    run.shot("search-result-opened")
    run.key("alt+c")
    run.wait_gone("New Quote - QueryID")


def add_to_book(run, passport):
    dialog = lookup(run, passport)
    run.key("alt+a")  # Add to Address Book
    run.wait(lambda: run.window("^Information$"), "\"User added to Address Book\"")
    run.key("Return")
    run.wait_gone("^Information$", then=dialog)
    run.key("alt+c")
    run.wait_gone("Member Lookup")


def book(run):
    return sorted(r[0] for r in run.db("SELECT PASSPORT_ID FROM ABookUsers"))


def address_book(run):
    add_to_book(run, "1000318")
    run.wait(lambda: book(run) == ["1000318"], "the member in the book")
    steps.address_book(run)


def choose_file(run, title, path):
    """A file dialog: the path typed over the proposed one."""
    run.wait_window(title)
    run.key("ctrl+a")
    run.type(path)
    run.shot("file-" + os.path.basename(path))
    run.key("Return")


def backup_and_restore(run):
    """A backup, a change after it, and the restore of the backup: the change
    is gone and the program polls again."""
    backup = os.path.join(run.home, "before-change.kvz")
    run.key("alt+f", "b")  # File > Backup Data
    choose_file(run, "Please select file to backup database to", backup)
    run.wait_gone("Please select file to backup database to")
    run.wait(lambda: "LastBackupFile=%s" % backup in run.settings(), "the backup noted in the settings")
    with open(backup, "rb") as f:
        if f.read(2) != b"PK":
            raise JourneyFailed("the backup %s is no archive" % backup)
    run.shot("backed-up")

    add_to_book(run, "1000234")
    run.wait(lambda: book(run) == ["1000234", "1000318"], "the second member in the book")
    run.shot("changed-after-backup")

    polls = run.poll_lines()
    run.key("alt+f", "e")  # File > Restore Data
    choose_file(run, "Please select data file to restore database from", backup)
    run.follow_restart()
    run.shot("restored")
    if book(run) != ["1000318"]:
        raise JourneyFailed("after the restore the book holds %r" % (book(run),))
    # The purge is off: the expired queries came back with the backup.
    if run.db_value("SELECT COUNT(*) FROM Queries WHERE ID IN ('Q-1001', 'Q-1002')") != 2:
        raise JourneyFailed("the restored database lost the sample queries")
    run.wait_polls(polls + 1)
    run.synchronize()
    run.shot("polled-after-restore")


def counts(run):
    """The records of every kind, once the database is free to read."""
    def read():
        found = {t: run.db_value("SELECT COUNT(*) FROM %s" % t)
                 for t in ("Queries", "Queries_Cars", "Quotes", "Quotes_Cars", "Messages", "HotDeals", "Orders",
                           "ABookUsers")}
        return found if None not in found.values() else None
    return run.wait(read, "the database to read")


def compact(run):
    """Tools > Compact Database, no backup first: the program restarts on the
    compacted file with every record."""
    before = counts(run)
    database = os.path.join(run.data, "kvc.mdb")
    inode = os.stat(database).st_ino
    run.focus_main()
    run.key("alt+t", "Down", "Down")  # Tools > Compact Database
    run.shot("compact-database-menu")
    run.key("Return")
    run.wait(lambda: run.window("^Korvant$"), "\"Do you want to make a backup copy of your data before compacting?\"")
    run.shot("compact-backup-question")
    polls = run.poll_lines()
    run.key("Escape")  # No
    run.follow_restart()
    run.wait_polls(polls + 1)
    run.shot("compacted")
    if os.stat(database).st_ino == inode:
        raise JourneyFailed("the database file was not replaced by a compacted one")
    check = run.db_value("PRAGMA integrity_check")
    if check != "ok":
        raise JourneyFailed("the compacted database: %s" % check)
    after = counts(run)
    if after != before:
        raise JourneyFailed("records before the compaction %r, after %r" % (before, after))


def purge(run):
    """The purge turned on; at the next start the expired pending query is
    gone, the replied ones and every other record stay."""
    set_purge(run, True)
    before = counts(run)
    purges = purge_lines(run)
    run.stop_client()
    polls = run.poll_lines()
    run.start_client()
    run.wait(lambda: purge_lines(run) > purges, "the purge at start-up")
    run.wait_polls(polls + 1)
    parts_mode(run)
    run.key("alt+s", "p")  # Sell > Pending Queries
    run.wait_title("Incoming Leads")
    run.shot("purged")
    left = run.db("SELECT ID, STATUS FROM Queries WHERE IS_INCOMING = 1")
    if left != [("Q-1001", "Replied")]:
        raise JourneyFailed("incoming queries after the purge: %r" % (left,))
    if run.db("SELECT ID FROM Queries_Cars WHERE IS_INCOMING = 1") != [("CQ-2001",)]:
        raise JourneyFailed("the replied car query was purged")
    after = counts(run)
    expected = dict(before, Queries=before["Queries"] - 1)
    if after != expected:
        raise JourneyFailed("records before the purge %r, after %r" % (before, after))


def purge_lines(run):
    try:
        with open(os.path.join(run.data, "kvc.log"), "rb") as f:
            return len(re.findall(rb"Purge Queries: \[OK\]", f.read()))
    except FileNotFoundError:
        return 0
