// The window's commands reach the dialogs through IFrameDialogs with the
// arguments of the market shown.

#include "RecordingPanes.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "dialogs/NodeIds.h"
#include "frame/CMainFrame.h"
#include "frame/FrameCommands.h"
#include "frame/IFrameDialogs.h"

#include <QTest>

namespace {

class RecordingDialogs : public PlaceholderFrameDialogs
{
public:
    QStringList calls;
    int answer = 2;

    int ProfilePropertySheet(const QString &caption, int mode, int startPage) override
    {
        calls << QStringLiteral("ProfilePropertySheet|%1|%2|%3").arg(caption).arg(mode).arg(startPage);
        return answer;
    }
    int CWizardScopeDlg() override
    {
        calls << QStringLiteral("CWizardScopeDlg");
        return answer;
    }
};

} // namespace

class TestFrameDialogs : public QObject
{
    Q_OBJECT
private slots:
    void editProfileOpensTheMarketsPage_data()
    {
        QTest::addColumn<int>("market");
        QTest::addColumn<QString>("call");
        QTest::newRow("parts") << 0 << "ProfilePropertySheet|Edit Profile|1|2";
        QTest::newRow("cars") << 1 << "ProfilePropertySheet|Edit Profile|1|1";
    }
    void editProfileOpensTheMarketsPage()
    {
        QFETCH(int, market);
        QFETCH(QString, call);
        TestApp env;
        theSettings().SetInt(Setting::DefaultMarket, market);
        RecordingPanes panes;
        RecordingDialogs dialogs;
        CMainFrame frame(panes, &dialogs);
        QVERIFY(frame.OnCreate());
        FrameCommands commands(frame);
        commands.EditProfile();
        QCOMPARE(dialogs.calls, QStringList{call});
    }

    // The parts speciality opens the wizard; only a confirmed one shows the speciality page.
    void specialtyOpensTheWizard()
    {
        TestApp env;
        theSettings().SetInt(Setting::DefaultMarket, 0);
        RecordingPanes panes;
        RecordingDialogs dialogs;
        CMainFrame frame(panes, &dialogs);
        QVERIFY(frame.OnCreate());
        FrameCommands commands(frame);
        commands.EditSpecialty(false);
        QCOMPARE(dialogs.calls, QStringList{"CWizardScopeDlg"});
        QVERIFY(commands.GetShownNode() != NodeSpecialty);
        dialogs.answer = 1;
        commands.EditSpecialty(false);
        QCOMPARE(commands.GetShownNode(), int(NodeSpecialty));
    }
};

KORVANT_TEST_MAIN(TestFrameDialogs)
#include "tst_framedialogs.moc"
