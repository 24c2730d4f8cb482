#include "FaultControl.h"

#include <QFile>
#include <QMutexLocker>

#include <cstdio>

namespace {
constexpr char Ok[] = "ok";
constexpr char Garbage[] = "garbage";
// Result code 4 on the next request only: a session that expired once.
constexpr char Code4Once[] = "code4-once";
} // namespace

FaultControl::FaultControl(FakeServer &server) : m_server(server)
{
    QObject::connect(&m_timer, &QTimer::timeout, this, &FaultControl::CheckFile);
}

QStringList FaultControl::Modes()
{
    QStringList modes = FakeServer::FaultNames().mid(1);
    modes << QLatin1String(Garbage) << QLatin1String(Code4Once) << QLatin1String(Ok);
    return modes;
}

QByteArray FaultControl::GarbageBody()
{
    // The start of a real answer, then what a broken proxy or a damaged
    // line leaves: control bytes, a NUL, bytes that are no UTF-8, a cut tag.
    static const char bytes[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<kv_response result_code=\"0\"><query_list><query><query_id>Q-9\x01\x1b[2J"
                                "\xff\xfe\x00\x80<part_info><name>Door &bogus; <<</na\x00me></quer";
    return QByteArray(bytes, sizeof(bytes) - 1);
}

bool FaultControl::Set(const QString &operation, const QString &mode)
{
    if (operation.isEmpty())
        return false;
    std::optional<FakeServer::Answer> answer;
    const bool once = mode == QLatin1String(Code4Once);
    if (once) {
        answer = FakeServer::FaultAnswer(FakeServer::Fault::Code4);
    } else if (mode == QLatin1String(Garbage)) {
        answer.emplace();
        answer->body = GarbageBody();
    } else if (mode != QLatin1String(Ok)) {
        const std::optional<FakeServer::Fault> fault = FakeServer::FaultByName(mode);
        if (!fault || *fault == FakeServer::Fault::None)
            return false;
        answer = FakeServer::FaultAnswer(*fault);
    }

    if (!m_wrapped.contains(operation)) {
        m_wrapped.insert(operation);
        const FakeServer::Responder usual = m_server.ResponderOf(operation);
        m_server.SetResponder(operation, [state = m_state, operation, usual](const FakeServer::Request &request) {
            {
                QMutexLocker lock(&state->mutex);
                const auto it = state->faults.constFind(operation);
                if (it != state->faults.cend()) {
                    const FakeServer::Answer fault = *it;
                    if (state->once.remove(operation))
                        state->faults.remove(operation);
                    return std::optional<FakeServer::Answer>(fault);
                }
            }
            return usual ? usual(request) : std::nullopt;
        });
    }
    QMutexLocker lock(&m_state->mutex);
    if (answer)
        m_state->faults.insert(operation, *answer);
    else
        m_state->faults.remove(operation);
    if (once)
        m_state->once.insert(operation);
    else
        m_state->once.remove(operation);
    return true;
}

QStringList FaultControl::Apply(const QByteArray &text)
{
    QStringList refused;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || !Set(line.left(eq).trimmed(), line.mid(eq + 1).trimmed())) {
            refused << line;
            continue;
        }
        if (m_applied)
            m_applied(line.left(eq).trimmed() + u'=' + line.mid(eq + 1).trimmed());
    }
    return refused;
}

void FaultControl::Watch(const QString &path, std::function<void(const QString &)> applied, int intervalMs)
{
    m_path = path;
    m_applied = std::move(applied);
    m_lastText.clear();
    m_timer.start(intervalMs);
    CheckFile();
}

void FaultControl::CheckFile()
{
    QFile file(m_path);
    const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (text == m_lastText)
        return;
    m_lastText = text;
    for (const QString &line : Apply(text))
        std::fprintf(stderr, "korvant-testserver: control line \"%s\" ignored (operation=mode, modes: %s)\n",
                     qPrintable(line), qPrintable(Modes().join(QStringLiteral(", "))));
}
