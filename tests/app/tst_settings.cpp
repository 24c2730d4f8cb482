// Settings, window layouts and the ITrackPro ini reader.

#include "TestApp.h"
#include "TestEnv.h"

#include "app/XLayoutSettings.h"
#include "app/XSettings.h"

#include <sys/stat.h>

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void defaults_data();
    void defaults();
    void roundTrip();
    void passwordOnlyWithAutoLogin();
    void firstRunCreatesShortcut();
    void urlOptionNeverWritten();
    void fileIsPrivate();
    void hostIni_data();
    void hostIni();
    void hostIniMissing();
    void columnLayout_data();
    void columnLayout();
    void placementMinimisedNotApplied();
};

void TestSettings::defaults_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    const QList<std::pair<const char *, QVariant>> rows = {
        {Setting::AutoLogin, 1},       {Setting::AutoRun, 1},  // a negative value becomes 1
        {Setting::AutoReply, 1},       {Setting::AutoITPImport, 0},
        {Setting::DispAlertForDeals, 0}, {Setting::PollTimeout, 180},
        {Setting::MaxRepliesOnQuery, 3}, {Setting::MaxRepliesOnQueryCars, 4},
        {Setting::DefaultMarket, 1},   {Setting::MinAutoReplyRating, 2},
        {Setting::BlinkNewInfo, 0},    {Setting::BlinkSetNewInfo, 1},
        {Setting::ImportIgnoreId, 1},  {Setting::MonitorChanges, 0},
        {Setting::ServerURL, QString(DefaultServerUrl)},
        {Setting::ITrackProIniFilePath, QString("C:\\Program Files\\ISoft Data Systems\\ITrack Pro\\host.ini")},
        {Setting::Password, QString()},
    };
    for (const auto &[name, value] : rows)
        QTest::newRow(name) << QString(name) << value;
}

void TestSettings::defaults()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    TestApp t({.installSettings = true, .initSettings = true});
    const QByteArray n = name.toLatin1();
    if (value.typeId() == QMetaType::QString)
        QCOMPARE(theSettings().GetString(n.constData()), value.toString());
    else
        QCOMPARE(theSettings().GetInt(n.constData()), value.toInt());
}

void TestSettings::roundTrip()
{
    TestApp t;
    XSettings &s = theSettings();
    s.SetInt(Setting::PollTimeout, 42);
    s.SetInt(Setting::MonitorChanges, 1);
    s.SetString(Setting::LastBackupFile, "/tmp/a b/kvc_2026-01-01.kvz");
    s.SetString(Setting::ITPInstallPath, "C:\\x\\y");
    QVERIFY(s.Save());
    XSettings other(t.SettingsFile());
    other.init();
    QCOMPARE(other.GetInt(Setting::PollTimeout), 42);
    QCOMPARE(other.GetInt(Setting::MonitorChanges), 1);
    QCOMPARE(other.GetString(Setting::LastBackupFile), QString("/tmp/a b/kvc_2026-01-01.kvz"));
    QCOMPARE(other.GetString(Setting::ITPInstallPath), QString("C:\\x\\y"));
    // Integers stay integers in the file; groups as named.
    QSettings raw(t.SettingsFile(), QSettings::IniFormat);
    QCOMPARE(raw.value("Settings/PollTimeout").toString(), QString("42"));
    QCOMPARE(raw.value("Settings/Import/MonitorChanges").toInt(), 1);
}

void TestSettings::passwordOnlyWithAutoLogin()
{
    TestApp t;
    theSettings().SetString(Setting::Password, "secret");
    theSettings().SetInt(Setting::AutoLogin, 0);
    theSettings().Save();
    QSettings raw(t.SettingsFile(), QSettings::IniFormat);
    QCOMPARE(raw.value("Settings/Password").toString(), QString());
    theSettings().SetInt(Setting::AutoLogin, 1);
    theSettings().Save();
    raw.sync();
    QCOMPARE(raw.value("Settings/Password").toString(), QString("secret"));
}

void TestSettings::firstRunCreatesShortcut()
{
    TestApp t;
    QFile::remove(AppCore::StartupShortcutPath());
    theSettings().init();
    QVERIFY(QFile::exists(AppCore::StartupShortcutPath()));
    theSettings().Save();
    QSettings raw(t.SettingsFile(), QSettings::IniFormat);
    QCOMPARE(raw.value("Settings/Autorun").toInt(), 1);
    QVERIFY(!raw.contains("Settings/AutoRun"));  // one spelling only
    // A stored value is taken as it stands: no shortcut is made again.
    QFile::remove(AppCore::StartupShortcutPath());
    XSettings again(t.SettingsFile());
    again.init();
    QVERIFY(!QFile::exists(AppCore::StartupShortcutPath()));
}

void TestSettings::urlOptionNeverWritten()
{
    TestApp t({.commandLine = "-url http://other/kvp"});
    {
        QSettings raw(t.SettingsFile(), QSettings::IniFormat);
        raw.setValue("Settings/ServerURL", "http://stored/kvp");
    }
    theSettings().init();
    QCOMPARE(theSettings().GetString(Setting::ServerURL), QString("http://other/kvp"));
    theSettings().Save();
    QSettings raw(t.SettingsFile(), QSettings::IniFormat);
    QCOMPARE(raw.value("Settings/ServerURL").toString(), QString("http://stored/kvp"));
}

// Even a file that was there with 0644, under a umask that lets 0644 through.
void TestSettings::fileIsPrivate()
{
    TestApp t;
    theSettings().Save();
    QVERIFY(QFile::setPermissions(t.SettingsFile(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                        QFile::ReadOther));
    const mode_t oldMask = ::umask(022);
    theSettings().Save();
    ::umask(oldMask);
    QCOMPARE(QFileInfo(t.SettingsFile()).permissions() &
                 (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
             0);
}

void TestSettings::hostIni_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("exportFolder");
    QTest::addColumn<QString>("imagesFolder");
    QTest::newRow("absolute") << QByteArray("[KORVANT]\nExportFolder = D:\\exports\n[General]\nimagesdir=\\\\srv\\img\\\n")
                              << "D:\\exports" << "\\\\srv\\img";
    QTest::newRow("relative") << QByteArray("[Korvant]\nexportfolder=exports\n[general]\nimagesdir=\\pics\\\n")
                              << "<dir>/exports" << "<dir>/pics";
    QTest::newRow("missing keys") << QByteArray("[other]\nx=1\n") << "<dir>/korvant" << "<dir>/images";
}

void TestSettings::hostIni()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, exportFolder);
    QFETCH(QString, imagesFolder);
    TestApp t;
    const QString dir = TestEnv::NewFolder("itrack");
    QFile f(dir + "/host.ini");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
    f.close();
    theSettings().SetString(Setting::ITrackProIniFilePath, dir + "/host.ini");
    QCOMPARE(theSettings().GetExportFolder(), exportFolder.replace("<dir>", dir));
    QCOMPARE(theSettings().GetImagesFolder(), imagesFolder.replace("<dir>", dir));
}

void TestSettings::hostIniMissing()
{
    TestApp t;
    theSettings().SetString(Setting::ITrackProIniFilePath, TestEnv::Root() + "/nothing/host.ini");
    try {
        theSettings().GetExportFolder();
        QFAIL("no exception");
    } catch (const FileException &e) {
        QCOMPARE(e.GetCause(), FileException::FileNotFound);
        QVERIFY(e.Path().endsWith("nothing/host.ini"));
    }
}

void TestSettings::columnLayout_data()
{
    QTest::addColumn<QString>("stored");  // empty: never saved
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("never saved") << QString() << false << QList<int>{0, 0};
    QTest::newRow("two widths") << "120,80," << true << QList<int>{120, 80};
    QTest::newRow("no trailing comma") << "120,80" << false << QList<int>{120, 0};
    QTest::newRow("not a number") << "x,80," << true << QList<int>{0, 80};
}

void TestSettings::columnLayout()
{
    QFETCH(QString, stored);
    QFETCH(bool, valid);
    QFETCH(QList<int>, widths);
    TestApp t;
    if (!stored.isEmpty()) {
        QSettings raw(t.SettingsFile(), QSettings::IniFormat);
        raw.setValue("Settings/Layout/ListColumn", stored);
    }
    XLayoutSettings layout("List", 2);
    layout.Load();
    QCOMPARE(layout.IsValid(), valid);
    QCOMPARE(layout.Columns(), widths);
}

void TestSettings::placementMinimisedNotApplied()
{
    TestApp t;
    {
        XLayoutSettings l("MainFrm");
        l.StoreColumns({});  // no effect on a placement
        l.StorePlacement("geometry-bytes", false);
    }  // saved when destroyed
    {
        XLayoutSettings l("MainFrm");
        l.Load();
        QCOMPARE(l.RestorePlacement(), QByteArray("geometry-bytes"));
        l.StorePlacement("minimised", true);
    }
    XLayoutSettings l("MainFrm");
    l.Load();
    QVERIFY(l.RestorePlacement().isEmpty());
    QVERIFY(!l.IsValid());
    XLayoutSettings cols("Wide", 2);
    cols.StoreColumns({10, 20, 30});
    QCOMPARE(cols.Columns(), (QList<int>{10, 20}));
    QCOMPARE(XLayoutSettings::FormatColumns({120, 80, 200}), QString("120,80,200,"));
}

KORVANT_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
