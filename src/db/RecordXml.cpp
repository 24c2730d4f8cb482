#include "RecordXml.h"

#include "XBaseSet.h"

#include "app/Utils.h"

#include <libxml/tree.h>

#include <cstring>

namespace RecordXml {

namespace {

xmlNodePtr FirstChild(xmlNodePtr node, const char *name, size_t len)
{
    if (!node)
        return nullptr;
    for (xmlNodePtr c = node->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE && c->name && std::strlen(reinterpret_cast<const char *>(c->name)) == len &&
            std::memcmp(c->name, name, len) == 0)
            return c;
    }
    return nullptr;
}

// Walks "a/b/c" by first matching children.
xmlNodePtr Walk(xmlNodePtr node, const char *path)
{
    while (node && *path) {
        const char *slash = std::strchr(path, '/');
        const size_t len = slash ? size_t(slash - path) : std::strlen(path);
        node = FirstChild(node, path, len);
        if (!slash)
            break;
        path = slash + 1;
    }
    return node;
}

QString ContentOf(xmlNodePtr n)
{
    if (!n)
        return {};
    // A plain element holds one text node: read it without copying the tree.
    if (n->children && !n->children->next &&
        (n->children->type == XML_TEXT_NODE || n->children->type == XML_CDATA_SECTION_NODE))
        return Utils::FromUtf8Text(reinterpret_cast<const char *>(n->children->content));
    xmlChar *s = xmlNodeGetContent(n);
    QString out = Utils::FromUtf8Text(reinterpret_cast<const char *>(s));
    if (s)
        xmlFree(s);
    return out;
}

} // namespace

XmlNode Child(const XmlNode &node, const char *name)
{
    xmlNodePtr n = Walk(node.Raw(), name);
    return n ? XmlNode(node.Doc(), n) : XmlNode();
}

QString ChildText(const XmlNode &node, const char *name)
{
    return ContentOf(Walk(node.Raw(), name));
}

QDateTime FromXmlTime(XmlTime time)
{
    return time ? QDateTime::fromSecsSinceEpoch(time) : QDateTime();
}

QString FormatDate(const QDateTime &value, const char *format)
{
    if (!value.isValid())
        return {};
    const QDate d = value.date();
    const QTime t = value.time();
    QString out;
    auto two = [&out](int n) {
        out += QLatin1Char(char('0' + n / 10 % 10));
        out += QLatin1Char(char('0' + n % 10));
    };
    for (const char *p = format; *p; ++p) {
        if (*p != '%' || !p[1]) {
            out += QLatin1Char(*p);
            continue;
        }
        switch (*++p) {
        case 'Y': out += QString::number(d.year()).rightJustified(4, QLatin1Char('0')); break;
        case 'm': two(d.month()); break;
        case 'd': two(d.day()); break;
        case 'H': two(t.hour()); break;
        case 'M': two(t.minute()); break;
        case 'S': two(t.second()); break;
        default:
            out += QLatin1Char('%');
            out += QLatin1Char(*p);
            break;
        }
    }
    return out;
}

void ReadField(XBaseSet &set, const XmlNode &node, const Field &f)
{
    const int col = set.FieldIndex(f.column);
    const QString text = ChildText(node, f.element);
    switch (f.kind) {
    case Int:
        set.SetInt(col, Utils::StrToInt(text));
        break;
    case Real:
    case Money:
    case MoneyOrAny:
        set.SetDouble(col, Utils::StrToDouble(text));
        break;
    case Date:
    case ShortDate:
        if (const XmlTime t = ParseServerDate(text))
            set.SetText(col, SqlValue::FormatSeconds(t));
        else
            set.SetFieldNull(col);
        break;
    case Flag:
    case YesNo:
        set.SetBool(col, !text.isEmpty());
        break;
    case Url:
        set.SetText(col, Utils::AddHttpPrefix(text));
        break;
    default:
        set.SetText(col, f.maxChars > 0 ? CutToChars(text, f.maxChars) : text);
        break;
    }
}

void Read(XBaseSet &set, const XmlNode &node, Table fields)
{
    for (const Field &f : fields)
        ReadField(set, node, f);
}

XmlNode WriteField(const XBaseSet &set, XmlNode parent, const Field &f)
{
    const QString name = QLatin1String(f.element);
    const int col = set.FieldIndex(f.column);
    switch (f.kind) {
    case Int:
        return parent.AddChildInt(name, set.GetInt(col));
    case Real:
        return parent.AddChildFloat(name, set.GetDouble(col));
    case Date:
        return parent.AddChild(name, FormatDate(set.GetDate(col), "%Y-%m-%d %H:%M"));
    case ShortDate:
        return parent.AddChild(name, FormatDate(set.GetDate(col), "%m-%d %H:%M"));
    case Flag:
        return parent.AddChild(name, set.GetBool(col) ? QStringLiteral("1") : QStringLiteral("0"));
    case YesNo:
        return parent.AddChild(name, set.GetBool(col) ? QStringLiteral("Yes") : QStringLiteral("No"));
    case Url:
        return parent.AddChild(name, Utils::AddHttpPrefix(set.GetText(col)));
    case Money:
        return parent.AddChild(name, Utils::FormatMoney(set.GetDouble(col), 2));
    case MoneyOrAny: {
        const double v = set.GetDouble(col);
        return parent.AddChild(name, v == 0.0 ? QStringLiteral("Any") : Utils::FormatMoney(v, 2));
    }
    case Rating: {
        const QString v = set.GetText(col);
        return parent.AddChild(name, v.isEmpty() ? QStringLiteral("0") : v);
    }
    case BlankIfEmpty: {
        const QString v = set.GetText(col);
        return parent.AddChild(name, v.isEmpty() ? QStringLiteral(" ") : v);
    }
    case CData:
        return parent.AddChildCData(name, set.GetText(col));
    case Text:
        break;
    }
    return parent.AddChild(name, set.GetText(col));
}

void Write(const XBaseSet &set, XmlNode parent, Table fields)
{
    for (const Field &f : fields)
        WriteField(set, parent, f);
}

XmlNode AddSection(XmlNode root, const QString &name, const QString &caption, const QString &fieldsName)
{
    XmlNode section = root.AddChild(QStringLiteral("section"));
    if (!name.isEmpty()) {
        section.SetAttr(QStringLiteral("name"), name);
        section.SetAttr(QStringLiteral("caption"), caption);
    }
    return section.AddChild(fieldsName);
}

void SetFlag(XmlNode element, const char *name, bool on)
{
    if (on)
        element.SetAttr(QLatin1String(name), QStringLiteral("1"));
}

} // namespace RecordXml
