#include "DetailsView.h"

#include "app/AppCore.h"
#include "app/Utils.h"
#include "dialogs/PaneInterfaces.h"

namespace DetailsView {

QString Render(const QByteArray &xml, const QString &sheetName)
{
    // A missing sheet is reported like a broken one, once.
    if (!theAppIfAny())
        return {};
    return Utils::TransformXml(xml, sheetName);
}

void Show(IBrowserPane *pane, const QByteArray &xml, const QString &sheetName)
{
    if (!pane)
        return;
    const QString html = Render(xml, sheetName);
    if (html.isEmpty())
        pane->Clear();
    else
        pane->SetHtml(html);
}

} // namespace DetailsView
