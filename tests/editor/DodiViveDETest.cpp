// The rich editor: status hint, file commands and their questions, find and
// replace, lines, viewer mode, links, colouring, themes, keys, the context
// menu and dropped files. Dialogs are answered by ScriptedDialogs.
#include "editor/DodiViveDE.h"
#include "FakeWebBrowser.h"
#include "ScriptedDialogs.h"
#include "browserhost/Sextant.h"
#include "platform/input/KeyboardInput.h"
#include "platform/shell/ProgramLauncher.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPdfWriter>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextList>

#include <gtest/gtest.h>

#include <sys/stat.h>

// Shows texts as text in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QByteArray& bytes, std::ostream* out) { *out << '"' << bytes.toStdString() << '"'; }

namespace {

// Exposes what the object-inserting operations set, and the drop handler.
class Editor : public TDodiViveDE {
public:
    using TDodiViveDE::canInsertFromMimeData;
    using TDodiViveDE::dropEvent;
    using TDodiViveDE::insertFromMimeData;
    using TDodiViveDE::MarkFilesInserted;
};

class DodiViveDETest : public ::testing::Test {
protected:
    DodiViveDETest()
    {
        editor.resize(400, 300);
        editor.Loaded();
        SetToggles(false, true, false);
    }

    static void SetToggles(bool capsLock, bool numLock, bool insert)
    {
        std::array<std::uint8_t, 256> state{};
        state[0x14] = capsLock ? 1 : 0;
        state[0x90] = numLock ? 1 : 0;
        state[0x2D] = insert ? 1 : 0;
        SetKeyboardState(state.data());
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    void WriteFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void SetText(const QString& text)
    {
        editor.SetPlainText(true);
        editor.LoadFromBytes(text.toUtf8());
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    Editor editor;
};

TEST_F(DodiViveDETest, StatusHintOfANewDocument)
{
    editor.UpdateStatusHint();
    EXPECT_EQ(editor.Hint(),
        QStringLiteral("File Name: Untitled. | \n\rPosition: Line:   1   Col:   1. | \n\r. | \n\rCaps Lock: Off. | "
                       "\n\rNumLock: On. | \n\rInsert: Off. | \n\rTotal Lines Count: 0. |"));
    EXPECT_EQ(editor.CurrentLine(), 1);
    EXPECT_EQ(editor.CurrentColumn(), 1);
}

TEST_F(DodiViveDETest, StatusHintFollowsCaretModifiedFlagAndKeys)
{
    SetText(QStringLiteral("first\nsecond line\nthird"));
    editor.SetSel(17, 17);
    editor.SetModified(true);
    SetToggles(true, false, true);
    editor.UpdateStatusHint();
    EXPECT_EQ(editor.Hint(),
        QStringLiteral(
            "File Name: Untitled. | \n\rPosition: Line:   2   Col:  12. | \n\rModified. | \n\rCaps Lock: On. | "
            "\n\rNumLock: Off. | \n\rInsert: On. | \n\rTotal Lines Count: 3. |"));
    EXPECT_EQ(editor.CurrentLine(), 2);
    EXPECT_EQ(editor.CurrentColumn(), 12);
}

TEST_F(DodiViveDETest, LineCountCountsTheLinesOfText)
{
    const struct {
        QString text;
        int lines;
    } cases[] = {{"", 0}, {"a", 1}, {"a\n", 1}, {"a\nb", 2}, {"\n\n", 2}};
    for (const auto& c : cases) {
        SetText(c.text);
        EXPECT_EQ(editor.LineCount(), c.lines) << c.text.toStdString();
    }
}

TEST_F(DodiViveDETest, SelectLineSelectsWholeLinesWithinBounds)
{
    SetText(QStringLiteral("one\ntwo\nlast"));
    const struct {
        int line;
        bool selected;
        int start, length;
    } cases[] = {{-1, false, 0, 0}, {0, true, 0, 4}, {1, true, 4, 4}, {2, true, 8, 4}, {3, false, 0, 0}};
    for (const auto& c : cases) {
        editor.SetSel(0, 0);
        EXPECT_EQ(editor.SelectLine(c.line), c.selected) << c.line;
        EXPECT_EQ(editor.SelStart(), c.start) << c.line;
        EXPECT_EQ(editor.SelLength(), c.length) << c.line;
    }
}

TEST_F(DodiViveDETest, SavingUntitledAlwaysGoesThroughSaveAs)
{
    SetText(QStringLiteral("body"));
    dialogs.AnswerText(Path("page"));
    EXPECT_TRUE(editor.SaveDocument());
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Last().Kind, QStringLiteral("SaveDialog"));
    EXPECT_EQ(dialogs.Last().Value, QStringLiteral("Untitled.html"));
    EXPECT_EQ(ReadFile(Path("page.html")), QByteArray("body"));
    EXPECT_EQ(editor.FileName(), Path("page"));
    EXPECT_FALSE(editor.IsModified());
}

TEST_F(DodiViveDETest, SavingANamedDocumentWritesItsHtmlFileAndAsksBeforeOverwriting)
{
    const QString overwrite = QStringLiteral("The file already exist. Do you want to overwrite %1 ?");
    const struct {
        const char* name;
        bool exists;
        std::vector<int> answers; // message box answers, in order
        QString saveAsAnswer; // a file chosen in the save dialog; empty: cancelled
        QStringList expectedKinds;
        QByteArray pageContent; // page.html afterwards
        QByteArray otherContent; // other.html afterwards
    } cases[] = {
        {"new target", false, {}, {}, {}, "new", ""},
        {"overwrite yes", true, {mrYes}, {}, {"MessageDlg"}, "new", ""},
        {"overwrite cancel", true, {mrCancel}, {}, {"MessageDlg"}, "old", ""},
        {"overwrite no opens save as", true, {mrNo}, "other", {"MessageDlg", "SaveDialog"}, "old", "new"},
    };
    for (const auto& c : cases) {
        QFile::remove(Path("page.html"));
        QFile::remove(Path("other.html"));
        if (c.exists)
            WriteFile("page.html", "old");
        SetText(QStringLiteral("new"));
        editor.SetFileName(QStringLiteral("  ") + Path("page"));
        dialogs.Clear();
        for (int answer : c.answers)
            dialogs.Answer(answer);
        if (!c.saveAsAnswer.isEmpty())
            dialogs.AnswerText(Path(c.saveAsAnswer));
        editor.SaveDocument();
        QStringList kinds;
        for (const DialogCall& call : dialogs.Calls())
            kinds << call.Kind;
        EXPECT_EQ(kinds, c.expectedKinds) << c.name;
        if (c.exists) {
            EXPECT_EQ(dialogs.Calls().front().Text, overwrite.arg(Path("page.html"))) << c.name;
        }
        EXPECT_EQ(ReadFile(Path("page.html")), c.pageContent) << c.name;
        EXPECT_EQ(ReadFile(Path("other.html")), c.otherContent) << c.name;
    }
}

TEST_F(DodiViveDETest, SaveAsOverAnExistingFileStopsOnAnyAnswerButYes)
{
    for (const int answer : {mrNo, mrCancel, mrYes}) {
        WriteFile("page.html", "old");
        SetText(QStringLiteral("new"));
        dialogs.Clear();
        dialogs.AnswerText(Path("page")).Answer(answer);
        EXPECT_EQ(editor.SaveDocumentAs(), answer == mrYes) << answer;
        EXPECT_EQ(ReadFile(Path("page.html")), answer == mrYes ? QByteArray("new") : QByteArray("old")) << answer;
    }
}

TEST_F(DodiViveDETest, SavingWritesTheControlsCurrentMode)
{
    SetText(QStringLiteral("text"));
    editor.SetFileName(Path("doc"));
    editor.SetPlainText(false);
    editor.SaveDocument();
    EXPECT_TRUE(ReadFile(Path("doc.html")).startsWith("{\\rtf1"));
}

TEST_F(DodiViveDETest, AnHtmlNameGetsNoSecondExtension)
{
    const struct {
        const char* name;
        const char* target;
    } cases[] = {
        {"page", "page.html"},
        {"X.html", "X.html"},
        {"X.HTML", "X.HTML"},
        {"y.Htm", "y.Htm"},
        {" z.htm ", "z.htm"},
        {"notes.txt", "notes.txt.html"},
        {"html", "html.html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TDodiViveDE::SaveTarget(QString::fromUtf8(c.name)), QString::fromUtf8(c.target)) << c.name;
}

TEST_F(DodiViveDETest, AnEditedHtmlFileIsSavedInPlaceAsTextAndSaveAsKeepsTheChosenName)
{
    WriteFile("X.html", "<p>caf\xc3\xa9</p>\n");
    editor.LoadDocument(Path("X.html"));
    QTextCursor end(editor.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("<p>more</p>"));
    dialogs.Answer(mrYes);
    EXPECT_TRUE(editor.SaveDocument());
    EXPECT_EQ(dialogs.Last().Text,
        QStringLiteral("The file already exist. Do you want to overwrite %1 ?").arg(Path("X.html")));
    EXPECT_EQ(ReadFile(Path("X.html")), QByteArray("<p>caf\xc3\xa9</p>\n<p>more</p>"));
    EXPECT_FALSE(QFile::exists(Path("X.html.html")));

    dialogs.AnswerText(Path("Y.HTM"));
    EXPECT_TRUE(editor.SaveDocumentAs());
    EXPECT_EQ(dialogs.Last().Value, Path("X.html")) << "proposed as it is";
    EXPECT_EQ(ReadFile(Path("Y.HTM")), QByteArray("<p>caf\xc3\xa9</p>\n<p>more</p>"));
    EXPECT_FALSE(QFile::exists(Path("Y.HTM.html")));
    EXPECT_EQ(editor.FileName(), Path("Y.HTM"));

    WriteFile("doc.rtf", "{\\rtf1 {\\b bold} text}");
    editor.LoadDocument(Path("doc.rtf"));
    dialogs.AnswerText(Path("doc"));
    EXPECT_TRUE(editor.SaveDocumentAs());
    EXPECT_TRUE(ReadFile(Path("doc.html")).startsWith("{\\rtf1")) << "a rich text stays rich text";
}

TEST_F(DodiViveDETest, OnlyALowerCaseTxtExtensionLoadsAsPlainText)
{
    const QByteArray rtf = "{\\rtf1 {\\b bold} text}";
    const struct {
        const char* name;
        bool plain;
        QString text;
    } cases[] = {
        {"notes.txt", true, QString::fromUtf8(rtf)},
        {"notes.TXT", false, "bold text"},
        {"notes.rtf", false, "bold text"},
        {"notes.txt.bak", false, "bold text"},
    };
    for (const auto& c : cases) {
        WriteFile(c.name, rtf);
        editor.LoadDocument(Path(c.name));
        EXPECT_EQ(editor.PlainText(), c.plain) << c.name;
        EXPECT_EQ(editor.DocumentText(), c.text) << c.name;
        EXPECT_EQ(editor.FileName(), Path(c.name)) << c.name;
    }
}

TEST_F(DodiViveDETest, AFailedLoadLeavesDocumentAndNameUnchanged)
{
    SetText(QStringLiteral("kept"));
    editor.SetFileName(QStringLiteral("before"));
    EXPECT_THROW(editor.LoadDocument(Path("missing.html")), EFileError);
    EXPECT_EQ(editor.DocumentText(), QStringLiteral("kept"));
    EXPECT_EQ(editor.FileName(), QStringLiteral("before"));
}

TEST_F(DodiViveDETest, UnsavedChangesAreAskedAboutFirst)
{
    const struct {
        int answer;
        bool cleared;
        bool saved;
    } cases[] = {{mrCancel, false, false}, {mrNo, true, false}, {mrYes, true, true}};
    for (const auto& c : cases) {
        QFile::remove(Path("doc.html"));
        SetText(QStringLiteral("changed"));
        editor.SetFileName(Path("doc"));
        editor.SetModified(true);
        dialogs.Clear();
        dialogs.Answer(c.answer);
        EXPECT_EQ(editor.NewDocument(), c.cleared) << c.answer;
        EXPECT_EQ(dialogs.Calls().front().Text, QStringLiteral("Save changes to %1?").arg(Path("doc")));
        EXPECT_EQ(editor.DocumentText().isEmpty(), c.cleared) << c.answer;
        EXPECT_EQ(editor.FileName() == TDodiViveDE::kUntitled, c.cleared) << c.answer;
        EXPECT_EQ(QFile::exists(Path("doc.html")), c.saved) << c.answer;
    }
}

TEST_F(DodiViveDETest, OpenDocumentTakesTheDialogsFileAndReadOnlyBox)
{
    WriteFile("open.txt", "opened");
    DialogAnswer answer;
    answer.Text = Path("open.txt");
    dialogs.Enqueue(answer);
    EXPECT_TRUE(editor.OpenDocument());
    EXPECT_TRUE(dialogs.Last().Caption.endsWith(QStringLiteral(" - Open Dialog")));
    EXPECT_EQ(editor.DocumentText(), QStringLiteral("opened"));
    EXPECT_EQ(editor.FileName(), Path("open.txt"));
}

TEST_F(DodiViveDETest, FindReportsNoMatchThenNoFurtherMatchAndStartsOver)
{
    SetText(QStringLiteral("ab\nab x"));
    TFindRequest missing{QStringLiteral("zz")};
    editor.DoFind(missing);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Could not find \"zz\".")});
    TFindRequest request{QStringLiteral("ab")};
    const struct {
        QString message; // empty: found
        int selStart;
    } steps[] = {
        {QString(), 0},
        {QString(), 3},
        {QStringLiteral("There are no further occurences of \"ab\"."), 0},
        {QString(), 0},
    };
    for (const auto& step : steps) {
        dialogs.Clear();
        request.FindNext = true;
        editor.DoFind(request);
        EXPECT_EQ(dialogs.Texts().join(u'|'), step.message);
        EXPECT_EQ(editor.SelStart(), step.selStart);
        EXPECT_EQ(editor.SelLength(), step.message.isEmpty() ? 2 : 0);
    }
}

TEST_F(DodiViveDETest, ReplaceResumesRightAfterTheInsertedText)
{
    const struct {
        QString text, find, replace;
        int clicks;
        QString expected;
    } cases[] = {
        {"cat cat cat", "cat", "dog", 3, "dog dog dog"},
        {"aaa", "a", "aa", 3, "aaaaaa"},
        {"x.x", "x", "", 2, "."},
        {"one\ntwo one", "one", "1", 2, "1\ntwo 1"},
    };
    for (const auto& c : cases) {
        SetText(c.text);
        dialogs.Clear();
        for (int i = 0; i < c.clicks; ++i)
            editor.DoReplace({c.find, c.replace});
        EXPECT_EQ(editor.DocumentText(), c.expected) << c.text.toStdString();
        EXPECT_TRUE(dialogs.Calls().empty()) << c.text.toStdString();
        editor.DoReplace({c.find, c.replace});
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Could not find \"%1\".").arg(c.find)});
    }
}

TEST_F(DodiViveDETest, FindAndReplaceRefuseAfterInsertedFilesUntilANewDocument)
{
    editor.MarkFilesInserted();
    editor.OpenFindDialog();
    editor.OpenReplaceDialog();
    EXPECT_EQ(dialogs.Texts(), QStringList(2, QStringLiteral("You can not use this feature after inserting files.")));
    dialogs.Clear();
    editor.NewDocument();
    editor.OpenFindDialog();
    EXPECT_TRUE(dialogs.Calls().empty());
    for (QDialog* dialog : editor.findChildren<QDialog*>())
        dialog->close();
}

TEST_F(DodiViveDETest, ViewerModeIgnoresTypingAndScrollsWithoutACaret)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("line %1").arg(i);
    SetText(lines.join(u'\n'));
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.SetHideCaret(true);
    editor.SetSel(40, 40);
    QScrollBar* vertical = editor.verticalScrollBar();
    vertical->setValue(vertical->maximum());
    const QString before = editor.DocumentText();
    QTest::keyClicks(&editor, QStringLiteral("typed"));
    QTest::keyClick(&editor, Qt::Key_Delete);
    EXPECT_EQ(editor.DocumentText(), before);
    QTest::keyClick(&editor, Qt::Key_Home);
    EXPECT_EQ(vertical->value(), 0);
    EXPECT_EQ(editor.SelStart(), 40);
    QTest::keyClick(&editor, Qt::Key_End);
    EXPECT_EQ(vertical->value(), vertical->maximum());
    EXPECT_EQ(editor.cursorWidth(), 0);
    editor.SetHideCaret(false);
    EXPECT_EQ(editor.cursorWidth(), 0);
}

TEST_F(DodiViveDETest, EditorKeysToggleStylesAndAreConsumed)
{
    SetText(QStringLiteral("word"));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::function<bool(const QTextCharFormat&)> style;
    } cases[] = {
        {Qt::Key_B, Qt::ControlModifier, [](const QTextCharFormat& f) { return f.fontWeight() == QFont::Bold; }},
        {Qt::Key_I, Qt::ControlModifier, [](const QTextCharFormat& f) { return f.fontItalic(); }},
        {Qt::Key_Tab, Qt::NoModifier, [](const QTextCharFormat& f) { return f.fontItalic(); }},
        {Qt::Key_S, Qt::ControlModifier, [](const QTextCharFormat& f) { return f.fontStrikeOut(); }},
        {Qt::Key_U, Qt::ControlModifier, [](const QTextCharFormat& f) { return f.fontUnderline(); }},
    };
    for (const auto& c : cases) {
        editor.SetSel(0, 4);
        QTest::keyClick(&editor, c.key, c.modifiers);
        EXPECT_TRUE(c.style(editor.SelectionFormat())) << c.key;
        QTest::keyClick(&editor, c.key, c.modifiers);
        EXPECT_FALSE(c.style(editor.SelectionFormat())) << c.key;
        EXPECT_EQ(editor.DocumentText(), QStringLiteral("word")) << c.key;
    }
}

TEST_F(DodiViveDETest, ClickedAddressesGoToTheHandlerOrTheBrowser)
{
    FakeWebBrowserFactory factory;
    QWidget form;
    auto* sextant = new TSextant(&form);
    FakeWebBrowser* control = factory.last();
    SetText(QStringLiteral("see http://example.test/page now"));
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    const QPoint onLink = editor.cursorRect(QTextCursor(editor.document()->findBlockByNumber(0))).center()
        + QPoint(editor.fontMetrics().horizontalAdvance(QStringLiteral("see http://ex")), 0);
    const struct {
        const char* name;
        bool highlightURL, autoNavigate, handler, sextant;
        QString handled; // what the handler got
        int navigations;
    } cases[] = {
        {"handler", true, true, true, true, "http://example.test/page", 0},
        {"browser", true, true, false, true, "", 1},
        {"no browser", true, true, false, false, "", 0},
        {"auto navigate off", true, false, true, true, "", 0},
        {"links off", false, true, true, true, "", 0},
    };
    for (const auto& c : cases) {
        QString handled;
        editor.OnURLClick = nullptr;
        if (c.handler)
            editor.OnURLClick = [&](TDodiViveDE* sender, const QString& url) {
                EXPECT_EQ(sender, &editor);
                handled = url;
            };
        editor.SetHighlightURL(c.highlightURL);
        editor.SetAutoNavigate(c.autoNavigate);
        editor.SetSextant(c.sextant ? sextant : nullptr);
        control->calls.clear();
        QSignalSpy selectionChanges(&editor, &QTextEdit::selectionChanged);
        editor.SetSel(0, 0);
        QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, onLink);
        EXPECT_EQ(handled, c.handled) << c.name;
        const auto navigations = control->callsOf("Navigate").size() + control->callsOf("Navigate2").size();
        EXPECT_EQ(navigations, static_cast<std::size_t>(c.navigations)) << c.name;
        EXPECT_FALSE(selectionChanges.isEmpty()) << c.name;
    }
}

TEST_F(DodiViveDETest, ColouringKeepsTheTextAndLeavesPlainTextMode)
{
    const QString source = QStringLiteral("<p class=\"x\">caf\u00E9</p>\n<br>");
    for (const bool html : {true, false}) {
        SetText(source);
        editor.SetPlainText(false);
        html ? editor.HighlightAsHTML() : editor.HighlightAsXML();
        EXPECT_EQ(editor.DocumentText(), source);
        EXPECT_TRUE(editor.PlainText());
        QTextCursor at(editor.document());
        at.setPosition(1);
        EXPECT_TRUE(at.charFormat().hasProperty(QTextFormat::ForegroundBrush)) << html;
    }
    SetText(source);
    editor.SetHighlightHTML(false);
    editor.SetHighlightXML(false);
    editor.HighlightAsHTML();
    editor.HighlightAsXML();
    QTextCursor at(editor.document());
    at.setPosition(1);
    EXPECT_FALSE(at.charFormat().hasProperty(QTextFormat::ForegroundBrush));
}

TEST_F(DodiViveDETest, ThemesSetBackgroundAndTextColour)
{
    const struct {
        TThemes theme;
        QColor background, text;
    } cases[] = {
        {tXP, QColor(237, 242, 251), Qt::black},
        {tBlack, Qt::black, Qt::white},
        {tAluminum, QColor(192, 192, 192), Qt::white},
        {tLight, QApplication::palette().color(QPalette::ToolTipBase), Qt::black},
        {tDefault, QApplication::palette().color(QPalette::Base), Qt::black},
    };
    for (const auto& c : cases) {
        editor.ApplyTheme(c.theme);
        EXPECT_EQ(editor.Themes(), c.theme);
        EXPECT_EQ(editor.Background(), c.background) << c.theme;
        EXPECT_EQ(editor.DefaultTextColor(), c.text) << c.theme;
    }
}

TEST_F(DodiViveDETest, ContextMenuFollowsSelectionAndHighlighterSwitches)
{
    const auto items = [&] {
        QStringList out;
        for (QAction* action : editor.GetPopupMenu()->actions())
            out << (action->isSeparator() ? QStringLiteral("-")
                                          : action->objectName() + u':' + action->text()
                        + (action->isEnabled() ? QString() : QStringLiteral(" (off)")));
        return out.join(u'|');
    };
    SetText(QStringLiteral("text"));
    EXPECT_EQ(items(),
        "MenuItem0:Undo (off)|-|MenuItem2:Cut (off)|MenuItem3:Copy (off)|MenuItem4:Paste|MenuItem5:Select All|-|"
        "MenuItem6:Clear|MenuItem7:Clear Selection (off)|-|MenuItem8:Find|-|MenuItem9:HighLight XML|"
        "MenuItem10:HighLight HTML|-|MenuItem12:Print|MenuItem13:Print Selected Text (off)");
    editor.SetSel(0, 2);
    editor.ReplaceSel(QStringLiteral("T"));
    editor.SetSel(0, 2);
    editor.SetHighlightXML(false);
    EXPECT_EQ(items(),
        "MenuItem0:Undo|-|MenuItem2:Cut|MenuItem3:Copy|MenuItem4:Paste|MenuItem5:Select All|-|"
        "MenuItem6:Clear|MenuItem7:Clear Selection|-|MenuItem8:Find|-|"
        "MenuItem10:HighLight HTML|-|MenuItem12:Print|MenuItem13:Print Selected Text");
    QMenu assigned;
    editor.SetPopupMenu(&assigned);
    EXPECT_EQ(editor.GetPopupMenu(), &assigned);
}

TEST_F(DodiViveDETest, DroppedFilesLoadOnlyWhenAccepted)
{
    WriteFile("dropped.txt", "from the drop");
    for (const bool accept : {false, true}) {
        SetText(QStringLiteral("before"));
        editor.SetAcceptDragFiles(accept);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Path("dropped.txt")), QUrl::fromLocalFile(Path("second.txt"))});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        editor.dropEvent(&drop);
        EXPECT_EQ(editor.DocumentText(), accept ? QStringLiteral("from the drop") : QStringLiteral("before"));
        EXPECT_EQ(editor.FileName() == Path("dropped.txt"), accept);
    }
}

TEST_F(DodiViveDETest, FormattingCommands)
{
    SetText(QStringLiteral("some words here"));
    editor.SetSel(6, 7);
    editor.SetWordAsHyperlink(true);
    EXPECT_EQ(editor.SelText(), QStringLiteral("words"));
    EXPECT_EQ(editor.SelectionFormat().foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(editor.SelectionFormat().fontUnderline());
    editor.SetSelectionAsHyperlink(false);
    EXPECT_FALSE(editor.SelectionFormat().fontUnderline());
    EXPECT_FALSE(editor.SelectionFormat().isAnchor());

    editor.SetSel(0, 4);
    editor.GrowSelectionFont();
    EXPECT_EQ(editor.SelectionFormat().fontPointSize(), editor.font().pointSizeF() + 2);
    dialogs.AnswerColor(QColor(1, 2, 3)).AnswerColor(QColor(4, 5, 6));
    editor.SetSelectionColor();
    editor.SetSelectionBackground();
    EXPECT_EQ(editor.SelectionFormat().foreground().color(), QColor(1, 2, 3));
    EXPECT_EQ(editor.SelectionFormat().background().color(), QColor(4, 5, 6));
    editor.ResetFormat();
    EXPECT_EQ(editor.font().pointSize(), 8);
    EXPECT_EQ(editor.SelectionFormat().foreground().color(), QColor(Qt::black));

    editor.SetSel(0, 4);
    editor.InsertFormattedText(QStringLiteral("NEW"), true, false, true, false, QColor(255, 0, 0));
    EXPECT_EQ(editor.DocumentText(), QStringLiteral("NEW words here"));
    QTextCursor at(editor.document());
    at.setPosition(2);
    EXPECT_EQ(at.charFormat().fontWeight(), QFont::Bold);
    EXPECT_TRUE(at.charFormat().fontStrikeOut());
    EXPECT_EQ(at.charFormat().foreground().color(), QColor(255, 0, 0));

    editor.ApplyTextAlignment(taCenter);
    EXPECT_EQ(editor.document()->firstBlock().blockFormat().alignment(), Qt::AlignHCenter);
    const int lines = editor.AddDateTime();
    EXPECT_EQ(lines, 2);
    EXPECT_TRUE(editor.document()->lastBlock().text().contains(QRegularExpression(
        QStringLiteral(R"(^Date: [1-9]\d?/[1-9]\d?/\d{4}     On: (0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d?)$)"))));
}

// Added lines count as a string list counts them: a final line break ends
// the last line and starts none.
TEST_F(DodiViveDETest, AddedLinesCountAsInAStringList)
{
    const struct {
        QString before;
        bool empty; // AddEmptyLine, else AddDateTime
        QString after; // "D" stands for the date line
        int lines;
    } cases[] = {
        {"", false, "D", 1},
        {"a", false, "a\nD", 2},
        {"a\n", false, "a\nD", 2},
        {"a\n\n", false, "a\n\nD", 3},
        {"", true, "\n", 1},
        {"a", true, "a\n\n", 2},
        {"a\n", true, "a\n\n", 2},
    };
    for (const auto& c : cases) {
        editor.setPlainText(c.before);
        int lines = 0;
        if (c.empty) {
            editor.AddEmptyLine();
            lines = editor.LineCount();
        } else {
            lines = editor.AddDateTime();
        }
        QString text = editor.document()->toPlainText();
        text.replace(QRegularExpression(QStringLiteral("Date: [^\n]*")), QStringLiteral("D"));
        EXPECT_EQ(text, c.after) << c.before.toStdString() << (c.empty ? " + empty line" : " + date");
        EXPECT_EQ(lines, c.lines) << c.before.toStdString();
    }
}

TEST_F(DodiViveDETest, GapsSetTheFormattingRectangle)
{
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    const QRect client = editor.contentsRect();
    EXPECT_EQ(editor.FormatRect(), (TFormatRect{0, 0, client.width() - 1, client.height() + 1}));
    editor.SetGapLeft(10);
    editor.SetGapTop(5);
    editor.SetGapRight(-3);
    editor.SetGapBottom(7);
    EXPECT_EQ(editor.GapRight(), 0);
    EXPECT_EQ(editor.FormatRect(), (TFormatRect{10, 5, client.width() - 1, client.height() - 6}));
}

// Each paragraph as "<number>|<text>", the number empty when none.
QStringList Numbered(const QTextDocument& document)
{
    QStringList out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextList* list = block.textList();
        const bool bullet = list && list->format().style() == QTextListFormat::ListDisc;
        out << (bullet ? QStringLiteral("*") : list ? list->itemText(block) : QString()) + u'|' + block.text();
    }
    return out;
}

TEST_F(DodiViveDETest, NumberingCommandsNumberTheirParagraphsFromOne)
{
    const struct {
        const char* name;
        int selStart, selEnd; // before the command
        void (TDodiViveDE::*command)();
        QStringList paragraphs;
        int caret; // after it
    } cases[] = {
        // The caret in the third paragraph: only that one, as 1.
        {"caret", 9, 9, &TDodiViveDE::AddLineNumbers, {"|one", "|two", "1.|three", "|four"}, 9},
        {"selection", 2, 9, &TDodiViveDE::AddLineNumbers, {"1.|one", "2.|two", "3.|three", "|four"}, 9},
        {"bullets", 9, 12, &TDodiViveDE::AddBullets, {"*|one", "*|two", "*|three", "*|four"}, 0},
        {"roman", 14, 14, &TDodiViveDE::AddRomanNumbers, {"I.|one", "II.|two", "III.|three", "IV.|four"}, 0},
    };
    for (const auto& c : cases) {
        editor.SetPlainText(false);
        editor.LoadFromBytes(QByteArray("one\ntwo\nthree\nfour"));
        editor.SetSel(c.selStart, c.selEnd);
        (editor.*c.command)();
        EXPECT_EQ(Numbered(*editor.document()), c.paragraphs) << c.name;
        EXPECT_EQ(editor.textCursor().position(), c.caret) << c.name;
        // Saved and opened again, the numbers are the same.
        const QByteArray rtf = editor.SaveToBytes();
        editor.LoadFromBytes(rtf);
        EXPECT_EQ(Numbered(*editor.document()), c.paragraphs) << c.name;
    }
}

// Whether find refuses for inserted files; the dialog it opens is closed.
bool FindRefuses(Editor& editor, ScriptedDialogs& dialogs)
{
    dialogs.Clear();
    editor.OpenFindDialog();
    for (QDialog* dialog : editor.findChildren<QDialog*>())
        dialog->close();
    const bool refused
        = dialogs.Texts().contains(QStringLiteral("You can not use this feature after inserting files."));
    dialogs.Clear();
    return refused;
}

// The pictures of the document, in order, as the images they show.
std::vector<QImage> Pictures(const QTextDocument& document)
{
    std::vector<QImage> out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                out.push_back(
                    document
                        .resource(QTextDocument::ImageResource, QUrl(it.fragment().charFormat().toImageFormat().name()))
                        .value<QImage>());
    return out;
}

TEST_F(DodiViveDETest, PasteTakesTheRichestFormAndNeverReadsFilesThePastedTextNames)
{
    WriteFile(QStringLiteral("secret.png"), "not shown");
    WriteFile(QStringLiteral("notes.txt"), "some notes");
    QImage blue(6, 6, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const QString secret = QUrl::fromLocalFile(Path(QStringLiteral("secret.png"))).toString();
    const auto mime = [](auto fill) {
        auto* data = new QMimeData;
        fill(*data);
        return data;
    };
    const struct {
        const char* name;
        QMimeData* data;
        bool plainText;
        QString text; // what the editor then holds
        int pictures;
        bool bold;
    } cases[] = {
        {"picture", mime([&](QMimeData& d) { d.setImageData(blue); }), false,
            QString(QChar::ObjectReplacementCharacter), 1, false},
        {"html", mime([&](QMimeData& d) {
             d.setHtml(QStringLiteral("<b>bold</b> text<img src=\"%1\">").arg(secret));
             d.setText(QStringLiteral("bold text"));
         }),
            false, QStringLiteral("bold text") + QChar::ObjectReplacementCharacter, 1, true},
        {"html in plain-text mode", mime([&](QMimeData& d) {
             d.setHtml(QStringLiteral("<b>bold</b> text"));
             d.setText(QStringLiteral("bold text"));
         }),
            true, QStringLiteral("bold text"), 0, false},
        {"file", mime([&](QMimeData& d) { d.setUrls({QUrl::fromLocalFile(Path(QStringLiteral("notes.txt")))}); }),
            false, QString(QChar::ObjectReplacementCharacter), 1, false},
        {"folder", mime([&](QMimeData& d) {
             d.setUrls({QUrl::fromLocalFile(dir.path())});
             d.setText(QStringLiteral("a folder"));
         }),
            false, QStringLiteral("a folder"), 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QMimeData> data(c.data);
        editor.SetPlainText(false);
        editor.LoadFromBytes(QByteArray());
        editor.SetPlainText(c.plainText);
        ASSERT_TRUE(editor.canInsertFromMimeData(data.get()));
        editor.insertFromMimeData(data.get());
        EXPECT_EQ(editor.DocumentText(), c.text);
        const std::vector<QImage> pictures = Pictures(*editor.document());
        EXPECT_EQ(pictures.size(), std::size_t(c.pictures));
        for (const QImage& picture : pictures)
            EXPECT_NE(picture.size(), QSize()) << "every picture shows something";
        QTextCursor first(editor.document());
        first.movePosition(QTextCursor::NextCharacter);
        EXPECT_EQ(first.charFormat().fontWeight() == QFont::Bold, c.bold);
    }
}

TEST_F(DodiViveDETest, FailedOrCancelledInsertionsInsertNothingAndKeepFind)
{
    SetText(QStringLiteral("text"));
    ASSERT_EQ(::mkfifo(Path(QStringLiteral("fifo")).toLocal8Bit().constData(), 0600), 0);
    WriteFile(QStringLiteral("notapicture.png"), "plain words");
    // Cancelled choice: nothing, not even an error.
    EXPECT_EQ(editor.InsertFile(QString(), true, true), 1);
    // A folder, a FIFO (read, it would block for ever), a device, a missing
    // file, a file that is no picture: an error each.
    for (const QString& name : {dir.path(), Path(QStringLiteral("fifo")), QStringLiteral("/dev/zero"),
             Path(QStringLiteral("missing")), Path(QStringLiteral("notapicture.png"))})
        EXPECT_THROW(editor.InsertFile(name, false, false), EFileError) << name.toStdString();
    EXPECT_THROW(editor.InsertFile(Path(QStringLiteral("fifo")), true, true), EFileError);
    // Indexes outside the list are ignored.
    const QList<QIcon> images{QIcon(QPixmap(4, 4))};
    for (int index : {-1, 1, 1000})
        EXPECT_EQ(editor.InsertFromImageList(images, index, QSize(4, 4)), 1) << index;
    EXPECT_EQ(editor.DocumentText(), QStringLiteral("text"));
    EXPECT_TRUE(Pictures(*editor.document()).empty());
    EXPECT_FALSE(FindRefuses(editor, dialogs));
}

TEST_F(DodiViveDETest, InsertedPicturesAndFilesAreContentThatSavesAndReopens)
{
    QImage picture(5, 3, QImage::Format_ARGB32);
    picture.fill(qRgba(10, 200, 30, 255));
    ASSERT_TRUE(picture.save(Path(QStringLiteral("p.png"))));
    WriteFile(QStringLiteral("notes.txt"), "some notes");
    QPixmap red(8, 8);
    red.fill(Qt::red);
    editor.SetPlainText(false);
    editor.LoadFromBytes(QByteArray("ab"));
    editor.SetSel(1, 1);
    EXPECT_EQ(editor.InsertFile(Path(QStringLiteral("p.png")), false, false), 1);
    EXPECT_TRUE(FindRefuses(editor, dialogs));
    EXPECT_EQ(editor.InsertFromImageList({QIcon(), QIcon(red)}, 1, QSize(8, 8)), 1);
    EXPECT_EQ(editor.InsertFile(Path(QStringLiteral("notes.txt")), true, true), 1);
    // One object character each, where the caret was.
    EXPECT_EQ(editor.DocumentText(), QStringLiteral("a") + QString(3, QChar::ObjectReplacementCharacter) + u'b');
    auto pictures = Pictures(*editor.document());
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(pictures[0].convertToFormat(QImage::Format_ARGB32), picture);
    // One pixel wider and higher than the list's image size.
    EXPECT_EQ(pictures[1].size(), QSize(9, 9));
    EXPECT_EQ(pictures[1].pixelColor(3, 3), QColor(Qt::red));
    const QString fileLink = QUrl::fromLocalFile(Path(QStringLiteral("notes.txt"))).toString();
    editor.SetSel(3, 4);
    EXPECT_EQ(editor.textCursor().charFormat().anchorHref(), fileLink);

    // Saved and opened again: the same pictures, the file object still a link.
    const QByteArray rtf = editor.SaveToBytes();
    EXPECT_TRUE(rtf.contains("HYPERLINK \"" + fileLink.toUtf8() + "\""));
    WriteFile(QStringLiteral("saved.rtf"), rtf);
    editor.LoadDocument(Path(QStringLiteral("saved.rtf")));
    const auto reopened = Pictures(*editor.document());
    ASSERT_EQ(reopened.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(
            reopened[i].convertToFormat(QImage::Format_ARGB32), pictures[i].convertToFormat(QImage::Format_ARGB32))
            << i;
    editor.SetSel(3, 4);
    EXPECT_EQ(editor.textCursor().charFormat().anchorHref(), fileLink);
    // Loading a document cleared the mark.
    EXPECT_FALSE(FindRefuses(editor, dialogs));
}

// What pdftotext (or pdfinfo) says about the PDF the editor prints.
QString PdfTool(const QString& tool, const QByteArray& pdf, const QString& folder)
{
    QFile file(folder + QStringLiteral("/out.pdf"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pdf);
    file.close();
    QProcess process;
    QStringList arguments{file.fileName()};
    if (tool == u"pdftotext")
        arguments << QStringLiteral("-");
    process.start(tool, arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(DodiViveDETest, PrintsTheTextOrTheSelectionOnPagesWithItsMargins)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("row %1").arg(i);
    SetText(lines.join(u'\n') + QStringLiteral("\n\n   \n\n"));
    const auto print = [this](bool selection, int& pages) {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        pages = editor.PrintTo(writer, selection);
        buffer.close();
        return pdf;
    };
    int pages = 0;
    const QByteArray all = print(false, pages);
    const QString text = PdfTool(QStringLiteral("pdftotext"), all, dir.path());
    // Every row once, in order, and no page of trailing blanks.
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("row \\d+"))), 200);
    EXPECT_TRUE(text.indexOf(u"row 199") < text.indexOf(u"row 200"));
    EXPECT_GT(pages, 1);
    EXPECT_TRUE(PdfTool(QStringLiteral("pdfinfo"), all, dir.path())
                    .contains(QRegularExpression(QStringLiteral("Pages: +%1\n").arg(pages))));

    editor.SetSel(4, 15); // "1\nrow 2\nrow"
    const QString part = PdfTool(QStringLiteral("pdftotext"), print(true, pages), dir.path());
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(part.simplified(), QStringLiteral("1 row 2 row"));

    // A selection of blanks prints nothing.
    const int end = static_cast<int>(editor.DocumentText().size());
    editor.SetSel(end - 5, end);
    print(true, pages);
    EXPECT_EQ(pages, 0);
}

// Records what would be opened instead of starting anything.
class RecordingLauncher : public IProgramLauncher {
public:
    RecordingLauncher() { SetProgramLauncher(this); }
    ~RecordingLauncher() override { SetProgramLauncher(nullptr); }
    bool startDetached(const QString&, const QStringList&) override { return false; }
    bool openWithDesktop(const QUrl& url) override
    {
        Opened << url.toEncoded();
        return Starts;
    }
    QList<QByteArray> Opened;
    bool Starts = true;
};

TEST_F(DodiViveDETest, DoubleClickOnAFileObjectOpensItAfterAskingAndNeverStartsAProgram)
{
    RecordingLauncher launcher;
    WriteFile(QStringLiteral("notes.txt"), "some notes");
    editor.SetPlainText(false);
    editor.LoadFromBytes(QByteArray());
    editor.InsertFile(Path(QStringLiteral("notes.txt")), true, true);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QTextCursor before(editor.document());
    const QPoint onObject = editor.cursorRect(before).topLeft() + QPoint(4, 8);

    // One click only selects it: the address is not followed.
    QStringList followed;
    editor.OnURLClick = [&followed](TDodiViveDE*, const QString& url) { followed << url; };
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, onObject);
    EXPECT_TRUE(followed.isEmpty()) << followed.join(' ').toStdString();

    dialogs.Answer(mrNo);
    QTest::mouseDClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, onObject);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Open \"notes.txt\" with the program for its type?")});
    EXPECT_TRUE(launcher.Opened.isEmpty());
    dialogs.Answer(mrYes);
    QTest::mouseDClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, onObject);
    EXPECT_EQ(launcher.Opened, QList<QByteArray>{QUrl::fromLocalFile(Path(QStringLiteral("notes.txt"))).toEncoded()});

    // Programs, scripts and desktop entries: their folder opens instead.
    WriteFile(QStringLiteral("run.sh"), "#!/bin/sh\necho hi\n");
    QFile::setPermissions(Path(QStringLiteral("run.sh")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    WriteFile(QStringLiteral("app.desktop"), "[Desktop Entry]\nType=Application\nExec=sh\n");
    WriteFile(QStringLiteral("setup.exe"), "MZ");
    for (const char* program : {"run.sh", "app.desktop", "setup.exe"}) {
        launcher.Opened.clear();
        dialogs.Answer(mrYes);
        EXPECT_TRUE(editor.OpenFileObject(Path(QString::fromLatin1(program))));
        EXPECT_EQ(launcher.Opened, QList<QByteArray>{QUrl::fromLocalFile(dir.path()).toEncoded()}) << program;
    }

    dialogs.Clear();
    EXPECT_FALSE(editor.OpenFileObject(Path(QStringLiteral("gone.txt"))));
    EXPECT_EQ(dialogs.Texts().size(), 1);
}

TEST_F(DodiViveDETest, MailHandsTheEncodedTextToTheMailProgramAndSaysWhenItCannot)
{
    RecordingLauncher launcher;
    SetText(QStringLiteral("see x&cc=a@b.example\nline two"));
    // Nothing selected: the user is told to select text, nothing opens.
    EXPECT_FALSE(editor.MailSelection());
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Please select text before using this feature.")});
    dialogs.Clear();
    editor.SetSel(4, 20);
    EXPECT_TRUE(editor.MailSelection());
    EXPECT_TRUE(editor.MailText());
    EXPECT_EQ(launcher.Opened,
        (QList<QByteArray>{"mailto:?subject=Check%20it%20out%20please.&body=x%26cc%3Da%40b.example",
            "mailto:?subject=Check%20it%20out%20please.&body=see%20x%26cc%3Da%40b.example%0D%0Aline%20two%0D%0A"}));
    EXPECT_TRUE(dialogs.Texts().isEmpty());

    launcher.Starts = false;
    EXPECT_FALSE(editor.MailText());
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("The mail program could not be started.")});
    dialogs.Clear();

    // Too long to hand over: said, and nothing started.
    launcher.Opened.clear();
    SetText(QString(50000, u'&'));
    EXPECT_FALSE(editor.MailText());
    EXPECT_TRUE(launcher.Opened.isEmpty());
    ASSERT_EQ(dialogs.Texts().size(), 1);
    EXPECT_TRUE(dialogs.Texts()[0].startsWith(QStringLiteral("The text is too long")));
    dialogs.Clear();

    SetText(QString());
    EXPECT_FALSE(editor.MailText());
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Please enter text before using this feature.")});
}

TEST_F(DodiViveDETest, SnapshotTargetAddsBmpOnlyWhenMissing)
{
    const struct {
        const char* chosen;
        const char* target;
    } cases[] = {{"EditorImage.bmp", "EditorImage.bmp"}, {"shot", "shot.bmp"}, {"Shot.BMP", "Shot.BMP"},
        {"a.png", "a.png.bmp"}, {"dir.bmp/x", "dir.bmp/x.bmp"}};
    for (const auto& c : cases)
        EXPECT_EQ(TDodiViveDE::SnapshotTarget(QString::fromUtf8(c.chosen)), QString::fromUtf8(c.target)) << c.chosen;
}

TEST_F(DodiViveDETest, FileNameFromTitleStaysInTheFolderAndWithinTheLimit)
{
    const QString longTitle = QString(300, u'a');
    // 124 "é" (248 bytes), then "e" with a combining accent: cut before the pair.
    const QString accents = QString(124, QChar(0xE9)) + QStringLiteral("e\u0301z");
    const struct {
        QString title;
        QString name;
    } cases[] = {
        {QStringLiteral("Example Domain"), QStringLiteral("Example Domain")},
        {QStringLiteral("Q&A: caf\u00e9 \u2014 news"), QStringLiteral("Q&A: caf\u00e9 \u2014 news")},
        {QStringLiteral("../../x"), QStringLiteral("_.._x")},
        {QStringLiteral("a\\b/c"), QStringLiteral("a_b_c")},
        {QStringLiteral(".hidden"), QStringLiteral("hidden")},
        {QString(), TDodiViveDE::kUntitled},
        {QStringLiteral("..."), TDodiViveDE::kUntitled},
        {QStringLiteral("tab\there\nnul") + QChar(0) + QStringLiteral("x"), QStringLiteral("tab_here_nul_x")},
        {longTitle, QString(250, u'a')},
        {accents, QString(124, QChar(0xE9))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TDodiViveDE::FileNameFromTitle(c.title), c.name) << c.title.toStdString();
}

TEST_F(DodiViveDETest, SnapshotDrawsTheTextAndSavesOnlyWhereAndWhenTheUserSays)
{
    editor.SetPlainText(false);
    editor.LoadFromBytes(QByteArray("{\\rtf1 {\\fs48 Snapshot text}}"));
    const QString chosen = Path(QStringLiteral("shot"));
    const QString target = chosen + QStringLiteral(".bmp");

    // Cancelled: nothing saved.
    QImage picture;
    editor.CreateSnapshot(picture);
    EXPECT_EQ(picture.size(), editor.size());
    EXPECT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].Value, QStringLiteral("EditorImage.bmp"));
    EXPECT_FALSE(QFile::exists(target));
    // The text was drawn: some pixels differ from the background.
    const QRgb background = picture.pixel(picture.width() - 1, picture.height() - 1);
    bool drawn = false;
    for (int y = 0; y < 60 && !drawn; ++y)
        for (int x = 0; x < 200 && !drawn; ++x)
            drawn = picture.pixel(x, y) != background;
    EXPECT_TRUE(drawn);

    // Chosen without the extension: saved with it, and asked about no file.
    dialogs.Clear();
    dialogs.AnswerText(chosen);
    editor.CreateSnapshot(picture);
    ASSERT_TRUE(QFile::exists(target));
    EXPECT_EQ(QImage(target).size(), editor.size());
    EXPECT_EQ(dialogs.Calls().size(), 1u);

    // Existing: replaced only after Yes.
    WriteFile(QStringLiteral("shot.bmp"), "old");
    for (const int answer : {mrNo, mrCancel}) {
        dialogs.Clear();
        dialogs.AnswerText(chosen).Answer(answer);
        editor.CreateSnapshot(picture);
        EXPECT_EQ(ReadFile(target), QByteArray("old")) << answer;
        EXPECT_EQ(dialogs.Texts().value(1),
            QStringLiteral("The file already exist. Do you want to overwrite %1 ?").arg(target));
    }
    dialogs.Clear();
    dialogs.AnswerText(chosen).Answer(mrYes);
    editor.CreateSnapshot(picture);
    EXPECT_TRUE(ReadFile(target).startsWith("BM"));

    // A folder that does not exist: an error, nothing written.
    dialogs.Clear();
    dialogs.AnswerText(Path(QStringLiteral("missing/shot")));
    EXPECT_THROW(editor.CreateSnapshot(picture), EFileError);

    // With an Image assigned, no dialog at all.
    QLabel image;
    editor.SetImage(&image);
    dialogs.Clear();
    editor.CreateSnapshot(picture);
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(DodiViveDETest, AddedControlsShareOneCounterForTheirNames)
{
    EXPECT_EQ(editor.AddCheckBox(QStringLiteral("Check"), QStringLiteral("cb"), 20, 30, 170, true), 1);
    EXPECT_EQ(editor.AddEditBox(QStringLiteral("Edit"), QStringLiteral("edt"), 20, 30, 80), 2);
    EXPECT_EQ(editor.AddCheckBox(QStringLiteral("Check"), QStringLiteral("cb"), 20, 30, 170, false), 3);
    EXPECT_EQ(editor.AddRadioButton(QStringLiteral("Radio"), QStringLiteral("rb"), 20, 30, 40, true), 4);
    EXPECT_EQ(editor.AddButton(QStringLiteral("Push"), QStringLiteral("btn"), 20, 30, 130), 5);
    auto* first = editor.findChild<QCheckBox*>(QStringLiteral("cb0"));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isChecked());
    EXPECT_EQ(first->text(), QStringLiteral("Check"));
    EXPECT_EQ(first->pos(), QPoint(30, 170));
    EXPECT_EQ(editor.findChild<QLineEdit*>(QStringLiteral("edt1"))->text(), QStringLiteral("Edit"));
    EXPECT_FALSE(editor.findChild<QCheckBox*>(QStringLiteral("cb2"))->isChecked());
    EXPECT_TRUE(editor.findChild<QRadioButton*>(QStringLiteral("rb3"))->isChecked());
    EXPECT_EQ(editor.findChild<QPushButton*>(QStringLiteral("btn4"))->text(), QStringLiteral("Push"));
    EXPECT_EQ(editor.x(), 20);

    editor.SetAcceptDragComponnents(false);
    EXPECT_EQ(editor.AddButton(QStringLiteral("No"), QStringLiteral("btn"), 20, 30, 130), 0);
    EXPECT_EQ(editor.findChild<QPushButton*>(QStringLiteral("btn5")), nullptr);
}

} // namespace
