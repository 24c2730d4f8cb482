#pragma once

#include "forms/MessageAddress.h"

#include <QMap>
#include <QString>

// The dialogs that the main window's commands and record actions open, one
// call each, named after the dialog. Each answers like the dialog: 1 (OK)
// when the member confirmed, 2 (Cancel) otherwise. main() installs the
// implementation; dialogs not built yet are answered by PlaceholderFrameDialogs.
class IFrameDialogs
{
public:
    virtual ~IFrameDialogs() = default;
    // `fields`: a page's values that fill the form (year, make, model, part type); may be empty.
    virtual int NewQueryDlg(const QString &title, const QMap<QString, QString> &fields) = 0;
    virtual int NewMessageDlg(const MessageAddress &address) = 0;
    virtual int AddCommentsDlg() = 0;
    virtual int NewInfoDlg() = 0;
    // `params`: a page's "continue_query" values, empty otherwise.
    virtual int NewQueryCarsPropSheet(const QString &title, const QMap<QString, QString> &params) = 0;
    virtual int FilterCarsDlg() = 0;
    virtual int NewQuoteDlg() = 0;
    // The parts inventory record with this ID; 0 for a new one.
    virtual int NewInventoryDlg(qint64 recordId) = 0;
    // A car quote for the selected car query (quote mode), else the car
    // inventory record with this ID (0 for a new one).
    virtual int NewInventoryCarsPropSheet(const QString &title, bool quoteMode, qint64 recordId) = 0;
    virtual int HotDealEditorDlg() = 0;
    virtual int NewOrderDlg(const QString &queryId, const QString &quoteId) = 0;
    virtual int OrderUpdateDlg() = 0;
    virtual int PrintOrderDlg() = 0;
    // A quote's detail page (picture 0) or its pictures from that number; parts or car quote.
    virtual int CarQuoteDetail(const QString &caption, const QString &quoteId, bool parts, int picture) = 0;
    virtual int OptionsPropSheet(int page) = 0;
    virtual int CWizardScopeDlg() = 0;
    virtual int SearchDlg() = 0;
    virtual int SearchUserDlg() = 0;
    virtual int NewInventoryImpDlg() = 0;
    // A record's printable detail page, ready HTML.
    virtual int PrintDetailPage(const QString &html) = 0;
    // The address book; an implementation without it says so.
    virtual int AddressBookDlg() { return 2; }
    // The profile sheet as a page opens it: mode 0 signs up, 1 edits; the
    // start page is 0 contact, 1 cars, 2 parts.
    virtual int ProfilePropertySheet(const QString &, int, int) { return 2; }
    // A query page's quick quote (price, shipping, part_type, notes) for the
    // selected query, sent without showing the quote form; 1 when sent.
    virtual int SubmitQuickQuote(const QMap<QString, QString> &params, const QString &pictureFile)
    {
        (void)params, (void)pictureFile;
        return 2;
    }
};

// Every dialog not part of this version: one information box saying so, and
// the cancel answer.
class PlaceholderFrameDialogs : public IFrameDialogs
{
public:
    static int NotYetAvailable(const QString &dialogTitle);

    int NewQueryDlg(const QString &, const QMap<QString, QString> &) override
    {
        return NotYetAvailable(QStringLiteral("New Query"));
    }
    int NewMessageDlg(const MessageAddress &) override
    {
        return NotYetAvailable(QStringLiteral("New Message"));
    }
    int AddCommentsDlg() override { return NotYetAvailable(QStringLiteral("Comments")); }
    int NewInfoDlg() override { return NotYetAvailable(QStringLiteral("New Information")); }
    int NewQueryCarsPropSheet(const QString &, const QMap<QString, QString> &) override
    {
        return NotYetAvailable(QStringLiteral("New Car Query"));
    }
    int FilterCarsDlg() override { return NotYetAvailable(QStringLiteral("Car Filter")); }
    int NewQuoteDlg() override { return NotYetAvailable(QStringLiteral("New Quote")); }
    int NewInventoryDlg(qint64) override { return NotYetAvailable(QStringLiteral("Inventory Record")); }
    int NewInventoryCarsPropSheet(const QString &, bool, qint64) override
    {
        return NotYetAvailable(QStringLiteral("Catalog Record"));
    }
    int HotDealEditorDlg() override { return NotYetAvailable(QStringLiteral("Hot Deal")); }
    int NewOrderDlg(const QString &, const QString &) override { return NotYetAvailable(QStringLiteral("New Order")); }
    int OrderUpdateDlg() override { return NotYetAvailable(QStringLiteral("Order Update")); }
    int PrintOrderDlg() override { return NotYetAvailable(QStringLiteral("Print Order")); }
    int CarQuoteDetail(const QString &, const QString &, bool, int) override
    {
        return NotYetAvailable(QStringLiteral("Quote Detail"));
    }
    int OptionsPropSheet(int) override { return NotYetAvailable(QStringLiteral("Options")); }
    int CWizardScopeDlg() override { return NotYetAvailable(QStringLiteral("Specialty Wizard")); }
    int SearchDlg() override { return NotYetAvailable(QStringLiteral("Search")); }
    int SearchUserDlg() override { return NotYetAvailable(QStringLiteral("Member Lookup")); }
    int NewInventoryImpDlg() override { return NotYetAvailable(QStringLiteral("Inventory Import")); }
    int PrintDetailPage(const QString &) override { return NotYetAvailable(QStringLiteral("Printing")); }
    int AddressBookDlg() override { return NotYetAvailable(QStringLiteral("Address Book")); }
    int ProfilePropertySheet(const QString &, int, int) override { return NotYetAvailable(QStringLiteral("Profile")); }
    int SubmitQuickQuote(const QMap<QString, QString> &, const QString &) override
    {
        return NotYetAvailable(QStringLiteral("New Quote"));
    }
};
