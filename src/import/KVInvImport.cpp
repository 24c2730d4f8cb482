#include "KVInvImport.h"

#include "app/AppCore.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"

#include <QSaveFile>

#include <sqlite3.h>

using namespace ImportText;

KVInvImport::KVInvImport(int operation) : CKeyedImport(operation)
{
    m_canImportNow = true;
    m_sourceSetting = Setting::KVInventoryFilePath;
    ResetMap();
}

QString KVInvImport::GetFormatName() const
{
    return QLatin1String(FormatLine);
}

QString KVInvImport::GetFormatDescription() const
{
    return QStringLiteral("The files in Korvant Inventory Format are created when you export inventory records from "
                          "Korvant. This is useful when transferring inventory data from one machine to another.");
}

QString KVInvImport::GetHtmlDescription() const
{
    return QStringLiteral("<p>") + GetFormatDescription() + QStringLiteral("</p>");
}

QString KVInvImport::GetFileDialogTitle() const
{
    return QStringLiteral("Select CSV-file to import inventory data");
}

QString KVInvImport::GetFileDialogFilter() const
{
    return QStringLiteral("Korvant CSV-file (*.csv)|*.csv|All files (*.*)|*.*||");
}

int KVInvImport::ImportData()
{
    return RunAsTask([this] { return ImportFile(GetSourcePath()); });
}

int KVInvImport::ImportFromFile(const QString &path)
{
    const FileResult r = ImportKeyedFile(path);
    return r.failed ? -1 : r.stored;
}

// --- the map ------------------------------------------------------------------------------------

void KVInvImport::ResetMap()
{
    for (int c = 0; c < Inv::ColumnCount; ++c)
        m_pos[c] = c;
    m_needed = Inv::ColumnCount;
}

bool KVInvImport::MapFrom(const FieldSplitter &fields)
{
    const int needed = MapColumns(fields, m_pos, [](std::string_view name) { return Inv::Find(ToUpperAscii(name)); });
    if (needed == 0)
        return false;
    m_needed = needed;
    return true;
}

void KVInvImport::BuildColumnMap(const QString &header)
{
    if (header.isEmpty()) {
        ResetMap();
        return;
    }
    FieldSplitter fields;
    const QByteArray bytes = header.toUtf8();
    fields.Split(std::string_view(bytes.constData(), size_t(bytes.size())));
    if (!MapFrom(fields)) {
        m_pos.fill(-1);
        m_needed = 0;
    }
}

bool KVInvImport::AcceptFile(const QString &path, LineReader &reader)
{
    std::string first;
    LineFault fault;
    if (!reader.Next(first, fault))
        return true;  // an empty file holds no rows
    if (fault == LineFault::None && first == FormatLine)
        return true;
    theApp().ShowMessageBox(QStringLiteral("The file %1 \nis not Korvant Invetory Format file").arg(path), QString(),
                            MsgBox::Ok);
    return false;
}

CKeyedImport::Action KVInvImport::Classify(const FieldSplitter &fields, bool storedAny, std::string &why)
{
    const std::string_view id = m_pos[Inv::ID] >= 0 ? fields.Text(m_pos[Inv::ID]) : std::string_view();
    if (!storedAny && id.find_first_of("0123456789") == std::string_view::npos && MapFrom(fields))
        return Action::Header;
    if (id.empty()) {
        why = "no ID";
        return Action::Reject;
    }
    return Action::Upsert;
}

void KVInvImport::AppendKey(const FieldSplitter &fields, std::string &key)
{
    key.append(fields.Text(m_pos[Inv::ID]));
}

void KVInvImport::Fill(const FieldSplitter &fields, InvRow &row, bool inserting, QString &missing)
{
    for (int c = Inv::P_STOCK_NUMBER; c < Inv::SOURCE; ++c) {
        const int pos = m_pos[c];
        if (pos < 0)
            continue;
        if (c == Inv::P_QUANTITY)
            row.SetInt(c, ParseLong(fields.Raw(pos)));
        else if (Inv::IsNumber(c))
            row.SetDouble(c, ParseDouble(fields.Raw(pos)));
        else
            row.SetText(c, fields.Text(pos));
    }
    ApplyDefaults(row, inserting);
    CheckPartRequired(row, inserting, missing);
}

// --- export ---------------------------------------------------------------------------------------

QByteArray KVInvImport::QuoteValue(const QByteArray &value)
{
    QByteArray out;
    out.reserve(value.size() + 2);
    out += '"';
    for (const char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

namespace {
void AppendQuoted(QByteArray &out, const char *text, int size)
{
    out += '"';
    for (int i = 0; i < size; ++i) {
        if (text[i] == '"')
            out += '"';
        out += text[i];
    }
    out += '"';
}
} // namespace

int KVInvImport::ExportInventory(const QString &path)
{
    ResetCounters();
    ClearStop();
    QSaveFile file(path);
    try {
        SqlConnection &c = theDatabase().Connection();
        const int rows = c.Scalar(QStringLiteral("SELECT COUNT(*) FROM [Inventory]")).toInt();
        if (rows <= 0)
            return 0;
        // Written beside the target and renamed in only when complete.
        file.setDirectWriteFallback(false);
        if (!file.open(QIODevice::WriteOnly))
            return -1;
        SetProgress(QStringLiteral("Export Inventory:"), rows);
        QByteArray columns;
        for (int i = 0; i < Inv::ColumnCount; ++i)
            columns += (i ? ", [" : "[") + QByteArray(Inv::Name(i)) + ']';
        SqlStatement &st = c.Prepare("SELECT " + columns + " FROM [Inventory] ORDER BY [ID]");
        QByteArray out = QByteArray(FormatLine) + "\r\n";
        bool cancelled = false;
        int written = 0;
        while (st.Step()) {
            if (!CheckCancel()) {
                cancelled = true;
                break;
            }
            sqlite3_stmt *h = st.Handle();
            for (int i = 0; i < Inv::ColumnCount; ++i) {
                if (i)
                    out += ',';
                switch (sqlite3_column_type(h, i)) {
                case SQLITE_INTEGER:
                    out += '"' + QByteArray::number(sqlite3_column_int64(h, i)) + '"';
                    break;
                case SQLITE_FLOAT: {
                    const std::string v = FormatDouble(sqlite3_column_double(h, i));
                    out += '"';
                    out.append(v.data(), qsizetype(v.size()));
                    out += '"';
                    break;
                }
                case SQLITE_TEXT:
                    AppendQuoted(out, reinterpret_cast<const char *>(sqlite3_column_text(h, i)),
                                 sqlite3_column_bytes(h, i));
                    break;
                default:  // NULL and binary
                    out += "\"\"";
                    break;
                }
            }
            out += "\r\n";
            ++written;
            AddCounts(1, 0, 0);
            ProgressStep();
            if (out.size() > (1 << 16)) {
                if (file.write(out) != out.size())
                    throw std::runtime_error("write failed");
                out.clear();
            }
        }
        st.Reset();
        ProgressEnd();
        if (cancelled) {
            file.cancelWriting();
            return ExportCancelled;
        }
        if (file.write(out) != out.size() || !file.commit())
            return -1;
        return written;
    } catch (const std::exception &e) {
        file.cancelWriting();
        ProgressEnd();
        WriteLog(QStringLiteral("ExportInventory: %1 %2").arg(path, QString::fromLocal8Bit(e.what())));
        return -1;
    }
}
