#include "FakeServer.h"

#include "app/HugePages.h"

#include <QXmlStreamReader>

#include <httplib.h>

#include <chrono>

namespace {

using StopFlag = std::shared_ptr<std::atomic<bool>>;

constexpr size_t HugeBodyBytes = size_t(600) * 1024 * 1024;

// Sleeps up to `ms`; false once the server stops.
bool Rest(const StopFlag &stopping, int ms)
{
    for (int slept = 0; slept < ms; slept += 10) {
        if (stopping->load())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !stopping->load();
}

// A well-formed stretch of answer to fill big bodies with.
std::string Filler(size_t size)
{
    static const std::string item = "<query><query_id>Q</query_id><part_info><name>Door</name></part_info></query>";
    std::string out;
    out.reserve(size);
    while (out.size() + item.size() <= size)
        out += item;
    out.append(size - out.size(), ' ');
    return out;
}

const char *const FaultNameTable[] = {"none", "silent", "trickle", "endless", "huge-body", "huge-header",
                                      "html", "cut-short", "http500", "code4", "redirect-loop", "redirect-file"};

} // namespace

FakeServer::FakeServer() = default;

FakeServer::~FakeServer()
{
    Stop();
}

int FakeServer::Start()
{
    if (m_server)
        return m_port;
    m_stopping->store(false);
    m_server = std::make_unique<httplib::Server>();
    m_server->set_keep_alive_max_count(100);
    auto handler = [this](const httplib::Request &req, httplib::Response &res, QByteArray body) {
        Request r;
        r.body = std::move(body);
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
        if (a.fault != Fault::None) {
            Misbehave(a, res);
            return;
        }
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
    // A posted body is read into one buffer taken at its declared length: the
    // library's own reading appends to a string that grows by doubling, and
    // a hot deal's tens of megabytes were then most of its exchange.
    m_server->Post(".*", [handler](const httplib::Request &req, httplib::Response &res,
                                   const httplib::ContentReader &read) {
        QByteArray body;
        bool declared = false;
        const qint64 length = QByteArray::fromStdString(req.get_header_value("Content-Length")).toLongLong(&declared);
        constexpr qint64 MaxReserved = qint64(256) * 1024 * 1024;
        if (declared && length > 0) {
            body.reserve(qsizetype(qMin(length, MaxReserved)));
            AdviseHugePages(body.data(), size_t(body.capacity()));
        }
        read([&body](const char *data, size_t size) {
            body.append(data, qsizetype(size));
            return true;
        });
        handler(req, res, std::move(body));
    });
    m_server->Get(".*", [handler](const httplib::Request &req, httplib::Response &res) {
        handler(req, res, QByteArray::fromStdString(req.body));
    });
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
    m_stopping->store(true);
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

FakeServer::Answer FakeServer::FaultAnswer(Fault fault)
{
    Answer a;
    a.fault = fault;
    a.body = Response(0, "<query_list>" + QByteArray::fromStdString(Filler(4000)) + "</query_list>");
    switch (fault) {
    case Fault::Html:
        a.contentType = "text/html";
        a.body = "<!DOCTYPE html>\n<html><head><title>502 Bad Gateway</title></head>"
                 "<body><h1>Bad Gateway</h1><p>The proxy server received an invalid response.<br></p></body></html>";
        break;
    case Fault::Http500:
        a.status = 500;
        a.body = "<html><body>Internal Server Error</body></html>";
        break;
    case Fault::Code4:
        a.body = Response(4, {}, "Your session has expired.");
        break;
    default:
        break;
    }
    return a;
}

QStringList FakeServer::FaultNames()
{
    QStringList names;
    for (const char *n : FaultNameTable)
        names << QString::fromLatin1(n);
    return names;
}

std::optional<FakeServer::Fault> FakeServer::FaultByName(const QString &name)
{
    const qsizetype i = FaultNames().indexOf(name);
    if (i < 0)
        return std::nullopt;
    return Fault(i);
}

QString FakeServer::FaultName(Fault fault)
{
    return QString::fromLatin1(FaultNameTable[int(fault)]);
}

void FakeServer::Misbehave(const Answer &a, httplib::Response &res)
{
    const StopFlag stopping = m_stopping;
    const std::string body = a.body.toStdString();
    const std::string type = a.contentType.toStdString();
    res.status = a.status;
    switch (a.fault) {
    case Fault::None:
        break;
    case Fault::SilentAfterHeaders:
        res.set_content_provider(body.size(), type, [stopping](size_t, size_t, httplib::DataSink &) {
            Rest(stopping, 600000);
            return false;
        });
        return;
    case Fault::Trickle:
        res.set_content_provider(body.size(), type, [stopping, body](size_t offset, size_t, httplib::DataSink &sink) {
            return Rest(stopping, 1000) && sink.write(body.data() + offset, 1);
        });
        return;
    case Fault::EndlessBody:
        res.set_chunked_content_provider(type, [stopping, body](size_t offset, httplib::DataSink &sink) {
            static const std::string filler = Filler(64 * 1024);
            if (stopping->load())
                return false;
            if (offset == 0)
                return sink.write(body.data(), body.size() - std::string("</kv_response>").size());
            return sink.write(filler.data(), filler.size());
        });
        return;
    case Fault::HugeBody: {
        res.set_content_provider(HugeBodyBytes, type, [stopping](size_t offset, size_t, httplib::DataSink &sink) {
            static const std::string filler = Filler(64 * 1024);
            static const std::string head = "<kv_response result_code=\"0\"><query_list>";
            static const std::string tail = "</query_list></kv_response>";
            if (stopping->load())
                return false;
            if (offset == 0)
                return sink.write(head.data(), head.size());
            if (offset + tail.size() >= HugeBodyBytes)
                return sink.write(tail.data() + (tail.size() - (HugeBodyBytes - offset)), HugeBodyBytes - offset);
            return sink.write(filler.data(), std::min(filler.size(), HugeBodyBytes - offset - tail.size()));
        });
        return;
    }
    case Fault::HugeHeader:
        res.set_header("X-Padding", std::string(size_t(4) * 1024 * 1024, 'a'));
        res.set_content(body, type);
        return;
    case Fault::CutShort:
        res.set_content_provider(body.size(), type, [body](size_t offset, size_t, httplib::DataSink &sink) {
            if (offset > 0)
                return false;
            sink.write(body.data(), body.size() / 2);
            return true;
        });
        return;
    case Fault::RedirectLoop:
        res.set_redirect("/loop");
        return;
    case Fault::RedirectToFile:
        res.set_redirect("file:///etc/passwd");
        return;
    case Fault::Html:
    case Fault::Http500:
    case Fault::Code4:
        break;
    }
    res.set_content(body, type);
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
    // The root's start tag comes first: a request of tens of megabytes (a hot
    // deal's page) is not decoded whole to find it.
    constexpr qsizetype Head = 64 * 1024;
    if (body.size() > Head) {
        QXmlStreamReader head(QByteArray::fromRawData(body.constData(), Head));
        while (!head.atEnd()) {
            if (head.readNext() == QXmlStreamReader::StartElement) {
                if (head.name() == u"kv_request")
                    return head.attributes().value(QStringLiteral("operation")).toString();
                return {};
            }
        }
    }
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

FakeServer::Responder FakeServer::ResponderOf(const QString &operation) const
{
    QMutexLocker l(&m_mutex);
    return m_responders.value(operation);
}
