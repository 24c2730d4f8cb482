#include "XSLTransformer.h"

#include "AppCore.h"

namespace {

constexpr char kCaption[] = "Error of XSL transformation";

QString Fail(const QString &text)
{
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(text, QString::fromLatin1(kCaption), MsgBox::IconError);
    return QString();
}

} // namespace

QString XSLTransformer::SheetFile(int kind)
{
    static const char *const files[KindCount] = {"query-detail.xsl", "quote-detail.xsl", "message-detail.xsl",
                                                 "hotdeal.xsl",      "hotdeal-detail.xsl", "dashboard.xsl",
                                                 "order.xsl"};
    return kind >= 0 && kind < KindCount ? QString::fromLatin1(files[kind]) : QString();
}

bool XSLTransformer::LoadStylesheet(int slot, const QString &path, QString *error)
{
    Slot &s = m_slots[size_t(slot)];
    s.tried = true;
    // Under the override flag an edited sheet counts even within the same second.
    const AppCore *app = theAppIfAny();
    s.sheet = Utils::LoadXslSheet(path, &s.error, app && app->OverrideFlag());
    if (error)
        *error = s.error;
    return s.sheet != nullptr;
}

QString XSLTransformer::Transform(int kind, xmlDocPtr document)
{
    if (kind < 0 || kind >= KindCount)
        return QString();
    Slot &slot = m_slots[size_t(kind)];
    const AppCore *app = theAppIfAny();
    if (!slot.tried || (app && app->OverrideFlag())) {
        const QString path = (app ? app->GetXslFolder() : QString()) + u'/' + SheetFile(kind);
        QString error;
        if (!LoadStylesheet(kind, path, &error)) {
            slot.tried = true;
            slot.sheet.reset();
            slot.error = error.isEmpty() ? QStringLiteral("Cannot load %1").arg(path) : error;
        }
    }
    if (!slot.sheet)
        return Fail(slot.error);
    QString error;
    const QString html = Utils::ApplyXslSheet(slot.sheet, document, &error);
    if (!error.isEmpty())
        return Fail(error);
    return html;
}

XSLTransformer &theXSLTransformer()
{
    return Globals::Require<XSLTransformer>(GlobalSlot::XslTransformer, "theXSLTransformer");
}

XSLTransformer *theXSLTransformerIfAny()
{
    return Globals::As<XSLTransformer>(GlobalSlot::XslTransformer);
}
