// The windows of the page's commands on the real engine: the find bar and
// its match count, the coloured source, Save As in each format and the page
// properties.
#include "DocumentPages.h"
#include "ScriptedDialogs.h"
#include "browserhost/DocumentOps.h"
#include "tools/DocumentCommands.h"
#include "tools/DocumentTools.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace {

class DocumentCommandsTest : public DocumentPagesTest {
protected:
    void SetUp() override { InstallDocumentCommands(); }
    void TearDown() override
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName().startsWith(QLatin1String("zarn")))
                window->close();
        SetDocumentCommandWindows(nullptr);
    }
    template <class Window> static Window* window(const char* name)
    {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String(name) && top->isVisible())
                return qobject_cast<Window*>(top);
        return nullptr;
    }
};

TEST_F(DocumentCommandsTest, FindBarCountsTheMatches)
{
    Load("/no-links");
    ASSERT_EQ(LoadFromStrings(*browser, {QStringLiteral("<p>bob boa bon</p>")}), S_OK);
    ASSERT_TRUE(ShowFindDialog(browser->Document()));
    auto* bar = window<QDialog>(FindBarName);
    ASSERT_TRUE(bar);
    auto* text = bar->findChild<QLineEdit*>(QStringLiteral("findText"));
    auto* next = bar->findChild<QPushButton*>(QStringLiteral("findNext"));
    auto* previous = bar->findChild<QPushButton*>(QStringLiteral("findPrevious"));
    auto* count = bar->findChild<QLabel*>(QStringLiteral("findCount"));
    struct Step {
        const char* text;
        QPushButton* button;
        const char* count;
    };
    const Step steps[] = {
        {"boa", next, "1 of 1 matches"},
        {"bo", next, "2 of 3 matches"}, // a new text is found from the last match on
        {"bo", next, "3 of 3 matches"},
        {"bo", next, "1 of 3 matches"},
        {"bo", previous, "3 of 3 matches"},
        {"absent words", next, "No matches"},
    };
    for (const Step& step : steps) {
        text->setText(QString::fromLatin1(step.text));
        step.button->click();
        EXPECT_EQ(count->text().toStdString(), step.count) << step.text;
    }
}

TEST_F(DocumentCommandsTest, SourceWindowColoursThePagesHtml)
{
    Load("/one-link");
    ASSERT_TRUE(ViewPageSourceHtml(browser->Document()));
    auto* source = window<QDialog>(SourceWindowName);
    ASSERT_TRUE(source);
    auto* editor = source->findChild<QPlainTextEdit*>();
    const QString text = editor->toPlainText();
    EXPECT_TRUE(text.contains(QLatin1String("<a href=\"/only\">only</a>"))) << text.toStdString();
    // The tag name "a" is drawn in the tag colour, the link's text in the text colour.
    const QTextBlock block = editor->document()->findBlock(int(text.indexOf(QLatin1String("<a href"))));
    const int tagAt = int(text.indexOf(QLatin1String("<a href"))) - block.position() + 1;
    const int valueAt = int(text.indexOf(QLatin1String(">only<"))) + 1 - block.position();
    QColor tagColor, valueColor;
    for (const QTextLayout::FormatRange& range : block.textFormats()) {
        if (range.start <= tagAt && tagAt < range.start + range.length)
            tagColor = range.format.foreground().color();
        if (range.start <= valueAt && valueAt < range.start + range.length)
            valueColor = range.format.foreground().color();
    }
    EXPECT_EQ(tagColor, QColor(0, 0, 255));
    EXPECT_EQ(valueColor, QColor(0, 0, 0));
}

TEST_F(DocumentCommandsTest, SaveAsWritesTheChosenFormat)
{
    Load("/page");
    QTemporaryDir dir;
    struct Case {
        int filterIndex;
        const char* file;
        const char* contains;
    };
    const Case cases[] = {
        {1, "complete.html", "Plain words here"},
        {2, "only.html", "Plain words here"},
        {3, "archive.mht", "Content-Type: multipart/related"},
    };
    ScriptedDialogs dialogs;
    for (const Case& c : cases) {
        DialogAnswer answer;
        answer.Text = dir.filePath(QString::fromLatin1(c.file));
        answer.FilterIndex = c.filterIndex;
        dialogs.Enqueue(answer);
        EXPECT_TRUE(SaveAs(browser->Document())) << c.file;
        EXPECT_EQ(dialogs.Last().Caption, SaveAsTitle());
        QFile saved(dir.filePath(QString::fromLatin1(c.file)));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << c.file;
        EXPECT_TRUE(saved.readAll().contains(c.contains)) << c.file;
    }
    // The complete page keeps its pictures in a folder beside it.
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("complete_files"))).isDir());
    EXPECT_FALSE(QFileInfo(dir.filePath(QStringLiteral("only_files"))).exists());

    dialogs.Cancel();
    EXPECT_FALSE(SaveAs(browser->Document()));
}

TEST_F(DocumentCommandsTest, PropertiesShowTheAddressTitleAndConnection)
{
    Load("/page");
    ASSERT_TRUE(ShowPageProperties(browser->Document()));
    auto* properties = window<QDialog>(PropertiesWindowName);
    ASSERT_TRUE(properties);
    QStringList texts;
    for (auto* label : properties->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(Url("/page")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Doc")));
    EXPECT_TRUE(texts.contains(QStringLiteral("text/html")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Not encrypted")));
}

} // namespace
