#pragma once

// Shared by the query, quote and inventory tests (header only).

#include "DbFixture.h"
#include "TestEnv.h"

#include "net/XMarketPlaces.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdlib>
#include <ctime>

// The clock of every test is UTC, so dates in golden files do not move.
inline void PinTimeZone()
{
    qputenv("TZ", "UTC");
    tzset();
}

inline TestApp::Options WithTradeGlobals()
{
    TestApp::Options o;
    o.extra = {
        {GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }},
        {GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
    };
    return o;
}

inline void SetSampleProfile()
{
    theProfile().Update([](ProfileData &p) {
        p.name = "Own Name";
        p.email = "own@example.com";
        p.phone = "555-0100";
        p.city = "Springfield";
        p.company = "Own Parts";
        p.businessType = "Auto Recycler ";
        p.signature = "Own signature";
        p.qualification = "4";
    });
    theApp().GetSession().SetPassportId("P100");
}

// One element a line, so golden files read and diff well.
// The item a request builder appended, as a document of its own (golden files hold it so).
inline XmlDoc RequestItem(const XRequest &request, const QString &item)
{
    XmlDoc doc = XmlDoc::Create("kv_request");
    doc.SetRootCopy(request.GetRequestRoot().Select(item));
    return doc;
}

inline QByteArray PrettyXml(const QByteArray &xml)
{
    QByteArray out;
    QXmlStreamReader r(xml);
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(1);
    while (!r.atEnd()) {
        switch (r.readNext()) {
        case QXmlStreamReader::StartElement:
            w.writeStartElement(r.name().toString());
            w.writeAttributes(r.attributes());
            break;
        case QXmlStreamReader::EndElement:
            w.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (r.isCDATA())
                w.writeCDATA(r.text().toString());
            else
                w.writeCharacters(r.text().toString());
            break;
        default:
            break;
        }
    }
    return out + "\n";
}

// Compares the text with tests/fixtures/db/<name>; KORVANT_UPDATE_GOLDEN=1 rewrites the file.
inline bool MatchesGolden(QByteArray text, const QString &name, QString *why)
{
    text.replace(theApp().GetDataFolder().toUtf8(), "$DATA/");
    const QString path = TestEnv::SourceDir() + "/tests/fixtures/db/" + name;
    if (qEnvironmentVariableIntValue("KORVANT_UPDATE_GOLDEN")) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
        return true;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = "missing golden file " + path;
        return false;
    }
    const QByteArray expected = f.readAll();
    if (expected == text)
        return true;
    *why = QString("%1 differs:\n--- expected\n%2\n--- actual\n%3").arg(name, expected, text);
    return false;
}

#define QCOMPARE_GOLDEN(doc, name)                                                                            \
    do {                                                                                                      \
        QString why_;                                                                                         \
        QVERIFY2(MatchesGolden(PrettyXml((doc).ToXml(false)), name, &why_), qPrintable(why_));                     \
    } while (0)
