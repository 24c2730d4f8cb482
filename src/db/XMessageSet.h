#pragma once

#include "XBaseSet.h"

#include "net/XmlUtil.h"

#include <QString>

class XRequest;

// Messages between members, kept as threads: the messages about one context
// record (query, quote, car query, car quote, hot deal, order, broadcast)
// exchanged with one other member. The first stored message of a thread is
// its parent row, which carries the thread's counters and state; the context
// record carries the counts of its threads (MESS_TOTAL_COUNT, MESS_NEW_COUNT).
class XMessageSet : public XBaseSet
{
public:
    explicit XMessageSet(KVDatabase *database = nullptr);

    SqlExpr GetFolderFilter(int folderId) override;
    // Messages are not searched by words.
    void AddFieldSearch(SqlExpr &list, const QString &value) const override;
    QString GetIdText() const override;

    // The filter of a thread's parent row.
    static SqlExpr FormatParentFilter(const QString &contextId, const QString &contextType, const QString &ownerId);
    // Number of threads about one record.
    static int CountByContext(const QString &contextId, const QString &contextType, KVDatabase *database = nullptr);

    bool IsCarsContext() const;
    // MARKET_ID / MARKET_NAME of the current row from its context record.
    void SetMarketFromContext();

    // The context table of a context type; empty for "broadcast" and any
    // type this program does not know (server text never names a table).
    static QString ContextTable(const QString &contextType);
    // Recounts the record's threads into its MESS_NEW_COUNT / MESS_TOTAL_COUNT
    // and, except for orders, marks it "Replied".
    static void MarkContextReplied(const QString &contextId, const QString &contextType,
                                   KVDatabase *database = nullptr);
    // Recounts the record's threads only: its status stays as it is (used
    // after marking or deleting messages).
    static void RefreshContextCounters(const QString &contextId, const QString &contextType,
                                       KVDatabase *database = nullptr);

    // Fills the current row from a "message" element (the caller calls AddNew
    // before and Update after). The thread's parent and the context record's
    // counters are written by that Update, in the same transaction as the row.
    void ReadMessageXml(const XRequest *request, const XmlNode &messageNode);
    // Stores the row; a row read by ReadMessageXml also updates its thread
    // and its context record, all or nothing.
    bool Update() override;
    void AddNew() override;

    void BuildMessageXml(XRequest &request) const;
    // The thread of the current parent row, for the message detail view.
    void BuildThreadXml(XmlNode root);
    // Appends one "message" element per row of the filter, newest first.
    static void AppendMessagesXml(XmlNode parent, const SqlExpr &filter, KVDatabase *database = nullptr);

    // The two messages a new member finds in the inbox.
    void AddWelcomeMessages();

private:
    struct PendingThread
    {
        bool active = false;
        QString contextId, contextType, ownerId;
    };
    // The parent rows of a context: all, new, and the sender's (and of those
    // the ones not new).
    struct Threads
    {
        int total = 0, fresh = 0, senders = 0, sendersNotNew = 0;
    };
    Threads CountThreads(const PendingThread &thread);

    PendingThread m_pending;
};
