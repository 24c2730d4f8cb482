// The own-format import against the sqlite3 tool's CSV import of the same
// file into a bare 37-column table, timed in the same run; then the peak
// resident memory of an import, measured in a child process, with short
// notes and with 1,000-character notes at a tenth of the rows and at all of
// them (a streamed import must not grow with the file).
//
//   import [rows = 100000]

#include "TestApp.h"
#include "TestEnv.h"

#include "db/KVDatabase.h"
#include "import/ImportArray.h"
#include "import/KVInvImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

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

double SqliteTool(const QString &tool, const QString &csv, const QString &db)
{
    QString create = QStringLiteral("CREATE TABLE t(");
    for (int c = 0; c < Inv::ColumnCount; ++c)
        create += (c ? QStringLiteral(", ") : QString()) + QLatin1String(Inv::Name(c));
    create += QStringLiteral(");");
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(tool, {db, create, QStringLiteral(".import --csv --skip 1 ") + csv + QStringLiteral(" t")});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    return t.nsecsElapsed() / 1e9;
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

    const double ours = Import(csv, rows);
    const double bare = SqliteTool(tool, csv, dir + QStringLiteral("/bare.db"));
    if (ours < 0 || bare < 0)
        return 1;
    std::printf("%d rows, 37 columns: import %.3f s, sqlite3 .import %.3f s, ratio %.2f (goal at most 1.5)\n", rows, ours,
                bare, ours / bare);

    const QString notesSmall = dir + QStringLiteral("/notes-small.csv");
    const QString notesLarge = dir + QStringLiteral("/notes-large.csv");
    const int tenth = qMax(1, rows / 10);
    if (!WriteFile(notesSmall, tenth, 1000) || !WriteFile(notesLarge, rows, 1000))
        return 1;
    std::printf("peak resident memory: %ld KiB (%d rows), with 1,000-character notes %ld KiB (%d rows), %ld KiB (%d rows)\n",
                ChildPeak(csv, rows), rows, ChildPeak(notesSmall, tenth), tenth, ChildPeak(notesLarge, rows), rows);
    return 0;
}
