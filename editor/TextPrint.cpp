#include "editor/TextPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <memory>

namespace {

bool IsBlank(QChar c)
{
    return c.isSpace() || c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\u00A0';
}

} // namespace

QTextDocument* PrintRange(const QTextDocument& document, int from, int to)
{
    QTextDocument* range = document.clone();
    QTextCursor cursor(range);
    cursor.movePosition(QTextCursor::End);
    const int end = cursor.position();
    from = std::clamp(from, 0, end);
    to = to < 0 ? end : std::clamp(to, from, end);
    cursor.setPosition(to);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.setPosition(0);
    cursor.setPosition(from, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    const QString text = range->toRawText();
    int kept = static_cast<int>(text.size());
    while (kept > 0 && IsBlank(text[kept - 1]))
        --kept;
    cursor.setPosition(kept);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    return range;
}

QString PrintTitle(const QString& text)
{
    QString line = text.section(QRegularExpression(QStringLiteral("[\r\n\u2028\u2029]")), 0, 0);
    while (line.toUtf8().size() > 255) {
        line.chop(1);
        if (!line.isEmpty() && line.back().isHighSurrogate())
            line.chop(1);
    }
    return line;
}

int PrintDocument(const QTextDocument& document, QPagedPaintDevice& device)
{
    const std::unique_ptr<QTextDocument> pages(document.clone());
    if (pages->toRawText().trimmed().isEmpty() && !pages->toRawText().contains(QChar::ObjectReplacementCharacter))
        return 0;
    device.setPageMargins(QMarginsF(1, 1.5, 1, 1.5), QPageLayout::Inch);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    pages->documentLayout()->setPaintDevice(&device);
    pages->setDocumentMargin(0);
    const QRectF body(QPointF(0, 0), QSizeF(device.width(), device.height()));
    pages->setPageSize(body.size());
    const int pageCount = pages->pageCount();
    int printed = 0;
    for (int page = 0; page < pageCount; ++page) {
        if (page > 0 && !device.newPage())
            break;
        painter.save();
        const QRectF view = body.translated(0, page * body.height());
        painter.translate(0, -view.top());
        // A line that starts on the edge belongs to the next page.
        const QRectF inside = view.adjusted(0, 0, 0, -1);
        painter.setClipRect(inside);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = inside;
        context.palette.setColor(QPalette::Text, Qt::black);
        pages->documentLayout()->draw(&painter, context);
        painter.restore();
        ++printed;
    }
    painter.end();
    return printed;
}
