#pragma once

// Prints an HTML page through a hidden web view of its own: a PDF printer
// with a file name gets the engine's PDF, any other printer the view's print.

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace HtmlPrinting {

// Sets up the printer and its destination; false when the member cancelled.
using Chooser = std::function<bool(QPrinter &)>;

// The print dialog over `parent`.
bool AskPrinter(QPrinter &printer, QWidget *parent);
// Loads and prints the page, waiting for the engine. False on failure.
bool PrintHtml(const QString &html, QPrinter &printer);
// Asks for the printer, then prints; a failure shows `failure` in a box
// captioned `caption`. False when nothing was printed.
bool Print(const QString &html, const Chooser &choose, const QString &caption, const QString &failure);

} // namespace HtmlPrinting
