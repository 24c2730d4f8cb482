#include "GuiUtils.h"

#include "app/AppCore.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QMessageBox>
#include <QRegularExpression>

namespace GuiUtils {

namespace {

UrlOpener &Opener()
{
    static UrlOpener opener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    return opener;
}

} // namespace

void FillComboBox(const QStringList &list, QComboBox *combo, const QString &selection)
{
    if (!combo)
        return;
    combo->addItems(list);
    if (selection.isEmpty())
        return;
    const int count = combo->count();
    for (int k = 1; k <= count; ++k) {
        const int i = k % count;
        if (combo->itemText(i).startsWith(selection, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    const int at = qMin(1, combo->count());
    combo->insertItem(at, selection);
    combo->setCurrentIndex(at);
}

void SetSingleComboItem(QComboBox *combo, const QString &text)
{
    if (!combo)
        return;
    combo->clear();
    combo->addItem(text);
    combo->setCurrentIndex(0);
}

QString SubmissionErrorText(const QString &fields)
{
    return QStringLiteral("Sorry, the following fields are invalid and/or missing:\n\n") + fields +
           QStringLiteral("\nPlease revise the above field(s) and try again.");
}

void ShowSubmissionError(const QString &fields)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Submission Error"), SubmissionErrorText(fields),
                    QMessageBox::Ok);
    box.setObjectName(QStringLiteral("submissionErrorBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool IsOpenableUrl(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https")
        return !url.host().isEmpty();
    return scheme == u"mailto" && !url.path().isEmpty();
}

bool OpenNewBrowserWindow(const QString &url, const QString &features)
{
    Q_UNUSED(features);
    const QUrl target(url.trimmed(), QUrl::StrictMode);
    if (!IsOpenableUrl(target)) {
        if (AppCore *app = theAppIfAny())
            app->WriteLog(QStringLiteral("refused to open the address \"%1\"").arg(url),
                          QStringLiteral("OpenNewBrowserWindow"), 3);
        return false;
    }
    if (Opener()(target))
        return true;
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("cannot open the address \"%1\"").arg(target.toDisplayString()),
                      QStringLiteral("OpenNewBrowserWindow"), 3);
    return false;
}

UrlOpener SetUrlOpener(UrlOpener opener)
{
    UrlOpener previous = Opener();
    Opener() = opener ? std::move(opener) : [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    return previous;
}

QStringList ConvertFileFilter(const QString &windowsFilter)
{
    QStringList out;
    const QStringList parts = windowsFilter.split(u'|');
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patternText = parts[i + 1].trimmed();
        if (description.isEmpty() && patternText.isEmpty())
            break;  // the closing "||"
        QStringList patterns;
        for (QString p : patternText.split(u';', Qt::SkipEmptyParts)) {
            p = p.trimmed();
            // Windows' "*.*" means every file; Qt's "*.*" would need a dot.
            patterns << (p == u"*.*" ? QStringLiteral("*") : p);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        description.remove(trailingPatterns);
        if (description.isEmpty())
            description = patterns.join(u' ');
        out << QStringLiteral("%1 (%2)").arg(description, patterns.join(u' '));
    }
    return out;
}

QStringList CaseInsensitiveFilters(const QStringList &qtFilters)
{
    QStringList out;
    for (const QString &filter : qtFilters) {
        const int open = int(filter.lastIndexOf(u'('));
        const int close = int(filter.lastIndexOf(u')'));
        if (open < 0 || close < open) {
            out << filter;
            continue;
        }
        QStringList patterns;
        for (const QString &p : filter.mid(open + 1, close - open - 1).split(u' ', Qt::SkipEmptyParts)) {
            QString any;
            for (const QChar c : p) {
                if (c.isLetter() && c.toLower() != c.toUpper() && !p.contains(u'['))
                    any += u'[' + c.toLower() + c.toUpper() + u']';
                else
                    any += c;
            }
            patterns << any;
        }
        out << filter.left(open + 1) + patterns.join(u' ') + filter.mid(close);
    }
    return out;
}

} // namespace GuiUtils
