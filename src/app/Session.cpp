#include "Session.h"

QString Session::PassportId() const
{
    QMutexLocker l(&m_mutex);
    return m_passportId;
}

QString Session::Password() const
{
    QMutexLocker l(&m_mutex);
    return m_password;
}

QString Session::SessionId() const
{
    QMutexLocker l(&m_mutex);
    return m_sessionId;
}

bool Session::IsLoggedIn() const
{
    QMutexLocker l(&m_mutex);
    return m_loggedIn;
}

quint64 Session::Generation() const
{
    QMutexLocker l(&m_mutex);
    return m_generation;
}

void Session::SetPassportId(const QString &id)
{
    QMutexLocker l(&m_mutex);
    m_passportId = id;
}

void Session::SetPassword(const QString &password)
{
    QMutexLocker l(&m_mutex);
    m_password = password;
}

void Session::SetSessionId(const QString &id)
{
    QMutexLocker l(&m_mutex);
    m_sessionId = id;
    ++m_generation;
}

void Session::SetLoggedIn(bool loggedIn)
{
    QMutexLocker l(&m_mutex);
    m_loggedIn = loggedIn;
}

void Session::LoggedIn(const QString &sessionId)
{
    QMutexLocker l(&m_mutex);
    m_sessionId = sessionId;
    m_loggedIn = true;
    ++m_generation;
}

bool Session::LoggedInUnlessSignedOut(const QString &sessionId)
{
    QMutexLocker l(&m_mutex);
    if (m_signedOut)
        return false;
    m_sessionId = sessionId;
    m_loggedIn = true;
    ++m_generation;
    return true;
}

void Session::SignOut()
{
    QMutexLocker l(&m_mutex);
    m_signedOut = true;
    m_loggedIn = false;
    m_password.clear();
}

bool Session::IsSignedOut() const
{
    QMutexLocker l(&m_mutex);
    return m_signedOut;
}

void Session::SetSignedOut(bool on)
{
    QMutexLocker l(&m_mutex);
    m_signedOut = on;
}

void Session::Clear()
{
    QMutexLocker l(&m_mutex);
    m_loggedIn = false;
    m_password.clear();
}
