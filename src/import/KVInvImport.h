#pragma once

// The program's own inventory format: the format line "Korvant Inventory
// Format", then one line of 37 quoted values per Inventory row. A row read
// from it carries SOURCE "KIF_" + its ID, so a later import updates it.

#include "CKeyedImport.h"

#include <array>

class KVInvImport : public CKeyedImport
{
public:
    static constexpr char FormatLine[] = "Korvant Inventory Format";
    // ExportInventory's answer when the member cancelled (no file is left).
    static constexpr int ExportCancelled = -2;

    explicit KVInvImport(int operation = 0);

    int ImportFromFile(const QString &path) override;
    QString GetFormatName() const override;
    QString GetFormatDescription() const override;
    QString GetHtmlDescription() const override;
    int ImportData() override;
    QString GetFileDialogTitle() const override;
    QString GetFileDialogFilter() const override;

    // Writes every Inventory row to `path` (UTF-8, CR LF): the number of rows,
    // 0 for an empty table (no file), -1 on a failure, ExportCancelled.
    int ExportInventory(const QString &path);
    // Column names (upper-cased) to positions; an empty header gives the table's order.
    void BuildColumnMap(const QString &header);
    static QByteArray QuoteValue(const QByteArray &value);

protected:
    std::string_view KeyPrefix() const override { return "KIF_"; }
    void ResetMap() override;
    bool AcceptFile(const QString &path, ImportText::LineReader &reader) override;
    Action Classify(const ImportText::FieldSplitter &fields, bool storedAny, std::string &why) override;
    int FieldsNeeded(Action) const override { return m_needed; }
    void AppendKey(const ImportText::FieldSplitter &fields, std::string &key) override;
    void Fill(const ImportText::FieldSplitter &fields, InvRow &row, bool inserting, QString &missing) override;

private:
    // False (the map unchanged) when the line names no column.
    bool MapFrom(const ImportText::FieldSplitter &fields);
    // Position of each column in a line, -1 when the line lacks it.
    std::array<int, Inv::ColumnCount> m_pos{};
    int m_needed = Inv::ColumnCount;
};
