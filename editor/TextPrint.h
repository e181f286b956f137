#pragma once
// Printing a rich text on pages of an explicit layout: 1" at the sides and
// 1.5" at top and bottom, paginated by the document's own layout. The same
// code serves the editor's print commands and zarn-print.
#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// The part of document from character `from` to `to` (-1: the end), with
// the blanks and line breaks at its end dropped. Pictures stay.
QTextDocument* PrintRange(const QTextDocument& document, int from = 0, int to = -1);

// A print job's title: the first line of the text, cut to 255 bytes of UTF-8
// without splitting a character.
QString PrintTitle(const QString& text);

// Sets the page margins on `device` and prints `document` onto it, one page
// after another. A document with nothing but blanks prints nothing. Returns
// the number of pages printed; 0 when there was nothing to print or the
// device could not be painted on.
int PrintDocument(const QTextDocument& document, QPagedPaintDevice& device);
