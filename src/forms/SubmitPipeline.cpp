#include "SubmitPipeline.h"

#include "app/AppCore.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "dialogs/GuiUtils.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <exception>
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
    // The quit is queued to the loop, so it arrives even when the exchange
    // ends before the loop starts.
    loop.exec();
    worker.join();
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
