#include "FakeServer.h"

#include <QXmlStreamReader>

#include <httplib.h>

#include <chrono>

FakeServer::FakeServer() = default;

FakeServer::~FakeServer()
{
    Stop();
}

int FakeServer::Start()
{
    if (m_server)
        return m_port;
    m_server = std::make_unique<httplib::Server>();
    m_server->set_keep_alive_max_count(100);
    auto handler = [this](const httplib::Request &req, httplib::Response &res) {
        Request r;
        r.body = QByteArray::fromStdString(req.body);
        r.operation = OperationOf(r.body);
        r.path = QString::fromStdString(req.path);
        for (const auto &h : req.headers)
            r.headers.insert(QString::fromStdString(h.first).toLower(), QString::fromStdString(h.second));
        {
            QMutexLocker l(&m_mutex);
            m_requests.append(r);
        }
        const Answer a = AnswerFor(r);
        if (a.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(a.delayMs));
        res.status = a.status;
        if (a.drop) {
            // A provider that fails closes the connection before any byte is sent.
            res.set_content_provider(
                1, "text/xml", [](size_t, size_t, httplib::DataSink &) { return false; });
            return;
        }
        if (a.truncate) {
            const std::string body = a.body.toStdString();
            res.set_content_provider(body.size(), a.contentType.toStdString(),
                                     [body](size_t offset, size_t, httplib::DataSink &sink) {
                                         if (offset > 0)
                                             return false;
                                         sink.write(body.data(), body.size() / 2);
                                         return true;
                                     });
            return;
        }
        res.set_content(a.body.toStdString(), a.contentType.toStdString());
    };
    m_server->Post(".*", handler);
    m_server->Get(".*", handler);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return m_port;
}

void FakeServer::Stop()
{
    if (!m_server)
        return;
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
    m_server.reset();
}

QString FakeServer::Url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void FakeServer::Script(const QString &operation, const Answer &answer)
{
    QMutexLocker l(&m_mutex);
    m_scripted.insert(operation, answer);
}

void FakeServer::Enqueue(const QString &operation, const Answer &answer)
{
    QMutexLocker l(&m_mutex);
    m_queued[operation].append(answer);
}

void FakeServer::SetResponder(const QString &operation, Responder responder)
{
    QMutexLocker l(&m_mutex);
    m_responders.insert(operation, std::move(responder));
}

FakeServer::Answer FakeServer::AnswerFor(const Request &request)
{
    const QString &operation = request.operation;
    Responder responder;
    {
        QMutexLocker l(&m_mutex);
        responder = m_responders.value(operation);
    }
    if (responder) {
        if (std::optional<Answer> decided = responder(request))
            return *decided;
    }
    QMutexLocker l(&m_mutex);
    auto q = m_queued.find(operation);
    if (q != m_queued.end() && !q->isEmpty())
        return q->takeFirst();
    auto s = m_scripted.find(operation);
    if (s != m_scripted.end())
        return *s;
    Answer a;
    a.body = Response(0);
    return a;
}

QByteArray FakeServer::Response(int resultCode, const QByteArray &inner, const QByteArray &message)
{
    QByteArray body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kv_response result_code=\"" +
                      QByteArray::number(resultCode) + "\">";
    if (!message.isEmpty())
        body += "<error_message>" + message + "</error_message>";
    body += inner;
    body += "</kv_response>";
    return body;
}

QList<FakeServer::Request> FakeServer::Requests() const
{
    QMutexLocker l(&m_mutex);
    return m_requests;
}

QList<FakeServer::Request> FakeServer::RequestsFor(const QString &operation) const
{
    QList<Request> out;
    for (const Request &r : Requests()) {
        if (r.operation == operation)
            out.append(r);
    }
    return out;
}

void FakeServer::ClearRequests()
{
    QMutexLocker l(&m_mutex);
    m_requests.clear();
}

QString FakeServer::OperationOf(const QByteArray &body)
{
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == u"kv_request")
                return xml.attributes().value(QStringLiteral("operation")).toString();
            return {};
        }
    }
    return {};
}
