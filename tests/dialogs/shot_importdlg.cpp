// Under a real display (xvfb-run): the Inventory Import dialog for each
// importer, saved to the build's screenshots folder and checked not to be
// blank, with the controls inside the window.

#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "dialogs/NewInventoryImpDlg.h"
#include "import/CapInvImport.h"
#include "import/ImportArray.h"
#include "import/KVInvImport.h"
#include "import/XITrackInvImport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QSet>
#include <QtTest/QtTest>

class ShotImportDlg : public QObject
{
    Q_OBJECT
private slots:
    void importDialog_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("itrackpro") << 0;
        QTest::newRow("ownformat") << 1;
        QTest::newRow("cap") << 2;
    }
    void importDialog()
    {
        QFETCH(int, index);
        TestApp::Options o;
        o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
                   {GlobalSlot::ImportArray, [] { return std::make_unique<CImportArray>(); }}};
        TestApp app(o);
        QVERIFY(theDatabase().init());
        theImportArray().Add(std::make_unique<XITrackInvImport>());
        theImportArray().Add(std::make_unique<KVInvImport>(0));
        theImportArray().Add(std::make_unique<CapInvImport>(0));
        theSettings().SetInt(Setting::DefaultImportType, index);
        theSettings().SetInt(Setting::ImportNow, 1);
        theImportArray().GetAt(index)->SetSourcePath(QStringLiteral("/home/member/inventory/INVENT.CAP"));

        NewInventoryImpDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::qWait(100);
        const QRect inside = dlg.rect();
        for (const QWidget *w : dlg.findChildren<QWidget *>()) {
            if (!w->isVisible() || w->parentWidget() != &dlg)
                continue;
            const QRect r(w->mapTo(&dlg, QPoint(0, 0)), w->size());
            QVERIFY2(inside.contains(r), qPrintable(w->objectName() + " outside the dialog"));
        }

        const QImage image = dlg.grab().toImage();
        QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
        QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/importdlg-%1.png").arg(QTest::currentDataTag())));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 10, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
    }
};

KORVANT_TEST_MAIN(ShotImportDlg)
#include "shot_importdlg.moc"
