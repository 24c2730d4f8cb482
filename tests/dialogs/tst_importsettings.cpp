// The import settings pages and the two spare import dialogs, driven offscreen by clicks.

#include "ModalHelper.h"

#include "TestApp.h"
#include "TestEnv.h"

#include "app/TasksDispatcher.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "dialogs/CapInvImportProgrDlg.h"
#include "dialogs/CMyHyperLink.h"
#include "dialogs/ImportSettingsPages.h"
#include "dialogs/OptionsPropSheet.h"
#include "dialogs/PageLinks.h"
#include "dialogs/SpareImportDlgs.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QRadioButton>

namespace {

struct RecordingLinks : IPageLinks
{
    QStringList urls;
    bool RunPageLink(const QString &url) override
    {
        urls << url;
        return true;
    }
};

void ClickBox(QWidget *root, const char *name)
{
    auto *b = root->findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, b->height() / 2));
}

// The page alone in a sheet, shown.
template<class Page>
Page *ShowPage(PropertySheet &sheet)
{
    auto *page = new Page;
    sheet.AddPage(page);
    sheet.show();
    sheet.SetActivePage(0);
    return page;
}

template<class T>
T *Child(QWidget *root, const char *name)
{
    return root->findChild<T *>(QLatin1String(name));
}

} // namespace

class TestImportSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;

private slots:
    void init() { m_app = std::make_unique<TestApp>(); }
    void cleanup()
    {
        QVERIFY2(ModalHelper::Misses().isEmpty(), qPrintable(ModalHelper::Misses().join(u',')));
        m_app.reset();
    }

    void duplicateOptionsFollowTheCheck()
    {
        theSettings().SetInt(Setting::ImportIgnoreId, 1);
        theSettings().SetInt(Setting::ImportIDsEqualsOperation, 0);
        PropertySheet sheet(QStringLiteral("Options"));
        auto *page = ShowPage<ImportSettingsDlg>(sheet);
        auto *ignore = Child<QRadioButton>(page, "ignoreRadio");
        auto *overwrite = Child<QRadioButton>(page, "overwriteRadio");
        QVERIFY(ignore->isChecked() && ignore->isEnabled() && overwrite->isEnabled());

        ClickBox(page, "checkDuplicatesCheck");
        QVERIFY(!ignore->isEnabled() && !overwrite->isEnabled());
        QVERIFY(ignore->isChecked());
        ClickBox(page, "checkDuplicatesCheck");
        QVERIFY(ignore->isEnabled() && ignore->isChecked());

        ClickBox(page, "overwriteRadio");
        QVERIFY(!ignore->isChecked());
        ClickBox(page, "checkDuplicatesCheck");
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        QCOMPARE(theSettings().GetInt(Setting::ImportIgnoreId), 0);
        QCOMPARE(theSettings().GetInt(Setting::ImportIDsEqualsOperation), 1);
    }

    void cancelledFileDialogKeepsSource()
    {
        theSettings().SetString(Setting::Import2SrcFile, QStringLiteral("/a/INVENT.CAP"));
        PropertySheet sheet(QStringLiteral("Options"));
        auto *page = ShowPage<Import2SettingsDlg>(sheet);
        auto *edit = Child<QLineEdit>(page, "sourceFileEdit");
        QCOMPARE(edit->text(), QString("/a/INVENT.CAP"));

        ClickBox(page, "browseButton");
        QCOMPARE(m_app->dialogs.log.Count("GetOpenFileName|Import Source File|Cap files (*.cap)|*.cap|||/a/INVENT.CAP"), 1);
        QCOMPARE(edit->text(), QString("/a/INVENT.CAP"));

        m_app->dialogs.QueueFileName(QStringLiteral("/b/daily.cap"));
        ClickBox(page, "browseButton");
        QCOMPARE(edit->text(), QString("/b/daily.cap"));
        ClickBox(page, "dailyCheck");
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        QCOMPARE(theSettings().GetString(Setting::Import2SrcFile), QString("/b/daily.cap"));
        QCOMPARE(theSettings().GetInt(Setting::ImportAutomaticallyDaily), 0);
    }

    void optionsSheetListsNeither()
    {
        OptionsPropSheet sheet;
        sheet.show();
        QCOMPARE(sheet.PageCount(), 6);
        QVERIFY(sheet.ImportSettingsPage() && !sheet.ImportSettingsPage()->isVisible());
        QVERIFY(sheet.Import2SettingsPage() && !sheet.Import2SettingsPage()->isVisible());
        for (int i = 0; i < sheet.PageCount(); ++i)
            QVERIFY(!sheet.Page(i)->Title().contains("Import"));
    }

    void importDlgOpensOptionsOnFifthPage()
    {
        ImportDlg dlg;
        dlg.show();
        int active = -1;
        ModalHelper::WhenModal("OptionsPropSheet", [&active](QWidget *w) {
            active = static_cast<OptionsPropSheet *>(w)->ActiveIndex();
            static_cast<QDialog *>(w)->reject();
        });
        QTest::mouseClick(Child<CMyHyperLink>(&dlg, "settingsLink"), Qt::LeftButton);
        QCOMPARE(active, 4);
    }

    void importStartDlgFormatAndLink()
    {
        RecordingLinks links;
        SetPageLinks(&links);
        ImportStartDlg dlg;
        dlg.show();
        QTest::mouseClick(Child<CMyHyperLink>(&dlg, "settingsLink"), Qt::LeftButton);
        SetPageLinks(nullptr);
        QCOMPARE(links.urls, QStringList{"app:extended-profile"});
        QCOMPARE(Child<CMyHyperLink>(&dlg, "settingsLink")->toolTip(), QString("Click Here to view/change settings"));
        QVERIFY(Child<QRadioButton>(&dlg, "korvantRadio")->isChecked());
        ClickBox(&dlg, "carPartsRadio");
        ClickBox(&dlg, "okButton");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.Format(), int(ImportStartDlg::CarParts));
    }

    void capProgressWindow_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("runs to the end") << false;
        QTest::newRow("cancelled mid-run") << true;
    }
    void capProgressWindow()
    {
        QFETCH(bool, cancel);
        TestApp::Options o;
        o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
        m_app.reset();
        m_app = std::make_unique<TestApp>(o);
        QVERIFY(theDatabase().init());
        const QString ref = theApp().GetDataFolder() + "ref";
        QVERIFY(QDir().mkpath(ref));
        auto write = [](const QString &path, const QByteArray &bytes) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        write(ref + "/parts-codes.csv", "1234;Door\r\n");
        write(ref + "/make-models.csv", "FOCUS;Ford\r\n");
        QByteArray dump = "year,model_name,inventory_number,retail_price,w,stock,conditions\r\n";
        const int rows = cancel ? 200000 : 300;
        for (int i = 0; i < rows; ++i)
            dump += "2004,FOCUS,1234-L,5,1,S" + QByteArray::number(i) + ",NEW\r\n";
        const QString file = TestEnv::NewFolder(QStringLiteral("capdlg")) + "/INVENT.CAP";
        write(file, dump);

        QPointer<CapInvImportProgrDlg> dlg = new CapInvImportProgrDlg(file);
        dlg->show();
        QVERIFY(ForegroundRun::IsBusy());
        if (cancel) {
            QTRY_VERIFY(dlg->PercentText() != "0%");
            ClickBox(dlg, "cancelButton");
            QTRY_VERIFY(!dlg);
            QTest::qWait(100);  // queued steps of the ending run find no window
            QCOMPARE(theDatabase().Connection().Scalar("SELECT COUNT(*) FROM Inventory").toInt(), 0);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(dlg->PercentText(), QString("100%"), 20000);
            QVERIFY(dlg->Importer().WaitForRun(10000));
            QCOMPARE(theDatabase().Connection().Scalar("SELECT COUNT(*) FROM Inventory").toInt(), rows);
            delete dlg;
        }
        QVERIFY(!ForegroundRun::IsBusy());
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|"), 0);
    }
};

KORVANT_TEST_MAIN(TestImportSettings)
#include "tst_importsettings.moc"
