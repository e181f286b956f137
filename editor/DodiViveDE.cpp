#include "editor/DodiViveDE.h"

#include "browserhost/Sextant.h"
#include "editor/TextPrint.h"
#include "highlight/HighlightHTML.h"
#include "highlight/HighlightXML.h"
#include "platform/files/PlainFiles.h"
#include "platform/files/SafeFile.h"
#include "platform/input/KeyboardInput.h"
#include "platform/mapi/MailTo.h"
#include "platform/richedit/RtfDocument.h"
#include "platform/richedit/RtfReader.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/webcontrol/WindowClass.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QToolTip>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

constexpr int kVkInsert = 0x2D;
constexpr int kVkCapital = 0x14;
constexpr int kVkNumLock = 0x90;
constexpr int kLargeTextLimit = 0x7FFFFFF0;

QString KeyStateText(const QString& name, int virtualKey)
{
    return name + ((GetKeyState(virtualKey) & 1) ? QStringLiteral(": On") : QStringLiteral(": Off"));
}

QString Quoted(const QString& text) { return QLatin1Char('"') + text + QStringLiteral("\"."); }

QTextCharFormat StyleFormat(bool bold, bool italic, bool strikeOut, bool underline, const QColor& color)
{
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    format.setFontStrikeOut(strikeOut);
    format.setFontUnderline(underline);
    format.setForeground(color);
    return format;
}

// The find and the replace dialog: modeless, owned by the editor; each press
// of the action button hands the request to the handler.
class FindDialog final : public QDialog {
public:
    FindDialog(QWidget* owner, bool replace, std::function<void(TFindRequest&)> handler)
        : QDialog(owner), handler_(std::move(handler))
    {
        setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
        auto* form = new QFormLayout(this);
        form->addRow(QStringLiteral("Find what:"), &findEdit_);
        if (replace)
            form->addRow(QStringLiteral("Replace with:"), &replaceEdit_);
        else
            replaceEdit_.hide();
        auto* buttons = new QDialogButtonBox(this);
        QPushButton* action = buttons->addButton(
            replace ? QStringLiteral("Replace") : QStringLiteral("Find Next"), QDialogButtonBox::ActionRole);
        action->setDefault(true);
        buttons->addButton(QDialogButtonBox::Close);
        form->addRow(buttons);
        connect(action, &QPushButton::clicked, this, [this] {
            TFindRequest request{findEdit_.text(), replaceEdit_.text(), true};
            handler_(request);
        });
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
        setAttribute(Qt::WA_DeleteOnClose);
    }

private:
    QLineEdit findEdit_;
    QLineEdit replaceEdit_;
    std::function<void(TFindRequest&)> handler_;
};

// The Ctrl character code a key press types (Ctrl+A is 1 ... Ctrl+Z is 26,
// Tab is 9); 0 for other keys.
int ControlCode(const QKeyEvent* event)
{
    const int key = event->key();
    if ((event->modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return key - Qt::Key_A + 1;
    if (key == Qt::Key_Tab && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return 9;
    return 0;
}

} // namespace

TDodiViveDE::TDodiViveDE(QWidget* parent) : TRichEdit(parent)
{
    SetWindowClassName(this, QStringLiteral("RichEdit20A"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetWordWrap(true);
    connect(this, &TRichEdit::LinkNotify, this, &TDodiViveDE::OnLinkNotify);
    WindowCreated();
}

TDodiViveDE::~TDodiViveDE() = default;

void TDodiViveDE::WindowCreated()
{
    UpdateStatusHint();
    if (highlightURL_)
        SetAutoUrlDetect(true);
    SetTextLimit(maxLength_ == 0 ? kDefaultTextLimit : maxLength_);
    UpdateFormatRect();
}

void TDodiViveDE::Loaded()
{
    const bool modified = Modified(); // setting up is not an edit
    ApplyTextAlignment(textAlignment_);
    SetModified(modified);
    ApplyTheme(themes_);
    UpdateStatusHint();
    setAcceptDrops(true);
    if (supprtMoreThen64KB_)
        SetTextLimit(kLargeTextLimit);
    if (showHint_)
        UpdateStatusHint();
    SetWordWrap(true);
    SetWordWrap(false);
    filesInserted_ = false;
}

TSextant* TDodiViveDE::Sextant() const { return sextant_; }

void TDodiViveDE::SetSextant(TSextant* sextant) { sextant_ = sextant; }

void TDodiViveDE::SetGap(int& gap, int value)
{
    if (value == gap || value < 0)
        return;
    gap = value;
    WindowCreated();
}

void TDodiViveDE::SetHideCaret(bool on)
{
    hideCaret_ = on;
    if (on)
        setCursorWidth(0);
}

void TDodiViveDE::SetMaxLength(int length)
{
    maxLength_ = std::max(length, 0);
    SetTextLimit(maxLength_ == 0 ? kDefaultTextLimit : maxLength_);
}

void TDodiViveDE::SetShowHint(bool on)
{
    showHint_ = on;
    setToolTip(on ? hint_ : QString());
}

void TDodiViveDE::UpdateStatusHint()
{
    const int start = SelStart();
    const int line = LineFromChar(start) + 1;
    const int column = start - LineIndex(line - 1) + 1;
    const QString position = QString::asprintf("Line: %3d   Col: %3d", line, column);
    const QString separator = QStringLiteral(". | \n\r");
    hint_ = QStringLiteral("File Name: ") + fileName_ + separator + QStringLiteral("Position: ") + position + separator
        + (IsModified() ? QStringLiteral("Modified") : QString()) + separator
        + KeyStateText(QStringLiteral("Caps Lock"), kVkCapital) + separator
        + KeyStateText(QStringLiteral("NumLock"), kVkNumLock) + separator
        + KeyStateText(QStringLiteral("Insert"), kVkInsert) + separator + QStringLiteral("Total Lines Count: ")
        + QString::number(LineCount()) + QStringLiteral(". |");
    if (showHint_)
        setToolTip(hint_);
    currentColumn_ = column;
    currentLine_ = line;
}

int TDodiViveDE::LineCount() const
{
    const QTextDocument* doc = document();
    return doc->blockCount() - (doc->lastBlock().length() <= 1 ? 1 : 0);
}

bool TDodiViveDE::SelectLine(int line)
{
    const int start = LineIndex(line);
    if (start < 0)
        return false;
    const int next = LineIndex(line + 1);
    SetSel(start, next < 0 ? start + LineLength(start) : next);
    return true;
}

void TDodiViveDE::ScrollToFirstLine()
{
    Scroll(TScrollAction::Top);
    setFocus();
}

bool TDodiViveDE::CheckSaveChanges()
{
    if (!IsModified())
        return true;
    switch (MessageDlg(QStringLiteral("Save changes to %1?").arg(fileName_), mtConfirmation, mbYesNoCancel)) {
    case mrYes:
        // A Save As the user cancels keeps the text, and the caller waits.
        return SaveDocument();
    case mrNo:
        return true;
    default:
        return false;
    }
}

bool TDodiViveDE::NewDocument()
{
    if (!CheckSaveChanges())
        return false;
    fileName_ = kUntitled;
    LoadFromBytes(std::string_view());
    filesInserted_ = false;
    UpdateStatusHint();
    return true;
}

namespace {
bool isRtfFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(5);
    return IsRtf(std::string_view(start.constData(), static_cast<std::size_t>(start.size())));
}
} // namespace

void TDodiViveDE::LoadDocument(const QString& fileName)
{
    filesInserted_ = false;
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    SetPlainText(dot >= 0 && name.mid(dot) == QStringLiteral(".txt"));
    LoadFromFile(fileName);
    // A file that is not RTF loads as its text and is saved back as text,
    // so that an HTML page stays HTML.
    if (!PlainText() && !isRtfFile(fileName))
        SetPlainText(true);
    fileName_ = fileName;
    setFocus();
    UpdateStatusHint();
}

bool TDodiViveDE::OpenDocument()
{
    if (!CheckSaveChanges())
        return false;
    TFileDialogOptions options;
    options.Title = ApplicationTitle() + QStringLiteral(" - ") + QStringLiteral("Open Dialog");
    options.Owner = this;
    if (!Dialogs().OpenDialog(options))
        return false;
    setReadOnly(options.ReadOnlyChecked);
    LoadDocument(options.FileName);
    fileName_ = options.FileName;
    UpdateStatusHint();
    return true;
}

bool TDodiViveDE::AskOverwrite(const QString& target, bool noMeansSaveAs)
{
    if (!QFileInfo::exists(target))
        return true;
    const int answer = MessageDlg(QStringLiteral("The file already exist. Do you want to overwrite %1 ?").arg(target),
        mtConfirmation, mbYesNoCancel);
    if (answer == mrNo && noMeansSaveAs)
        SaveDocumentAs();
    return answer == mrYes;
}

void TDodiViveDE::WriteDocument(const QString& target)
{
    SaveToFile(target);
    SetModified(false);
}

// A name that already ends in ".html" or ".htm" is the user's own choice of
// extension and gets no second one.
QString TDodiViveDE::SaveTarget(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)
        || trimmed.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
        return trimmed;
    return (name + QStringLiteral(".html")).trimmed();
}

bool TDodiViveDE::SaveDocument()
{
    if (fileName_ == kUntitled)
        return SaveDocumentAs();
    const QString target = SaveTarget(fileName_);
    if (!AskOverwrite(target, true))
        return false;
    WriteDocument(target);
    UpdateStatusHint();
    return true;
}

bool TDodiViveDE::SaveDocumentAs()
{
    TFileDialogOptions options;
    options.FileName = SaveTarget(fileName_);
    options.Owner = this;
    if (!Dialogs().SaveDialog(options))
        return false;
    const QString target = SaveTarget(options.FileName);
    if (!AskOverwrite(target, false))
        return false;
    WriteDocument(target);
    fileName_ = options.FileName;
    UpdateStatusHint();
    return true;
}

void TDodiViveDE::CutText()
{
    if (!isReadOnly())
        cut();
}

void TDodiViveDE::CopyText() { copy(); }

void TDodiViveDE::PasteText()
{
    if (!isReadOnly())
        paste();
}

void TDodiViveDE::DeleteSelection()
{
    if (!isReadOnly())
        textCursor().removeSelectedText();
}

void TDodiViveDE::SelectAllText() { selectAll(); }

void TDodiViveDE::ClearText()
{
    if (isReadOnly())
        return;
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

void TDodiViveDE::UndoEdit() { undo(); }

// Lines count as in a string list: a text ending with a line break has no
// empty line after it, so the new line goes right there; an empty line needs
// a break of its own to be one.
void TDodiViveDE::AddLine(const QString& text)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!document()->isEmpty() && document()->lastBlock().length() > 1)
        cursor.insertBlock();
    cursor.insertText(text);
    if (text.isEmpty())
        cursor.insertBlock();
}

void TDodiViveDE::AddEmptyLine() { AddLine(QString()); }

int TDodiViveDE::AddDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    AddLine(QStringLiteral("Date: %1/%2/%3     On: %4:%5:%6")
                .arg(d.month())
                .arg(d.day())
                .arg(d.year())
                .arg(t.hour())
                .arg(t.minute())
                .arg(t.second()));
    return LineCount();
}

void TDodiViveDE::InsertFormattedText(
    const QString& text, bool bold, bool italic, bool strikeOut, bool underline, const QColor& color)
{
    const QTextCharFormat format = StyleFormat(bold, italic, strikeOut, underline, color);
    MergeSelectionFormat(format);
    QTextCursor cursor = textCursor();
    QTextCharFormat inserted = cursor.charFormat();
    inserted.merge(format);
    cursor.insertText(text, inserted);
    setTextCursor(cursor);
}

void TDodiViveDE::ResetFormat()
{
    QFont editorFont = font();
    editorFont.setPointSize(8);
    setFont(editorFont);
    MergeSelectionFormat(StyleFormat(false, false, false, false, Qt::black));
}

void TDodiViveDE::SelectFont()
{
    QFont chosen = SelectionFormat().font();
    if (Dialogs().FontDialog(chosen, this))
        setFont(chosen);
    setFocus();
}

void TDodiViveDE::SetSelectionStyle(QTextCharFormat::Property property, bool on)
{
    QTextCharFormat format;
    if (property == QTextFormat::FontWeight)
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    else
        format.setProperty(property, on);
    MergeSelectionFormat(format);
}

void TDodiViveDE::ToggleBold()
{
    SetSelectionStyle(QTextFormat::FontWeight, SelectionFormat().fontWeight() < QFont::DemiBold);
}

void TDodiViveDE::ToggleItalic() { SetSelectionStyle(QTextFormat::FontItalic, !SelectionFormat().fontItalic()); }

void TDodiViveDE::ToggleUnderline()
{
    SetSelectionStyle(QTextFormat::FontUnderline, !SelectionFormat().fontUnderline());
}

void TDodiViveDE::ToggleStrikeOut()
{
    SetSelectionStyle(QTextFormat::FontStrikeOut, !SelectionFormat().fontStrikeOut());
}

void TDodiViveDE::GrowSelectionFont()
{
    const QTextCharFormat current = SelectionFormat();
    const qreal size = current.hasProperty(QTextFormat::FontPointSize) ? current.fontPointSize() : font().pointSizeF();
    QTextCharFormat format;
    format.setFontPointSize(size + 2);
    MergeSelectionFormat(format);
}

void TDodiViveDE::SetSelectionColor()
{
    QColor color = Qt::black;
    if (!Dialogs().ColorDialog(color, this))
        return;
    QTextCharFormat format;
    format.setForeground(color);
    MergeSelectionFormat(format);
}

void TDodiViveDE::SetBackgroundColor()
{
    QColor color = Qt::white;
    if (Dialogs().ColorDialog(color, this))
        SetBackground(color);
}

void TDodiViveDE::SetSelectionBackground()
{
    QColor color(255, 255, 0);
    if (!Dialogs().ColorDialog(color, this))
        return;
    QTextCharFormat format;
    format.setBackground(color);
    MergeSelectionFormat(format);
}

void TDodiViveDE::ApplyTheme(TThemes theme)
{
    themes_ = theme;
    const QPalette system = QApplication::palette();
    struct Colours {
        QColor background, text;
    };
    const Colours colours = [&]() -> Colours {
        switch (theme) {
        case tXP:
            return {QColor(237, 242, 251), Qt::black};
        case tBlack:
            return {Qt::black, Qt::white};
        case tAluminum:
            return {QColor(192, 192, 192), Qt::white};
        case tLight:
            return {system.color(QPalette::ToolTipBase), Qt::black};
        case tDefault:
            break;
        }
        return {system.color(QPalette::Base), Qt::black};
    }();
    SetBackground(colours.background);
    SetDefaultTextColor(colours.text);
}

void TDodiViveDE::ApplyTextAlignment(TAlignment alignment)
{
    SetParagraphAlignment(alignment == taCenter ? Qt::AlignHCenter
            : alignment == taRightJustify       ? Qt::AlignRight
                                                : Qt::AlignLeft);
}

void TDodiViveDE::ApplyLinkFormat(bool active, bool words)
{
    if (words)
        ExtendSelectionToWords();
    QTextCharFormat format;
    format.setForeground(active ? QColor(0, 0, 255) : DefaultTextColor());
    format.setAnchor(active);
    format.setAnchorHref(active ? SelText() : QString());
    format.setFontUnderline(active);
    MergeSelectionFormat(format);
}

void TDodiViveDE::RunHighlighter(bool html)
{
    std::unique_ptr<THighlightRichSyntax> highlighter;
    if (html)
        highlighter = std::make_unique<THighlightHTML>();
    else
        highlighter = std::make_unique<THighlightXML>();
    std::string rtf;
    {
        const std::string text = Text().toStdString();
        highlighter->SetText(text);
        rtf = highlighter->GetRtf();
    }
    highlighter.reset();
    SetPlainText(false);
    LoadFromBytes(std::string_view(rtf));
    SetPlainText(true);
}

void TDodiViveDE::RunHTMLHighlighter() { RunHighlighter(true); }

void TDodiViveDE::RunXMLHighlighter() { RunHighlighter(false); }

void TDodiViveDE::HighlightAsHTML()
{
    if (highlightHTML_)
        RunHTMLHighlighter();
}

void TDodiViveDE::HighlightAsXML()
{
    if (highlightXML_)
        RunXMLHighlighter();
}

bool TDodiViveDE::FindGuard()
{
    if (!filesInserted_)
        return true;
    MessageDlg(QStringLiteral("You can not use this feature after inserting files."), mtError, mbOK);
    return false;
}

void TDodiViveDE::OpenFindDialog()
{
    if (!FindGuard())
        return;
    findPos_ = 0;
    auto* dialog = new FindDialog(this, false, [this](TFindRequest& request) { DoFind(request); });
    dialog->show();
}

void TDodiViveDE::OpenReplaceDialog()
{
    if (!FindGuard())
        return;
    findPos_ = 0;
    auto* dialog = new FindDialog(this, true, [this](TFindRequest& request) { DoReplace(request); });
    dialog->show();
}

void TDodiViveDE::DoFind(TFindRequest& request)
{
    SetSel(0, 0);
    if (findPos_ == 0)
        request.FindNext = false;
    const int from = request.FindNext ? static_cast<int>(request.FindText.size()) + findPos_ - 1 : 0;
    const int found = FindText(request.FindText, from);
    if (found < 0) {
        findPos_ = 0;
        const QString lead = request.FindNext ? QStringLiteral("There are no further occurences of ")
                                              : QStringLiteral("Could not find ");
        MessageDlg(lead + Quoted(request.FindText), mtError, mbOK);
        return;
    }
    findPos_ = found + 1;
    SetSel(found, found + static_cast<int>(request.FindText.size()));
    setFocus();
}

void TDodiViveDE::DoReplace(const TFindRequest& request)
{
    const int found = FindText(request.FindText, SelStart() + SelLength());
    if (found < 0) {
        MessageDlg(QStringLiteral("Could not find ") + Quoted(request.FindText), mtError, mbOK);
        return;
    }
    SetSel(found, found + static_cast<int>(request.FindText.size()));
    ReplaceSel(request.ReplaceText);
}

void TDodiViveDE::OnLinkNotify(const TLinkNotification& notification)
{
    if (!highlightURL_ || notification.Message != TLinkMessage::LeftButtonDown)
        return;
    try {
        SetSel(notification.Start, notification.End);
        // A link of the document goes where it points, whatever it shows; a
        // file object opens on a double click, after asking.
        const QString href = textCursor().charFormat().anchorHref();
        if (QUrl(href).isLocalFile() && SelText() == QString(QChar::ObjectReplacementCharacter))
            return;
        DoURLClick(href.isEmpty() ? SelText() : href);
    } catch (...) {
        // a failing click changes nothing else
    }
}

void TDodiViveDE::DoURLClick(const QString& url)
{
    if (!autoNavigate_)
        return;
    if (OnURLClick) {
        OnURLClick(this, url);
    } else if (sextant_) {
        sextant_->Navigate(url.toStdU16String());
        sextant_->UIActivate();
    }
}

namespace {

// Pictures are read whole into memory: larger files are refused.
constexpr std::size_t kMaxPictureFile = 64u << 20;

// Files the desktop would run when asked to open them.
bool IsProgramFile(const QFileInfo& file)
{
    if (file.isExecutable())
        return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
    for (const char* program : {"application/x-desktop", "application/x-executable", "application/x-sharedlib",
             "application/x-ms-dos-executable", "application/x-msi", "application/x-java-archive"})
        if (type.inherits(QLatin1String(program)))
            return true;
    return false;
}

// A file object's picture: the icon of the file's type over its name.
QImage FileObjectPicture(const QFileInfo& file, const QFont& font)
{
    const QIcon icon = QFileIconProvider().icon(file);
    const QString name = file.fileName();
    const QFontMetrics metrics(font);
    constexpr int kIcon = 32;
    const int width = std::max(kIcon, std::min(metrics.horizontalAdvance(name), 400)) + 8;
    QImage picture(width, kIcon + metrics.height() + 6, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    icon.paint(&painter, QRect((width - kIcon) / 2, 2, kIcon, kIcon));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, kIcon + 4, width, metrics.height()), Qt::AlignHCenter,
        metrics.elidedText(name, Qt::ElideMiddle, width - 4));
    return picture;
}

} // namespace

void TDodiViveDE::InsertPicture(const QImage& image, const QString& href)
{
    const QUrl name = NewPictureName(*document());
    document()->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setName(name.toString());
    if (!href.isEmpty()) {
        format.setAnchor(true);
        format.setAnchorHref(href);
        format.setToolTip(href);
    }
    textCursor().insertImage(format);
}

int TDodiViveDE::InsertFile(const QString& fileName, bool /*link*/, bool asIcon)
{
    if (fileName.isEmpty())
        return LineCount();
    const QFileInfo file(fileName);
    if (!file.isFile())
        throw EFileError(QStringLiteral("Cannot insert \"%1\": it is not a file.").arg(fileName).toStdString());
    if (asIcon) {
        InsertPicture(FileObjectPicture(file, font()), QUrl::fromLocalFile(file.absoluteFilePath()).toString());
    } else {
        std::string bytes;
        if (!ReadWholeFile(fileName.toStdString(), bytes, kMaxPictureFile))
            throw EFileError(QStringLiteral("Cannot read \"%1\": %2")
                                 .arg(fileName, QString::fromLocal8Bit(std::strerror(errno)))
                                 .toStdString());
        QImage picture;
        if (!picture.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<qsizetype>(bytes.size())))
            throw EFileError(QStringLiteral("\"%1\" holds no picture.").arg(fileName).toStdString());
        InsertPicture(picture);
    }
    MarkFilesInserted();
    return LineCount();
}

int TDodiViveDE::InsertFromImageList(const QList<QIcon>& images, int index, QSize imageSize)
{
    if (index < 0 || index >= images.size() || imageSize.isEmpty())
        return LineCount();
    QImage picture(imageSize + QSize(1, 1), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    images[index].paint(&painter, QRect(QPoint(0, 0), imageSize));
    painter.end();
    InsertPicture(picture);
    MarkFilesInserted();
    return LineCount();
}

QString TDodiViveDE::SnapshotTarget(const QString& chosen)
{
    return chosen.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ? chosen : chosen + QStringLiteral(".bmp");
}

void TDodiViveDE::CreateSnapshot(QImage& picture)
{
    const QSize size(width(), height());
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0) {
        picture = QImage(size, QImage::Format_RGB32);
        picture.fill(Background());
    } else if (picture.size() != size) {
        QImage resized(size, QImage::Format_RGB32);
        resized.fill(Background());
        QPainter(&resized).drawImage(0, 0, picture);
        picture = resized;
    }
    {
        QPainter painter(&picture);
        const QRectF page(QPointF(0, 0), QSizeF(size));
        painter.setClipRect(page);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = page;
        context.palette.setColor(QPalette::Text, DefaultTextColor().isValid() ? DefaultTextColor() : QColor(Qt::black));
        document()->documentLayout()->draw(&painter, context);
    }
    if (image_)
        return;
    TFileDialogOptions options;
    options.FileName = QStringLiteral("EditorImage.bmp");
    options.Filter = QStringLiteral("BMP file|*.bmp");
    options.Owner = this;
    if (!Dialogs().SaveDialog(options))
        return;
    const QString target = SnapshotTarget(options.FileName);
    if (QFileInfo::exists(target)
        && MessageDlg(QStringLiteral("The file already exist. Do you want to overwrite %1 ?").arg(target),
               mtConfirmation, mbYesNoCancel)
            != mrYes)
        return;
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    SafeFileWriter writer(target.toStdString());
    if (bmp.isEmpty() || !writer.Open() || !writer.Write(bmp.constData(), static_cast<std::size_t>(bmp.size()))
        || !writer.Commit())
        throw EFileError(QStringLiteral("Cannot save the snapshot to \"%1\": %2")
                             .arg(target, QString::fromLocal8Bit(std::strerror(errno)))
                             .toStdString());
}

int TDodiViveDE::AddControl(QWidget* control, const QString& prefix, int editorLeft, int left, int top)
{
    if (!parentWidget() || !parentWidget()->layout())
        move(editorLeft, y());
    control->setObjectName(prefix + QString::number(controlCount_));
    control->move(left, top);
    control->show();
    return ++controlCount_;
}

int TDodiViveDE::AddCheckBox(
    const QString& caption, const QString& prefix, int editorLeft, int left, int top, bool checked)
{
    if (!acceptDragComponnents_)
        return 0;
    auto* box = new QCheckBox(caption, this);
    box->setChecked(checked);
    return AddControl(box, prefix, editorLeft, left, top);
}

int TDodiViveDE::AddRadioButton(
    const QString& caption, const QString& prefix, int editorLeft, int left, int top, bool checked)
{
    if (!acceptDragComponnents_)
        return 0;
    auto* button = new QRadioButton(caption, this);
    button->setChecked(checked);
    return AddControl(button, prefix, editorLeft, left, top);
}

int TDodiViveDE::AddEditBox(const QString& caption, const QString& prefix, int editorLeft, int left, int top)
{
    if (!acceptDragComponnents_)
        return 0;
    return AddControl(new QLineEdit(caption, this), prefix, editorLeft, left, top);
}

int TDodiViveDE::AddButton(const QString& caption, const QString& prefix, int editorLeft, int left, int top)
{
    if (!acceptDragComponnents_)
        return 0;
    return AddControl(new QPushButton(caption, this), prefix, editorLeft, left, top);
}

void TDodiViveDE::AddLineNumbers()
{
    QTextCursor cursor = textCursor();
    cursor.createList(NumberingFormat(TRtfNumbering::Decimal));
}

void TDodiViveDE::AddBullets() { NumberAll(TRtfNumbering::Bullet); }

void TDodiViveDE::AddRomanNumbers() { NumberAll(TRtfNumbering::UpperRoman); }

void TDodiViveDE::NumberAll(TRtfNumbering numbering)
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.createList(NumberingFormat(numbering));
    cursor.movePosition(QTextCursor::Start);
    setTextCursor(cursor);
}

QString TDodiViveDE::RequireSelection()
{
    const QString selected = SelText();
    if (selected.isEmpty())
        MessageDlg(QStringLiteral("Please select text before using this feature."), mtError, mbOK);
    return selected;
}

bool TDodiViveDE::MailSelection()
{
    const QString selected = RequireSelection();
    return !selected.isEmpty() && Mail(selected);
}

bool TDodiViveDE::MailText()
{
    QString text;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        text += block.text() + QStringLiteral("\r\n");
    if (document()->isEmpty()) {
        MessageDlg(QStringLiteral("Please enter text before using this feature."), mtError, mbOK);
        return false;
    }
    return Mail(text);
}

bool TDodiViveDE::Mail(const QString& body)
{
    const QString address = MailToAddress(QString(), QStringLiteral("Check it out please."), body);
    if (address.size() > kMaxMailToLength) {
        MessageDlg(QStringLiteral("The text is too long to hand to the mail program (at most 128 KiB once encoded): "
                                  "select a part of it."),
            mtError, mbOK);
        return false;
    }
    if (!ProgramLauncher().openWithDesktop(QUrl::fromEncoded(address.toLatin1()))) {
        MessageDlg(QStringLiteral("The mail program could not be started."), mtError, mbOK);
        return false;
    }
    return true;
}

int TDodiViveDE::PrintTo(QPagedPaintDevice& device, bool selectionOnly) const
{
    const QTextCursor cursor = textCursor();
    const std::unique_ptr<QTextDocument> range(selectionOnly
            ? PrintRange(*document(), cursor.selectionStart(), cursor.selectionEnd())
            : PrintRange(*document()));
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setDocName(PrintTitle(range->toPlainText()));
    return PrintDocument(*range, device);
}

void TDodiViveDE::PrintWithDialog()
{
    QPrinter printer;
    if (!Dialogs().PrintDialog(printer, this))
        return;
    PrintTo(printer, false);
}

void TDodiViveDE::PrintAll()
{
    QPrinter printer;
    PrintTo(printer, false);
}

void TDodiViveDE::PrintSelection()
{
    if (!textCursor().hasSelection())
        return;
    QPrinter printer;
    PrintTo(printer, true);
}

QMenu* TDodiViveDE::GetPopupMenu()
{
    if (!useOwnMenu_ || popupMenu_)
        return popupMenu_;
    delete ownMenu_;
    ownMenu_ = new QMenu(this);
    const bool selection = SelLength() > 0;
    const auto item = [this](const QString& caption, const QString& name, bool enabled, auto action) {
        QAction* added = ownMenu_->addAction(caption, this, action);
        added->setObjectName(name);
        added->setEnabled(enabled);
    };
    item(QStringLiteral("Undo"), QStringLiteral("MenuItem0"), CanUndo(), [this] { UndoEdit(); });
    ownMenu_->addSeparator();
    item(QStringLiteral("Cut"), QStringLiteral("MenuItem2"), selection, [this] { CutText(); });
    item(QStringLiteral("Copy"), QStringLiteral("MenuItem3"), selection, [this] { CopyText(); });
    item(QStringLiteral("Paste"), QStringLiteral("MenuItem4"), true, [this] { PasteText(); });
    item(QStringLiteral("Select All"), QStringLiteral("MenuItem5"), true, [this] { SelectAllText(); });
    ownMenu_->addSeparator();
    item(QStringLiteral("Clear"), QStringLiteral("MenuItem6"), true, [this] { ClearText(); });
    item(QStringLiteral("Clear Selection"), QStringLiteral("MenuItem7"), selection, [this] { DeleteSelection(); });
    ownMenu_->addSeparator();
    item(QStringLiteral("Find"), QStringLiteral("MenuItem8"), true, [this] { OpenFindDialog(); });
    ownMenu_->addSeparator();
    if (highlightXML_)
        item(QStringLiteral("HighLight XML"), QStringLiteral("MenuItem9"), true, [this] { RunXMLHighlighter(); });
    if (highlightHTML_)
        item(QStringLiteral("HighLight HTML"), QStringLiteral("MenuItem10"), true, [this] { RunHTMLHighlighter(); });
    ownMenu_->addSeparator();
    item(QStringLiteral("Print"), QStringLiteral("MenuItem12"), true, [this] { PrintWithDialog(); });
    item(QStringLiteral("Print Selected Text"), QStringLiteral("MenuItem13"), selection, [this] { PrintSelection(); });
    return ownMenu_;
}

void TDodiViveDE::contextMenuEvent(QContextMenuEvent* event)
{
    if (QMenu* menu = GetPopupMenu())
        menu->popup(event->globalPos());
}

bool TDodiViveDE::EditorCharacter(int code)
{
    switch (code) {
    case 2:
        ToggleBold();
        return true;
    case 9:
        ToggleItalic();
        return true;
    case 19:
        ToggleStrikeOut();
        return true;
    case 21:
        ToggleUnderline();
        return true;
    case 1:
        SelectAllText();
        return false;
    case 6:
        OpenFindDialog();
        return false;
    case 16:
        PrintWithDialog();
        return false;
    default:
        return false;
    }
}

void TDodiViveDE::ViewerKey(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
        Scroll(TScrollAction::PageUp);
        break;
    case Qt::Key_PageDown:
        Scroll(TScrollAction::PageDown);
        break;
    case Qt::Key_End:
        Scroll(TScrollAction::Bottom);
        break;
    case Qt::Key_Home:
        Scroll(TScrollAction::Top);
        break;
    case Qt::Key_Left:
        Scroll(TScrollAction::LineLeft);
        break;
    case Qt::Key_Up:
        Scroll(TScrollAction::LineUp);
        break;
    case Qt::Key_Right:
        Scroll(TScrollAction::LineRight);
        break;
    case Qt::Key_Down:
        Scroll(TScrollAction::LineDown);
        break;
    default:
        break;
    }
    event->accept();
}

void TDodiViveDE::keyPressEvent(QKeyEvent* event)
{
    if (hideCaret_) {
        ViewerKey(event);
        return;
    }
    UpdateStatusHint();
    if (EditorCharacter(ControlCode(event))) {
        event->accept();
        return;
    }
    TRichEdit::keyPressEvent(event);
}

void TDodiViveDE::keyReleaseEvent(QKeyEvent* event)
{
    if (hideCaret_)
        event->accept();
    else
        TRichEdit::keyReleaseEvent(event);
}

void TDodiViveDE::mousePressEvent(QMouseEvent* event)
{
    if (hideCaret_ && event->button() == Qt::LeftButton) {
        if (!hasFocus())
            setFocus();
        return;
    }
    UpdateStatusHint();
    TRichEdit::mousePressEvent(event);
}

void TDodiViveDE::mouseReleaseEvent(QMouseEvent* event)
{
    if (!(hideCaret_ && event->button() == Qt::LeftButton))
        TRichEdit::mouseReleaseEvent(event);
}

void TDodiViveDE::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (hideCaret_)
            return;
        const QUrl link(anchorAt(event->position().toPoint()));
        if (link.isLocalFile()) {
            OpenFileObject(link.toLocalFile());
            return;
        }
    }
    TRichEdit::mouseDoubleClickEvent(event);
}

bool TDodiViveDE::OpenFileObject(const QString& fileName)
{
    const QFileInfo file(fileName);
    if (!file.isFile()) {
        MessageDlg(QStringLiteral("\"%1\" is not there any more.").arg(fileName), mtError, mbOK);
        return false;
    }
    if (MessageDlg(
            QStringLiteral("Open \"%1\" with the program for its type?").arg(file.fileName()), mtConfirmation, mbYesNo)
        != mrYes)
        return false;
    // The desktop would start a program, not show it: its folder opens instead.
    const QUrl target = QUrl::fromLocalFile(IsProgramFile(file) ? file.absolutePath() : file.absoluteFilePath());
    if (!ProgramLauncher().openWithDesktop(target)) {
        MessageDlg(QStringLiteral("No program could open \"%1\".").arg(fileName), mtError, mbOK);
        return false;
    }
    return true;
}

void TDodiViveDE::mouseMoveEvent(QMouseEvent* event)
{
    if (!hideCaret_)
        TRichEdit::mouseMoveEvent(event);
}

void TDodiViveDE::resizeEvent(QResizeEvent* event)
{
    TRichEdit::resizeEvent(event);
    UpdateFormatRect();
}

void TDodiViveDE::UpdateFormatRect()
{
    const QRect client = contentsRect();
    SetFormatRect({gapLeft_, gapTop_, client.width() - gapRight_ - 1, client.height() - gapBottom_ + 1});
}

bool TDodiViveDE::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasImage() || source->hasHtml() || source->hasUrls() || TRichEdit::canInsertFromMimeData(source);
}

void TDodiViveDE::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly())
        return;
    if (PlainText()) {
        TRichEdit::insertFromMimeData(source);
        return;
    }
    if (source->hasImage()) {
        InsertPicture(qvariant_cast<QImage>(source->imageData()));
        MarkFilesInserted();
        return;
    }
    if (source->hasHtml()) {
        const QTextDocumentFragment fragment = QTextDocumentFragment::fromHtml(source->html(), document());
        if (fragment.toPlainText().size() <= Room())
            textCursor().insertFragment(fragment);
        else
            TRichEdit::insertFromMimeData(source);
        return;
    }
    QStringList files;
    for (const QUrl& url : source->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files << url.toLocalFile();
    if (files.isEmpty()) {
        TRichEdit::insertFromMimeData(source);
        return;
    }
    for (const QString& file : files)
        InsertFile(file, true, true);
}

QString TDodiViveDE::DroppedFile(const QMimeData* data) const
{
    if (!acceptDragFiles_ || !data->hasUrls() || data->urls().isEmpty())
        return {};
    return data->urls().front().toLocalFile();
}

void TDodiViveDE::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedFile(event->mimeData()).isEmpty())
        TRichEdit::dragEnterEvent(event);
    else
        event->acceptProposedAction();
}

void TDodiViveDE::dragMoveEvent(QDragMoveEvent* event)
{
    if (DroppedFile(event->mimeData()).isEmpty())
        TRichEdit::dragMoveEvent(event);
    else
        event->acceptProposedAction();
}

void TDodiViveDE::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty()) {
        if (acceptDragFiles_ || !event->mimeData()->hasUrls())
            TRichEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    if (!CheckSaveChanges())
        return;
    try {
        LoadDocument(file);
    } catch (const EFileError& error) {
        ShowException(QString::fromStdString(error.what()));
    }
}
