#pragma once

// Drives modal windows the way a person would: waits (from the event loop)
// until the wanted window is the active modal one, then runs the test's
// clicks on it. A window that never comes is reported and every open modal
// window is closed, so a failing test cannot hang.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QtTest>

#include <functional>
#include <memory>

namespace ModalHelper {

inline QStringList &Misses()
{
    static QStringList misses;
    return misses;
}

// Runs fn once the active modal widget has this objectName.
inline void WhenModal(const QString &objectName, std::function<void(QWidget *)> fn, int timeoutMs = 10000)
{
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, objectName, fn, timeoutMs] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->objectName() == objectName && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            fn(w);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            Misses() << objectName;
            while (QWidget *m = QApplication::activeModalWidget()) {
                if (auto *d = qobject_cast<QDialog *>(m))
                    d->done(QDialog::Rejected);
                else
                    m->close();
                QCoreApplication::processEvents();
            }
        }
    });
    timer->start();
}

inline void Click(QWidget *root, const char *buttonName)
{
    auto *b = root->findChild<QAbstractButton *>(QLatin1String(buttonName));
    QVERIFY2(b, buttonName);
    QVERIFY2(b->isVisible(), buttonName);
    QTest::mouseClick(b, Qt::LeftButton);
}

inline void ClickBox(QWidget *root, QMessageBox::StandardButton which)
{
    auto *box = qobject_cast<QMessageBox *>(root);
    QVERIFY(box);
    QVERIFY(box->button(which));
    QTest::mouseClick(box->button(which), Qt::LeftButton);
}

inline QString BoxText(QWidget *root)
{
    auto *box = qobject_cast<QMessageBox *>(root);
    return box ? box->text() : QString();
}

} // namespace ModalHelper
