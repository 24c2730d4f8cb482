#pragma once

// The other members of the test marketplace, played only through the
// protocol and always the same way:
//   - the first poll brings the sample records;
//   - a part or car query the member posts gets a quote from the sample
//     seller at the next poll;
//   - a quote the member sends is answered by a purchase order from the
//     query's buyer at the next poll;
//   - an order the member places is shipped: the seller's update of it comes
//     at the next poll;
//   - a message gets a reply from its recipient at the next poll;
//   - the second poll brings a new hot deal;
//   - the sample members can be looked up by passport id;
//   - a sign-up gets a new passport id, and the marketplace keeps the new
//     member's profile: it answers it as the member's own from then on.
//   - a new specialty brings the leads it covers at the next poll.
// Identifiers count up from fixed starts, so a run is the same every time.

#include "FakeServer.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QTimer>

class MarketScript
{
public:
    MarketScript(FakeServer &server, QByteArray firstPoll);

    // Installs the responders of the scripted operations; leaves alone those
    // named in `untouched` (e.g. operations answered with a fault).
    void Install(const QStringList &untouched = {});

    // The scripted operations.
    static QStringList Operations();

    // Answers, decided from the request and what the script remembers.
    std::optional<FakeServer::Answer> Poll(const FakeServer::Request &request);
    std::optional<FakeServer::Answer> NewQuery(const FakeServer::Request &request, bool cars);
    std::optional<FakeServer::Answer> NewQuote(const FakeServer::Request &request, bool cars);
    std::optional<FakeServer::Answer> NewOrder(const FakeServer::Request &request);
    // A hot deal's id: "HD-7001" for a member's first, a new one for each after.
    std::optional<FakeServer::Answer> NewDeal(const FakeServer::Request &request);
    std::optional<FakeServer::Answer> NewMessage(const FakeServer::Request &request);
    std::optional<FakeServer::Answer> GetProfile(const FakeServer::Request &request);
    std::optional<FakeServer::Answer> NewProfile(const FakeServer::Request &request);
    std::optional<FakeServer::Answer> ChangeProfile(const FakeServer::Request &request);

    // The metadata answer with a rating script that rates every inventory
    // part of the query's name and make at 90.
    static QByteArray WithRatingScript(QByteArray metaInfo);

    // The small picture every part quote of the seller carries (none when empty).
    void SetQuotePicture(QByteArray jpeg);

    // Keeps how many polls were answered and which ids were given out in a
    // file, so that a server started again for the same member neither
    // sends the first poll's records a second time nor gives an id twice.
    void RememberIn(const QString &file);

private:
    // Poll lists in the order the answer carries them.
    enum List { Queries, CarQueries, Quotes, CarQuotes, Messages, Deals, Orders, OrderUpdates, ListCount };

    QString NextId(const char *prefix);
    void SaveState() const;
    void Later(List list, const QByteArray &record);
    // The signed-up member's profile, asked for as the member's own or by id.
    std::optional<FakeServer::Answer> SignedUpProfile(const FakeServer::Request &request);

    FakeServer &m_server;
    QMutex m_mutex;
    QByteArray m_firstPoll;
    int m_polls = 0;
    int m_counter = 0;
    int m_deals = 0;
    QString m_stateFile;
    QMap<QString, QString> m_queryOwners;  // query id -> buyer's passport id
    QList<QByteArray> m_pending[ListCount];
    int m_signUps = 0;
    QString m_signedUpId;
    QByteArray m_signedUpProfile;  // the profile's elements as sent, less the password
    QList<int> m_leadsSent;  // leads by their place in the table
    QByteArray m_quotePicture;
    QByteArray QuotePicture() const;
};

// Appends every request the server gets to a file as it comes: one line of
// "operation<TAB>body" with the body's line breaks as spaces.
class RequestLog : public QObject
{
public:
    RequestLog(const FakeServer &server, const QString &path);
    ~RequestLog() override;
    bool IsOpen() const { return m_file.isOpen(); }

private:
    void Flush();

    const FakeServer &m_server;
    QFile m_file;
    QTimer m_timer;
    qsizetype m_written = 0;
};
