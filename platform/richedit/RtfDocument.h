#pragma once
// Rich Text Format to and from a QTextDocument: the reader's runs become
// fragments inserted one run at a time; the writer writes what the reader
// reads back unchanged (text, character formats, alignment, links, paragraph
// numbering, pictures as PNG).
#include "platform/richedit/RtfReader.h"

#include <QByteArray>
#include <QTextCursor>
#include <QTextListFormat>
#include <QUrl>

class QTextDocument;

// Inserts the RTF document `rtf` at `cursor` (which ends after it). Bytes that
// do not begin with "{\rtf" are inserted as UTF-8 plain text.
void InsertRtf(QTextCursor& cursor, std::string_view rtf);

// The whole document as RTF: code page 1252, every character above 127 as \uN?,
// one font-table entry per font family used and one colour-table entry per
// colour used, entry 0 being the automatic colour.
QByteArray DocumentToRtf(const QTextDocument& document);

TRtfAlignment RtfAlignment(Qt::Alignment alignment);
// Paragraph numbering as a list format: from 1, "." after the number.
TRtfNumbering RtfNumbering(QTextListFormat::Style style);
QTextListFormat NumberingFormat(TRtfNumbering numbering);
// A name for a new picture of the document, one no resource has yet.
QUrl NewPictureName(QTextDocument& document);
Qt::Alignment QtAlignment(TRtfAlignment alignment);
