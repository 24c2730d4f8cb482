#pragma once

// What tells the part query list from the car query list: tables, columns and
// cells, the folders with their rules, detail roots, the names a message
// thread reads and the contact request. One list implementation reads it.

#include "app/Interfaces.h"
#include "dialogs/PaneInterfaces.h"

#include <QString>

#include <initializer_list>
#include <vector>

struct QueryListRules
{
    // How a cell is made from its record.
    enum class Cell {
        Empty,     // no text
        Text,      // the field as stored
        Date,      // "%m-%d %H:%M"
        MoneyAny,  // money with 2 decimals, "Any" for 0
        Count,     // "%ld" between 1 and 65535, else empty
        YesNo,     // "yes" when the field holds text, else "no"
        YearRange, // first and last year
        ModelSub,  // model and sub-model joined by " " when both are given
        PriceRange,
        MileageRange,
        Colour,
    };
    struct Column
    {
        const char *header;
        int width;
        const char *sortField;
        Cell queryCell;
        const char *queryField;
        Cell quoteCell;
        const char *quoteField;
    };
    // A name a message thread asks of a row: its query field and quote field
    // ("" gives empty text, "^" + field reads the parent query).
    struct ContextName
    {
        const char *name;
        const char *queryField;
        const char *quoteField;
    };

    int marketMode;
    ActiveListType listType;
    IRecordViews::ListKind registryKind;
    const char *queryTable;
    const char *quoteTable;
    const char *layoutName;
    std::vector<Column> columns;
    int dateColumn;
    int messageColumn;  // -1: none
    int marketColumn;
    int ratingColumn;
    int statusColumn;
    int idColumn;

    std::vector<int> flatFolders;
    std::vector<int> archiveFolders;
    int repliedFolder;   // quote rows use image 0; marking Read does nothing
    int pendingFolder;   // New/Read skip query keys
    std::vector<int> neverBoldFolders;

    const char *queryContextType;
    const char *quoteContextType;
    std::vector<ContextName> contextNames;
    const char *messagesCaption;  // "Messages for %s, ..." with the caption and the record's texts
    std::vector<const char *> captionFields;  // query fields after the caption

    const char *contactOperation;
    const char *contactParam;
    const char *contactAnswer;
    bool spendingReminder;

    static const QueryListRules &Parts();
    static const QueryListRules &Cars();

    static bool In(const std::vector<int> &folders, int folder);
    bool IsFlat(int folder) const { return In(flatFolders, folder); }
    bool IsArchive(int folder) const { return In(archiveFolders, folder); }
    bool CountsQuoteRows(int folder) const { return folder == repliedFolder || folder == pendingFolder; }
    // The navigator folder that shows a query (status, incoming, archived).
    int QueryFolder(int statusCode, bool incoming, bool archived) const;
    // The folder of a quote, as the main window's quote lookups answer; -1 when there is none.
    int QuoteFolder(const QString &quoteId) const;
};
