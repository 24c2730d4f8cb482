#include "DetailsView.h"

#include "app/AppCore.h"
#include "app/Utils.h"
#include "dialogs/PaneInterfaces.h"

#include <QFileInfo>

namespace DetailsView {

QString Render(const QByteArray &xml, const QString &sheetName)
{
    AppCore *app = theAppIfAny();
    if (!app || !QFileInfo::exists(app->GetXslFolder() + u'/' + sheetName))
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
