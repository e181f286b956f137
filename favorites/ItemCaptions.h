#pragma once
// Captions made from titles that came from pages and files: cut without
// splitting a character a reader sees as one, and kept literal in menus.
#include <QString>

// The text's first maxChars user-perceived characters (grapheme clusters:
// a base letter with its combining marks, an emoji sequence, a surrogate
// pair) followed by "..." when the text has more; the text unchanged
// otherwise, and for maxChars below 1.
QString CutCaption(const QString& text, int maxChars);

// The text as a menu or button caption shows it: every "&" doubled, so that
// "Q&A" reads "Q&A" rather than "QA" with an underlined A.
QString LiteralCaption(const QString& text);
