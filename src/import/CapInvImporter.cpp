#include "CapInvImporter.h"

#include "CBaseImport.h"
#include "CapInvImport.h"
#include "ImportText.h"

#include "app/AppCore.h"
#include "app/TasksDispatcher.h"
#include "app/ThreadWait.h"
#include "db/KVDatabase.h"

#include <climits>
#include <cstdlib>
#include <functional>

using namespace ImportText;

namespace {

enum Field { Year = 0, Model = 1, InventoryNumber = 2, Price = 3, StockNumber = 5, Type = 6, Qty = 12, Mileage = 13 };

// Failures that end the run before or between the database steps.
struct CapFailure
{
    QString text;
};

QString Text(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string Upper(std::string_view s)
{
    return Text(s).toUpper().toStdString();
}

// The header of a dump names these columns in this order.
bool IsHeader(const std::string &line)
{
    const std::string lower = ToLowerAscii(line);
    size_t at = 0;
    for (const char *word : {"year", "name", "number", "price", "conditions"}) {
        at = lower.find(word, at);
        if (at == std::string::npos)
            return false;
        at += std::char_traits<char>::length(word);
    }
    return true;
}

void Frame(const std::function<void(IMainFrame &)> &fn)
{
    if (AppCore *app = theAppIfAny()) {
        if (IMainFrame *frame = app->Frame())
            fn(*frame);
    }
}

} // namespace

CapInvImporter::CapInvImporter(const QString &sourceFile, ICapImportProgress *progress)
    : m_progress(progress), m_source(sourceFile)
{
}

CapInvImporter::~CapInvImporter()
{
    Cancel();
    WaitForRun(-1);
}

void CapInvImporter::SetSourceFile(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    m_source = path;
}

QString CapInvImporter::SourceFile() const
{
    QMutexLocker lock(&m_mutex);
    return m_source;
}

void CapInvImporter::SetProgress(ICapImportProgress *progress)
{
    QMutexLocker lock(&m_mutex);
    m_progress = progress;
}

void CapInvImporter::SetRange(int lines)
{
    QMutexLocker lock(&m_mutex);
    if (m_progress)
        m_progress->SetRange(lines);
}

void CapInvImporter::Step()
{
    QMutexLocker lock(&m_mutex);
    if (m_progress)
        m_progress->Step();
}

bool CapInvImporter::IsRunning() const
{
    return !HasThreadEnded(m_thread.get());
}

bool CapInvImporter::WaitForRun(int timeoutMs)
{
    return WaitForThreadEnd(m_thread.get(), timeoutMs);
}

QThread *CapInvImporter::Start()
{
    if (IsRunning())
        return nullptr;
    m_stop = false;
    m_thread.reset(QThread::create([this] {
        Run();
        if (KVDatabase *db = theDatabaseIfAny())
            db->ReleaseThreadConnection();
        MarkRunEnded();
    }));
    m_thread->start(QThread::LowestPriority);
    return m_thread.get();
}

void CapInvImporter::Run()
{
    {
        TasksDispatcher &tasks = theTasksDispatcher();
        bool begun = false;
        while (!m_stop && !begun)
            begun = tasks.TryBeginTask(CBaseImport::ImportTask, 100);
        if (!begun)
            return;
        m_imported = false;
        Frame([](IMainFrame &f) { f.NotifyCatalogChanged(); });
        try {
            Import();
        } catch (...) {
            theApp().WriteLog(QStringLiteral("CapInvImporter: Unknown error."), QStringLiteral("InvImp."), 1);
        }
        tasks.EndTask(CBaseImport::ImportTask);
    }
    Frame([](IMainFrame &f) { f.NotifyCatalogChanged(); });
    if (m_imported)
        Frame([](IMainFrame &f) { f.ShowTrayMessage(QStringLiteral("Data import completed.\nClick here to see."), 1); });
}

int CapInvImporter::Import()
{
    const QString path = SourceFile();
    m_imported = false;
    SqlConnection *connection = nullptr;
    std::unique_ptr<SqlTransaction> transaction;
    try {
        connection = &theDatabase().Connection();
        transaction = std::make_unique<SqlTransaction>(*connection);
    } catch (const DbException &e) {
        KVDatabase::ShowError(QStringLiteral("Can not import"), e);
        return -1;
    }
    int rows = -1;
    try {
        rows = ImportRows(*connection, path);
    } catch (const CapFailure &f) {
        theApp().ShowMessageBox(f.text, QStringLiteral("Error"), MsgBox::IconError);
        return -1;
    } catch (const ImportException &e) {
        theApp().ShowMessageBox(e.Text(), QStringLiteral("Error"), MsgBox::IconError);
        return -1;
    } catch (const DbException &e) {
        KVDatabase::ShowError(QStringLiteral("Import error"), e);
        return -1;
    }
    if (rows < 0)
        return -1;  // told already, or cancelled: the transaction rolls back
    try {
        transaction->Commit();
    } catch (const DbException &e) {
        KVDatabase::ShowError(QStringLiteral("DB Error"), e);
        return -1;
    }
    m_imported = rows > 0;
    return rows;
}

int CapInvImporter::ImportRows(SqlConnection &connection, const QString &path)
{
    CapInvImport::Lookup parts;
    CapInvImport::Lookup makes;
    CapInvImport::LoadLookup(parts, CapInvImport::GetRefFilePath(QStringLiteral("parts-codes.csv")), 1, 2, ';');
    CapInvImport::LoadLookup(makes, CapInvImport::GetRefFilePath(QStringLiteral("make-models.csv")), 1, 2, ';');

    LineReader reader;
    if (!reader.Open(path))
        throw CapFailure{QStringLiteral("Unable to open file ") + path};
    std::string line;
    LineFault fault;
    if (!reader.Next(line, fault))
        throw CapFailure{QStringLiteral("The source file is empty.")};
    if (!IsHeader(line))
        throw CapFailure{QStringLiteral("Invalid file format.")};
    const int64_t total = ImportText::CountLines(path);
    Frame([](IMainFrame &f) { f.SetStatusText(QStringLiteral("Importing data:")); });
    SetRange(int(qMin<int64_t>(total, INT_MAX)));

    try {
        connection.Exec(QStringLiteral("DELETE FROM Inventory WHERE SOURCE = ?"), {QString::fromLatin1(Source)});
    } catch (const DbException &e) {
        KVDatabase::ShowError(QStringLiteral("Import Error"), e);
        return -1;
    }
    SqlStatement &insert = connection.Prepare(QByteArrayLiteral(
        "INSERT INTO Inventory ([P_NAME], [P_CATEGORY], [P_INTERCHANGE_NUMBER], [V_YEAR], [V_MAKE], [V_MODEL], "
        "[P_TYPE], [P_STOCK_NUMBER], [P_PRICE], [P_QUANTITY], [P_NOTES], [P_HANDLING], [SOURCE], [P_CORE_DEPOSIT], "
        "[P_WEIGHT]) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0.0, ?, 0, 0)"));
    int inserted = 0;
    Step();
    FieldSplitter fields;
    while (reader.Next(line, fault)) {
        if (m_stop)
            return -1;
        Step();
        if (fault != LineFault::None)
            continue;
        TrimRight(line);
        MakeUtf8(line);
        if (!fields.Split(line, ',') || !fields.Has(InventoryNumber))
            continue;
        auto field = [&fields](int i) { return fields.Has(i) ? fields.Text(i) : std::string_view(); };
        const std::string_view number = field(InventoryNumber);
        size_t cut = number.find('-');
        if (cut == std::string_view::npos)
            cut = number.find('.');
        const std::string_view code = number.substr(0, cut);
        const auto name = parts.find(Upper(code));
        if (name == parts.end() || name->second.empty())
            continue;
        const double price = ParseDouble(fields.Has(Price) ? fields.Raw(Price) : std::string_view());
        const int64_t qty = ParseLong(fields.Has(Qty) ? fields.Raw(Qty) : std::string_view());
        if (price == 0)
            continue;
        const auto make = makes.find(Upper(field(Model)));
        const std::string type = Upper(field(Type));
        const int64_t mileage = ParseLong(fields.Has(Mileage) ? fields.Raw(Mileage) : std::string_view());
        // The part code read as a whole number, down to its hundred.
        const int64_t category = ParseLong(code) / 100 * 100;
        insert.Reset()
            .Bind(1, Text(name->second))
            .Bind(2, QString::number(category))
            .Bind(3, Text(number))
            .Bind(4, Text(field(Year)))
            .Bind(5, make == makes.end() ? QString() : Text(make->second))
            .Bind(6, Text(field(Model)))
            .Bind(7, type == "NEW" || type == "NTO" ? QStringLiteral("New") : QStringLiteral("Used"))
            .Bind(8, Text(field(StockNumber)))
            .Bind(9, price)
            .Bind(10, qint64(qty))
            .Bind(11, QStringLiteral("Mileage: %1").arg(std::llabs(mileage) * 1000))
            .Bind(12, QString::fromLatin1(Source));
        insert.Exec();
        ++inserted;
    }
    if (reader.Failed())
        throw CapFailure{QStringLiteral("Unable to open file ") + path};
    return m_stop ? -1 : inserted;
}
