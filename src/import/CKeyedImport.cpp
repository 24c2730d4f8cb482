#include "CKeyedImport.h"

#include "app/AppCore.h"
#include "db/KVDatabase.h"

#include <exception>

using namespace ImportText;

bool CKeyedImport::AcceptFile(const QString &, LineReader &)
{
    return true;
}

void CKeyedImport::AddRequired(bool present, const char *name, QString &list)
{
    AddRequiredField(present, QLatin1String(name), list);
}

bool CKeyedImport::Applies(const InvRow &row, int column, bool inserting)
{
    return inserting || row.Has(column);
}

void CKeyedImport::ApplyDefaults(InvRow &row, bool inserting)
{
    if (Applies(row, Inv::P_CATEGORY, inserting) && row.Text(Inv::P_CATEGORY).empty())
        row.SetText(Inv::P_CATEGORY, "ALL PARTS");
    if (Applies(row, Inv::P_QUANTITY, inserting) && row.Int(Inv::P_QUANTITY) == 0)
        row.SetInt(Inv::P_QUANTITY, 1);
    if (Applies(row, Inv::P_TYPE, inserting) && row.Text(Inv::P_TYPE).empty())
        row.SetText(Inv::P_TYPE, "Any");
}

bool CKeyedImport::TextPresent(const InvRow &row, int column, bool inserting)
{
    return !Applies(row, column, inserting) || !row.Text(column).empty();
}

void CKeyedImport::CheckPartRequired(const InvRow &row, bool inserting, QString &missing)
{
    // A column this line does not carry keeps the stored row's value on an update.
    const bool priceInLine = Applies(row, Inv::P_PRICE, inserting) ? row.Has(Inv::P_PRICE) : true;
    AddRequired(TextPresent(row, Inv::P_NAME, inserting), "P_NAME", missing);
    AddRequired(priceInLine, "P_PRICE", missing);
    AddRequired(TextPresent(row, Inv::V_MAKE, inserting), "V_MAKE", missing);
    AddRequired(TextPresent(row, Inv::V_MODEL, inserting), "V_MODEL", missing);
    AddRequired(TextPresent(row, Inv::V_YEAR, inserting), "V_YEAR", missing);
    AddRequired(!row.Has(Inv::P_PRICE) || row.Double(Inv::P_PRICE) > 0, "P_PRICE", missing);
}

void CKeyedImport::LogDump(const std::string &line)
{
    WriteLog(QStringLiteral("DATA DUMP: ") + QString::fromUtf8(line.data(), qsizetype(line.size())).left(1000));
}

void CKeyedImport::LogMalformed(int64_t lineNumber, LineFault fault, const std::string &line)
{
    CountError();
    WriteLog(QStringLiteral("Line %1: malformed, %2.").arg(lineNumber).arg(QLatin1String(FaultText(fault))));
    // A line that is not text (a NUL, a cut line) is dumped as far as it reads.
    std::string text = line.substr(0, 4000);
    MakeUtf8(text);
    LogDump(text);
}

void CKeyedImport::LogRejected(int64_t lineNumber, const std::string &why, const std::string &line)
{
    CountError();
    WriteLog(QStringLiteral("Line %1: rejected, %2.").arg(lineNumber).arg(QString::fromUtf8(why.data(), qsizetype(why.size()))));
    LogDump(line);
}

void CKeyedImport::LogNothingLoaded(const QString &path, int records, int headers, int rejected, int unchanged)
{
    QString why;
    if (records == 0)
        why = QStringLiteral("it holds %1 line(s) of column names and no record").arg(headers);
    else if (rejected > 0)
        why = QStringLiteral("%1 of its %2 record(s) were rejected (see the lines above)").arg(rejected).arg(records);
    else
        why = QStringLiteral("its %1 record(s) changed nothing (inserts of known keys, updates or deletes of unknown ones)")
                  .arg(unchanged);
    WriteLog(QStringLiteral("No records were loaded from %1: %2.").arg(path, why));
}

void CKeyedImport::LogRequired(int64_t lineNumber, const QString &missing, const std::string &line)
{
    CountError();
    const bool plural = missing.contains(u',');
    WriteLog(QStringLiteral("Line %1: Error in data. Required field%2 empty or zero: %3")
                 .arg(QString::number(lineNumber), plural ? QStringLiteral("s are") : QStringLiteral(" is"), missing));
    LogDump(line);
}

namespace {
// The page cache during an import, in KiB (the bound of what it adds to memory).
constexpr int ImportCacheKiB = 64 * 1024;
} // namespace

CKeyedImport::FileResult CKeyedImport::ImportKeyedFile(const QString &path, bool fullDump)
{
    FileResult result;
    ResetMap();
    SetProgress(QStringLiteral("Waiting..."), -1);
    RecordReader reader;
    if (!reader.Open(path)) {
        ProgressEnd();
        result.failed = true;
        return result;
    }
    std::unique_ptr<InventoryWriter> writer;
    std::unique_ptr<SqlBulkWriteScope> cache;
    int64_t lineNumber = 0;
    try {
        SqlConnection &connection = theDatabase().Connection();
        InventoryWriter::EnsureSourceIndex(connection);
        writer = std::make_unique<InventoryWriter>(connection);
        // Room for the inventory's five indexes at half a million rows: an
        // index page evicted between rows is written and read again, and the
        // rows come in no order of any index.
        cache = std::make_unique<SqlBulkWriteScope>(connection, ImportCacheKiB);
        SetProgress(QStringLiteral("Preparing for import:"), -1);
        writer->LoadKeys(KeyPrefix());
        const int64_t lines = CountLines(path);
        if (!AcceptFile(path, reader.Lines())) {
            ProgressEnd();
            result.failed = true;
            return result;
        }
        writer->Begin(fullDump);
        if (fullDump) {
            SetProgress(QStringLiteral("Deleting old records:"), 2);
            ProgressStep();
            try {
                writer->DeletePrefix(KeyPrefix());
            } catch (const DbException &e) {
                writer->Rollback();
                CountError();
                WriteLog(ClearFailurePrefix() + e.Message() + QStringLiteral(": ") + e.Description());
                reader.Close();
                ProgressEnd();
                result.failed = true;
                return result;
            }
            ProgressStep();
        }
        SetProgress(QStringLiteral("Importing:"), int(qMin<int64_t>(lines, INT_MAX)));

        auto take = [&](const InventoryWriter::Counts &c) {
            AddCounts(c.inserted, c.updated, c.deleted);
            result.stored += c.inserted + c.updated;
        };
        std::string line;
        std::string why;
        LineFault fault;
        FieldSplitter fields;
        bool storedAny = false;
        bool deletedAny = false;
        // What the file's lines came to, to say why a file with lines loaded nothing.
        int records = 0, headers = 0, rejected = 0, unchanged = 0;
        while (true) {
            if (!CheckCancel()) {
                result.cancelled = true;
                break;
            }
            if (!reader.Next(line, fault, lineNumber))
                break;
            ProgressStep();
            if (fault != LineFault::None) {
                ++rejected;
                LogMalformed(lineNumber, fault, line);
                continue;
            }
            TrimRight(line);
            if (line.empty())
                continue;
            MakeUtf8(line);
            if (!fields.Split(line)) {
                ++rejected;
                LogMalformed(lineNumber, LineFault::UnterminatedQuote, line);
                continue;
            }
            why.clear();
            const Action action = Classify(fields, storedAny, why);
            if (action == Action::Header) {
                ++headers;
                continue;
            }
            if (action == Action::Skip)
                continue;
            ++records;
            if (action == Action::Reject) {
                ++rejected;
                LogRejected(lineNumber, why, line);
                continue;
            }
            if (fields.Count() < FieldsNeeded(action)) {
                ++rejected;
                LogMalformed(lineNumber, LineFault::TooFewFields, line);
                continue;
            }
            m_key.assign(KeyPrefix());
            AppendKey(fields, m_key);
            const bool known = writer->IsKnown(m_key);
            if (action == Action::Delete) {
                if (known) {
                    writer->Delete(m_key);
                    deletedAny = true;
                } else {
                    ++unchanged;
                }
            } else {
                const bool insert = !known && (action == Action::Upsert || action == Action::Insert);
                const bool update = known && (action == Action::Upsert || action == Action::Update);
                if (insert || update) {
                    // The whole row is read and checked before anything is written.
                    m_row.Clear();
                    QString missing;
                    Fill(fields, m_row, insert, missing);
                    if (!missing.isEmpty()) {
                        ++rejected;
                        LogRequired(lineNumber, missing, line);
                    } else if (insert) {
                        writer->Insert(m_key, m_row);
                        storedAny = true;
                    } else if (writer->Update(m_key, m_row)) {
                        storedAny = true;
                    }
                } else {
                    ++unchanged;
                }
            }
            take(writer->Step());
        }
        if (!result.cancelled && !storedAny && !deletedAny && records + headers > 0)
            LogNothingLoaded(path, records, headers, rejected, unchanged);
        if (reader.Failed()) {
            CountError();
            WriteLog(QStringLiteral("ImportFromFile: %1 the file could not be read to its end.").arg(path));
        }
        if (result.cancelled && fullDump)
            writer->Rollback();  // a dump counts whole or not at all
        else
            take(writer->Commit());
    } catch (const DbException &e) {
        if (writer) {
            try {
                writer->Rollback();
            } catch (...) {
            }
        }
        CountError();
        WriteLog(QStringLiteral("ImportFromFile: %1 %2").arg(path, e.Message() + QStringLiteral(": ") + e.Description()));
        result.failed = true;
    } catch (const std::exception &e) {
        if (writer) {
            try {
                writer->Rollback();
            } catch (...) {
            }
        }
        CountError();
        WriteLog(QStringLiteral("ImportFromFile: %1 %2").arg(path, QString::fromLocal8Bit(e.what())));
        result.failed = true;
    }
    reader.Close();
    ProgressEnd();
    return result;
}
