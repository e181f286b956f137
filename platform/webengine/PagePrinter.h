#pragma once
// Printing of the engine's page, as the control prints: the page is printed
// to PDF by the engine with the margins of the page setup and the printer's
// paper and orientation; the header and footer are then added to every page
// as text. A printer set to print to a PDF file gets that file (written
// through a temporary name); a real printer gets the PDF through the print
// system's "lp", or the engine's own printing (without header and footer)
// when "lp" cannot be started.
#include <QString>

#include <functional>

class QPrinter;
class QWebEnginePage;
class QWebEngineView;

// Starts printing; done runs once when the job was handed over (true) or
// failed (false). The page must stay alive until then.
void PrintPage(QWebEngineView* view, QPrinter& printer, const QString& header, const QString& footer,
    std::function<void(bool)> done);
