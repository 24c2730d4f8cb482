#include "CapInvImport.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XSettings.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace ImportText;

namespace {
enum Field { Year, ModelName, InventoryNumber, RetailPrice, WholesalePrice, StockNumber, Conditions,
             Qty = 12, Miles = 13, HS = 15 };

std::string Upper(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size())).toUpper().toStdString();
}

std::string_view Find(const CapInvImport::Lookup &map, const std::string &key)
{
    const auto it = map.find(key);
    return it == map.end() ? std::string_view() : std::string_view(it->second);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

CapInvImport::CapInvImport(int operation) : CKeyedImport(operation)
{
    m_canImportNow = true;
    m_sourceSetting = Setting::CapInventoryFilePath;
}

QString CapInvImport::GetFormatName() const
{
    return QStringLiteral("CAP format");
}

QString CapInvImport::GetFormatDescription() const
{
    return QStringLiteral("CAP file format is supported by various inventory systems including Hollander.");
}

QString CapInvImport::GetHtmlDescription() const
{
    return QStringLiteral("<p>") + GetFormatDescription() + QStringLiteral("</p>");
}

QString CapInvImport::GetFileDialogTitle() const
{
    return QStringLiteral("Select CAP-file to import inventory data");
}

QString CapInvImport::GetFileDialogFilter() const
{
    return QStringLiteral("Hollander dump file (*.cap)|*.cap|All files (*.*)|*.*||");
}

int CapInvImport::ImportData()
{
    return RunAsTask([this] { return ImportFile(GetSourcePath()); });
}

int CapInvImport::ImportFromFile(const QString &path)
{
    const FileResult r = ImportKeyedFile(path);
    return r.failed ? -1 : r.stored;
}

// --- lookups ------------------------------------------------------------------------------------

QString CapInvImport::GetRefFilePath(const QString &name)
{
    const QString own = theApp().GetDataFolder() + QLatin1String(Korvant::RefFolderName) + u'/' + name;
    if (QFileInfo::exists(own))
        return own;
    return theApp().GetRefFolder() + u'/' + name;
}

QString CapInvImport::GetStockVinPath(const QString &dumpPath)
{
    return QFileInfo(dumpPath).dir().filePath(QStringLiteral("stockvin.cap"));
}

void CapInvImport::LoadLookup(Lookup &map, const QString &path, int keyField, int valueField, char separator)
{
    map.clear();
    LineReader reader;
    if (!reader.Open(path))
        throw ImportException(QStringLiteral("Unable to open file ") + path);
    std::string line;
    LineFault fault;
    FieldSplitter fields;
    while (reader.Next(line, fault)) {
        if (fault != LineFault::None)
            continue;
        TrimRight(line);
        MakeUtf8(line);
        std::replace(line.begin(), line.end(), '\'', '`');
        if (!fields.Split(line, separator) || !fields.Has(keyField - 1))
            continue;
        map[Upper(fields.Text(keyField - 1))] = std::string(fields.Text(valueField - 1));
    }
    if (reader.Failed())
        throw ImportException(QStringLiteral("Unable to open file ") + path);
}

std::string CapInvImport::GetPartName(std::string_view inventoryNumber) const
{
    size_t cut = inventoryNumber.find('-');
    if (cut == std::string_view::npos)
        cut = inventoryNumber.find('.');
    const std::string_view code = cut == std::string_view::npos ? std::string_view() : inventoryNumber.substr(0, cut);
    return std::string(Find(m_parts, Upper(code)));
}

std::string CapInvImport::GetMakeName(std::string_view modelName) const
{
    return std::string(Find(m_makes, Upper(modelName)));
}

std::string_view CapInvImport::GetSideName(std::string_view inventoryNumber)
{
    if (inventoryNumber.empty())
        return {};
    const char last = inventoryNumber.back();
    if (last == 'L' || last == 'l')
        return "Left";
    if (last == 'R' || last == 'r')
        return "Right";
    return {};
}

// --- the dump -----------------------------------------------------------------------------------

bool CapInvImport::IsCapFile(const QString &path)
{
    if (QFileInfo(path).fileName().toUpper() != QLatin1String("INVENT.CAP") &&
        !theApp().AskYesNo(QStringLiteral("File name is not INVENT.CAP\nAre you sure is a CAP-format file?"), QString()))
        return false;
    LineReader reader;
    if (!reader.Open(path))
        return false;
    std::string line;
    LineFault fault;
    FieldSplitter f;
    while (reader.Next(line, fault)) {
        if (fault != LineFault::None)
            continue;
        TrimRight(line);
        if (!f.Split(line))
            continue;
        const std::string_view year = f.Text(Year);
        if (year.size() != 4 || !IsDigit(year.front()))
            continue;
        const std::string_view number = f.Text(InventoryNumber);
        const bool mark = number.size() > 1 && number.substr(1).find_first_of("-.") != std::string_view::npos;
        bool digit = false;
        for (const char c : number)
            digit = digit || IsDigit(c);
        const std::string_view prv = f.Text(HS);
        const bool third = prv.empty() || IsDigit(prv.front()) || std::string_view("-./").find(prv.front()) != std::string_view::npos;
        return mark && digit && third;
    }
    return false;
}

bool CapInvImport::AcceptFile(const QString &path, LineReader &)
{
    try {
        LoadLookup(m_makes, GetRefFilePath(QStringLiteral("make-models.csv")), 1, 2, ';');
        LoadLookup(m_parts, GetRefFilePath(QStringLiteral("parts-codes.csv")), 1, 2, ';');
        const QString stockVin = GetStockVinPath(path);
        LoadLookup(m_vins, stockVin, 1, 2, ',');
        LoadLookup(m_colors, stockVin, 1, 4, ',');
    } catch (const ImportException &e) {
        CountError();
        WriteLog(QStringLiteral("ImportFromFile: ") + path + u' ' + e.Text());
        theApp().ShowMessageBox(e.Text(), QStringLiteral("Error"), MsgBox::IconError);
        return false;
    }
    if (!IsCapFile(path)) {
        theApp().ShowMessageBox(QStringLiteral("The file %1 \nis not CAP-format file").arg(path), QString(), MsgBox::Ok);
        return false;
    }
    return true;
}

void CapInvImport::AppendKey(const FieldSplitter &fields, std::string &key)
{
    key.append(fields.Text(StockNumber));
    key.append(fields.Text(InventoryNumber));
}

void CapInvImport::Fill(const FieldSplitter &fields, InvRow &row, bool inserting, QString &missing)
{
    const std::string_view stock = fields.Text(StockNumber);
    const std::string_view number = fields.Text(InventoryNumber);
    const std::string_view model = fields.Text(ModelName);
    const std::string_view year = fields.Text(Year);
    const std::string stockKey = Upper(stock);

    row.SetText(Inv::P_STOCK_NUMBER, stock);
    row.SetText(Inv::P_INTERCHANGE_NUMBER, number);
    const std::string conditions = Upper(fields.Text(Conditions));
    const bool isNew = conditions.find("NEW") != std::string::npos || conditions.find("NTO") != std::string::npos;
    row.SetText(Inv::P_TYPE, isNew ? "New" : "Used");
    row.OwnText(Inv::P_NAME) = GetPartName(number);
    row.SetInt(Inv::P_QUANTITY, ParseLong(fields.Raw(Qty)));
    row.SetDouble(Inv::P_PRICE, ParseDouble(fields.Raw(RetailPrice)));
    row.SetDouble(Inv::P_CORE_DEPOSIT, 0);
    row.SetDouble(Inv::P_HANDLING, 0);
    row.SetDouble(Inv::P_WEIGHT, 0);
    row.SetText(Inv::P_COLOR, Find(m_colors, stockKey));
    row.SetText(Inv::V_VIN, Find(m_vins, stockKey));
    row.SetText(Inv::P_SIDE, GetSideName(number));
    const int64_t miles = ParseLong(fields.Raw(Miles));
    std::string &notes = row.OwnText(Inv::P_NOTES);
    if (miles > 0)
        notes = "Mileage: " + std::to_string(miles * 1000);
    row.SetText(Inv::V_MODEL, model);
    row.OwnText(Inv::V_MAKE) = GetMakeName(model);
    row.SetText(Inv::V_YEAR, year);
    row.SetText(Inv::V_END_YEAR, year);
    row.SetText(Inv::P_CATEGORY, "ALL PARTS");
    ApplyDefaults(row, inserting);
    AddRequired(!row.Text(Inv::V_MODEL).empty(), "V_MODEL", missing);
    AddRequired(!row.Text(Inv::V_MAKE).empty(), "V_MAKE", missing);
    AddRequired(!row.Text(Inv::V_YEAR).empty(), "V_YEAR", missing);
}
