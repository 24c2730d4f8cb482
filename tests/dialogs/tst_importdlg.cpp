// The Inventory Import dialog and its completion dialog, driven offscreen by
// clicks over a real database and the program's importers.

#include "ModalHelper.h"

#include "../import/ITrackFolder.h"

#include "app/TasksDispatcher.h"
#include "dialogs/CLogViewDlg.h"
#include "dialogs/NewInventoryImpDlg.h"
#include "dialogs/ProgressDlg.h"
#include "dialogs/WidgetDialogs.h"
#include "import/CapInvImport.h"
#include "import/ImportSheduler.h"
#include "import/KVInvImport.h"
#include "import/XITrackInvImport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>

namespace {

// An importer that tells nothing about itself.
class PlainImport : public CBaseImport
{
public:
    PlainImport() { m_canImportNow = true; }
    QString GetFormatName() const override { return QStringLiteral("Plain"); }
};

// The real progress window, and whether an auto-reply could start while the import stepped.
class WindowDialogs : public FakeDialogs
{
public:
    class Progress : public ProgressAdapter
    {
    public:
        explicit Progress(WindowDialogs &owner) : m_owner(owner) {}
        void StepIt() override
        {
            if (m_owner.autoReplyBegan < 0) {
                TasksDispatcher &tasks = theTasksDispatcher();
                const bool began = tasks.TryBeginTask(3, 0);
                if (began)
                    tasks.EndTask(3);
                m_owner.autoReplyBegan = began;
            }
            ProgressAdapter::StepIt();
        }

    private:
        WindowDialogs &m_owner;
    };
    std::unique_ptr<IProgress> CreateProgress() override { return std::make_unique<Progress>(*this); }
    std::atomic<int> autoReplyBegan{-1};
};

QWidget *ProgressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<CProgressDlg *>(w) && w->isVisible())
            return w;
    return nullptr;
}

template<class T>
T *Child(QWidget *root, const char *name)
{
    auto *w = root->findChild<T *>(QLatin1String(name));
    if (!w)
        qWarning("missing %s", name);
    return w;
}

void ChooseImporter(QWidget *dlg, int index)
{
    auto *combo = Child<QComboBox>(dlg, "importerCombo");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), index);
}

void Tick(QWidget *dlg, const char *name, bool on)
{
    auto *box = Child<QCheckBox>(dlg, name);
    if (box->isChecked() != on)
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    QCOMPARE(box->isChecked(), on);
}

void TypePath(QWidget *dlg, const QString &path)
{
    auto *edit = Child<QLineEdit>(dlg, "pathEdit");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, path);
}

} // namespace

class TestImportDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;
    std::unique_ptr<ImportSheduler> m_sheduler;
    QString m_dir;

    void FillArray()
    {
        theImportArray().Add(std::make_unique<XITrackInvImport>());
        theImportArray().Add(std::make_unique<KVInvImport>(0));
        theImportArray().Add(std::make_unique<CapInvImport>(0));
        theImportArray().Add(std::make_unique<PlainImport>());
    }

    // An own-format file of `rows` rows.
    QString OwnFile(int rows)
    {
        QByteArray bytes = "Korvant Inventory Format\nID,P_NAME,P_PRICE,V_MAKE,V_MODEL,V_YEAR\n";
        for (int i = 1; i <= rows; ++i)
            bytes += QByteArray::number(i) + ",Part,1,Ford,Ka,2000\n";
        const QString path = m_dir + QStringLiteral("/inventory.csv");
        WriteBytes(path, bytes);
        return path;
    }

    // Opens the dialog on the own format with "Import now" ticked, clicks OK, then runs `after`.
    void ImportNowOf(const QString &path, std::function<void(QWidget *)> completion)
    {
        theSettings().SetInt(Setting::DefaultImportType, CImportArray::OwnFormat);
        NewInventoryImpDlg dlg;
        ModalHelper::WhenModal("NewInventoryImpDlg", [&](QWidget *w) {
            TypePath(w, path);
            Tick(w, "importNowCheck", true);
            ModalHelper::Click(w, "okButton");
        });
        ModalHelper::WhenModal("NewInvImpCompleteDlg", completion, 20000);
        QCOMPARE(dlg.DoModal(), int(QDialog::Accepted));
    }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithImportGlobals());
        QVERIFY(theDatabase().init());
        m_sheduler = std::make_unique<ImportSheduler>();
        m_dir = TestEnv::NewFolder(QStringLiteral("dlg"));
        FillArray();
    }
    void cleanup()
    {
        QVERIFY2(ModalHelper::Misses().isEmpty(), qPrintable(ModalHelper::Misses().join(u',')));
        ModalHelper::Misses().clear();
        m_sheduler.reset();
        m_app.reset();
    }

    void boxesPerImporter_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("enabled");  // now, every start, monitor, prompt
        QTest::addColumn<bool>("pane");
        QTest::newRow("ITrackPro") << 0 << "1111" << true;
        QTest::newRow("own format") << 1 << "1000" << true;
        QTest::newRow("CAP") << 2 << "1000" << true;
        QTest::newRow("no description") << 3 << "1000" << false;
    }
    void boxesPerImporter()
    {
        QFETCH(int, index);
        NewInventoryImpDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        ChooseImporter(&dlg, index);
        QString enabled;
        for (const char *name : {"importNowCheck", "everyTimeCheck", "monitorCheck", "promptCheck"})
            enabled += Child<QCheckBox>(&dlg, name)->isEnabled() ? u'1' : u'0';
        QTEST(enabled, "enabled");
        auto *pane = Child<QTextBrowser>(&dlg, "descriptionPane");
        QTEST(pane->isVisible(), "pane");
        QCOMPARE(Child<QLabel>(&dlg, "descriptionText")->isVisible(), !pane->isVisible());
        if (pane->isVisible())
            QVERIFY(pane->toPlainText().contains(theImportArray().GetAt(index)->GetFormatDescription().left(20)));
    }

    void descriptionColour_data()
    {
        QTest::addColumn<QColor>("face");
        QTest::addColumn<QString>("text");
        QTest::newRow("light") << QColor(240, 240, 240) << "background-color:#F0F0F0;";
        QTest::newRow("small parts keep their zeros") << QColor(10, 0, 12) << "background-color:#0A000C;";
    }
    void descriptionColour()
    {
        QFETCH(QColor, face);
        QFETCH(QString, text);
        const QString page = NewInventoryImpDlg::DescriptionPage("<p>x</p>", face);
        QVERIFY2(page.contains(text), qPrintable(page));
        QVERIFY(page.endsWith("\"no\"><p>x</p></body></html>"));
    }

    void missingFileKeepsDialog()
    {
        NewInventoryImpDlg dlg;
        dlg.show();
        ChooseImporter(&dlg, CImportArray::OwnFormat);
        Tick(&dlg, "importNowCheck", true);
        TypePath(&dlg, m_dir + "/absent.csv");
        QTest::mouseClick(Child<QPushButton>(&dlg, "okButton"), Qt::LeftButton);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Unknown error|Error|"), 1);
        QVERIFY(m_app->LogText().contains("Unknown Error in NewInventoryImpDlg"));
        QCOMPARE(theSettings().GetInt(Setting::ImportNow), 0);
    }

    // A dump written on Windows is "INVENT.CAP"; the "*.cap" filter must show it.
    void browseFindsAnyCase()
    {
        WidgetDialogs widgets;
        theApp().SetDialogs(&widgets);
        const QString dir = TestEnv::NewFolder(QStringLiteral("dump"));
        WriteBytes(dir + "/INVENT.CAP", "x");
        WriteBytes(dir + "/notes.txt", "x");
        theImportArray().GetAt(CImportArray::Cap)->SetSourcePath(dir);
        NewInventoryImpDlg dlg;
        dlg.show();
        ChooseImporter(&dlg, CImportArray::Cap);
        QStringList listed;
        ModalHelper::WhenModal("openFileDialog", [&](QWidget *w) {
            auto *fd = static_cast<QFileDialog *>(w);
            auto *view = fd->findChild<QListView *>(QStringLiteral("listView"));
            // The folder is read on a thread of the file dialog's own.
            if (!QTest::qWaitFor([&] { return view && view->model()->rowCount(view->rootIndex()) > 0; }, 30000))
                listed << QStringLiteral("(nothing listed)");
            for (int r = 0; view && r < view->model()->rowCount(view->rootIndex()); ++r)
                listed << view->model()->index(r, 0, view->rootIndex()).data().toString();
            static_cast<QDialog *>(fd)->done(QDialog::Rejected);
        });
        QTest::mouseClick(Child<QPushButton>(&dlg, "browseButton"), Qt::LeftButton);
        theApp().SetDialogs(&m_app->dialogs);
        QCOMPARE(listed, QStringList{"INVENT.CAP"});
        QCOMPARE(Child<QLineEdit>(&dlg, "pathEdit")->text(), dir);
    }

    void leavingMonitoredImporterAsks()
    {
        ITrackFolder itrack;
        theSettings().SetInt(Setting::DefaultImportType, CImportArray::ITrackPro);
        m_sheduler->SetMonitoredImport(theImportArray().GetAt(0));
        QVERIFY(theImportArray().GetAt(0)->IsMonitoring());
        const QString file = OwnFile(1);

        NewInventoryImpDlg dlg;
        dlg.show();
        ChooseImporter(&dlg, CImportArray::OwnFormat);
        Tick(&dlg, "monitorCheck", false);
        Tick(&dlg, "importNowCheck", false);
        TypePath(&dlg, file);
        // No option is ticked: a notice, then the question.
        m_app->dialogs.QueueAnswer(MsgBox::IdOk);
        m_app->dialogs.QueueAnswer(MsgBox::IdNo);
        QTest::mouseClick(Child<QPushButton>(&dlg, "okButton"), Qt::LeftButton);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|No one import was selected.|"), 1);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Are you sure you want to Stop monitor changes from ITrackPro now?"), 1);
        QVERIFY(dlg.isVisible());
        QVERIFY(theImportArray().GetAt(0)->IsMonitoring());
        QCOMPARE(theSettings().GetInt(Setting::DefaultImportType), int(CImportArray::ITrackPro));

        m_app->dialogs.QueueAnswer(MsgBox::IdOk);
        m_app->dialogs.QueueAnswer(MsgBox::IdYes);
        QTest::mouseClick(Child<QPushButton>(&dlg, "okButton"), Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!theImportArray().GetAt(0)->IsMonitoring());
        QCOMPARE(theSettings().GetInt(Setting::DefaultImportType), int(CImportArray::OwnFormat));
        QCOMPARE(theImportArray().GetAt(1)->GetSourcePath(), file);
    }

    void importNow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("rows") << 5;
        QTest::newRow("empty file") << 0;
    }
    void importNow()
    {
        QFETCH(int, rows);
        const QString path = OwnFile(rows);
        QStringList counts;
        QString log;
        ImportNowOf(path, [&](QWidget *w) {
            for (const char *name : {"insertedCount", "updatedCount", "deletedCount", "errorCount"})
                counts << Child<QLabel>(w, name)->text();
            QStringList labels;
            for (QLabel *label : w->findChildren<QLabel *>())
                if (label->text().startsWith("Records") || label->text().startsWith("Errors"))
                    labels << label->text();
            QCOMPARE(labels, QStringList({"Records inserted", "Records updated", "Records deleted", "Errors"}));
            ModalHelper::WhenModal("CLogViewDlg", [&log](QWidget *view) {
                log = static_cast<CLogViewDlg *>(view)->Lines().join(u'\n');
                static_cast<QDialog *>(view)->reject();
            });
            ModalHelper::Click(w, "viewLogButton");
        });
        QCOMPARE(counts.join(u','), QStringLiteral("%1,0,0,0").arg(rows));
        QVERIFY(log.contains("Start loading data..."));
        QCOMPARE(CountRows(), rows);
        QCOMPARE(m_app->frame.log.Count("ShowImportedRecords"), rows > 0 ? 1 : 0);
        QCOMPARE(m_app->dialogs.log.Count("Progress.SetStatus|Importing:"), 1);
        QCOMPARE(theSettings().GetInt(Setting::ImportNow), 1);
        QVERIFY(!ForegroundRun::IsBusy());
    }

    void cancel_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No continues") << int(MsgBox::IdNo);
        QTest::newRow("Yes stops") << int(MsgBox::IdYes);
    }
    void cancel()
    {
        QFETCH(int, answer);
        const QString path = OwnFile(400);
        static_cast<KVInvImport *>(theImportArray().GetAt(1))->SetProgressInterval(0);
        m_app->dialogs.cancelAtStep = 100;
        m_app->dialogs.QueueAnswer(answer);
        int inserted = -1;
        ImportNowOf(path, [&](QWidget *w) {
            inserted = Child<QLabel>(w, "insertedCount")->text().toInt();
            ModalHelper::Click(w, "okButton");
        });
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Are you sure you want to Cancel?"), 1);
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Import cancelled by user."), answer == MsgBox::IdYes ? 1 : 0);
        if (answer == MsgBox::IdYes)
            QVERIFY(inserted < 400);
        else
            QCOMPARE(inserted, 400);
        QCOMPARE(CountRows(), inserted);
    }

    // An auto-reply holds the database: the progress window says so and takes clicks.
    void waitsForAutoReply()
    {
        WindowDialogs dialogs;
        theApp().SetDialogs(&dialogs);
        const QString path = OwnFile(50);
        static_cast<KVInvImport *>(theImportArray().GetAt(1))->SetProgressInterval(0);
        TasksDispatcher &tasks = theTasksDispatcher();
        QVERIFY(tasks.BeginTask(3));
        bool sawWaiting = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, [&] {
            QWidget *progress = ProgressWindow();
            if (!progress || sawWaiting)
                return;
            if (Child<QLabel>(progress, "statusText")->text() != "Waiting...")
                return;
            sawWaiting = true;
            dialogs.QueueAnswer(MsgBox::IdNo);
            QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
            QTimer::singleShot(300, [&] { tasks.EndTask(3); });
        });
        poll.start();
        int inserted = -1;
        ImportNowOf(path, [&](QWidget *w) {
            inserted = Child<QLabel>(w, "insertedCount")->text().toInt();
            ModalHelper::Click(w, "okButton");
        });
        theApp().SetDialogs(&m_app->dialogs);
        QVERIFY(sawWaiting);
        QCOMPARE(dialogs.log.Count("MessageBox|Are you sure you want to Cancel?"), 1);
        QCOMPARE(inserted, 50);
        QCOMPARE(dialogs.autoReplyBegan.load(), 0);
        QVERIFY(!ProgressWindow());
    }
};

KORVANT_TEST_MAIN(TestImportDlg)
#include "tst_importdlg.moc"
