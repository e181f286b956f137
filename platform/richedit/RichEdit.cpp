#include "platform/richedit/RichEdit.h"

#include "platform/files/SafeFile.h"
#include "platform/richedit/RtfDocument.h"

#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTextBlock>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Web addresses as the control recognises them: a known scheme or "www."
// up to a blank, quote or angle bracket; closing punctuation is not part of it.
const QRegularExpression& UrlPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"re((?:\b(?:https?|ftp|file|mailto|news|nntp|telnet|gopher|wais|prospero):|\bwww\.))re"
                       R"re([^\s<>"'{}|\\^`]*[^\s<>"'{}|\\^`.,;:!?)\]])re"),
        QRegularExpression::UseUnicodePropertiesOption);
    return pattern;
}

// Shows the detected addresses as links without touching the document (no
// undo step, no modified flag).
class UrlDetector final : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString& text) override
    {
        if (!text.contains(u':') && !text.contains(u'.'))
            return;
        QTextCharFormat link;
        link.setForeground(QColor(0, 0, 255));
        link.setFontUnderline(true);
        for (auto it = UrlPattern().globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            setFormat(static_cast<int>(match.capturedStart()), static_cast<int>(match.capturedLength()), link);
        }
    }
};

QTextCursor CursorSpanning(QTextDocument* document, int start, int end)
{
    QTextCursor cursor(document);
    const int last = document->characterCount() - 1;
    cursor.setPosition(std::clamp(start, 0, last));
    cursor.setPosition(std::clamp(end, 0, last), QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

TRichEdit::TRichEdit(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(false); // pasting takes the clipboard's plain text, as the control's plain paste does
    setLineWrapMode(QTextEdit::NoWrap);
    viewport()->setMouseTracking(true);
}

TRichEdit::~TRichEdit() = default;

// The new content is built in a document of its own, away from the view, and
// then replaces the shown one: the view lays it out once, in steps, instead of
// following every insertion.
void TRichEdit::LoadFromBytes(std::string_view data)
{
    document()->clear(); // the old content goes first, so that two never share the memory
    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(document()->defaultFont());
    doc->setUndoRedoEnabled(false);
    // Detection attached while the document is empty marks the addresses as
    // the text arrives, before anything is laid out.
    if (urlDetector_)
        urlDetector_->setDocument(doc);
    if (plainText_ || !IsRtf(data)) {
        QString text = QString::fromUtf8(data.data(), static_cast<qsizetype>(data.size()));
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        doc->setPlainText(text.left(textLimit_));
    } else {
        QTextCursor cursor(doc);
        InsertRtf(cursor, data);
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    QTextDocument* shown = document();
    const bool ownShown = shown->parent() == this; // QTextEdit deletes its first document itself
    setDocument(doc);
    if (ownShown)
        delete shown;
}

QByteArray TRichEdit::SaveToBytes() const
{
    if (plainText_)
        return DocumentText().toUtf8();
    return DocumentToRtf(*document());
}

void TRichEdit::LoadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFileError(QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
    LoadFromBytes(bytes);
}

void TRichEdit::SaveToFile(const QString& fileName) const
{
    const QByteArray bytes = SaveToBytes();
    SafeFileWriter writer(fileName.toStdString());
    if (!writer.Open() || !writer.Write(bytes.constData(), static_cast<std::size_t>(bytes.size())) || !writer.Commit())
        throw EFileError(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(fileName, QString::fromLocal8Bit(std::strerror(errno)))
                             .toStdString());
}

QString TRichEdit::DocumentText() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

QString TRichEdit::Text() const
{
    QString text = document()->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

int TRichEdit::SelStart() const { return textCursor().selectionStart(); }

int TRichEdit::SelLength() const
{
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TRichEdit::SetSel(int start, int end)
{
    const int last = document()->characterCount() - 1;
    setTextCursor(CursorSpanning(document(), start, end < 0 ? last : end));
}

QString TRichEdit::SelText() const
{
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void TRichEdit::ReplaceSel(const QString& text)
{
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

int TRichEdit::LineFromChar(int charIndex) const
{
    const QTextBlock block = document()->findBlock(std::clamp(charIndex, 0, document()->characterCount() - 1));
    return block.blockNumber();
}

int TRichEdit::LineIndex(int line) const
{
    if (line < 0)
        return -1;
    const QTextBlock block = document()->findBlockByNumber(line);
    return block.isValid() ? block.position() : -1;
}

int TRichEdit::LineLength(int charIndex) const
{
    return document()->findBlock(std::clamp(charIndex, 0, document()->characterCount() - 1)).length() - 1;
}

int TRichEdit::ControlLineCount() const { return document()->blockCount(); }

int TRichEdit::FindText(const QString& text, int from) const
{
    if (text.isEmpty())
        return -1;
    return static_cast<int>(DocumentText().indexOf(text, std::max(from, 0), Qt::CaseSensitive));
}

QTextCharFormat TRichEdit::SelectionFormat() const { return textCursor().charFormat(); }

void TRichEdit::MergeSelectionFormat(const QTextCharFormat& format) { mergeCurrentCharFormat(format); }

void TRichEdit::ExtendSelectionToWords()
{
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    cursor.setPosition(start);
    cursor.movePosition(QTextCursor::StartOfWord);
    const int wordStart = cursor.position();
    cursor.setPosition(end);
    if (!cursor.atBlockStart() || start == end)
        cursor.movePosition(QTextCursor::EndOfWord);
    const int wordEnd = cursor.position();
    cursor.setPosition(wordStart);
    cursor.setPosition(wordEnd, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void TRichEdit::SetParagraphAlignment(Qt::Alignment alignment) { setAlignment(alignment); }

QColor TRichEdit::Background() const { return palette().color(QPalette::Base); }

void TRichEdit::SetBackground(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void TRichEdit::SetDefaultTextColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

QColor TRichEdit::DefaultTextColor() const { return palette().color(QPalette::Text); }

void TRichEdit::SetAutoUrlDetect(bool on)
{
    if (on == AutoUrlDetect())
        return;
    if (on) {
        urlDetector_ = new UrlDetector(static_cast<QObject*>(this)); // outlives the documents it is set on
        urlDetector_->setDocument(document());
    } else {
        delete urlDetector_;
        urlDetector_ = nullptr;
    }
}

bool TRichEdit::LinkAt(int charIndex, int& start, int& end) const
{
    const QTextBlock block = document()->findBlock(charIndex);
    if (!block.isValid())
        return false;
    const int offset = charIndex - block.position();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (offset < fragment.position() - block.position() || charIndex >= fragment.position() + fragment.length())
            continue;
        const QString href = fragment.charFormat().anchorHref();
        if (!fragment.charFormat().isAnchor() || href.isEmpty())
            break;
        start = fragment.position();
        end = fragment.position() + fragment.length();
        for (auto next = it; !(++next).atEnd() && next.fragment().charFormat().anchorHref() == href;)
            end = next.fragment().position() + next.fragment().length();
        return true;
    }
    if (!urlDetector_)
        return false;
    for (auto it = UrlPattern().globalMatch(block.text()); it.hasNext();) {
        const auto match = it.next();
        if (offset >= match.capturedStart() && offset < match.capturedEnd()) {
            start = block.position() + static_cast<int>(match.capturedStart());
            end = block.position() + static_cast<int>(match.capturedEnd());
            return true;
        }
    }
    return false;
}

void TRichEdit::SetFormatRect(const TFormatRect& rect)
{
    formatRect_ = rect;
    const QRect client = contentsRect();
    setViewportMargins(std::max(rect.Left, 0), std::max(rect.Top, 0), std::max(client.width() - rect.Right, 0),
        std::max(client.height() - rect.Bottom, 0));
}

bool TRichEdit::Modified() const { return document()->isModified(); }

void TRichEdit::SetModified(bool modified) { document()->setModified(modified); }

bool TRichEdit::CanUndo() const { return document()->isUndoAvailable(); }

void TRichEdit::Scroll(TScrollAction action)
{
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    switch (action) {
    case TScrollAction::PageUp:
        vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case TScrollAction::PageDown:
        vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case TScrollAction::Top:
        vertical->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case TScrollAction::Bottom:
        vertical->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    case TScrollAction::LineLeft:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case TScrollAction::LineRight:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case TScrollAction::LineUp:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case TScrollAction::LineDown:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    }
}

int TRichEdit::Room() const { return textLimit_ - (document()->characterCount() - 1 - SelLength()); }

void TRichEdit::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool inserts = !text.isEmpty() && text.front().isPrint() && !(event->modifiers() & Qt::ControlModifier);
    if (inserts && !isReadOnly() && Room() < text.size()) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

QVariant TRichEdit::loadResource(int type, const QUrl& name)
{
    constexpr qsizetype kMaxDataAddress = 1 << 20;
    if (name.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0
        && name.toEncoded().size() <= kMaxDataAddress)
        return {}; // the document decodes it, and reads nothing else for a data: name
    if (type != QTextDocument::ImageResource)
        return QString(QLatin1String(""));
    QImage placeholder(16, 16, QImage::Format_RGB32);
    placeholder.fill(Qt::lightGray);
    return placeholder;
}

void TRichEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    const int room = Room();
    if (room > 0)
        textCursor().insertText(source->text().left(room));
}

bool TRichEdit::NotifyLink(QMouseEvent* event, TLinkMessage message)
{
    int start = 0, end = 0;
    const QTextCursor at = cursorForPosition(event->position().toPoint());
    if (!LinkAt(at.position(), start, end))
        return false;
    emit LinkNotify({message, start, end});
    return true;
}

void TRichEdit::mousePressEvent(QMouseEvent* event)
{
    const bool left = event->button() == Qt::LeftButton;
    if (left || event->button() == Qt::RightButton)
        NotifyLink(event, left ? TLinkMessage::LeftButtonDown : TLinkMessage::RightButtonDown);
    QTextEdit::mousePressEvent(event);
}

void TRichEdit::mouseReleaseEvent(QMouseEvent* event)
{
    const bool left = event->button() == Qt::LeftButton;
    if (left || event->button() == Qt::RightButton)
        NotifyLink(event, left ? TLinkMessage::LeftButtonUp : TLinkMessage::RightButtonUp);
    QTextEdit::mouseReleaseEvent(event);
}

void TRichEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        NotifyLink(event, TLinkMessage::LeftButtonDoubleClick);
    QTextEdit::mouseDoubleClickEvent(event);
}

void TRichEdit::mouseMoveEvent(QMouseEvent* event)
{
    viewport()->setCursor(NotifyLink(event, TLinkMessage::Move) ? Qt::PointingHandCursor : Qt::IBeamCursor);
    QTextEdit::mouseMoveEvent(event);
}
