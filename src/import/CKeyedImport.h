#pragma once

// The file loop every importer shares: the file streamed line by line into
// the Inventory table through the keyed writer. An importer adds only its
// field map, its key and the filling of a row.

#include "CBaseImport.h"
#include "ImportText.h"
#include "InventoryWriter.h"

#include <string>

class CKeyedImport : public CBaseImport
{
public:
    using CBaseImport::CBaseImport;

    enum class Action {
        Skip,    // not a record of this format
        Header,  // a line of column names (the map was rebuilt from it)
        Upsert,  // update the row of a known key, else insert
        Insert,  // insert unless the key is known
        Update,  // update only a known key
        Delete,  // delete only a known key
        Reject,  // not a record it can read (the reason is given)
    };

    struct FileResult
    {
        int stored = 0;          // rows inserted or updated and committed
        bool cancelled = false;  // stopped at a row boundary
        bool failed = false;     // not opened, refused, or a database failure
    };

protected:
    // The SOURCE prefix of the rows this importer owns ("KIF_", ...).
    virtual std::string_view KeyPrefix() const = 0;
    virtual void ResetMap() = 0;
    // Reads what comes before the records; false refuses the file (the member was told).
    virtual bool AcceptFile(const QString &path, ImportText::LineReader &reader);
    // A line is a header only when it names columns the importer knows, so a
    // first record that the header rule would take for one is still a record.
    virtual Action Classify(const ImportText::FieldSplitter &fields, bool storedAny, std::string &why) = 0;
    // The fields a line needs for the action.
    virtual int FieldsNeeded(Action action) const = 0;
    // Appends the key's own part (after the prefix).
    virtual void AppendKey(const ImportText::FieldSplitter &fields, std::string &key) = 0;
    // Fills the row; the names of the required fields that fail go to `missing`.
    virtual void Fill(const ImportText::FieldSplitter &fields, InvRow &row, bool inserting, QString &missing) = 0;

    // `fullDump`: first delete every row of the prefix; that and the file are one transaction.
    FileResult ImportKeyedFile(const QString &path, bool fullDump = false);
    // The log line's start for a failure while the old rows of a full dump were deleted.
    virtual QString ClearFailurePrefix() const { return QStringLiteral("ImportFromFile: "); }

    void LogMalformed(int64_t lineNumber, ImportText::LineFault fault, const std::string &line);
    void LogRejected(int64_t lineNumber, const std::string &why, const std::string &line);
    void LogRequired(int64_t lineNumber, const QString &missing, const std::string &line);
    void LogDump(const std::string &line);
    void LogNothingLoaded(const QString &path, int records, int headers, int rejected, int unchanged);

    // Shared by the fillers: numbers and the required-field rule.
    static void AddRequired(bool present, const char *name, QString &list);
    // Empty P_CATEGORY and P_TYPE and a zero P_QUANTITY take their defaults.
    static void ApplyDefaults(InvRow &row, bool inserting);
    // P_NAME, P_PRICE (absent), V_MAKE, V_MODEL, V_YEAR, P_PRICE (not above zero).
    static void CheckPartRequired(const InvRow &row, bool inserting, QString &missing);
    static bool Applies(const InvRow &row, int column, bool inserting);
    static bool TextPresent(const InvRow &row, int column, bool inserting);

private:
    InvRow m_row;
    std::string m_key;
};
