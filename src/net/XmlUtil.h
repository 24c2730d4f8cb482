#pragma once

// Server XML on libxml2. Two small value types carry it:
//  - XmlDoc owns a document (shared, so copies are cheap and nodes keep it alive);
//  - XmlNode is a handle to one node of a document; a null handle is allowed
//    everywhere and reads as empty.
// Readers never throw: a missing node or attribute reads as an empty text, a
// null node or 0. Writers throw XmlError (a null parent, a name that is not an
// XML name) and drop the characters XML 1.0 cannot carry from texts and
// attribute values, so what they write always parses back. Every parse forbids network access, entity expansion and DTD
// loading, and drops whitespace-only text nodes.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <memory>
#include <stdexcept>
#include <vector>

class QIODevice;
struct _xmlDoc;
struct _xmlNode;
struct _xmlParserCtxt;

class XmlError : public std::runtime_error
{
public:
    explicit XmlError(const QString &message, const QString &source = QStringLiteral("XML"))
        : std::runtime_error(message.toStdString()), m_message(message), m_source(source)
    {
    }
    QString Message() const { return m_message; }
    QString Source() const { return m_source; }

private:
    QString m_message;
    QString m_source;
};

class XmlNode
{
public:
    XmlNode() = default;
    XmlNode(std::shared_ptr<_xmlDoc> doc, _xmlNode *node) : m_doc(std::move(doc)), m_node(node) {}

    bool IsNull() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }
    QString Name() const;

    // --- readers (never throw) -----------------------------------------------
    // First element the XPath selects below this node; null when none.
    XmlNode Select(const QString &xpath) const;
    // Every element the XPath selects, in document order.
    QList<XmlNode> SelectAll(const QString &xpath) const;
    // Child elements in document order.
    QList<XmlNode> Children() const;
    // This node's own and its descendants' text.
    QString Text() const;
    // Text of the first node (element, attribute, text) the XPath selects.
    QString ChildText(const QString &xpath) const;
    QString Attr(const QString &name) const;
    bool HasAttr(const QString &name) const;
    // The node and its children as XML text (no declaration), written
    // straight into the array (no second copy of a large document).
    QByteArray ToXml() const;
    // The same text written piece by piece to the device; false when a write fails.
    bool WriteXml(QIODevice &device) const;

    // --- writers (throw XmlError) ----------------------------------------------
    XmlNode AddChild(const QString &name, const QString &value = QString());
    // The value given as UTF-8 bytes: printable ASCII (and tab, line feed,
    // carriage return) goes into the tree as it stands, without passing
    // through a QString; any other text is read as AddChild reads it.
    XmlNode AddChildUtf8(const QString &name, const QByteArray &value);
    // The same with the value read from the device's position to its end
    // straight into the tree, so a large text is held once; XmlError when
    // the device cannot be read.
    XmlNode AddChildUtf8(const QString &name, QIODevice &source);
    XmlNode AddChildCData(const QString &name, const QString &value);
    XmlNode AddChildInt(const QString &name, qint64 value);
    XmlNode AddChildFloat(const QString &name, double value);
    // Appends a deep copy of a node of any document; returns the copy.
    XmlNode AppendCopy(const XmlNode &node);
    void SetAttr(const QString &name, const QString &value);
    void SetText(const QString &value);
    // Detaches the node from its document and frees it; the handle becomes null.
    void Remove();

    _xmlNode *Raw() const { return m_node; }
    const std::shared_ptr<_xmlDoc> &Doc() const { return m_doc; }
    bool operator==(const XmlNode &o) const { return m_node == o.m_node; }

private:
    std::shared_ptr<_xmlDoc> m_doc;
    _xmlNode *m_node = nullptr;
};

class XmlDoc
{
public:
    XmlDoc() = default;
    // A new document with one root element.
    static XmlDoc Create(const QString &rootName);
    // Null document and a reason when the text is not well-formed XML.
    static XmlDoc Parse(const QByteArray &text, QString *error = nullptr);
    // Parses many small texts with one parser (Parse sets one up each time).
    class Reader
    {
    public:
        Reader();
        ~Reader();
        Reader(const Reader &) = delete;
        Reader &operator=(const Reader &) = delete;
        XmlDoc Parse(const QByteArray &text, QString *error = nullptr);

    private:
        _xmlParserCtxt *m_ctxt = nullptr;
    };
    static XmlDoc LoadFile(const QString &path, QString *error = nullptr);
    // A large answer read one list at a time: the document less every child
    // of the root named like one of at least `minPartBytes` (those go to
    // `parts`, as where they stand in the text, to be parsed on their own).
    // The whole text is checked as Parse checks it; a text that cannot be cut
    // so (another encoding than UTF-8, namespaces on the root) is parsed
    // whole, with no parts.
    struct Part
    {
        QString name;
        qsizetype offset = 0;
        qsizetype size = 0;
        // A cut part's own child elements, as where they stand in its text
        // (empty when the part cannot be cut so): its items are read one at
        // a time without another pass over the part.
        std::vector<Part> children;
    };
    static XmlDoc ParseOutline(const QByteArray &text, qsizetype minPartBytes, QList<Part> *parts,
                               QString *error = nullptr);

    bool IsNull() const { return !m_doc; }
    XmlNode Root() const;
    // Replaces the root by a deep copy of the node (any document); returns it.
    XmlNode SetRootCopy(const XmlNode &node);
    XmlNode Select(const QString &xpath) const { return Root().Select(xpath); }

    // The document as text; with a declaration and UTF-8 encoding when asked.
    QByteArray ToXml(bool declaration = true) const;
    // Writes to a temporary file and renames it over the path, so a reader
    // never sees half a file and a failed write keeps the old one.
    bool SaveFile(const QString &path, QString *error = nullptr) const;

    _xmlDoc *Raw() const { return m_doc.get(); }

private:
    explicit XmlDoc(_xmlDoc *doc);
    std::shared_ptr<_xmlDoc> m_doc;
};

// A node's XML text, exactly as ToXml writes it, read piece by piece: every
// text of at least LargeTextBytes is escaped straight from the tree as it is
// read instead of being held a second time. What a request body carrying a
// hot deal's page is sent from. The tree must not change while it is read.
class XmlReadStream
{
public:
    static constexpr qsizetype LargeTextBytes = 64 * 1024;

    explicit XmlReadStream(const XmlNode &node);
    // The whole text when the node holds no large text (it is then one piece).
    const QByteArray *Whole() const;
    qint64 Size() const { return m_size; }
    // Copies up to `max` of the next bytes; 0 at the end.
    qint64 Read(char *out, qint64 max);
    // Continues from `offset` bytes into the text; false past its end.
    bool Seek(qint64 offset);

private:
    struct Piece
    {
        QByteArray bytes;
        const char *text = nullptr;  // a large text of the tree, escaped as read
        qsizetype textSize = 0;
    };
    XmlNode m_node;  // keeps the document alive
    QList<Piece> m_pieces;
    qint64 m_size = 0;
    qsizetype m_piece = 0;
    qsizetype m_at = 0;
    QByteArray m_pending;  // the rest of an escape that did not fit
};

// Calendar time in whole seconds (local time); 0 means no date.
using XmlTime = qint64;

// Reads a date of the server's forms: "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS]",
// "YYYY-MM-DDTHH:MM:SS" (fraction ignored), "MM/DD/YYYY [HH:MM[:SS] [AM|PM]]".
// Anything else, an impossible date, or a year before 1900 gives 0.
XmlTime ParseServerDate(const QString &text);

// Base-10 integer as the C library reads it: leading blanks and a sign, then
// digits up to the first non-digit; no digits read as 0; clamped to int.
int ParseLeadingInt(QStringView text);

// Text cut to at most `maxChars` characters (code points; a character is
// never split).
QString CutToChars(const QString &text, int maxChars);

// Writes a file atomically (temporary file, then rename).
bool SaveFileAtomic(const QString &path, const QByteArray &data, QString *error = nullptr);

// The operations every reader and writer of server XML uses.
XmlDoc CreateDomDocument(const QString &rootName);
XmlNode SelectNode(const XmlNode &node, const QString &xpath);
XmlNode AddChildElement(XmlNode parent, const QString &name, const QString &value);
XmlNode AddChildElementMB(XmlNode parent, const QString &name, const QString &value);
XmlNode AddChildElementInt(XmlNode parent, const QString &name, int value);
XmlNode AddChildElementLong(XmlNode parent, const QString &name, qint64 value);
XmlNode AddChildElementFloat(XmlNode parent, const QString &name, double value);
QString GetChildText(const XmlNode &node, const QString &xpath);
QString GetChildTextN(const XmlNode &node, const QString &xpath, int maxChars);
QString GetAttributeText(const XmlNode &element, const QString &name);
XmlTime GetChildDate(const XmlNode &node, const QString &xpath);
// The "XML Error" box.
void ShowXmlError(const XmlError &error);
