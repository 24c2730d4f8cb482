#include "OrderPages.h"

#include "app/Utils.h"
#include "app/XSLTransformer.h"
#include "db/XOrderSet.h"

#include <QWidget>

namespace OrderPages {

QString Render(const XmlDoc &doc)
{
    if (XSLTransformer *xsl = theXSLTransformerIfAny())
        return xsl->Transform(XSLTransformer::Order, doc.Raw());
    return Utils::TransformXml(doc.Raw(), XSLTransformer::SheetFile(XSLTransformer::Order));
}

QString OrderHtml(const QString &orderId, int mode)
{
    XOrderSet set;
    if (orderId.isEmpty() || !set.SelectById(orderId))
        return {};
    static const char *roots[] = {"order-details", "details-print", "details-print-rcp"};
    const int kind = qBound(0, mode, 2);
    XmlDoc doc = XmlDoc::Create(QLatin1String(roots[kind]));
    set.BuildDetailXml(doc.Root(), kind);
    return Render(doc);
}

QString MainTitle(QWidget *parent)
{
    const QString title = parent ? parent->window()->windowTitle() : QString();
    return title.isEmpty() ? QStringLiteral("Korvant") : title;
}

} // namespace OrderPages
