#include "SubmitPipeline.h"

#include "app/AppCore.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "dialogs/GuiUtils.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <memory>
#include <thread>

SubmitPipeline::SubmitPipeline(IFormHost *host) : m_host(host), m_exchange(&SubmitPipeline::SendOffThread)
{
}

void SubmitPipeline::SendOffThread(XRequest &request)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        request.SendWithRelogin();
        return;
    }
    QEventLoop loop;
    std::thread worker([&request, &loop] {
        AppCore::PrepareWorkerThread();
        request.SendWithRelogin();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // A send that takes more than a moment gets a box whose Cancel ends the
    // transfer: the member is never held by a server that does not answer.
    std::unique_ptr<QDialog> box;
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [&box, &request] {
        box = std::make_unique<QDialog>(QApplication::activeWindow());
        box->setObjectName(QStringLiteral("sendWaitBox"));
        box->setWindowTitle(QStringLiteral("Sending"));
        box->setWindowModality(Qt::ApplicationModal);
        auto *layout = new QVBoxLayout(box.get());
        auto *text = new QLabel(QStringLiteral("Waiting for the server's answer..."), box.get());
        layout->addWidget(text);
        auto *cancel = new QPushButton(QStringLiteral("Cancel"), box.get());
        cancel->setObjectName(QStringLiteral("cancelSendButton"));
        layout->addWidget(cancel, 0, Qt::AlignHCenter);
        const auto stop = [&request, text, cancel] {
            request.Cancel();
            text->setText(QStringLiteral("Cancelling..."));
            cancel->setEnabled(false);
        };
        QObject::connect(cancel, &QPushButton::clicked, stop);
        // Escape and the window's close button cancel too.
        QObject::connect(box.get(), &QDialog::rejected, stop);
        box->show();
    });
    later.start(WaitBoxDelayMs);
    // The quit is queued to the loop, so it arrives even when the exchange
    // ends before the loop starts.
    loop.exec();
    later.stop();
    if (box) {
        box->disconnect();
        box->hide();
    }
    worker.join();
}

QString SubmitPipeline::NoAnswerText(const XRequest &request, const QString &recordWord)
{
    if (request.MayHaveReachedServer())
        return QStringLiteral("The server may have received your %1 before the connection ended. Look for it "
                              "after the next Synchronize (F5) before you send it again: sent twice, it is posted "
                              "twice.")
            .arg(recordWord);
    return QStringLiteral("Your %1 was not sent.").arg(recordWord);
}

FormOutcome SubmitPipeline::Run(SubmitForm &form, const SubmitSpec &spec)
{
    if (m_busy)
        return FormOutcome::Busy;
    struct BusyScope
    {
        bool &flag;
        explicit BusyScope(bool &f) : flag(f) { flag = true; }
        ~BusyScope() { flag = false; }
    } busy(m_busy);

    const QString missing = form.MissingFields();
    if (!missing.isEmpty()) {
        theApp().ShowMessageBox(GuiUtils::SubmissionErrorText(missing), QStringLiteral("Submission Error"),
                                MsgBox::IconError);
        return FormOutcome::Invalid;
    }
    if (!form.Prepare())
        return FormOutcome::Invalid;
    if (!theApp().EnsureLoggedIn())
        return FormOutcome::LoginFailed;
    XRequest request(spec.operation, form.RequestUrl());
    form.BuildRequest(request);
    m_exchange(request);
    return Route(form, spec, request);
}

FormOutcome SubmitPipeline::Route(SubmitForm &form, const SubmitSpec &spec, XRequest &request)
{
    const int code = request.GetResultCode();
    if (code == 0) {
        try {
            SqlTransaction scope(theDatabase().Connection());
            form.Store(request);
            scope.Commit();
        } catch (const std::exception &e) {
            // The server has the record: sending it again would post it twice.
            const QString reason = QString::fromUtf8(e.what());
            theApp().WriteLog(QStringLiteral("%1 sent, not stored: %2").arg(spec.operation, reason),
                              QStringLiteral("DB Error"), 3);
            theApp().ShowMessageBox(QStringLiteral("Your %1 was sent, but it could not be stored on this computer."
                                                   "\n\n%2")
                                        .arg(spec.recordWord, reason),
                                    QStringLiteral("Error"), MsgBox::IconError);
            return FormOutcome::SentNotStored;
        }
        ShowSuccessNotice(spec);
        form.AfterStore();
        return FormOutcome::Sent;
    }
    if (ServerRefusal::IsRefusal(code)) {
        // Orders and deals have no notice of their own wording: the server's
        // words say what was refused.
        const bool ownWords = spec.sender == RefusalSender::Order || spec.sender == RefusalSender::OrderUpdate ||
                              spec.sender == RefusalSender::Deal;
        const int choice = ServerRefusal::Handle(spec.sender, code, form.RefusingMarket(), spec.marketMode, m_host,
                                                 ownWords ? request.GetErrorMessage() : QString());
        return choice == ServerRefusal::RemainVisitor ? FormOutcome::Refused : FormOutcome::RefusedClosed;
    }
    if (form.HandleResultCode(request))
        return FormOutcome::FormCode;
    QString message = request.GetErrorMessage();
    if (message.isEmpty())
        message = request.GetStatusText();
    // No answer, or not one to read: whether the record got there is unknown.
    if (code == -1 && !spec.recordWord.isEmpty())
        message += QStringLiteral("\n\n") + NoAnswerText(request, spec.recordWord);
    theApp().ShowMessageBox(message, spec.failureCaption, MsgBox::IconError);
    return FormOutcome::Failed;
}

void SubmitPipeline::ShowSuccessNotice(const SubmitSpec &spec)
{
    if (!spec.confirmSetting || !theSettings().IsOn(spec.confirmSetting))
        return;
    int show = theSettings().GetInt(spec.confirmSetting);
    theApp().ShowMessageDlg(QString(), spec.successText, &show, 0, MsgBox::IconResInformation);
    if (show != theSettings().GetInt(spec.confirmSetting)) {
        theSettings().SetInt(spec.confirmSetting, show);
        theSettings().Save();
    }
}

FormOutcome SubmitFromWindow(const std::function<FormOutcome()> &submit, const std::function<void(bool)> &busy,
                             const std::function<void()> &close)
{
    busy(true);
    const FormOutcome outcome = submit();
    busy(false);
    if (outcome == FormOutcome::RefusedClosed)
        close();
    return outcome;
}
