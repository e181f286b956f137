#include "favorites/ItemCaptions.h"

#include <QTextBoundaryFinder>

QString CutCaption(const QString& text, int maxChars)
{
    if (maxChars < 1 || text.size() <= maxChars)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    qsizetype position = 0;
    while (count < maxChars) {
        position = graphemes.toNextBoundary();
        if (position < 0)
            return text;
        ++count;
    }
    if (position >= text.size())
        return text;
    return text.left(position) + QStringLiteral("...");
}

QString LiteralCaption(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return shown;
}
