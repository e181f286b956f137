#pragma once
// The rich-edit control on QTextEdit: streaming plain text and RTF in and out,
// character and paragraph formats, automatic web-address detection with link
// notifications, the formatting rectangle, a text limit, undo, the modified
// flag, selection by character index and line, and find.
//
// Character indices count every character of the document once, each
// paragraph break as one character, as QTextCursor positions do. Lines are
// the document's paragraphs (the control runs without word wrap).
#include <QByteArray>
#include <QTextCharFormat>
#include <QTextEdit>

#include <stdexcept>

class QSyntaxHighlighter;

// A load or save that failed; what() names the file and the reason.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The mouse message a link notification reports.
enum class TLinkMessage { Move, LeftButtonDown, LeftButtonUp, LeftButtonDoubleClick, RightButtonDown, RightButtonUp };

struct TLinkNotification {
    TLinkMessage Message;
    int Start = 0; // character range of the link
    int End = 0; // one past its last character
};

// The area the text is laid out in, in client coordinates; right and bottom
// lie one past the area.
struct TFormatRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TFormatRect&) const = default;
};

enum class TScrollAction { PageUp, PageDown, Top, Bottom, LineLeft, LineRight, LineUp, LineDown };

class TRichEdit : public QTextEdit {
    Q_OBJECT
public:
    // The text limit a new control has, and the one MaxLength 0 stands for.
    static constexpr int kDefaultTextLimit = 0xFFFFFF;

    explicit TRichEdit(QWidget* parent = nullptr);
    ~TRichEdit() override;

    // Streaming. On: loads and saves read and write UTF-8 plain text (lines
    // separated by LF); off: they read RTF (bytes without the "{\rtf" mark
    // load as plain text) and write RTF.
    bool PlainText() const { return plainText_; }
    void SetPlainText(bool on) { plainText_ = on; }
    // Replaces the document; afterwards it is unmodified, nothing to undo,
    // and plain text is cut at the text limit.
    void LoadFromBytes(std::string_view bytes);
    void LoadFromBytes(const QByteArray& bytes)
    {
        LoadFromBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    QByteArray SaveToBytes() const;
    // The same through a file. Saving writes a temporary file in the target's
    // folder and renames it, so the target is never half-written. Failures
    // throw EFileError, the document unchanged.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;

    // Each character once, each paragraph break as LF: indices into it are
    // character indices of the control.
    QString DocumentText() const;
    // The paragraphs joined by CR LF, as the highlighters take a text.
    QString Text() const;

    // The most characters the user may enter (typing and pasting stop there).
    int TextLimit() const { return textLimit_; }
    void SetTextLimit(int limit) { textLimit_ = limit; }

    // Selection by character index; SetSel(start, -1) selects to the end.
    int SelStart() const;
    int SelLength() const;
    void SetSel(int start, int end);
    QString SelText() const;
    // Replaces the selection; the caret ends after the inserted text.
    void ReplaceSel(const QString& text);

    // Lines: the paragraph holding a character, the first character of a
    // line (-1 beyond the last line), the length of the line holding a
    // character (its break not counted), the number of lines (at least 1).
    int LineFromChar(int charIndex) const;
    int LineIndex(int line) const;
    int LineLength(int charIndex) const;
    int ControlLineCount() const;

    // The first occurrence of `text` at or after `from`, case-sensitive; -1 when none.
    int FindText(const QString& text, int from) const;

    // Character formats: of the selection (at the caret: what typing gets),
    // and the given properties merged into it.
    QTextCharFormat SelectionFormat() const;
    void MergeSelectionFormat(const QTextCharFormat& format);
    // Extends the selection to whole words at both ends.
    void ExtendSelectionToWords();
    // Alignment of the paragraphs the selection touches.
    void SetParagraphAlignment(Qt::Alignment alignment);

    QColor Background() const;
    void SetBackground(const QColor& color);
    // The colour of text that has none of its own.
    void SetDefaultTextColor(const QColor& color);
    QColor DefaultTextColor() const;

    // Automatic detection: web addresses in the text are shown as links and
    // report LinkNotify; links of the document (RTF HYPERLINK fields) report
    // it always.
    bool AutoUrlDetect() const { return urlDetector_ != nullptr; }
    void SetAutoUrlDetect(bool on);
    // The link range holding a character, if any.
    bool LinkAt(int charIndex, int& start, int& end) const;

    // Where text is laid out; SetFormatRect does not repaint.
    TFormatRect FormatRect() const { return formatRect_; }
    void SetFormatRect(const TFormatRect& rect);

    bool Modified() const;
    void SetModified(bool modified);
    bool CanUndo() const;

    void Scroll(TScrollAction action);

    // What the document shows for a resource it does not hold: small data:
    // addresses are decoded; anything else named by loaded or pasted text (a
    // local file, a device, a web address) gets a placeholder picture and is
    // never read.
    QVariant loadResource(int type, const QUrl& name) override;

signals:
    // Raised for mouse messages over a link (before the control handles
    // them). Nobody listening: the message is handled as over other text.
    void LinkNotify(const TLinkNotification& notification);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Room left under the text limit when the selection is replaced.
    int Room() const;

private:
    // Notifies a link under the mouse; true when there was one.
    bool NotifyLink(QMouseEvent* event, TLinkMessage message);

    bool plainText_ = false;
    int textLimit_ = kDefaultTextLimit;
    QSyntaxHighlighter* urlDetector_ = nullptr;
    TFormatRect formatRect_;
};
