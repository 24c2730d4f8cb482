#pragma once

#include <QMutex>
#include <QString>

// The member's session. Read from every thread, so getters return copies.
class Session
{
public:
    QString PassportId() const;
    QString Password() const;
    QString SessionId() const;
    bool IsLoggedIn() const;
    // Incremented whenever a new session id is stored; lets a thread that
    // waited for a login see that another thread already renewed the session.
    quint64 Generation() const;

    void SetPassportId(const QString &id);
    void SetPassword(const QString &password);
    void SetSessionId(const QString &id);
    void SetLoggedIn(bool loggedIn);
    // One step for a successful login: session id and flag together.
    void LoggedIn(const QString &sessionId);
    // The same for a login the member did not start (a worker's): refused,
    // false, once the member has logged out.
    bool LoggedInUnlessSignedOut(const QString &sessionId);
    // The member logged out: nothing logs in again until the member does.
    void SignOut();
    bool IsSignedOut() const;
    void SetSignedOut(bool on);
    void Clear();

private:
    mutable QMutex m_mutex;
    QString m_passportId;
    QString m_password;
    QString m_sessionId;
    bool m_loggedIn = false;
    bool m_signedOut = false;
    quint64 m_generation = 0;
};
