#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace httplib {
class Server;
struct Response;
}

// The fake marketplace server: a real HTTP server on 127.0.0.1 with an
// ephemeral port, in process. It answers each POST by the "operation"
// attribute of the request's "kv_request" root with what the test scripted,
// and records every request.
class FakeServer
{
public:
    // Ways a server or what stands in front of it misbehaves.
    enum class Fault {
        None,
        SilentAfterHeaders,  // headers, then nothing
        Trickle,             // one byte a second
        EndlessBody,         // a chunked body that never ends
        HugeBody,            // a declared and sent body of 600 MB
        HugeHeader,          // a 4 MB header line
        Html,                // an HTML page in place of XML
        CutShort,            // promises the whole body, sends half, closes
        Http500,
        Code4,               // result code 4 on every request
        RedirectLoop,
        RedirectToFile,      // a redirect to file://
    };
    struct Answer
    {
        QByteArray body;
        int status = 200;
        int delayMs = 0;
        bool drop = false;       // close the connection without an answer
        bool truncate = false;   // promise the whole body, send half, close
        QByteArray contentType = "text/xml";
        Fault fault = Fault::None;
    };
    struct Request
    {
        QString operation;
        QByteArray body;
        QMap<QString, QString> headers;  // names in lower case
        QString path;
    };

    FakeServer();
    ~FakeServer();

    // Starts listening; returns the port.
    int Start();
    void Stop();
    int Port() const { return m_port; }
    QString Url(const QString &path = QStringLiteral("/kvp")) const;

    // The answer an operation gets from now on.
    void Script(const QString &operation, const Answer &answer);
    // A one-shot answer, used before the scripted one (in order).
    void Enqueue(const QString &operation, const Answer &answer);
    // Decides an operation's answer from the request (before the queued and
    // scripted ones); nullopt leaves it to them. Runs on the server's thread.
    using Responder = std::function<std::optional<Answer>(const Request &)>;
    void SetResponder(const QString &operation, Responder responder);
    // Body of a plain answer with the given result code and inner XML.
    static QByteArray Response(int resultCode, const QByteArray &inner = {}, const QByteArray &message = {});

    QList<Request> Requests() const;
    QList<Request> RequestsFor(const QString &operation) const;
    void ClearRequests();

    static QString OperationOf(const QByteArray &body);

    // The answer that shows a fault; its names as the command line gives them.
    static Answer FaultAnswer(Fault fault);
    static QStringList FaultNames();
    static std::optional<Fault> FaultByName(const QString &name);
    static QString FaultName(Fault fault);

    // The responder an operation has (empty when none), e.g. to wrap it.
    Responder ResponderOf(const QString &operation) const;

private:
    Answer AnswerFor(const Request &request);
    void Misbehave(const Answer &a, httplib::Response &res);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable QMutex m_mutex;
    QMap<QString, Answer> m_scripted;
    QMap<QString, QList<Answer>> m_queued;
    QMap<QString, Responder> m_responders;
    QList<Request> m_requests;
    // Set by Stop(), so that endless answers end and the server can join its threads.
    std::shared_ptr<std::atomic<bool>> m_stopping = std::make_shared<std::atomic<bool>>(false);
};
