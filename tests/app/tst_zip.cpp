#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "app/ZipArchiveHelper.h"

#include <QRandomGenerator>

#include <minizip/unzip.h>

#include <sys/stat.h>

namespace {
QByteArray Content(qint64 size)
{
    // Half text, half noise: compresses, but not to nothing.
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = (i / 512) % 2 ? char(rng.bounded(256)) : char('a' + i % 23);
    return bytes;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file's access bits (0600 for the member's private files).
int Mode(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}
} // namespace

class TestZip : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty") << qint64(0);
        QTest::newRow("one block") << qint64(16384);
        QTest::newRow("one block and a byte") << qint64(16385);
        QTest::newRow("1 MiB") << qint64(1 << 20);
    }
    void roundTrip()
    {
        QFETCH(qint64, size);
        TestApp t;
        const QString dir = TestEnv::NewFolder();
        const QByteArray bytes = Content(size);
        WriteFile(dir + "/kvc.mdb", bytes);

        ZipArchiveHelper zip;
        zip.SetText("Saving dump data...");
        QVERIFY(zip.ZipFile(dir + "/kvc.mdb", dir + "/backup.kvz"));
        QCOMPARE(Mode(dir + "/backup.kvz"), 0600);
        QVERIFY(t.dialogs.log.Calls().contains("Progress.Create|Saving dump data..."));
        QVERIFY(t.dialogs.log.Calls().contains(QStringLiteral("Progress.SetRange|0|%1").arg(size / 16384)));
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 0);

        // One deflated entry named after the source file.
        unzFile uf = unzOpen64(QFile::encodeName(dir + "/backup.kvz").constData());
        QVERIFY(uf);
        QCOMPARE(unzGoToFirstFile(uf), UNZ_OK);
        unz_file_info64 info;
        char name[260];
        QCOMPARE(unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
        QCOMPARE(QByteArray(name), QByteArray("kvc.mdb"));
        QCOMPARE(info.compression_method, 8ul);
        QCOMPARE(qint64(info.uncompressed_size), size);
        QCOMPARE(unzGoToNextFile(uf), UNZ_END_OF_LIST_OF_FILE);
        unzClose(uf);

        ZipArchiveHelper unzip;
        QVERIFY(unzip.UnzipFile(dir + "/backup.kvz", dir + "/restored.mdb"));
        QCOMPARE(ReadFile(dir + "/restored.mdb"), bytes);
        QCOMPARE(Mode(dir + "/restored.mdb"), 0600);
    }

    // Without installed dialogs there is no progress and no question, and it still works.
    void withoutDialogs()
    {
        TestApp t;
        t.App().SetDialogs(nullptr);
        const QString dir = TestEnv::NewFolder();
        WriteFile(dir + "/a.bin", Content(40000));
        ZipArchiveHelper zip;
        QVERIFY(zip.ZipFile(dir + "/a.bin", dir + "/a.zip"));
        QVERIFY(zip.UnzipFile(dir + "/a.zip", dir + "/b.bin"));
        QCOMPARE(ReadFile(dir + "/b.bin"), Content(40000));
    }

    // Damaged archives fail; they are neither copied nor half-written.
    void corrupted_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("data byte flipped") << "data";
        QTest::newRow("checksum wrong in both headers") << "crc";
        QTest::newRow("truncated") << "truncate";
        QTest::newRow("only a signature") << "signature";
    }
    void corrupted()
    {
        QFETCH(QString, damage);
        TestApp t;
        const QString dir = TestEnv::NewFolder();
        const QByteArray bytes = Content(100000);
        WriteFile(dir + "/kvc.mdb", bytes);
        ZipArchiveHelper zip;
        QVERIFY(zip.ZipFile(dir + "/kvc.mdb", dir + "/backup.kvz"));

        QByteArray archive = ReadFile(dir + "/backup.kvz");
        const int local = archive.indexOf("PK\x03\x04");
        const int central = archive.indexOf("PK\x01\x02");
        QVERIFY(local == 0 && central > 0);
        if (damage == "data") {
            const int dataStart = 30 + 7;  // local header + "kvc.mdb"
            archive[dataStart + (central - dataStart) / 2] = char(archive[dataStart + (central - dataStart) / 2] ^ 0x55);
        } else if (damage == "crc") {
            // Data intact, checksum wrong: only the check after the last block finds it.
            archive[local + 14] = char(archive[local + 14] ^ 0x01);
            archive[central + 16] = char(archive[central + 16] ^ 0x01);
        } else if (damage == "truncate") {
            archive.truncate(archive.size() / 2);
        } else {
            archive = QByteArray("PK\x03\x04", 4);
        }
        WriteFile(dir + "/backup.kvz", archive);

        ZipArchiveHelper unzip;
        QVERIFY(!unzip.UnzipFile(dir + "/backup.kvz", dir + "/restored.mdb"));
        QVERIFY(ReadFile(dir + "/restored.mdb") != archive);
        QVERIFY(!QFile::exists(dir + "/restored.mdb"));
    }

    // A plain backup file (not zipped) is taken as it is, replacing the target.
    void notAnArchiveCopied()
    {
        TestApp t;
        const QString dir = TestEnv::NewFolder();
        const QByteArray bytes = QByteArray("SQLite format 3\0", 16) + Content(5000);
        WriteFile(dir + "/kvc_backup.kvz", bytes);
        WriteFile(dir + "/target.mdb", "old contents");
        ZipArchiveHelper unzip;
        QVERIFY(unzip.UnzipFile(dir + "/kvc_backup.kvz", dir + "/target.mdb"));
        QCOMPARE(ReadFile(dir + "/target.mdb"), bytes);
        QCOMPARE(Mode(dir + "/target.mdb"), 0600);

        QVERIFY(!unzip.UnzipFile(dir + "/missing.kvz", dir + "/other.mdb"));
        QVERIFY(!QFile::exists(dir + "/other.mdb"));
    }

    void cancelZip_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("result");
        QTest::newRow("Yes stops and deletes") << int(MsgBox::IdYes) << false;
        QTest::newRow("No goes on") << int(MsgBox::IdNo) << true;
    }
    void cancelZip()
    {
        QFETCH(int, answer);
        QFETCH(bool, result);
        TestApp t;
        const QString dir = TestEnv::NewFolder();
        WriteFile(dir + "/kvc.mdb", Content(100000));
        t.dialogs.cancelAtStep = 2;
        t.dialogs.QueueAnswer(answer);
        ZipArchiveHelper zip;
        QCOMPARE(zip.ZipFile(dir + "/kvc.mdb", dir + "/backup.kvz"), result);
        QCOMPARE(t.dialogs.log.Count("MessageBox|Are you sure you want to Cancel?|"), 1);
        QCOMPARE(QFile::exists(dir + "/backup.kvz"), result);
        if (result) {
            QVERIFY(zip.UnzipFile(dir + "/backup.kvz", dir + "/back.mdb"));
            QCOMPARE(ReadFile(dir + "/back.mdb"), Content(100000));
        }
    }

    void cancelUnzip()
    {
        TestApp t;
        const QString dir = TestEnv::NewFolder();
        WriteFile(dir + "/kvc.mdb", Content(100000));
        QVERIFY(ZipArchiveHelper().ZipFile(dir + "/kvc.mdb", dir + "/backup.kvz"));
        t.dialogs.cancelAtStep = 1;
        t.dialogs.QueueAnswer(MsgBox::IdYes);
        ZipArchiveHelper unzip;
        QVERIFY(!unzip.UnzipFile(dir + "/backup.kvz", dir + "/back.mdb"));
        QCOMPARE(t.dialogs.log.Count("MessageBox|Are you sure you want to Cancel?|"), 1);
    }

    void unopenableFilesThrow()
    {
        TestApp t;
        const QString dir = TestEnv::NewFolder();
        ZipArchiveHelper zip;
        QVERIFY_THROWS_EXCEPTION(FileException, zip.ZipFile(dir + "/missing.mdb", dir + "/a.kvz"));
        QVERIFY(!QFile::exists(dir + "/a.kvz"));
        WriteFile(dir + "/kvc.mdb", "x");
        QVERIFY_THROWS_EXCEPTION(FileException, zip.ZipFile(dir + "/kvc.mdb", dir + "/no/such/folder/a.kvz"));
    }
};

KORVANT_TEST_MAIN(TestZip)
#include "tst_zip.moc"
