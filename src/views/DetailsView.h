#pragma once

// The selected record's details: its detail XML rendered by a style sheet
// into the details pane. The one place that chooses the renderer.

#include <QByteArray>
#include <QString>

class IBrowserPane;

namespace DetailsView {

// HTML of the document through the sheet of the style-sheet folder; empty
// when the sheet is missing or the rendering failed (already reported).
QString Render(const QByteArray &xml, const QString &sheetName);
// Renders and shows it, or empties the pane when there is nothing to show.
void Show(IBrowserPane *pane, const QByteArray &xml, const QString &sheetName);

} // namespace DetailsView
