#pragma once

// Record XML as tables. Every reader of server XML and every writer of
// request or detail XML is an ordered table of (element, column, kind); the
// functions here walk such a table over the current row of a record set.
//
// How to use it:
//
//     static const RecordXml::Field kPartInfo[] = {
//         {"category", "P_CATEGORY"},
//         {"quantity", "P_QUANTITY", RecordXml::Int},
//         {"other", "P_NOTES", RecordXml::Text, 1024},  // first 1024 characters
//     };
//     set.AddNew();
//     RecordXml::Read(set, node.Select("part_info"), kPartInfo);   // server XML -> row
//     set.Update();
//     ...
//     XmlNode part = item.AddChild("part_info");
//     RecordXml::Write(set, part, kPartInfo);                       // row -> XML, table order
//
// Readers never fail: a missing node or element reads as an empty text, 0 or
// no date (so reading below a null section node simply leaves those columns
// empty). Element names are plain child names or short paths ("market_info/name").
// Writers append one element per row of the table, in table order; the kinds
// say how each value is written. Dates are local times; no date writes an
// empty element, never a 1970 date. Numbers never follow the C locale.

#include "net/XmlUtil.h"

#include <QDateTime>
#include <QString>

#include <span>

class XBaseSet;

namespace RecordXml {

enum Kind {
    Text,         // read: the text (cut to maxChars characters when > 0); write: the text
    Int,          // read: leading decimal integer, 0 when none; write: "%d"
    Real,         // read: decimal real, 0 when none; write: "%.2f"
    Date,         // read: a server date, none when absent or unparsable; write: "%Y-%m-%d %H:%M"
    ShortDate,    // write: "%m-%d %H:%M" (reads as Date)
    Flag,         // read: 1 when the text is not empty, else 0; write: "0" or "1"
    Url,          // read and write through Utils::AddHttpPrefix
    Money,        // write: "$1,234.50" (reads as Real)
    MoneyOrAny,   // write: Money, or "Any" when the value is 0 (reads as Real)
    Rating,       // write: the text, or "0" when it is empty (reads as Text)
    YesNo,        // write: "Yes" or "No" of a flag (reads as Flag)
    BlankIfEmpty, // write: the text, or a single blank when it is empty (reads as Text)
    CData,        // write: the text as a CDATA section (reads as Text)
};

struct Field
{
    const char *element;
    const char *column;
    Kind kind = Text;
    int maxChars = 0;  // reading Text: keep at most this many characters (0: all)
};

using Table = std::span<const Field>;

// Fills the columns of the table in the current row from the children of `node`.
void Read(XBaseSet &set, const XmlNode &node, Table fields);
// Appends one element per field to `parent`.
void Write(const XBaseSet &set, XmlNode parent, Table fields);
// One field of either direction (for the odd element between table rows).
void ReadField(XBaseSet &set, const XmlNode &node, const Field &field);
XmlNode WriteField(const XBaseSet &set, XmlNode parent, const Field &field);

// The text of the first child element named `name` (or of the node a short
// path "a/b" selects); empty when there is none. Faster than an XPath query.
QString ChildText(const XmlNode &node, const char *name);
// The first child element named `name`; null when none.
XmlNode Child(const XmlNode &node, const char *name);

// The date and time in a strftime-like form ("%Y-%m-%d %H:%M", "%m-%d %H:%M");
// an invalid date gives an empty text.
QString FormatDate(const QDateTime &value, const char *format);
// A server date (seconds, 0: none) as a local date and time; invalid for 0.
QDateTime FromXmlTime(XmlTime time);

// A detail "section" element: <section name=".." caption=".."><fieldsName/></section>,
// returning the fields element. Without a name the section has no attributes.
XmlNode AddSection(XmlNode root, const QString &name, const QString &caption, const QString &fieldsName);
// Sets attribute `name` to "1" when `on`.
void SetFlag(XmlNode element, const char *name, bool on);

} // namespace RecordXml
