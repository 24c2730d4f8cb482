// The inventory readers (own format, ITrackPro, CAP) over any file into an
// empty Inventory table: every stored row is whole (its importer's key and a
// name), the rows equal what the counters say was stored, every rejected
// line is counted and logged with its dump, and the file passes its check.

#include "FuzzCheck.h"

#include "TestApp.h"
#include "TestEnv.h"

#include "db/KVDatabase.h"
#include "import/CapInvImport.h"
#include "import/ImportArray.h"
#include "import/KVInvImport.h"
#include "import/XITrackInvImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

TestApp *g_app = nullptr;
QString g_folder;

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        FuzzFail("the input file is written", path);
}

QByteArray ReadLog()
{
    QFile f(theApp().GetDataFolder() + QStringLiteral("import.log"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<CBaseImport> ReaderFor(const QByteArray &bytes, QString &path)
{
    const QByteArray first = bytes.left(bytes.indexOf('\n')).toLower();
    if (bytes.startsWith(KVInvImport::FormatLine)) {
        path = g_folder + QStringLiteral("/own.csv");
        return std::make_unique<KVInvImport>();
    }
    if (first.contains("action")) {
        path = g_folder + QStringLiteral("/export.csv");
        return std::make_unique<XITrackInvImport>();
    }
    path = g_folder + QStringLiteral("/INVENT.CAP");
    return std::make_unique<CapInvImport>();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    TestEnv::PrepareProcess();
    TestApp::Options o;
    o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
               {GlobalSlot::ImportArray, [] { return std::make_unique<CImportArray>(); }}};
    g_app = new TestApp(o);
    if (!theDatabase().init())
        FuzzFail("the database opens", QString());
    theDatabase().Execute(QStringLiteral("PRAGMA synchronous = OFF"));
    g_folder = TestEnv::NewFolder(QStringLiteral("import"));
    // The lookups a CAP dump needs beside it and in the reference folder.
    const QString ref = theApp().GetDataFolder() + QStringLiteral("ref");
    QDir().mkpath(ref);
    Write(ref + QStringLiteral("/make-models.csv"), "FOCUS;FORD\r\nCIVIC;HONDA\r\n");
    Write(ref + QStringLiteral("/parts-codes.csv"), "100;Door\r\n200;Hood\r\n");
    Write(g_folder + QStringLiteral("/stockvin.cap"), "ST1,1FAFP34,x,Red\r\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    theDatabase().Execute(QStringLiteral("DELETE FROM [Inventory]"));
    QFile::remove(theApp().GetDataFolder() + QStringLiteral("import.log"));
    g_app->dialogs.log.Clear();

    QString path;
    std::unique_ptr<CBaseImport> reader = ReaderFor(bytes, path);
    Write(path, bytes);
    const int stored = reader->ImportFile(path);
    const QString input = Escaped(QString::fromUtf8(bytes.left(2000)));

    KVDatabase &db = theDatabase();
    const int rows = db.ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM [Inventory]"));
    const int inserted = reader->GetInsertedCount();
    const int deleted = reader->GetDeletedCount();
    FUZZ_CHECK(rows == inserted - deleted,
               QStringLiteral("%1 rows, %2 inserted, %3 deleted\n").arg(rows).arg(inserted).arg(deleted) + input);
    if (stored >= 0)
        FUZZ_CHECK(stored == inserted + reader->GetUpdatedCount(), QString::number(stored) + "\n" + input);
    // Whole rows only: each carries its importer's key and the fields it
    // requires (a CAP part without a known code keeps an empty name).
    const bool cap = path.endsWith(QLatin1String(".CAP"));
    const QString prefix = cap                                        ? QStringLiteral("CAP_")
                           : path.endsWith(QLatin1String("own.csv")) ? QStringLiteral("KIF_")
                                                                     : QStringLiteral("ITR_");
    QString where = QStringLiteral("substr(SOURCE, 1, 4) <> ? OR SOURCE IS NULL");
    for (const char *column : {"V_MAKE", "V_MODEL", "V_YEAR", "P_NAME"}) {
        if (!cap || qstrcmp(column, "P_NAME") != 0)
            where += QStringLiteral(" OR IFNULL(%1, '') = ''").arg(QLatin1String(column));
    }
    const int partial =
        db.Connection().Scalar(QStringLiteral("SELECT COUNT(*) FROM [Inventory] WHERE ") + where, {prefix}).toInt();
    FUZZ_CHECK(partial == 0, QString::number(partial) + " partial rows\n" + input);

    // Each counted error has its line in the log; a rejected line also its dump.
    const QString head = u' ' + reader->GetFormatName() + u' ';
    int logged = 0;
    bool wantDump = false;
    for (const QByteArray &raw : ReadLog().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const qsizetype at = line.indexOf(head);
        if (at != 19)
            continue;
        const QString text = line.mid(at + head.size());
        const bool dump = text.startsWith(QLatin1String("DATA DUMP: "));
        FUZZ_CHECK(dump == wantDump, line + "\n" + input);
        wantDump = false;
        if (dump)
            continue;
        if (text.startsWith(QLatin1String("Line ")) || text.startsWith(QLatin1String("Error in data."))) {
            ++logged;
            wantDump = true;
        } else if (text.startsWith(QLatin1String("ImportFromFile:"))) {
            ++logged;
        }
    }
    FUZZ_CHECK(!wantDump, input);
    FUZZ_CHECK(logged == reader->GetErrorCount(),
               QStringLiteral("%1 logged, %2 counted\n").arg(logged).arg(reader->GetErrorCount()) + input);
    FUZZ_CHECK(db.Connection().Scalar(QStringLiteral("PRAGMA quick_check")).toString() == QLatin1String("ok"), input);
    return 0;
}
