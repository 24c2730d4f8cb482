#pragma once

// The web-engine form tests' setting (header only): the forms fixture with
// the style sheets of the source tree and the program's web host.

#include "FormsFixture.h"
#include "../browser/RecordingCommands.h"

#include "browser/WebHost.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

struct WebFormsFixture : FormsFixture
{
    WebFormsFixture()
    {
        // The style sheets of the source tree.
        t.App().SetModuleFolder(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/");
    }
    // An order received by the seller (the member), its total 100.00.
    void AddOrder(const QString &id, int status = 1)
    {
        theDatabase().Execute(
            "INSERT INTO Orders (ID, CONTEXT_ID, CONTEXT_TYPE, C_ID, C_NAME, RCP_ID, RCP_NAME, POST_DATE, STATUS, "
            "STATUS_CODE, IS_INCOMING, P_NAME, QUANTITY, PRICE, SHIPPING, CORE_DEPOSIT, TOTAL_PRICE, IS_UPDATED) "
            "VALUES (?, 'QT-1', 'quote', 'P2000', 'Bo Buyer', 'P1000', 'Dana Seller', '2009-03-04 05:06:07', 'Read', ?, "
            "1, 'Alternator', 1, 90, 10, 0, 100, 0)",
            {id, status});
    }
};

// Waits from the event loop until the condition holds.
inline bool WaitUntil(const std::function<bool()> &condition, int ms = 30000)
{
    QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired())
        QTest::qWait(10);
    return condition();
}

// Runs fn once a dialog of the parent with this object name is shown (the
// modal windows of a form under a real display, where activation is not sure).
inline void WhenChildShown(QWidget *parent, const QString &name, std::function<void(QDialog *)> fn)
{
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, parent, name, fn] {
        for (QDialog *d : parent->findChildren<QDialog *>(name)) {
            if (d->isVisible()) {
                timer->stop();
                timer->deleteLater();
                fn(d);
                return;
            }
        }
        if (clock->elapsed() > 60000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// The program's web host for the whole test run, made after the application.
#define KORVANT_WEB_TEST_MAIN(TestObject)                                                                             \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        WebHost::PrepareProcess();                                                                                     \
        TestEnv::PrepareProcess();                                                                                     \
        QApplication app(argc, argv);                                                                                  \
        WebHost host;                                                                                                  \
        RecordingCommands commands;                                                                                    \
        host.SetFrameCommands(&commands);                                                                              \
        TestObject test;                                                                                               \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
