#include "ProfileFetcher.h"

#include "MemberProfile.h"

#include "net/AnswerId.h"
#include "net/XRequest.h"

#include <QMetaObject>
#include <QPointer>

namespace {
constexpr int NoSuchMemberCode = 350;
}

ProfileFetcher::ProfileFetcher(QObject *parent) : QObject(parent)
{
    m_thread = std::thread([this] { Run(); });
}

ProfileFetcher::~ProfileFetcher()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_pending.clear();
        if (m_current)
            m_current->Cancel();
    }
    m_wake.notify_all();
    m_thread.join();
}

void ProfileFetcher::Fetch(const QStringList &passportIds)
{
    {
        std::lock_guard lock(m_mutex);
        ++m_batch;
        m_pending.assign(passportIds.begin(), passportIds.end());
        m_busy = !m_pending.empty();
        if (m_current)
            m_current->Cancel();
    }
    m_wake.notify_all();
}

void ProfileFetcher::Cancel()
{
    Fetch({});
}

bool ProfileFetcher::Busy() const
{
    std::lock_guard lock(m_mutex);
    return m_busy;
}

void ProfileFetcher::Deliver(quint64 batch, const std::function<void()> &emitter)
{
    QPointer<ProfileFetcher> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, batch, emitter] {
            if (!self)
                return;
            {
                std::lock_guard lock(self->m_mutex);
                if (batch != self->m_batch)
                    return;
            }
            emitter();
        },
        Qt::QueuedConnection);
}

void ProfileFetcher::Run()
{
    for (;;) {
        QString id;
        quint64 batch = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_pending.empty(); });
            if (m_quit)
                return;
            id = m_pending.front();
            m_pending.pop_front();
            batch = m_batch;
        }
        XRequest request(QStringLiteral("getProfile"));
        request.AddParam(QStringLiteral("passport_id"), id);
        {
            std::lock_guard lock(m_mutex);
            if (m_quit || batch != m_batch)
                continue;
            m_current = &request;
        }
        const bool ok = request.SendWithRelogin();
        bool last = false;
        {
            std::lock_guard lock(m_mutex);
            m_current = nullptr;
            if (m_quit)
                return;
            if (batch != m_batch)
                continue;
            last = m_pending.empty();
        }
        const XmlNode profile = ok ? request.GetResponseNode(QStringLiteral("//profile")) : XmlNode();
        if (ok && !AnswerIsFor(profile, QStringLiteral("passport_id"), id, request.GetOperation())) {
            const QString message = AnotherRecordText(QStringLiteral("member"));
            Deliver(batch, [this, id, message] { emit failed(id, message); });
        } else if (ok) {
            const QStringList row = MemberProfile::Row(profile);
            Deliver(batch, [this, row] { emit rowReady(row); });
        } else if (request.GetResultCode() == NoSuchMemberCode) {
            Deliver(batch, [this, id] { emit memberGone(id); });
        } else {
            QString message = request.GetErrorMessage();
            if (message.isEmpty() && request.GetResultCode() < 0)
                message = request.GetStatusText();
            Deliver(batch, [this, id, message] { emit failed(id, message); });
        }
        if (last)
            Deliver(batch, [this] {
                {
                    std::lock_guard lock(m_mutex);
                    m_busy = false;
                }
                emit finished();
            });
    }
}
