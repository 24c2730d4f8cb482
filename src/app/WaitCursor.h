#pragma once

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QThread>

// The wait cursor while a scope runs, only where it means something: on the
// GUI thread of a GUI application.
class WaitCursor
{
public:
    WaitCursor()
    {
        auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
        m_on = gui && QThread::currentThread() == gui->thread();
        if (m_on)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor()
    {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool m_on = false;
};
