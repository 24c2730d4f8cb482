#pragma once

// The widget side of the shared helpers: combo filling, the "Submission
// Error" box, opening an address in the member's browser, and the file-dialog
// filter conversion. Main thread only.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QComboBox;

namespace GuiUtils {

// Adds every string in list order; when the selection is not empty, selects
// the first item beginning with it (case-insensitive, searched from the second
// item and wrapping round), or inserts it at index 1 and selects that.
void FillComboBox(const QStringList &list, QComboBox *combo, const QString &selection);
// Empties the box, adds the one text and selects it.
void SetSingleComboItem(QComboBox *combo, const QString &text);
// Error box captioned "Submission Error" listing the fields ("- Make\n" ...).
void ShowSubmissionError(const QString &fields);
// The text of that box.
QString SubmissionErrorText(const QString &fields);

// Only web and mail addresses are handed to the desktop: anything else from a
// page or the server (file:, javascript:, custom handlers) is refused.
bool IsOpenableUrl(const QUrl &url);
// Opens the address in the member's browser; false when refused or failed.
// The window features of the original call have no meaning for an outside
// browser and are ignored.
bool OpenNewBrowserWindow(const QString &url, const QString &features = QString());
// Replaces what opens an accepted address (QDesktopServices::openUrl by
// default); tests record the calls. Returns the previous opener.
using UrlOpener = std::function<bool(const QUrl &)>;
UrlOpener SetUrlOpener(UrlOpener opener);

// "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||" -> Qt's
// "CSV Files (*.csv);;All Files (*)" list, one entry per pair.
QStringList ConvertFileFilter(const QString &windowsFilter);

// The same filters matching names in any case, as Windows does ("INVENT.CAP"
// under "*.cap"): each letter of a pattern becomes a set of both cases.
QStringList CaseInsensitiveFilters(const QStringList &qtFilters);

} // namespace GuiUtils
