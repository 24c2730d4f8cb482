#include "HtmlPrinting.h"

#include "CWebBrowser2.h"

#include "app/AppCore.h"

#include <QEventLoop>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// The engine loads and prints asynchronously; the caller waits for it.
constexpr int PrintTimeoutMs = 60000;

// Runs the loop until the engine reports or the time runs out.
bool Wait(QEventLoop &loop, const bool &done)
{
    QTimer::singleShot(PrintTimeoutMs, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return done;
}

} // namespace

namespace HtmlPrinting {

bool AskPrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool PrintHtml(const QString &html, QPrinter &printer)
{
    CWebBrowser2 browser(nullptr, QStringLiteral("BrowserWindow"));
    bool done = false;
    bool ok = false;
    {
        QEventLoop loop;
        QObject::connect(browser.Page(), &QWebEnginePage::loadFinished, &loop, [&](bool success) {
            done = true;
            ok = success;
            loop.quit();
        });
        browser.ShowHtml(html);
        if (!Wait(loop, done) || !ok)
            return false;
    }
    done = false;
    QEventLoop loop;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        QObject::connect(browser.Page(), &QWebEnginePage::pdfPrintingFinished, &loop,
                         [&](const QString &, bool success) {
                             done = true;
                             ok = success;
                             loop.quit();
                         });
        browser.Page()->printToPdf(printer.outputFileName(), printer.pageLayout());
    } else {
        QObject::connect(browser.View(), &QWebEngineView::printFinished, &loop, [&](bool success) {
            done = true;
            ok = success;
            loop.quit();
        });
        browser.View()->print(&printer);
    }
    return Wait(loop, done) && ok;
}

bool Print(const QString &html, const Chooser &choose, const QString &caption, const QString &failure)
{
    if (html.isEmpty())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    if (!choose(printer))
        return false;
    if (!PrintHtml(html, printer)) {
        theApp().ShowMessageBox(failure, caption, MsgBox::IconError);
        return false;
    }
    return true;
}

} // namespace HtmlPrinting
