// Server XML through XmlDoc: any bytes parse or are refused without harm,
// every reader runs on what parsed, a parsed document prints and parses to
// the same text; and every text the writers accept reads back as written
// (less the characters XML cannot carry).

#include "FuzzCheck.h"

#include "net/XmlUtil.h"

namespace {

void Walk(const XmlNode &node, int depth, int &budget)
{
    if (node.IsNull() || depth > 64 || --budget < 0)
        return;
    node.Name();
    node.Text();
    node.Attr(QStringLiteral("result_code"));
    node.HasAttr(QStringLiteral("id"));
    ParseLeadingInt(node.Attr(QStringLiteral("warning_code")));
    GetChildDate(node, QStringLiteral("create_time"));
    GetChildTextN(node, QStringLiteral("name"), 16);
    node.Select(QStringLiteral("*"));
    for (const XmlNode &child : node.Children())
        Walk(child, depth + 1, budget);
}

// What the writers keep of a text: the characters XML 1.0 can carry.
QString Carried(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += text[i];
            out += text[++i];
        } else if (u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) || (u >= 0xE000 && u <= 0xFFFD)) {
            out += text[i];
        }
    }
    return out;
}

bool IsBlank(const QString &text)
{
    for (const QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);

    QString error;
    const XmlDoc doc = XmlDoc::Parse(bytes, &error);
    if (!doc.IsNull()) {
        int budget = 2000;
        Walk(doc.Root(), 0, budget);
        doc.Root().SelectAll(QStringLiteral("//query_list/query"));
        GetChildText(doc.Root(), QStringLiteral("error_message"));
        const QByteArray once = doc.ToXml(false);
        const XmlDoc again = XmlDoc::Parse(once, &error);
        FUZZ_CHECK(!again.IsNull(), QString::fromUtf8(once) + "\n" + error);
        FUZZ_CHECK(again.ToXml(false) == once, QString::fromUtf8(once));
    }

    const QString text = QString::fromUtf8(bytes);
    const QString carried = Carried(text);
    XmlDoc written = XmlDoc::Create(QStringLiteral("kv_request"));
    XmlNode root = written.Root();
    root.SetAttr(QStringLiteral("a"), text);
    root.AddChild(QStringLiteral("t"), text);
    root.AddChildCData(QStringLiteral("c"), text);
    const QByteArray xml = written.ToXml();
    const XmlDoc read = XmlDoc::Parse(xml, &error);
    FUZZ_CHECK(!read.IsNull(), Escaped(text) + "\n" + error);
    const XmlNode back = read.Root();
    FUZZ_CHECK(back.Attr(QStringLiteral("a")) == carried, Escaped(text) + "\n" + QString::fromUtf8(xml));
    const QString t = back.ChildText(QStringLiteral("t"));
    FUZZ_CHECK(t == carried || (IsBlank(carried) && t.isEmpty()), Escaped(text) + "\n" + QString::fromUtf8(xml));
    // A CDATA section cannot escape a carriage return: readers get line feeds.
    QString lf = carried;
    lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    FUZZ_CHECK(back.ChildText(QStringLiteral("c")) == lf, Escaped(text) + "\n" + QString::fromUtf8(xml));
    return 0;
}
