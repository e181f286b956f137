#pragma once
// TDodiViveDE: the source editor. A rich-edit control with file commands and
// their questions, a status hint kept current, HTML and XML colouring through
// the highlighters, clickable web addresses that open in a browser, a
// built-in context menu, formatting commands, colour themes, find and
// replace, a read-only viewer mode without a caret, and dropped files.
#include "platform/richedit/RichEdit.h"
#include "platform/richedit/RtfReader.h"

#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPagedPaintDevice>
#include <QPointer>
#include <QStatusBar>

#include <functional>

class TSextant;

enum TThemes { tDefault, tXP, tBlack, tAluminum, tLight };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// What the find and replace dialogs hand to their handlers.
struct TFindRequest {
    QString FindText;
    QString ReplaceText{};
    // Set by the dialog on every search; the editor clears it for a search
    // that starts from the beginning.
    bool FindNext = true;
};

class TDodiViveDE : public TRichEdit {
    Q_OBJECT
public:
    static inline const QString kUntitled = QStringLiteral("Untitled");

    explicit TDodiViveDE(QWidget* parent = nullptr);
    ~TDodiViveDE() override;

    // Applies the stored properties; the owner calls it once after setting them.
    void Loaded();

    // Properties.
    bool AcceptDragComponnents() const { return acceptDragComponnents_; }
    void SetAcceptDragComponnents(bool on) { acceptDragComponnents_ = on; }
    bool AcceptDragFiles() const { return acceptDragFiles_; }
    void SetAcceptDragFiles(bool on) { acceptDragFiles_ = on; }
    bool AutoNavigate() const { return autoNavigate_; }
    void SetAutoNavigate(bool on) { autoNavigate_ = on; }
    TSextant* Sextant() const;
    void SetSextant(TSextant* sextant);
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }
    int GapLeft() const { return gapLeft_; }
    int GapTop() const { return gapTop_; }
    int GapRight() const { return gapRight_; }
    int GapBottom() const { return gapBottom_; }
    // Accept only a different value of 0 or more, then re-create the control.
    void SetGapLeft(int gap) { SetGap(gapLeft_, gap); }
    void SetGapTop(int gap) { SetGap(gapTop_, gap); }
    void SetGapRight(int gap) { SetGap(gapRight_, gap); }
    void SetGapBottom(int gap) { SetGap(gapBottom_, gap); }
    bool HighlightHTML() const { return highlightHTML_; }
    void SetHighlightHTML(bool on) { highlightHTML_ = on; }
    bool HighlightURL() const { return highlightURL_; }
    void SetHighlightURL(bool on) { highlightURL_ = on; }
    bool HighlightXML() const { return highlightXML_; }
    void SetHighlightXML(bool on) { highlightXML_ = on; }
    bool HideCaret() const { return hideCaret_; }
    // True hides the caret at once; false does not show it again.
    void SetHideCaret(bool on);
    QWidget* Image() const { return image_; }
    void SetImage(QWidget* image) { image_ = image; }
    QStatusBar* Statusbar() const { return statusbar_; }
    void SetStatusbar(QStatusBar* statusbar) { statusbar_ = statusbar; }
    bool SupprtMoreThen64KB() const { return supprtMoreThen64KB_; }
    void SetSupprtMoreThen64KB(bool on) { supprtMoreThen64KB_ = on; }
    TAlignment TextAlignment() const { return textAlignment_; }
    void SetTextAlignment(TAlignment alignment) { textAlignment_ = alignment; }
    TThemes Themes() const { return themes_; }
    void SetThemes(TThemes theme) { themes_ = theme; }
    // 0: the default text limit (16,777,215 characters).
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool on);
    const QString& Hint() const { return hint_; }
    bool WordWrap() const { return lineWrapMode() != NoWrap; }
    void SetWordWrap(bool on) { setLineWrapMode(on ? WidgetWidth : NoWrap); }
    // The menu shown on right click instead of the built-in one.
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    // The whole document as the control streams it in its current mode;
    // setting it loads the control from the given bytes.
    QByteArray RTFText() const { return SaveToBytes(); }
    void SetRTFText(const QByteArray& text) { LoadFromBytes(text); }

    // Raised by DoURLClick with the editor and the clicked address, in place
    // of navigating the Sextant. Unassigned: the Sextant navigates.
    std::function<void(TDodiViveDE* sender, const QString& url)> OnURLClick;

    // Status and position.
    void UpdateStatusHint();
    int CurrentLine() const { return currentLine_; }
    int CurrentColumn() const { return currentColumn_; }
    int LineCount() const;
    int GetLineLength(int charIndex) const { return LineLength(charIndex); }
    bool SelectLine(int line);
    void ScrollToFirstLine();

    // Files. Load and save failures throw EFileError with the document and
    // FileName unchanged. False: the user cancelled (nothing saved or loaded).
    bool CheckSaveChanges();
    bool NewDocument();
    void LoadDocument(const QString& fileName);
    bool OpenDocument();
    // Save writes FileName, Save As the chosen name, each with ".html" added
    // unless the name already ends in ".html" or ".htm" (any letter case);
    // an existing file is overwritten only when the user agrees. A document
    // loaded from a file that is not RTF is written as plain text.
    bool SaveDocument();
    bool SaveDocumentAs();
    // The file Save and Save As write for a name.
    static QString SaveTarget(const QString& name);

    // Editing.
    void CutText();
    void CopyText();
    void PasteText();
    void DeleteSelection();
    void SelectAllText();
    void ClearText();
    void UndoEdit();
    bool CanUndo() const { return TRichEdit::CanUndo(); }
    bool IsModified() const { return Modified(); }
    void AddEmptyLine();
    int AddDateTime();
    void InsertFormattedText(
        const QString& text, bool bold, bool italic, bool strikeOut, bool underline, const QColor& color);
    void ResetFormat();

    // Formatting.
    void SelectFont();
    void ToggleBold();
    void ToggleItalic();
    void ToggleUnderline();
    void ToggleStrikeOut();
    void GrowSelectionFont();
    void SetSelectionColor();
    void SetBackgroundColor();
    void SetSelectionBackground();
    void ApplyTheme(TThemes theme);
    void ApplyTextAlignment(TAlignment alignment);
    void ApplyLinkFormat(bool active, bool words);
    void SetSelectionAsHyperlink(bool active) { ApplyLinkFormat(active, false); }
    void SetWordAsHyperlink(bool active) { ApplyLinkFormat(active, true); }

    // Syntax colouring: the document is replaced by its coloured form and the
    // control is left in plain-text mode.
    void RunHTMLHighlighter();
    void RunXMLHighlighter();
    void HighlightAsHTML();
    void HighlightAsXML();

    // Find and replace.
    void OpenFindDialog();
    void OpenReplaceDialog();
    void DoFind(TFindRequest& request);
    void DoReplace(const TFindRequest& request);

    // Links: acts on a clicked address when AutoNavigate is on.
    void DoURLClick(const QString& url);

    // Objects, inserted at the caret; each returns the line count and sets
    // the mark that stops find and replace once the object is in.
    // InsertFile with asIcon: a file object, the icon of the file's type over
    // its name, standing in a link to the file (both values of `link` link);
    // without: the picture the file holds. An empty name (a cancelled choice)
    // inserts nothing; a name that is not a regular file, or a picture that
    // cannot be read or is too large, throws EFileError.
    int InsertFile(const QString& fileName, bool link, bool asIcon);
    // The image at `index` drawn one pixel wider and higher than imageSize;
    // an index outside the list inserts nothing.
    int InsertFromImageList(const QList<QIcon>& images, int index, QSize imageSize);
    // A picture the document holds as a resource of its own; with href, the
    // picture is a link to it.
    void InsertPicture(const QImage& image, const QString& href = QString());

    // Draws the document, as much as fits, into picture at the editor's size
    // (a picture without size is first filled with the background colour).
    // Without an Image assigned, offers to save it as a BMP file, ".bmp"
    // added to a chosen name without it; an existing file is replaced only
    // after the overwrite question. A failed save throws EFileError.
    void CreateSnapshot(QImage& picture);
    // The name a snapshot is saved under for a chosen name.
    static QString SnapshotTarget(const QString& chosen);

    // Controls placed on the editor at left and top, named the prefix and
    // the count of controls added so far ("cb0", "edt1", ...), living until
    // the editor goes. The editor is moved to editorLeft unless a layout
    // places it. The new count; 0 (nothing added) when AcceptDragComponnents
    // is off.
    int AddCheckBox(const QString& caption, const QString& prefix, int editorLeft, int left, int top, bool checked);
    int AddRadioButton(const QString& caption, const QString& prefix, int editorLeft, int left, int top, bool checked);
    int AddEditBox(const QString& caption, const QString& prefix, int editorLeft, int left, int top);
    int AddButton(const QString& caption, const QString& prefix, int editorLeft, int left, int top);

    // Opens the file of a file object (a double click on it does this) with
    // the desktop's program for its type once the user agrees; a program,
    // script or desktop entry is never started: its folder opens instead.
    // A file that is gone, or that no program opens, is reported; false
    // then, and when the user said no.
    bool OpenFileObject(const QString& fileName);

    // Paragraph numbering, from 1 with "." after the number: arabic numbers
    // on the selected paragraphs (the caret's one when nothing is selected);
    // bullets and upper-case roman numbers on every paragraph, the caret
    // left at the start.
    void AddLineNumbers();
    void AddBullets();
    void AddRomanNumbers();

    // Mail through the desktop's program for mailto: addresses, with the
    // subject "Check it out please.". RequireSelection: the selected text;
    // empty after telling the user to select some. MailText: the whole
    // text, each line ending in CR LF. A text too long to hand over, or a
    // mail program that does not start, is reported; false then.
    QString RequireSelection();
    bool MailSelection();
    bool MailText();

    // Browser exchange with the assigned Sextant. Without one, each says
    // "You must assign a TSextant before using this feature." (the clipboard
    // load: "You should Assign A web Browser before using this feature!")
    // and changes nothing; false then, and whenever the operation did not
    // happen (each failure is reported, except one the user chose).
    //
    // PreviewInBrowser stops a page still loading, opens an empty page
    // (waiting at most 10 s) and shows the whole text there as HTML: the
    // text never runs inside the site that was shown before.
    bool PreviewInBrowser();
    // The three loads first ask the save question (Cancel: nothing happens),
    // then wait for the page to complete: at most 30 s, events processed;
    // Esc or the browser's Stop ends the wait and the load quietly. The
    // editor's text is replaced only once the new content is in hand: the
    // page's code as text (Stream: as the page is saved; Document: the
    // document element's inner HTML, never rendered or fetching anything),
    // or the rendered page through the clipboard, pasted under the editor's
    // paste rules. Then FileName becomes the page's title made safe
    // (FileNameFromTitle), and the caret goes to the start of the second
    // line (the first when there is one line).
    bool LoadFromBrowserStream();
    bool LoadFromBrowserDocument();
    bool LoadFromBrowserClipboard();
    // A page title as a file name in the current folder: "/", "\" and control
    // characters become "_", leading dots go, and the name is cut at a
    // character boundary to 250 bytes of UTF-8, so that Save's ".html" still
    // fits; an empty result is "Untitled". Ordinary titles stay as they are.
    static QString FileNameFromTitle(const QString& title);

    // Printing on pages with 1" sides and 1.5" top and bottom, the blanks at
    // the end of the text dropped: the whole text after the print dialog, or
    // at once on the current printer; the selection (nothing when it holds
    // only blanks). The job is titled with the text's first line.
    void PrintWithDialog();
    void PrintAll();
    void PrintSelection();
    // Prints the whole text or the selection onto device; the pages printed.
    int PrintTo(QPagedPaintDevice& device, bool selectionOnly) const;

    // The menu a right click shows: the assigned PopupMenu, or the built-in
    // one, built anew so that its enabled states follow the selection.
    QMenu* GetPopupMenu();

protected:
    // Called by the operations that insert objects, files or pictures: find
    // and replace refuse to work until the next new, load or Loaded.
    void MarkFilesInserted() { filesInserted_ = true; }

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Paste and drop take the richest form offered: a picture as a picture
    // of the document, HTML as formatted text (its pictures other than
    // small data: addresses shown as placeholders, never read), local files
    // as file objects, else the text. In plain-text mode, and for what
    // passes the text limit, only text. Read-only: nothing.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void WindowCreated();
    void UpdateFormatRect();
    void SetGap(int& gap, int value);
    void RunHighlighter(bool html);
    void NumberAll(TRtfNumbering numbering);
    bool Mail(const QString& body);
    bool WaitForBrowserPage(const QString& noBrowserText);
    void LoadBrowserText(const QString& text);
    void FinishBrowserLoad();
    int AddControl(QWidget* control, const QString& prefix, int editorLeft, int left, int top);
    void WriteDocument(const QString& target);
    bool AskOverwrite(const QString& target, bool noMeansSaveAs);
    bool FindGuard();
    void AddLine(const QString& text);
    void SetSelectionStyle(QTextCharFormat::Property property, bool on);
    void ViewerKey(QKeyEvent* event);
    // The Ctrl character codes the editor acts on; true when consumed.
    bool EditorCharacter(int code);
    void OnLinkNotify(const TLinkNotification& notification);
    QString DroppedFile(const QMimeData* data) const;

    bool acceptDragComponnents_ = true;
    bool acceptDragFiles_ = true;
    bool autoNavigate_ = true;
    QPointer<TSextant> sextant_;
    QString fileName_ = kUntitled;
    int gapLeft_ = 0, gapTop_ = 0, gapRight_ = 0, gapBottom_ = 0;
    bool highlightHTML_ = true;
    bool highlightURL_ = true;
    bool highlightXML_ = true;
    bool hideCaret_ = false;
    QPointer<QWidget> image_;
    QPointer<QStatusBar> statusbar_;
    bool supprtMoreThen64KB_ = false;
    TAlignment textAlignment_ = taLeftJustify;
    TThemes themes_ = tDefault;
    int maxLength_ = 0;
    bool showHint_ = true;
    QString hint_;
    QPointer<QMenu> popupMenu_;

    bool filesInserted_ = false;
    int controlCount_ = 0;
    int findPos_ = 0; // 1-based position of the last match; 0 when none
    bool useOwnMenu_ = true;
    QMenu* ownMenu_ = nullptr;
    int currentLine_ = 0;
    int currentColumn_ = 0;
};
