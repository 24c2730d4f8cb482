// The own-format import against the sqlite3 tool's CSV import of the same
// file into the same table with the same types and indexes, timed in the same
// run (median of three each, alternating); then the peak
// resident memory of an import, measured in a child process, with short
// notes and with 1,000-character notes at a tenth of the rows and at all of
// them (a streamed import must not grow with the file).
//
//   import [rows = 100000]

#include "TestApp.h"
#include "TestEnv.h"

#include "db/KVDatabase.h"
#include "db/Schema.h"
#include "db/SqlDb.h"
#include "import/ImportArray.h"
#include "import/KVInvImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Every one of the 37 columns filled.
bool WriteFile(const QString &path, int rows, int notesLength)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    f.write("Korvant Inventory Format\r\n");
    const QByteArray notes = notesLength > 0 ? QByteArray(notesLength, 'n') : QByteArray("Fits the left side");
    QByteArray out;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 0; c < Inv::ColumnCount; ++c) {
            if (c)
                out += ',';
            QByteArray v;
            if (c == Inv::ID)
                v = QByteArray::number(r);
            else if (c == Inv::P_QUANTITY)
                v = QByteArray::number(1 + r % 9);
            else if (Inv::IsNumber(c))
                v = QByteArray::number(10 + (r % 1000) * 0.25, 'f', 6);
            else if (c == Inv::P_NOTES)
                v = notes;
            else if (c == Inv::SOURCE)
                v = "KIF_" + QByteArray::number(r);
            else
                v = QByteArray(Inv::Name(c)).mid(2, 6) + ' ' + QByteArray::number(r % 5000);
            out += KVInvImport::QuoteValue(v);
        }
        out += "\r\n";
        if (out.size() > (1 << 20)) {
            f.write(out);
            out.clear();
        }
    }
    f.write(out);
    return f.error() == QFileDevice::NoError;
}

// Imports the file into a fresh database; the seconds it took, or -1.
double Import(const QString &path, int expected)
{
    TestApp app([] {
        TestApp::Options o;
        o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
        return o;
    }());
    if (!theDatabase().init())
        return -1;
    KVInvImport imp;
    QElapsedTimer t;
    t.start();
    const int n = imp.ImportFromFile(path);
    const double seconds = t.nsecsElapsed() / 1e9;
    if (n != expected) {
        std::fprintf(stderr, "imported %d of %d rows\n", n, expected);
        return -1;
    }
    return seconds;
}

// The sqlite3 tool's import of the same file into the same table, with the
// same types and indexes, in a file of the program's own schema.
double SqliteTool(const QString &tool, const QString &csv, const QString &db)
{
    {
        SqlConnection c(db);
        const TableDef &t = Schema::Require(QStringLiteral("Inventory"));
        c.ExecScript(t.CreateTableSql());
        for (const QByteArray &sql : t.CreateIndexSql())
            c.ExecScript(sql);
    }
    QProcess p;
    // The file has no LAST_UPDATED column: the tool says so for every row.
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(tool, {db, QStringLiteral(".import --csv --skip 1 ") + csv + QStringLiteral(" Inventory")});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 failed on %s\n", qPrintable(csv));
        return -1;
    }
    const double seconds = t.nsecsElapsed() / 1e9;
    SqlConnection c(db);
    const int rows = c.Scalar(QStringLiteral("SELECT COUNT(*) FROM Inventory")).toInt();
    return rows > 0 ? seconds : -1;
}

// Peak resident memory (KiB) of a child that imports the file.
long ChildPeak(const QString &csv, int rows)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), csv, QString::number(rows)});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return -1;
    return p.readAllStandardOutput().trimmed().toLong();
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv::PrepareProcess();
    QCoreApplication qapp(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--child")) {
        if (Import(args[2], args[3].toInt()) < 0)
            return 1;
        // VmHWM belongs to this program alone (ru_maxrss would carry the parent's peak across exec).
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                std::printf("%ld\n", line.mid(6).trimmed().split(' ').value(0).toLong());
        }
        return 0;
    }
    const int rows = args.size() > 1 ? qMax(10, args[1].toInt()) : 100000;
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (tool.isEmpty()) {
        std::fprintf(stderr, "the sqlite3 tool is missing (scripts/setup.sh installs it)\n");
        return 1;
    }
    const QString dir = TestEnv::NewFolder(QStringLiteral("bench"));
    const QString csv = dir + QStringLiteral("/inventory.csv");
    if (!WriteFile(csv, rows, 0))
        return 1;

    // Both sides three times, alternating, the median of each: the machine is shared.
    std::vector<double> ours, bare;
    for (int round = 0; round < 3; ++round) {
        const QString bareDb = dir + QStringLiteral("/bare%1.db").arg(round);
        const double b = round % 2 ? SqliteTool(tool, csv, bareDb) : -2;
        const double o = Import(csv, rows);
        const double b2 = round % 2 ? b : SqliteTool(tool, csv, bareDb);
        QFile::remove(bareDb);
        if (o < 0 || b2 < 0)
            return 1;
        ours.push_back(o);
        bare.push_back(b2);
    }
    std::sort(ours.begin(), ours.end());
    std::sort(bare.begin(), bare.end());
    const double ratio = ours[1] / bare[1];
    std::printf("%d rows, 37 columns: import %.3f s (%.1f us a row), sqlite3 .import into the same indexed table "
                "%.3f s (%.1f us a row)\n",
                rows, ours[1], ours[1] * 1e6 / rows, bare[1], bare[1] * 1e6 / rows);

    const QString notesSmall = dir + QStringLiteral("/notes-small.csv");
    const QString notesLarge = dir + QStringLiteral("/notes-large.csv");
    const int tenth = qMax(1, rows / 10);
    if (!WriteFile(notesSmall, tenth, 1000) || !WriteFile(notesLarge, rows, 1000))
        return 1;
    std::printf("peak resident memory: %ld KiB (%d rows), with 1,000-character notes %ld KiB (%d rows), %ld KiB (%d rows)\n",
                ChildPeak(csv, rows), rows, ChildPeak(notesSmall, tenth), tenth, ChildPeak(notesLarge, rows), rows);
    std::printf("goal import cost per row at %d rows: %.2fx sqlite3 .import (target at most 1.2x): %s\n", rows, ratio,
                ratio <= 1.2 ? "met" : "missed");
    return 0;
}
