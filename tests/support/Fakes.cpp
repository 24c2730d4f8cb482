#include "Fakes.h"

#include "app/AppCore.h"

bool FakeProgress::CheckCancelButton()
{
    if (cancelAtStep >= 0 && steps >= cancelAtStep) {
        cancelAtStep = -1;
        return true;
    }
    return false;
}

void FakeDialogs::QueueAnswer(int answer)
{
    QMutexLocker l(&m_mutex);
    m_answers.append(answer);
}

void FakeDialogs::QueueFileName(const QString &name)
{
    QMutexLocker l(&m_mutex);
    m_fileNames.append(name);
}

int FakeDialogs::NextAnswer()
{
    QMutexLocker l(&m_mutex);
    return m_answers.isEmpty() ? defaultAnswer : m_answers.takeFirst();
}

int FakeDialogs::MessageBox(const QString &text, const QString &caption, unsigned flags)
{
    log.Add(QStringLiteral("MessageBox|%1|%2|%3").arg(text, caption).arg(flags));
    if (onMessageBox)
        onMessageBox(text);
    return NextAnswer();
}

int FakeDialogs::MessageDlg(const QString &text, const QString &detail, int *flag, int mode, int icon)
{
    Q_UNUSED(flag);
    log.Add(QStringLiteral("MessageDlg|%1|%2|%3|%4").arg(text, detail).arg(mode).arg(icon));
    return NextAnswer();
}

int FakeDialogs::MessageDlg2(const QString &text, const QString &detail, int *flag, int mode, int icon)
{
    Q_UNUSED(flag);
    log.Add(QStringLiteral("MessageDlg2|%1|%2|%3|%4").arg(text, detail).arg(mode).arg(icon));
    return NextAnswer();
}

int FakeDialogs::LinkMessageDlg(const LinkBoxRequest &r)
{
    log.Add(QStringLiteral("LinkMessageDlg|%1|%2|%3|%4|%5").arg(r.text, r.linkText, r.linkUrl, r.acceptText, r.declineText));
    return NextAnswer();
}

int FakeDialogs::LoginDlg(int mode)
{
    log.Add(QStringLiteral("LoginDlg|%1").arg(mode));
    return onLogin ? onLogin(mode) : NextAnswer();
}

int FakeDialogs::ProfileSheet(const QString &caption, bool editing)
{
    log.Add(QStringLiteral("ProfileSheet|%1|%2").arg(caption).arg(editing));
    return onProfileSheet ? onProfileSheet(caption, editing) : NextAnswer();
}

int FakeDialogs::SubscribeMsgDlg(const QString &notice, bool disableBuyPasses)
{
    log.Add(QStringLiteral("SubscribeMsgDlg|%1|%2").arg(notice).arg(disableBuyPasses));
    return NextAnswer();
}

QString FakeDialogs::GetOpenFileName(const QString &title, const QString &filter, const QString &file)
{
    log.Add(QStringLiteral("GetOpenFileName|%1|%2|%3").arg(title, filter, file));
    QMutexLocker l(&m_mutex);
    return m_fileNames.isEmpty() ? QString() : m_fileNames.takeFirst();
}

QString FakeDialogs::GetSaveFileName(const QString &title, const QString &filter, const QString &defaultExt,
                                     const QString &file)
{
    log.Add(QStringLiteral("GetSaveFileName|%1|%2|%3|%4").arg(title, filter, defaultExt, file));
    QMutexLocker l(&m_mutex);
    return m_fileNames.isEmpty() ? QString() : m_fileNames.takeFirst();
}

std::unique_ptr<IProgress> FakeDialogs::CreateProgress()
{
    auto p = std::make_unique<FakeProgress>(log);
    p->cancelAtStep = cancelAtStep;
    lastProgress = p.get();
    return p;
}

void FakeMainFrame::SetNewCounts(const NewCounts &c)
{
    {
        QMutexLocker l(&m_mutex);
        m_counts = c;
    }
    log.Add("SetNewCounts");
}

NewCounts FakeMainFrame::Counts() const
{
    QMutexLocker l(&m_mutex);
    return m_counts;
}

void FakeMainFrame::SetItemCounter(int nodeId, int total, int second, bool bold)
{
    log.Add(QStringLiteral("SetItemCounter|%1|%2|%3|%4").arg(nodeId).arg(total).arg(second).arg(bold));
}

void FakeMainFrame::ShowTrayMessage(const QString &text, int clickAction)
{
    log.Add(QStringLiteral("ShowTrayMessage|%1|%2").arg(text).arg(clickAction));
}

bool FakeLoginHook::DoLogin()
{
    ++calls;
    if (onLogin)
        return onLogin();
    if (result.load() && theAppIfAny())
        theApp().GetSession().LoggedIn(QStringLiteral("fake-session"));
    return result.load();
}
