#include "XmlUtil.h"

#include "app/HugePages.h"

#include "NetInit.h"
#include "app/AppCore.h"
#include "app/Utils.h"

#include <QDate>
#include <QDateTime>
#include <QSaveFile>
#include <QSet>
#include <QFile>
#include <QIODevice>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <climits>
#include <ctime>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <optional>
#include <utility>
#include <cstring>

namespace {

const xmlChar *X(const QByteArray &b)
{
    return reinterpret_cast<const xmlChar *>(b.constData());
}

QString FromX(const xmlChar *s)
{
    return Utils::FromUtf8Text(reinterpret_cast<const char *>(s));
}

QString TakeX(xmlChar *s)
{
    QString out = FromX(s);
    if (s)
        xmlFree(s);
    return out;
}

void SilentError(void *, xmlErrorPtr) {}

std::shared_ptr<_xmlDoc> Own(xmlDocPtr doc)
{
    return std::shared_ptr<_xmlDoc>(doc, [](xmlDocPtr d) {
        if (d)
            xmlFreeDoc(d);
    });
}

// A path of plain element names ("a", "a/b/c"): the readers' common case,
// walked directly instead of through an XPath context per call.
bool IsChildPath(const QByteArray &path)
{
    bool segmentStart = true;
    for (const char ch : path) {
        const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_';
        const bool more = (ch >= '0' && ch <= '9') || ch == '-' || ch == '.';
        if (ch == '/') {
            if (segmentStart)
                return false;
            segmentStart = true;
        } else if (letter || (more && !segmentStart)) {
            segmentStart = false;
        } else {
            return false;
        }
    }
    return !segmentStart;
}

// Elements without a namespace named by the path's segments, in document
// order, as XPath's child steps select them; stops at the first when asked.
bool WalkChildPath(xmlNodePtr node, const char *path, QList<xmlNodePtr> &out, bool first)
{
    const char *slash = std::strchr(path, '/');
    const size_t len = slash ? size_t(slash - path) : std::strlen(path);
    for (xmlNodePtr c = node->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE || c->ns || !c->name ||
            std::strncmp(reinterpret_cast<const char *>(c->name), path, len) != 0 || c->name[len] != 0)
            continue;
        if (!slash) {
            out.append(c);
            if (first)
                return true;
        } else if (WalkChildPath(c, slash + 1, out, first) && first) {
            return true;
        }
    }
    return false;
}

// Nodes the XPath selects below `node`, in document order; any error selects nothing.
QList<xmlNodePtr> Evaluate(xmlNodePtr node, const QString &xpath, bool first = false)
{
    QList<xmlNodePtr> out;
    if (!node || !node->doc || xpath.isEmpty())
        return out;
    const QByteArray path = xpath.toUtf8();
    if (IsChildPath(path)) {
        WalkChildPath(node, path.constData(), out, first);
        return out;
    }
    xmlXPathContextPtr ctx = xmlXPathNewContext(node->doc);
    if (!ctx)
        return out;
    ctx->node = node;
    ctx->error = SilentError;
    xmlXPathObjectPtr result = xmlXPathEvalExpression(X(path), ctx);
    if (result && result->type == XPATH_NODESET && result->nodesetval) {
        for (int i = 0; i < result->nodesetval->nodeNr; ++i)
            out.append(result->nodesetval->nodeTab[i]);
    }
    if (result)
        xmlXPathFreeObject(result);
    xmlXPathFreeContext(ctx);
    return out;
}

xmlNodePtr FirstAny(xmlNodePtr node, const QString &xpath)
{
    const QList<xmlNodePtr> all = Evaluate(node, xpath, true);
    return all.isEmpty() ? nullptr : all.first();
}

QByteArray CheckedName(const QString &name)
{
    const QByteArray n = name.toUtf8();
    if (n.isEmpty() || xmlValidateName(X(n), 0) != 0)
        throw XmlError(QStringLiteral("Invalid element or attribute name: ") + name);
    return n;
}

xmlNodePtr NewChild(const XmlNode &parent, const QString &name)
{
    if (parent.IsNull())
        throw XmlError(QStringLiteral("Cannot append \"%1\" to an empty node").arg(name));
    const QByteArray n = CheckedName(name);
    xmlNodePtr el = xmlNewDocNode(parent.Raw()->doc, nullptr, X(n), nullptr);
    if (!el || !xmlAddChild(parent.Raw(), el))
        throw XmlError(QStringLiteral("Cannot create the element ") + name);
    return el;
}

bool IsXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The text as UTF-8 without the characters XML 1.0 cannot carry (most
// control characters, U+FFFE/U+FFFF, lone surrogates). libxml2 would write
// them as character references that no parser, ours included, accepts, so
// one stray byte in a member's text would make the whole document unreadable.
QByteArray XmlText(const QString &value)
{
    const qsizetype n = value.size();
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t u = value[i].unicode();
        if (u >= 0x20 && u <= 0xD7FF)
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(value[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (!IsXmlChar(u) || QChar::isSurrogate(u))
            break;
    }
    if (i == n)
        return value.toUtf8();
    QString clean;
    clean.reserve(n);
    clean.append(QStringView(value).left(i));
    for (; i < n; ++i) {
        const char16_t u = value[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(value[i + 1].unicode())) {
            clean.append(value[i]);
            clean.append(value[++i]);
        } else if (!QChar::isSurrogate(u) && IsXmlChar(u)) {
            clean.append(value[i]);
        }
    }
    return clean.toUtf8();
}

bool IsPlainXmlAsciiByte(unsigned char c)
{
    return c < 0x80 && (c >= 0x20 || c == '\t' || c == '\n' || c == '\r');
}

// Bytes that are the same in UTF-8 and in ASCII and that XML 1.0 carries as they are.
// Eight at a time: a hot deal's page is tens of megabytes.
bool IsPlainXmlAscii(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    constexpr quint64 High = 0x8080808080808080ull, Space = 0x2020202020202020ull;
    qsizetype i = 0;
#ifdef __SSE2__
    // Sixteen at a time where the processor allows: a byte is plain when,
    // taken as signed, it is above 0x1f (a space up to 0x7f), or a tab, line
    // feed or carriage return.
    const __m128i belowSpace = _mm_set1_epi8(0x1f), tab = _mm_set1_epi8('\t'), lineFeed = _mm_set1_epi8('\n'),
                  carriageReturn = _mm_set1_epi8('\r');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        const __m128i plain =
            _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi8(v, belowSpace), _mm_cmpeq_epi8(v, tab)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, lineFeed), _mm_cmpeq_epi8(v, carriageReturn)));
        if (_mm_movemask_epi8(plain) != 0xffff)
            return false;
    }
#endif
    for (; i + 8 <= n; i += 8) {
        quint64 w;
        std::memcpy(&w, p + i, 8);
        if (w & High)
            return false;
        // A byte below 0x20 (all are below 0x80 here) borrows into its top bit.
        if ((w - Space) & ~w & High) {
            for (int k = 0; k < 8; ++k) {
                if (!IsPlainXmlAsciiByte(static_cast<unsigned char>(p[i + k])))
                    return false;
            }
        }
    }
    for (; i < n; ++i) {
        if (!IsPlainXmlAsciiByte(static_cast<unsigned char>(p[i])))
            return false;
    }
    return true;
}

void SetChildText(xmlNodePtr element, const QByteArray &utf8, const QString &name)
{
    if (utf8.isEmpty())
        return;
    xmlNodePtr text = xmlNewDocTextLen(element->doc, X(utf8), int(utf8.size()));
    if (!text || !xmlAddChild(element, text)) {
        if (text)
            xmlFreeNode(text);
        throw XmlError(QStringLiteral("Cannot set the text of ") + name);
    }
}

int AppendToBytes(void *context, const char *buffer, int len)
{
    static_cast<QByteArray *>(context)->append(buffer, len);
    return len;
}

int WriteToDevice(void *context, const char *buffer, int len)
{
    return static_cast<QIODevice *>(context)->write(buffer, len) == len ? len : -1;
}

// Serializes the node exactly as xmlNodeDump does, but hands the text to the
// writer in pieces as it is made instead of collecting it in libxml2's own
// buffer, which would then have to be copied whole.
bool DumpNode(xmlNodePtr node, xmlOutputWriteCallback write, void *context)
{
    xmlOutputBufferPtr out = xmlOutputBufferCreateIO(write, nullptr, context, nullptr);
    if (!out)
        return false;
    xmlNodeDumpOutput(out, node->doc, node, 0, 0, nullptr);
    xmlOutputBufferFlush(out);
    const bool ok = out->error == 0;
    return xmlOutputBufferClose(out) >= 0 && ok;
}

constexpr int ParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Layout whitespace: blanks with no carriage return (one is written as a
// character reference, which the parser keeps).
bool IsLayoutBlank(const xmlChar *text)
{
    if (!text)
        return false;
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n')
            return false;
    }
    return true;
}

// The node after `n` in document order below `top`, or null at the end:
// depth first without recursion, since a hostile answer may nest deeply.
// Only elements (and `top` itself) are entered.
xmlNodePtr NextBelow(xmlNodePtr n, xmlNodePtr top)
{
    if ((n->type == XML_ELEMENT_NODE || n == top) && n->children)
        return n->children;
    while (n && n != top && !n->next)
        n = n->parent;
    return !n || n == top ? nullptr : n->next;
}

// The parser drops whitespace between elements only where it was written
// as is; written as character references ("&#32;") it stays, and the next
// read of our own writing would drop it. Dropping it here as the parser
// would drop it written plainly makes write -> read -> write stable: the
// same rule, child by child (a blank text that is the only child, or that
// follows a first text child, stays).
void DropLayoutBlanks(xmlNodePtr element)
{
    for (xmlNodePtr n = element; n; n = NextBelow(n, element)) {
        if (n->type == XML_ELEMENT_NODE && xmlNodeGetSpacePreserve(n) != 1) {
            xmlNodePtr firstKept = nullptr;
            for (xmlNodePtr c = n->children; c;) {
                xmlNodePtr next = c->next;
                const bool drop = c->type == XML_TEXT_NODE && IsLayoutBlank(c->content) &&
                                  (c->prev == nullptr || c->prev->type != XML_TEXT_NODE) &&
                                  (firstKept ? firstKept->type != XML_TEXT_NODE : next != nullptr);
                if (drop) {
                    xmlUnlinkNode(c);
                    xmlFreeNode(c);
                } else if (!firstKept) {
                    firstKept = c;
                }
                c = next;
            }
            // The parser joins neighbouring texts of one kind, so the
            // neighbours a dropped blank leaves are joined here as well.
            for (xmlNodePtr c = n->children; c && c->next;) {
                xmlNodePtr next = c->next;
                if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && next->type == c->type) {
                    xmlNodeAddContent(c, next->content);
                    xmlUnlinkNode(next);
                    xmlFreeNode(next);
                } else {
                    c = next;
                }
            }
        }
    }
}

} // namespace

// --- XmlNode ------------------------------------------------------------------------

QString XmlNode::Name() const
{
    return m_node ? FromX(m_node->name) : QString();
}

XmlNode XmlNode::Select(const QString &xpath) const
{
    for (xmlNodePtr n : Evaluate(m_node, xpath, true)) {
        if (n->type == XML_ELEMENT_NODE)
            return XmlNode(m_doc, n);
        break;
    }
    return {};
}

QList<XmlNode> XmlNode::SelectAll(const QString &xpath) const
{
    QList<XmlNode> out;
    for (xmlNodePtr n : Evaluate(m_node, xpath)) {
        if (n->type == XML_ELEMENT_NODE)
            out.append(XmlNode(m_doc, n));
    }
    return out;
}

QList<XmlNode> XmlNode::Children() const
{
    QList<XmlNode> out;
    if (!m_node)
        return out;
    for (xmlNodePtr c = m_node->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE)
            out.append(XmlNode(m_doc, c));
    }
    return out;
}

QString XmlNode::Text() const
{
    return m_node ? TakeX(xmlNodeGetContent(m_node)) : QString();
}

QString XmlNode::ChildText(const QString &xpath) const
{
    return GetChildText(*this, xpath);
}

QString XmlNode::Attr(const QString &name) const
{
    if (!m_node || m_node->type != XML_ELEMENT_NODE)
        return {};
    return TakeX(xmlGetNoNsProp(m_node, X(name.toUtf8())));
}

bool XmlNode::HasAttr(const QString &name) const
{
    return m_node && m_node->type == XML_ELEMENT_NODE && xmlHasProp(m_node, X(name.toUtf8()));
}

QByteArray XmlNode::ToXml() const
{
    QByteArray out;
    if (m_node)
        DumpNode(m_node, &AppendToBytes, &out);
    return out;
}

bool XmlNode::WriteXml(QIODevice &device) const
{
    return m_node && DumpNode(m_node, &WriteToDevice, &device);
}

XmlNode XmlNode::AddChild(const QString &name, const QString &value)
{
    xmlNodePtr el = NewChild(*this, name);
    SetChildText(el, XmlText(value), name);
    return XmlNode(m_doc, el);
}

XmlNode XmlNode::AddChildUtf8(const QString &name, const QByteArray &value)
{
    if (!IsPlainXmlAscii(value))
        return AddChild(name, QString::fromUtf8(value));
    xmlNodePtr el = NewChild(*this, name);
    SetChildText(el, value, name);
    return XmlNode(m_doc, el);
}

XmlNode XmlNode::AddChildUtf8(const QString &name, QIODevice &source)
{
    if (source.isSequential())
        return AddChildUtf8(name, source.readAll());
    const qint64 size = source.size() - source.pos();
    if (size <= 0)
        return AddChildUtf8(name, QByteArray());
    // Read into the buffer the text node then owns: no copy of it is made.
    auto *buffer = static_cast<xmlChar *>(xmlMallocAtomic(size_t(size) + 1));
    if (!buffer)
        throw XmlError(QStringLiteral("Not enough memory for the text of ") + name);
    AdviseHugePages(buffer, size_t(size) + 1);
    qint64 got = 0;
    while (got < size) {
        const qint64 n = source.read(reinterpret_cast<char *>(buffer) + got, size - got);
        if (n < 0) {
            xmlFree(buffer);
            throw XmlError(QStringLiteral("Cannot read the text of %1: %2").arg(name, source.errorString()));
        }
        if (n == 0)
            break;
        got += n;
    }
    buffer[got] = 0;
    const QByteArray read = QByteArray::fromRawData(reinterpret_cast<const char *>(buffer), qsizetype(got));
    if (!IsPlainXmlAscii(read)) {
        XmlNode child;
        try {
            child = AddChild(name, QString::fromUtf8(read));
        } catch (...) {
            xmlFree(buffer);
            throw;
        }
        xmlFree(buffer);
        return child;
    }
    xmlNodePtr el = nullptr;
    xmlNodePtr text = nullptr;
    try {
        el = NewChild(*this, name);
    } catch (...) {
        xmlFree(buffer);
        throw;
    }
    if (got > 0)
        text = xmlNewDocTextLen(el->doc, nullptr, 0);
    if (text)
        text->content = buffer;
    else
        xmlFree(buffer);
    if (got > 0 && (!text || !xmlAddChild(el, text))) {
        if (text)
            xmlFreeNode(text);
        throw XmlError(QStringLiteral("Cannot set the text of ") + name);
    }
    return XmlNode(m_doc, el);
}

XmlNode XmlNode::AddChildCData(const QString &name, const QString &value)
{
    xmlNodePtr el = NewChild(*this, name);
    const QByteArray v = XmlText(value);
    xmlNodePtr cdata = xmlNewCDataBlock(el->doc, X(v), v.size());
    if (!cdata || !xmlAddChild(el, cdata))
        throw XmlError(QStringLiteral("Cannot set the text of ") + name);
    return XmlNode(m_doc, el);
}

XmlNode XmlNode::AddChildInt(const QString &name, qint64 value)
{
    return AddChild(name, QString::number(value));
}

XmlNode XmlNode::AddChildFloat(const QString &name, double value)
{
    // QString::number never follows the user's locale.
    return AddChild(name, QString::number(value, 'f', 2));
}

XmlNode XmlNode::AppendCopy(const XmlNode &node)
{
    if (IsNull() || node.IsNull())
        throw XmlError(QStringLiteral("Cannot append to an empty node"));
    xmlNodePtr copy = xmlDocCopyNode(node.Raw(), m_node->doc, 1);
    if (!copy || !xmlAddChild(m_node, copy))
        throw XmlError(QStringLiteral("Cannot copy the node ") + node.Name());
    return XmlNode(m_doc, copy);
}

void XmlNode::SetAttr(const QString &name, const QString &value)
{
    if (IsNull() || m_node->type != XML_ELEMENT_NODE)
        throw XmlError(QStringLiteral("Cannot set the attribute \"%1\" of an empty node").arg(name));
    const QByteArray n = CheckedName(name);
    if (!xmlSetProp(m_node, X(n), X(XmlText(value))))
        throw XmlError(QStringLiteral("Cannot set the attribute ") + name);
}

void XmlNode::SetText(const QString &value)
{
    if (IsNull())
        throw XmlError(QStringLiteral("Cannot set the text of an empty node"));
    // xmlNodeSetContent takes entity syntax; the escaped form keeps the text literal.
    xmlChar *escaped = xmlEncodeSpecialChars(m_node->doc, X(XmlText(value)));
    xmlNodeSetContent(m_node, escaped);
    xmlFree(escaped);
}

void XmlNode::Remove()
{
    if (!m_node)
        return;
    xmlUnlinkNode(m_node);
    xmlFreeNode(m_node);
    m_node = nullptr;
}

// --- XmlDoc -----------------------------------------------------------------------------

XmlDoc::XmlDoc(_xmlDoc *doc) : m_doc(Own(doc)) {}

XmlDoc XmlDoc::Create(const QString &rootName)
{
    NetInit::Ensure();
    xmlDocPtr doc = xmlNewDoc(X("1.0"));
    if (!doc)
        throw XmlError(QStringLiteral("Cannot create a document"));
    XmlDoc out(doc);
    // UTF-8 on output instead of character references.
    doc->encoding = xmlStrdup(X("UTF-8"));
    const QByteArray n = CheckedName(rootName);
    xmlNodePtr root = xmlNewDocNode(doc, nullptr, X(n), nullptr);
    xmlDocSetRootElement(doc, root);
    return out;
}

XmlDoc XmlDoc::Parse(const QByteArray &text, QString *error)
{
    return Reader().Parse(text, error);
}

XmlDoc::Reader::Reader()
{
    NetInit::Ensure();
    m_ctxt = xmlNewParserCtxt();
}

XmlDoc::Reader::~Reader()
{
    if (m_ctxt)
        xmlFreeParserCtxt(m_ctxt);
}

XmlDoc XmlDoc::Reader::Parse(const QByteArray &text, QString *error)
{
    xmlParserCtxtPtr ctxt = m_ctxt;
    if (!ctxt) {
        if (error)
            *error = QStringLiteral("out of memory");
        return {};
    }
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, text.constData(), text.size(), nullptr, nullptr, ParseOptions);
    // Server answers carry no document type: one that does could declare
    // entities whose expansion is the attack, so it is refused whole.
    if (doc && (doc->intSubset || doc->extSubset)) {
        if (error)
            *error = QStringLiteral("a document type declaration is not accepted");
        xmlFreeDoc(doc);
        return {};
    }
    if (!doc || !ctxt->wellFormed || !xmlDocGetRootElement(doc)) {
        if (error) {
            xmlErrorPtr e = xmlCtxtGetLastError(ctxt);
            *error = e && e->message ? QString::fromUtf8(e->message).trimmed() : QStringLiteral("not well-formed");
        }
        if (doc)
            xmlFreeDoc(doc);
        return {};
    }
    DropLayoutBlanks(xmlDocGetRootElement(doc));
    if (!doc->encoding)
        doc->encoding = xmlStrdup(X("UTF-8"));
    return XmlDoc(doc);
}

namespace {

// What the outline pass sees: the root's children and where they stand.
struct OutlineScan
{
    const QByteArray *text = nullptr;
    int depth = 0;
    bool refused = false;   // a document type declaration
    bool uncuttable = false;
    qsizetype start = -1;
    QString name;
    QList<XmlDoc::Part> children;
    // The current child's own children.
    bool itemsUncuttable = false;
    qsizetype itemStart = -1;
    QString itemName;
    const xmlChar *itemLocalName = nullptr;  // names are interned: the last one is shared
    std::vector<XmlDoc::Part> items;
};

// Where the start tag just read begins: a start tag holds no "<" (not even
// in attribute values).
qsizetype StartTagOffset(xmlParserCtxtPtr ctxt, const QByteArray &text)
{
    const long end = xmlByteConsumed(ctxt);
    qsizetype at = end > 0 ? qsizetype(end) - 1 : -1;
    while (at >= 0 && at < text.size() && text.at(at) != '<')
        --at;
    return at;
}

OutlineScan &ScanOf(void *ctx)
{
    return *static_cast<OutlineScan *>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void OutlineStart(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *, int namespaces,
                  const xmlChar **, int attributes, int, const xmlChar **attrs)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    OutlineScan &scan = ScanOf(ctx);
    ++scan.depth;
    if (scan.depth == 1) {
        // Offsets are of the text only when it is read as it stands; a part
        // cut from under namespace declarations would lose them.
        if (namespaces > 0 || (ctxt->input->buf && ctxt->input->buf->encoder))
            scan.uncuttable = true;
        // Nor the root's xml:space or xml:base, which its children inherit.
        for (int a = 0; a < attributes; ++a) {
            if (attrs[a * 5 + 1])
                scan.uncuttable = true;
        }
    } else if (scan.depth == 2) {
        scan.start = StartTagOffset(ctxt, *scan.text);
        scan.name = prefix ? QString() : FromX(localname);
        scan.items.clear();
        // Its children inherit its namespaces, xml:space and xml:base.
        scan.itemsUncuttable = namespaces > 0;
        for (int a = 0; a < attributes; ++a) {
            if (attrs[a * 5 + 1])
                scan.itemsUncuttable = true;
        }
    } else if (scan.depth == 3 && !scan.itemsUncuttable) {
        scan.itemStart = StartTagOffset(ctxt, *scan.text);
        if (prefix) {
            scan.itemsUncuttable = true;
        } else if (localname != scan.itemLocalName) {
            scan.itemName = FromX(localname);
            scan.itemLocalName = localname;
        }
    }
}

void OutlineEnd(void *ctx, const xmlChar *, const xmlChar *, const xmlChar *)
{
    OutlineScan &scan = ScanOf(ctx);
    if (scan.depth == 2) {
        const long end = xmlByteConsumed(static_cast<xmlParserCtxtPtr>(ctx));
        if (scan.start < 0 || end <= scan.start || end > scan.text->size() || scan.name.isEmpty()) {
            scan.uncuttable = true;
        } else {
            XmlDoc::Part part{scan.name, scan.start, qsizetype(end) - scan.start, {}};
            if (!scan.itemsUncuttable)
                part.children.swap(scan.items);
            scan.children.append(std::move(part));
        }
        scan.items.clear();
    } else if (scan.depth == 3 && !scan.itemsUncuttable) {
        const long end = xmlByteConsumed(static_cast<xmlParserCtxtPtr>(ctx));
        if (scan.itemStart <= scan.start || end <= scan.itemStart || end > scan.text->size())
            scan.itemsUncuttable = true;
        else
            scan.items.push_back({scan.itemName, scan.itemStart - scan.start, qsizetype(end) - scan.itemStart, {}});
    }
    --scan.depth;
}

void OutlineDoctype(void *ctx, const xmlChar *, const xmlChar *, const xmlChar *)
{
    ScanOf(ctx).refused = true;
}

} // namespace

XmlDoc XmlDoc::ParseOutline(const QByteArray &text, qsizetype minPartBytes, QList<Part> *parts, QString *error)
{
    NetInit::Ensure();
    parts->clear();
    // No part of a smaller text can be that large: one pass, not two.
    if (text.size() < minPartBytes)
        return Parse(text, error);
    // Only the structure, no tree, the text read in pieces as from a file:
    // the pass holds little beside the text. (Pulled, not pushed: the push
    // parser looks ahead for the end of each piece and was slower, at times
    // three times slower on a large answer.)
    OutlineScan scan;
    scan.text = &text;
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &OutlineStart;
    sax.endElementNs = &OutlineEnd;
    sax.internalSubset = &OutlineDoctype;
    sax.externalSubset = &OutlineDoctype;
    struct Source
    {
        const QByteArray &text;
        qsizetype at = 0;
        static int Read(void *context, char *buffer, int len)
        {
            auto *source = static_cast<Source *>(context);
            const int n = int(qMin(qsizetype(len), source->text.size() - source->at));
            std::memcpy(buffer, source->text.constData() + source->at, size_t(n));
            source->at += n;
            return n;
        }
    } source{text};
    xmlParserCtxtPtr ctxt =
        xmlCreateIOParserCtxt(&sax, nullptr, &Source::Read, nullptr, &source, XML_CHAR_ENCODING_NONE);
    if (!ctxt)
        return Parse(text, error);
    ctxt->_private = &scan;
    xmlCtxtUseOptions(ctxt, ParseOptions);
    xmlParseDocument(ctxt);
    const bool wellFormed = ctxt->wellFormed && !scan.refused;
    xmlFreeParserCtxt(ctxt);
    // The parse of the whole text gives the same verdict and reason.
    if (!wellFormed || scan.uncuttable)
        return Parse(text, error);

    QSet<QString> large;
    for (const Part &p : std::as_const(scan.children)) {
        if (p.size >= minPartBytes)
            large.insert(p.name);
    }
    if (large.isEmpty())
        return Parse(text, error);
    QByteArray rest;
    qsizetype from = 0;
    for (Part &p : scan.children) {
        if (!large.contains(p.name))
            continue;
        rest.append(text.constData() + from, p.offset - from);
        from = p.offset + p.size;
        parts->append(std::move(p));
    }
    rest.append(text.constData() + from, text.size() - from);
    XmlDoc doc = Parse(rest, error);
    if (doc.IsNull()) {
        parts->clear();
        return Parse(text, error);
    }
    return doc;
}

XmlDoc XmlDoc::LoadFile(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return {};
    }
    return Parse(f.readAll(), error);
}

XmlNode XmlDoc::Root() const
{
    return m_doc ? XmlNode(m_doc, xmlDocGetRootElement(m_doc.get())) : XmlNode();
}

XmlNode XmlDoc::SetRootCopy(const XmlNode &node)
{
    if (!m_doc || node.IsNull())
        throw XmlError(QStringLiteral("Cannot set an empty root"));
    xmlNodePtr copy = xmlDocCopyNode(node.Raw(), m_doc.get(), 1);
    if (!copy)
        throw XmlError(QStringLiteral("Cannot copy the node ") + node.Name());
    xmlNodePtr old = xmlDocSetRootElement(m_doc.get(), copy);
    if (old) {
        xmlUnlinkNode(old);
        xmlFreeNode(old);
    }
    return XmlNode(m_doc, copy);
}

QByteArray XmlDoc::ToXml(bool declaration) const
{
    if (!m_doc)
        return {};
    if (!declaration)
        return Root().ToXml();
    xmlChar *mem = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(m_doc.get(), &mem, &size, "UTF-8");
    QByteArray out(reinterpret_cast<const char *>(mem), size);
    xmlFree(mem);
    return out;
}

bool XmlDoc::SaveFile(const QString &path, QString *error) const
{
    if (!m_doc) {
        if (error)
            *error = QStringLiteral("no document");
        return false;
    }
    return SaveFileAtomic(path, ToXml(true), error);
}

// --- XmlReadStream -------------------------------------------------------------------------

namespace {

// How the serializer writes a character of a text node (no output encoding):
// null when as it stands.
struct TextEscapes
{
    const char *text[256] = {};
    unsigned char extra[256] = {};
    constexpr TextEscapes()
    {
        text[int('<')] = "&lt;";
        text[int('>')] = "&gt;";
        text[int('&')] = "&amp;";
        text[int('\r')] = "&#13;";
        extra[int('<')] = 3;
        extra[int('>')] = 3;
        extra[int('&')] = 4;
        extra[int('\r')] = 4;
    }
};
constexpr TextEscapes Escapes;

const char *TextEscape(char c)
{
    return Escapes.text[static_cast<unsigned char>(c)];
}

// A hot deal's page is tens of megabytes: where the processor has SSE2 the
// bytes to escape are looked for sixteen at a time.
qint64 EscapedSize(const char *text, qsizetype size)
{
    qint64 n = size;
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i lt = _mm_set1_epi8('<'), gt = _mm_set1_epi8('>'), amp = _mm_set1_epi8('&'), cr = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    while (size - i >= 16) {
        // Counted per byte lane (a match subtracts -1), so at most 255 rounds
        // before the lanes are added up.
        __m128i three = zero, four = zero;
        const qsizetype rounds = qMin<qsizetype>((size - i) / 16, 255);
        for (qsizetype r = 0; r < rounds; ++r, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
            three = _mm_sub_epi8(three, _mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)));
            four = _mm_sub_epi8(four, _mm_or_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(v, cr)));
        }
        const __m128i sum3 = _mm_sad_epu8(three, zero), sum4 = _mm_sad_epu8(four, zero);
        n += 3 * (_mm_cvtsi128_si32(sum3) + _mm_extract_epi16(sum3, 4)) +
             4 * (_mm_cvtsi128_si32(sum4) + _mm_extract_epi16(sum4, 4));
    }
#endif
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    for (; i < size; ++i)
        n += Escapes.extra[p[i]];
    return n;
}

// Where the next byte to escape stands in [from, end); `end` when none.
qsizetype NextEscape(const char *text, qsizetype from, qsizetype end)
{
#ifdef __SSE2__
    const __m128i lt = _mm_set1_epi8('<'), gt = _mm_set1_epi8('>'), amp = _mm_set1_epi8('&'), cr = _mm_set1_epi8('\r');
    for (; end - from >= 16; from += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + from));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(v, cr)));
        if (const int mask = _mm_movemask_epi8(hit))
            return from + __builtin_ctz(unsigned(mask));
    }
#endif
    while (from < end && !TextEscape(text[from]))
        ++from;
    return from;
}

// Stands in for a large text while the rest is written: XML text never holds
// U+0001 (the writers drop it, the parser refuses it), so each one in the
// output marks where a large text goes.
xmlChar g_textMark[] = "\x01";

} // namespace

XmlReadStream::XmlReadStream(const XmlNode &node) : m_node(node)
{
    xmlNodePtr top = node.Raw();
    if (!top)
        return;
    struct Large
    {
        xmlNodePtr node;
        xmlChar *content;
    };
    QList<Large> large;
    for (xmlNodePtr n = top; n; n = NextBelow(n, top)) {
        // Measured up to the size that makes a text large, not to its end.
        if (n->type == XML_TEXT_NODE && n->name != xmlStringTextNoenc && n->content &&
            n->content != reinterpret_cast<xmlChar *>(&n->properties) &&
            qsizetype(strnlen(reinterpret_cast<const char *>(n->content), size_t(LargeTextBytes))) >= LargeTextBytes)
            large.append({n, n->content});
    }
    QByteArray outline;
    if (!large.isEmpty()) {
        for (const Large &l : std::as_const(large))
            l.node->content = g_textMark;
        outline = node.ToXml();
        for (const Large &l : std::as_const(large))
            l.node->content = l.content;
    }
    if (large.isEmpty() || outline.count('\x01') != large.size()) {
        m_pieces.append({node.ToXml(), nullptr, 0});
        m_size = m_pieces.first().bytes.size();
        return;
    }
    qsizetype from = 0;
    for (const Large &l : std::as_const(large)) {
        const qsizetype mark = outline.indexOf('\x01', from);
        m_pieces.append({outline.mid(from, mark - from), nullptr, 0});
        const auto *text = reinterpret_cast<const char *>(l.content);
        const qsizetype size = qsizetype(std::strlen(text));
        m_pieces.append({QByteArray(), text, size});
        m_size += m_pieces[m_pieces.size() - 2].bytes.size() + EscapedSize(text, size);
        from = mark + 1;
    }
    m_pieces.append({outline.mid(from), nullptr, 0});
    m_size += m_pieces.last().bytes.size();
}

const QByteArray *XmlReadStream::Whole() const
{
    return m_pieces.size() == 1 ? &m_pieces.first().bytes : nullptr;
}

qint64 XmlReadStream::Read(char *out, qint64 max)
{
    qint64 n = 0;
    while (n < max) {
        if (!m_pending.isEmpty()) {
            const qint64 take = qMin(qint64(m_pending.size()), max - n);
            std::memcpy(out + n, m_pending.constData(), size_t(take));
            m_pending.remove(0, qsizetype(take));
            n += take;
            continue;
        }
        if (m_piece >= m_pieces.size())
            break;
        const Piece &p = m_pieces[m_piece];
        if (!p.text) {
            const qint64 take = qMin(qint64(p.bytes.size() - m_at), max - n);
            std::memcpy(out + n, p.bytes.constData() + m_at, size_t(take));
            m_at += qsizetype(take);
            n += take;
        } else {
            while (n < max && m_at < p.textSize) {
                const qsizetype end = qMin(p.textSize, m_at + qsizetype(max - n));
                const qsizetype run = NextEscape(p.text, m_at, end);
                if (run > m_at) {
                    std::memcpy(out + n, p.text + m_at, size_t(run - m_at));
                    n += run - m_at;
                    m_at = run;
                    continue;
                }
                const auto c = static_cast<unsigned char>(p.text[m_at++]);
                const char *escape = Escapes.text[c];
                const qint64 length = qint64(Escapes.extra[c]) + 1;
                const qint64 take = qMin(length, max - n);
                std::memcpy(out + n, escape, size_t(take));
                n += take;
                if (take < length) {
                    m_pending = QByteArray(escape + take, qsizetype(length - take));
                    break;
                }
            }
        }
        if (m_at >= (p.text ? p.textSize : p.bytes.size())) {
            ++m_piece;
            m_at = 0;
        }
    }
    return n;
}

bool XmlReadStream::Seek(qint64 offset)
{
    m_piece = 0;
    m_at = 0;
    m_pending.clear();
    char scratch[16 * 1024];
    while (offset > 0) {
        const qint64 got = Read(scratch, qMin(offset, qint64(sizeof scratch)));
        if (got <= 0)
            return false;
        offset -= got;
    }
    return true;
}

// --- helpers -------------------------------------------------------------------------------

bool SaveFileAtomic(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

int ParseLeadingInt(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' ||
                               text[i] == u'\v' || text[i] == u'\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > qint64(INT_MAX) + 1)
            value = qint64(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return int(qBound(qint64(INT_MIN), value, qint64(INT_MAX)));
}

QString CutToChars(const QString &text, int maxChars)
{
    if (maxChars <= 0)
        return {};
    qsizetype i = 0;
    int chars = 0;
    while (i < text.size() && chars < maxChars) {
        i += (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        ++chars;
    }
    return text.left(i);
}

namespace {

// Local wall time to seconds; 0 when the date or time is not valid. mktime,
// under Qt's local time, re-reads the zone file's status on every call, and a
// poll converts a date per item: the last offset is tried first and proved by
// localtime_r, which does not.
XmlTime LocalSeconds(const QDate &date, const QTime &time)
{
    const qint64 wall = (date.toJulianDay() - 2440588) * 86400 + time.msecsSinceStartOfDay() / 1000;
    thread_local std::optional<qint64> lastOffset;
    if (lastOffset) {
        const time_t guess = time_t(wall - *lastOffset);
        tm local{};
        if (localtime_r(&guess, &local) && local.tm_gmtoff == *lastOffset && local.tm_sec == time.second() &&
            local.tm_min == time.minute() && local.tm_hour == time.hour() && local.tm_mday == date.day() &&
            local.tm_mon + 1 == date.month() && local.tm_year + 1900 == date.year())
            return guess;
    }
    const QDateTime dt(date, time, Qt::LocalTime);
    if (!dt.isValid())
        return 0;
    const qint64 seconds = dt.toSecsSinceEpoch();
    lastOffset = wall - seconds;
    return seconds;
}

} // namespace

namespace {

// Reads between `least` and `most` ASCII digits at `i` (and no more follow).
bool ReadDigits(QStringView t, qsizetype &i, int least, int most, int &value)
{
    int n = 0;
    value = 0;
    while (i < t.size() && n < most && t[i] >= u'0' && t[i] <= u'9') {
        value = value * 10 + (t[i].unicode() - u'0');
        ++i;
        ++n;
    }
    return n >= least && !(i < t.size() && t[i] >= u'0' && t[i] <= u'9');
}

bool Skip(QStringView t, qsizetype &i, char16_t ch)
{
    if (i < t.size() && t[i] == ch) {
        ++i;
        return true;
    }
    return false;
}

// "YYYY-MM-DD" with "[T ]HH:MM[:SS[.fraction]]" optional. A hand-written
// reader: a poll reads a date per item, and a regular expression per date
// was a visible share of it.
bool ReadIsoDate(QStringView t, int &y, int &mo, int &d, int &h, int &mi, int &s)
{
    qsizetype i = 0;
    if (!ReadDigits(t, i, 4, 4, y) || !Skip(t, i, u'-') || !ReadDigits(t, i, 1, 2, mo) || !Skip(t, i, u'-') ||
        !ReadDigits(t, i, 1, 2, d))
        return false;
    if (i == t.size())
        return true;
    if (!Skip(t, i, u'T') && !Skip(t, i, u' '))
        return false;
    if (!ReadDigits(t, i, 1, 2, h) || !Skip(t, i, u':') || !ReadDigits(t, i, 2, 2, mi))
        return false;
    if (i == t.size())
        return true;
    if (!Skip(t, i, u':') || !ReadDigits(t, i, 2, 2, s))
        return false;
    if (i == t.size())
        return true;
    if (!Skip(t, i, u'.'))
        return false;
    const qsizetype from = i;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
        ++i;
    return i > from && i == t.size();
}

// "MM/DD/YYYY" with " +HH:MM[:SS][ *AM|PM]" optional; `ampm` 0, 'A' or 'P'.
bool ReadUsDate(QStringView t, int &y, int &mo, int &d, int &h, int &mi, int &s, char &ampm)
{
    qsizetype i = 0;
    if (!ReadDigits(t, i, 1, 2, mo) || !Skip(t, i, u'/') || !ReadDigits(t, i, 1, 2, d) || !Skip(t, i, u'/') ||
        !ReadDigits(t, i, 4, 4, y))
        return false;
    if (i == t.size())
        return true;
    if (!Skip(t, i, u' '))
        return false;
    while (Skip(t, i, u' ')) {
    }
    if (!ReadDigits(t, i, 1, 2, h) || !Skip(t, i, u':') || !ReadDigits(t, i, 2, 2, mi))
        return false;
    if (Skip(t, i, u':') && !ReadDigits(t, i, 2, 2, s))
        return false;
    while (Skip(t, i, u' ')) {
    }
    if (i == t.size())
        return true;
    if (i + 2 != t.size())
        return false;
    const char16_t a = t[i].unicode(), m = t[i + 1].unicode();
    if ((a != u'A' && a != u'a' && a != u'P' && a != u'p') || (m != u'M' && m != u'm'))
        return false;
    ampm = (a == u'A' || a == u'a') ? 'A' : 'P';
    return true;
}

} // namespace

XmlTime ParseServerDate(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char ampm = 0;
    if (ReadIsoDate(text, y, mo, d, h, mi, s)) {
    } else if (h = mi = s = 0; ReadUsDate(text, y, mo, d, h, mi, s, ampm)) {
        if (ampm) {
            if (h < 1 || h > 12)
                return 0;
            if (ampm == 'P' && h != 12)
                h += 12;
            else if (ampm == 'A' && h == 12)
                h = 0;
        }
    } else {
        return 0;
    }
    if (y < 1900)
        return 0;
    const QDate date(y, mo, d);
    const QTime time(h, mi, s);
    if (!date.isValid() || !time.isValid())
        return 0;
    return LocalSeconds(date, time);
}

// --- the operations ----------------------------------------------------------------------------

XmlDoc CreateDomDocument(const QString &rootName)
{
    return XmlDoc::Create(rootName);
}

XmlNode SelectNode(const XmlNode &node, const QString &xpath)
{
    return node.Select(xpath);
}

XmlNode AddChildElement(XmlNode parent, const QString &name, const QString &value)
{
    return parent.AddChild(name, value);
}

XmlNode AddChildElementMB(XmlNode parent, const QString &name, const QString &value)
{
    return parent.AddChildCData(name, value);
}

XmlNode AddChildElementInt(XmlNode parent, const QString &name, int value)
{
    return parent.AddChildInt(name, value);
}

XmlNode AddChildElementLong(XmlNode parent, const QString &name, qint64 value)
{
    return parent.AddChildInt(name, value);
}

XmlNode AddChildElementFloat(XmlNode parent, const QString &name, double value)
{
    return parent.AddChildFloat(name, value);
}

QString GetChildText(const XmlNode &node, const QString &xpath)
{
    xmlNodePtr n = FirstAny(node.Raw(), xpath);
    if (!n)
        return {};
    // A plain element holds one text node: read it without copying the subtree.
    if (n->type == XML_ELEMENT_NODE && n->children && !n->children->next &&
        (n->children->type == XML_TEXT_NODE || n->children->type == XML_CDATA_SECTION_NODE))
        return FromX(n->children->content);
    return TakeX(xmlNodeGetContent(n));
}

QString GetChildTextN(const XmlNode &node, const QString &xpath, int maxChars)
{
    return CutToChars(GetChildText(node, xpath), maxChars);
}

QString GetAttributeText(const XmlNode &element, const QString &name)
{
    return element.Attr(name);
}

XmlTime GetChildDate(const XmlNode &node, const QString &xpath)
{
    return ParseServerDate(GetChildText(node, xpath));
}

void ShowXmlError(const XmlError &error)
{
    const QString text = QStringLiteral("ErrorMessage: %1\nDescription: %2\nSource: %3\n")
                             .arg(QStringLiteral("XML error"), error.Message(), error.Source());
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(text, QStringLiteral("XML Error"), MsgBox::IconError);
}
