#pragma once

// Hollander CAP dumps ("INVENT.CAP"): one part per line, completed from the
// makes and part-name tables of the reference folder and from "stockvin.cap"
// beside the dump. SOURCE is "CAP_" + stock number + inventory number.

#include "CKeyedImport.h"

#include <stdexcept>
#include <string>
#include <unordered_map>

// A lookup file that is needed and cannot be read.
class ImportException : public std::runtime_error
{
public:
    explicit ImportException(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString Text() const { return m_text; }

private:
    QString m_text;
};

class CapInvImport : public CKeyedImport
{
public:
    using Lookup = std::unordered_map<std::string, std::string>;

    explicit CapInvImport(int operation = 0);

    int ImportFromFile(const QString &path) override;
    QString GetFormatName() const override;
    QString GetFormatDescription() const override;
    QString GetHtmlDescription() const override;
    int ImportData() override;
    QString GetFileDialogTitle() const override;
    QString GetFileDialogFilter() const override;

    // Asks when the name is not INVENT.CAP, then tests the first line that looks like a record.
    bool IsCapFile(const QString &path);
    // Keys are upper-cased; a single quote in a line reads as a backquote. Throws ImportException.
    static void LoadLookup(Lookup &map, const QString &path, int keyField, int valueField, char separator);
    // The reference file: the data folder's "ref" first, then the program's.
    static QString GetRefFilePath(const QString &name);
    static QString GetStockVinPath(const QString &dumpPath);
    std::string GetPartName(std::string_view inventoryNumber) const;
    std::string GetMakeName(std::string_view modelName) const;
    static std::string_view GetSideName(std::string_view inventoryNumber);

protected:
    std::string_view KeyPrefix() const override { return "CAP_"; }
    void ResetMap() override {}
    bool AcceptFile(const QString &path, ImportText::LineReader &reader) override;
    Action Classify(const ImportText::FieldSplitter &, bool, std::string &) override { return Action::Upsert; }
    int FieldsNeeded(Action) const override { return 14; }
    void AppendKey(const ImportText::FieldSplitter &fields, std::string &key) override;
    void Fill(const ImportText::FieldSplitter &fields, InvRow &row, bool inserting, QString &missing) override;

private:
    Lookup m_makes;
    Lookup m_parts;
    Lookup m_vins;
    Lookup m_colors;
};
