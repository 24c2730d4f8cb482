#include "TestApp.h"
#include "TestEnv.h"

class TestSmoke : public QObject
{
    Q_OBJECT
private slots:
    void dataFolderIsPrivate()
    {
        TestApp t;
        QVERIFY(t.DataFolder().endsWith('/'));
        QVERIFY(QFileInfo(t.DataFolder()).isDir());
    }
};

KORVANT_TEST_MAIN(TestSmoke)
#include "tst_smoke.moc"
