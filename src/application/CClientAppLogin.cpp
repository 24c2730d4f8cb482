// The member's session: login, logout, the window title and the account commands.

#include "CClientApp.h"

#include "CrashReport.h"

#include "app/Constants.h"
#include "app/XSettings.h"
#include "net/ReloginThread.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QCoreApplication>
#include <QThread>

namespace {

const char *const WrongPasswordText =
    "Signing in to Korvant failed because the password\nis incorrect or the Passport ID does not exist. Please\n"
    "make sure that your Caps Lock and language selector\nare correctly set. If you have forgotten your password,\n"
    "click on the \"Forgot Password?\" link.";

const char *const LoginAgainText = "\n\nYou are not logged in. To log in again, choose Login in the File menu "
                                  "(Ctrl+L).";

// The login turn held while this thread runs its "login" exchange. The main
// thread keeps serving events while a worker holds it (the worker's login may
// need a box answered); a worker gives up once the program is ending.
class LoginLocker
{
public:
    LoginLocker(Turn &turn, bool onMain) : m_turn(turn)
    {
        if (onMain) {
            // A short timed try between event rounds: no spinning while a worker logs in.
            while (!m_turn.Take(5))
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            m_locked = true;
            return;
        }
        while (!(m_locked = m_turn.Take(50))) {
            if (XRequest::IsCancelAll())
                return;
        }
    }
    ~LoginLocker()
    {
        if (m_locked)
            m_turn.Give();
    }
    LoginLocker(const LoginLocker &) = delete;
    LoginLocker &operator=(const LoginLocker &) = delete;
    bool Locked() const { return m_locked; }

private:
    Turn &m_turn;
    bool m_locked = false;
};

struct LoginOutcome
{
    bool ok = false;
    bool cancelled = false;
    QString sessionId;
    QString errorMessage;
    int resultCode = -1;
};

// The "login" exchange: up to two attempts, the second only after a failed
// first that was not cancelled (the member's Cancel or the program's exit).
LoginOutcome SendLogin(const QString &passportId, const QString &password)
{
    LoginOutcome out;
    for (int attempt = 0; attempt < 2 && !out.ok && !out.cancelled; ++attempt) {
        XRequest request(QStringLiteral("login"));
        request.AddParam(QStringLiteral("passport_id"), passportId);
        request.AddParam(QStringLiteral("password"), password);
        if (request.Send()) {
            out.ok = true;
            out.sessionId = request.GetResponseText(QStringLiteral("session_id"));
        } else {
            // A failed transfer has no server message: its reason is the status text.
            out.errorMessage = request.GetErrorMessage();
            if (out.errorMessage.isEmpty())
                out.errorMessage = request.GetStatusText();
            out.resultCode = request.GetResultCode();
            out.cancelled = request.IsCancelled() || XRequest::IsCancelAll();
        }
    }
    return out;
}

} // namespace

// DoLogin runs on the main thread (start-up, commands, dialogs) and on
// workers (the poll thread, the request layer's re-login). Only the "login"
// exchange runs on a worker; the version hand-over, the dialogs and what a
// login refreshes run on the main thread, through the dispatcher where the
// worker needs the answer and queued where it does not. The login turn covers
// only the exchange, so a login the main thread runs for a worker (the login
// dialog) never waits for the worker that waits for it.
bool CClientApp::DoLogin()
{
    const bool onMain = IsMainThread();
    // After the member logged out only the member logs in again: a login on
    // the main thread is a command, a dialog or start-up; one on a worker is
    // a poll or a re-login and must not undo the logout.
    if (onMain) {
        GetSession().SetSignedOut(false);
    } else if (GetSession().IsSignedOut()) {
        WriteLog(QStringLiteral("no login after the member logged out"), QStringLiteral("DoLogin"), 4);
        return false;
    }

    // 0 stop, 1 go on with the exchange, 2 logged in by the dialog.
    auto prepare = [this]() -> int {
        if (CheckNewVersion(false)) {
            // Never from inside a login: the updater hand-over stops the poller,
            // whose thread may be waiting for this very login.
            if (!UpdateLater() && !m_updaterQueued.exchange(true))
                QueueOnMain([this] { RunUpdaterAndExit(); });
            return 0;
        }
        switch (PrepareCredentials()) {
        case Credentials::Failed:
            return 0;
        case Credentials::LoggedInByDialog:
            return 2;
        case Credentials::Proceed:
            break;
        }
        return 1;
    };
    const int prepared = onMain ? prepare() : Dispatcher().Call<int>(prepare, 0);
    if (prepared == 0 || ExitBegun())
        return false;
    if (prepared == 2)
        return true;

    LoginOutcome outcome;
    {
        LoginLocker lock(m_loginTurn, onMain);
        if (!lock.Locked())
            return false;
        const Session &s = GetSession();
        outcome = SendLogin(s.PassportId(), s.Password());
        if (outcome.ok) {
            if (onMain)
                GetSession().LoggedIn(outcome.sessionId);
            else if (!GetSession().LoggedInUnlessSignedOut(outcome.sessionId))
                return false;  // the member logged out while the exchange ran
        }
    }

    if (!outcome.ok) {
        if (outcome.cancelled) {
            // Stopped on purpose: nothing to tell.
            WriteLog(QStringLiteral("login cancelled"), QStringLiteral("DoLogin"), 4);
        } else if (outcome.resultCode == 200) {
            ShowMessageBox(QLatin1String(WrongPasswordText), QStringLiteral("Cannot login to the system"),
                           MsgBox::IconError);
            if (theSettings().IsOn(Setting::AutoLogin)) {
                // A login through the dialog that succeeds leaves us logged in.
                RunOnMain([this] { return Login(2) == 1; }, false);
                return GetSession().IsLoggedIn();
            }
        } else if (*ShowErrorsFlag()) {
            ShowMessageDlg2(QStringLiteral("Cannot retrieve main info"),
                            outcome.errorMessage + QLatin1String(LoginAgainText), ShowErrorsFlag(), 0,
                            MsgBox::IconResWarning);
        }
        return false;
    }

    if (IsReloginThread()) {
        // The session was renewed for a request that found it expired: what
        // the first login set up stands, and the request repeats only itself.
        WriteLog(QStringLiteral("logged in again for an expired session"), QStringLiteral("DoLogin"), 4);
    } else if (onMain) {
        RunFollowUps();
    } else {
        QueueOnMain([this] {
            if (GetSession().IsLoggedIn())
                RunFollowUps();
        });
    }
    return true;
}

// A login while the follow-ups run (a command served while one of their
// requests is on the wire) does only the exchange: the follow-ups under way
// go on with the new session, and running them again from inside would start
// them over on the stack of the first run.
void CClientApp::RunFollowUps()
{
    if (m_followUps > 0) {
        WriteLog(QStringLiteral("logged in again while the login's follow-up steps run"), QStringLiteral("DoLogin"), 4);
        return;
    }
    ++m_followUps;
    try {
        AfterLogin();
    } catch (...) {
        --m_followUps;
        throw;
    }
    --m_followUps;
}

CClientApp::Credentials CClientApp::PrepareCredentials()
{
    Session &session = GetSession();
    if (session.PassportId().isEmpty()) {
        IDialogs *dialogs = Dialogs();
        if (!dialogs || dialogs->ProfileSheet(QStringLiteral("WELCOME TO KORVANT! - Create New Profile"), false) != 1)
            return Credentials::Failed;
        CrashReport::UpdateSignalTemplate();
        if (AskYesNo(QStringLiteral("Do you want to learn how the system works?"), QLatin1String(Korvant::AppName),
                     MsgBox::IconQuestion)) {
            if (IMainFrame *frame = Frame())
                frame->ShowHowItWorks();
        }
    }
    if (session.Password().isEmpty() && theSettings().IsOn(Setting::AutoLogin))
        session.SetPassword(theSettings().GetString(Setting::Password));
    if (session.Password().isEmpty())
        return Login(2) == 1 ? Credentials::LoggedInByDialog : Credentials::Failed;
    return Credentials::Proceed;
}

void CClientApp::AfterLogin()
{
    const int mode = XMarketPlaces::CurrentMode();
    theMarketPlaces().CheckVersion(mode);
    theMeta().CheckVersion();
    theMetaCars().CheckVersion();
    if (theSettings().IsOn(Setting::AutoPool))
        thePoller().StartPolling();
    theProfile().GetProfile();
    SetStatusText(QStringLiteral("logged in"));
    UpdateWindowTitle();
    if (IMainFrame *frame = Frame()) {
        frame->ApplyRoleToNavigator();
        frame->UpdateRoleMenus();
    }
}

int CClientApp::Login(int mode)
{
    IDialogs *dialogs = Dialogs();
    if (!dialogs)
        return 0;
    if (!IsMainThread())
        return Dispatcher().Call<int>([this, mode] { return Login(mode); }, 0);
    if (!GetSession().PassportId().isEmpty())
        return dialogs->LoginDlg(mode);
    const int result = dialogs->ProfileSheet(QStringLiteral("Create New Profile"), false);
    if (result == 1) {
        CrashReport::UpdateSignalTemplate();
        DoLogin();
        OfferFirstQuery();
    }
    return result;
}

void CClientApp::OfferFirstQuery()
{
    XProfile *profile = Globals::As<XProfile>(GlobalSlot::Profile);
    const QString role = profile ? profile->Get().role : QString();
    if (role != QLatin1String("Buyer") && role != QLatin1String("Both"))
        return;
    IMainFrame *frame = Frame();
    const bool cars = frame && frame->GetMarketMode() == Korvant::MarketCars;
    const QString text = cars ? QStringLiteral("Do you want to submit a CAR Query now?")
                              : QStringLiteral("Do you want to submit a PART Query now?");
    if (AskYesNo(text, QStringLiteral("KORVANT-Submit New Query"), MsgBox::IconQuestion) && frame)
        frame->NewRecord();
}

void CClientApp::Logout()
{
    XRequest request(QStringLiteral("logout"));
    request.SendWithRelogin();
    GetSession().SignOut();
    if (theSettings().IsOn(Setting::AutoPool))
        thePoller().StopPolling();
    if (XProfile *profile = Globals::As<XProfile>(GlobalSlot::Profile))
        profile->Update([](ProfileData &d) { d.name.clear(); });
    UpdateWindowTitle();
}

void CClientApp::UpdateWindowTitle()
{
    IMainFrame *frame = Frame();
    if (!frame || !MainWindowFlag())
        return;
    if (!IsMainThread()) {
        QueueOnMain([this] { UpdateWindowTitle(); });
        return;
    }
    XProfile *profile = Globals::As<XProfile>(GlobalSlot::Profile);
    const QString name = profile ? profile->Get().name : QString();
    const QString app = QLatin1String(Korvant::AppName);
    QString title;
    if (name.isEmpty())
        title = QStringLiteral("%1 > %2 > %3 - [Offline]").arg(app, frame->GetMarketModeName(), frame->GetPageTitle());
    else
        title = QStringLiteral("%1 > %2 > %3 - %4 [%5]")
                    .arg(app, frame->GetMarketModeName(), frame->GetPageTitle(), name, GetSession().PassportId());
    {
        QMutexLocker lock(&m_titleMutex);
        m_windowTitle = title;
    }
    frame->SetWindowTitle(title);
    frame->UpdateTrayIcon();
}

QString CClientApp::GetWindowTitle() const
{
    QMutexLocker lock(&m_titleMutex);
    return m_windowTitle;
}

void CClientApp::OnMyProfile()
{
    IDialogs *dialogs = Dialogs();
    IMainFrame *frame = Frame();
    if (!dialogs || !GetSession().IsLoggedIn())
        return;
    const QString mode = frame ? frame->GetMarketModeName() : QStringLiteral("Parts");
    dialogs->ProfileSheet(mode + QStringLiteral(" - Edit My Profile"), true);
}

void CClientApp::OnSynchronize()
{
    // The member's own command: logged out, it asks for a login first (the
    // poll's thread would not).
    if (!GetSession().IsLoggedIn() && !DoLogin())
        return;
    if (XPoller *poller = thePollerIfAny())
        poller->RequestBackground();
}
