// The editor tab: the rich editor on it and the commands of the editor menu
// (Tools > DoroRuveRU Demo) that call its operations.
#include "app/unitZarnWeb.h"

#include "app/ImageLists.h"

#include "editor/DodiViveDE.h"
#include "platform/ui/Dialogs.h"

#include <QAction>
#include <QColor>
#include <QImage>
#include <QVBoxLayout>

namespace {

// Smilies from the editor's image list between coloured sample lines and
// formatted text.
void InsertImageListDemo(TDodiViveDE& editor)
{
    static const QList<QIcon> smilies = SmileyImages();
    const QSize smileySize(19, 19);
    const auto colourSelection = [&editor](const QColor& colour) {
        QTextCharFormat format;
        format.setForeground(colour);
        editor.MergeSelectionFormat(format);
    };
    editor.InsertFromImageList(smilies, 0, smileySize);
    editor.AddEmptyLine();
    // The colour goes on after the empty line: adding a line moves the caret,
    // which forgets the format it would have typed with.
    editor.AddEmptyLine();
    colourSelection(Qt::yellow);
    editor.ReplaceSel(QStringLiteral(" The Velvet Lanterns "));
    editor.AddEmptyLine();
    editor.InsertFromImageList(smilies, 15, smileySize);
    editor.AddEmptyLine();
    editor.AddEmptyLine();
    colourSelection(QColor(0x80, 0x00, 0x80));
    editor.ReplaceSel(QStringLiteral(" Copper Harbour "));
    editor.AddEmptyLine();
    editor.InsertFromImageList(smilies, 5, smileySize);
    editor.AddEmptyLine();
    editor.InsertFormattedText(QStringLiteral("Northern Static"), true, true, true, true, Qt::red);
    editor.AddEmptyLine();
    editor.AddEmptyLine();
    editor.InsertFormattedText(QStringLiteral("C U L8r"), true, false, false, false, QColor(0x00, 0x80, 0x00));
    editor.AddEmptyLine();
    editor.ResetFormat();
}

} // namespace

void TfrmMain::createEditor()
{
    auto* layout = new QVBoxLayout(tabEditor);
    layout->setContentsMargins(0, 0, 0, 0);
    DodiViveDE1 = new TDodiViveDE(tabEditor);
    DodiViveDE1->setObjectName(QStringLiteral("DodiViveDE1"));
    DodiViveDE1->SetSextant(Sextant1);
    DodiViveDE1->Loaded();
    layout->addWidget(DodiViveDE1);
}

void TfrmMain::bindEditorCommands()
{
    // Binds a menu item; withTab: the editor tab is shown first. File errors
    // are reported, as for any command.
    const auto bind = [this](TMenuCommand command, bool withTab, auto operation) {
        OnMenuCommand(command, [this, withTab, operation] {
            if (withTab)
                ShowEditorTab();
            try {
                operation(*DodiViveDE1);
            } catch (const EFileError& error) {
                ShowException(QString::fromStdString(error.what()));
            }
        });
    };
    bind(TMenuCommand::EditorShow, true, [](TDodiViveDE&) {});
    bind(TMenuCommand::EditorNew, true, [](TDodiViveDE& e) { e.NewDocument(); });
    bind(TMenuCommand::EditorOpen, true, [](TDodiViveDE& e) { e.OpenDocument(); });
    bind(TMenuCommand::EditorSave, true, [](TDodiViveDE& e) { e.SaveDocument(); });
    bind(TMenuCommand::EditorSaveAs, true, [](TDodiViveDE& e) { e.SaveDocumentAs(); });
    bind(TMenuCommand::EditorPrint, true, [](TDodiViveDE& e) { e.PrintWithDialog(); });
    bind(TMenuCommand::EditorFind, true, [](TDodiViveDE& e) { e.OpenFindDialog(); });
    bind(TMenuCommand::EditorReplace, true, [](TDodiViveDE& e) { e.OpenReplaceDialog(); });
    bind(TMenuCommand::EditorGoToLine, true, [](TDodiViveDE& e) {
        const QString answer = InputBox(
            QStringLiteral("Select A Line"), QStringLiteral("Please Enter a line number to select.."), QString());
        bool number = false;
        const int line = answer.trimmed().toInt(&number);
        if (number)
            e.SelectLine(line);
    });
    bind(TMenuCommand::EditorSelectionAsLink, false, [](TDodiViveDE& e) { e.SetSelectionAsHyperlink(true); });
    bind(TMenuCommand::EditorWordAsLink, false, [](TDodiViveDE& e) { e.SetWordAsHyperlink(true); });
    QAction* wrap = MenuItem(TMenuCommand::EditorWrapLines);
    OnMenuCommand(TMenuCommand::EditorWrapLines, [this, wrap] {
        ShowEditorTab();
        DodiViveDE1->SetWordWrap(wrap->isChecked());
    });
    bind(TMenuCommand::EditorHighlightHtml, true, [](TDodiViveDE& e) {
        if (!e.LoadFromBrowserDocument())
            return;
        if (e.HighlightHTML())
            e.HighlightAsHTML();
        e.ScrollToFirstLine();
    });
    // The preview is seen on the browser's tab.
    OnMenuCommand(TMenuCommand::EditorPreviewInBrowser, [this] {
        if (DodiViveDE1->PreviewInBrowser())
            ShowBrowserTab();
    });
    bind(TMenuCommand::EditorLoadFromBrowser, true, [](TDodiViveDE& e) { e.LoadFromBrowserStream(); });
    bind(TMenuCommand::EditorHighlightXml, true, [](TDodiViveDE& e) { e.HighlightAsXML(); });
    bind(TMenuCommand::EditorSetColor, true, [](TDodiViveDE& e) { e.SetBackgroundColor(); });
    bind(TMenuCommand::EditorSetTheme, true, [](TDodiViveDE& e) { e.ApplyTheme(tBlack); });
    bind(TMenuCommand::EditorAddDateTime, true, [](TDodiViveDE& e) { e.AddDateTime(); });
    // The file chosen for insertion; empty when the dialog was cancelled.
    const auto chooseFile = [this](const QString& filter) {
        TFileDialogOptions options;
        options.Filter = filter;
        options.Owner = this;
        return Dialogs().OpenDialog(options) ? options.FileName : QString();
    };
    bind(TMenuCommand::EditorInsertFileLink, true,
        [chooseFile](TDodiViveDE& e) { e.InsertFile(chooseFile(QStringLiteral("All files|*")), true, true); });
    bind(TMenuCommand::EditorInsertBitmap, true, [chooseFile](TDodiViveDE& e) {
        e.InsertFile(chooseFile(QStringLiteral("Pictures|*.bmp *.png *.jpg *.jpeg *.gif|All files|*")), false, false);
    });
    bind(TMenuCommand::EditorInsertSmilies, true, [](TDodiViveDE& e) { InsertImageListDemo(e); });
    bind(TMenuCommand::EditorMailSelection, true, [](TDodiViveDE& e) { e.MailSelection(); });
    bind(TMenuCommand::EditorMail, true, [](TDodiViveDE& e) { e.MailText(); });
    bind(TMenuCommand::EditorSnapshot, true, [](TDodiViveDE& e) {
        QImage picture;
        e.CreateSnapshot(picture);
    });
    bind(TMenuCommand::EditorAddCheckBox, true,
        [](TDodiViveDE& e) { e.AddCheckBox(QStringLiteral("TCheckBox"), QStringLiteral("cb"), 20, 30, 170, true); });
    bind(TMenuCommand::EditorAddEditBox, true,
        [](TDodiViveDE& e) { e.AddEditBox(QStringLiteral("TEdit"), QStringLiteral("edt"), 20, 30, 80); });
    bind(TMenuCommand::EditorAddRadioButton, true, [](TDodiViveDE& e) {
        e.AddRadioButton(QStringLiteral("TRadioButton"), QStringLiteral("rb"), 20, 30, 40, true);
    });
    bind(TMenuCommand::EditorAddButton, true,
        [](TDodiViveDE& e) { e.AddButton(QStringLiteral("TButton"), QStringLiteral("btn"), 20, 30, 130); });
    bind(TMenuCommand::EditorAddLineNumbers, true, [](TDodiViveDE& e) { e.AddLineNumbers(); });
    bind(TMenuCommand::EditorAddBullets, true, [](TDodiViveDE& e) { e.AddBullets(); });
    bind(TMenuCommand::EditorAddRomanNumbers, true, [](TDodiViveDE& e) { e.AddRomanNumbers(); });
    bind(TMenuCommand::EditorSetFonts, true, [](TDodiViveDE& e) { e.SelectFont(); });
    bind(TMenuCommand::EditorSetFontColor, true, [](TDodiViveDE& e) { e.SetSelectionColor(); });
    bind(TMenuCommand::EditorSetSize, true, [](TDodiViveDE& e) { e.SelectFont(); });
    bind(TMenuCommand::EditorBold, true, [](TDodiViveDE& e) { e.ToggleBold(); });
    bind(TMenuCommand::EditorItalic, true, [](TDodiViveDE& e) { e.ToggleItalic(); });
    bind(TMenuCommand::EditorUnderline, true, [](TDodiViveDE& e) { e.ToggleUnderline(); });
    bind(TMenuCommand::EditorSelectionBackground, true, [](TDodiViveDE& e) { e.SetSelectionBackground(); });
    bind(TMenuCommand::EditorResetFormat, false, [](TDodiViveDE& e) { e.ResetFormat(); });
}
