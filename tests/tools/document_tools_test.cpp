// The document tools on the real engine: links of pages and frames, source
// and text, form filling, pictures of the page decoded back, saving the
// page's pictures under hostile names, search addresses, and every tool
// harmless on a folder view.
#include "DocumentPages.h"
#include "ScriptedDialogs.h"
#include "platform/webengine/QtWebBrowser.h"
#include "tools/DocumentTools.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

class DocumentToolsTest : public DocumentPagesTest {
protected:
    static IWebBrowser2* control() { return browser->DefaultInterface(); }
    static QWebEnginePage* page() { return dynamic_cast<QtWebBrowser*>(control())->page(); }
    static QString value(const QString& selector)
    {
        return RunScript(page(), QStringLiteral("document.querySelector('%1').value").arg(selector)).toString();
    }
    // The links of the page at path, one per line.
    static std::string links(const char* path)
    {
        Load(path);
        QStringList lines{QStringLiteral("left over")};
        GetPageLinks(control(), lines);
        return lines.join(u'\n').toStdString();
    }
    static std::string lines(const QStringList& expected) { return expected.join(u'\n').toStdString(); }
};

TEST_F(DocumentToolsTest, LinksComeFromThePageThenEachFrameInOrder)
{
    const QString noLinks = QStringLiteral("No Links found in the page body");
    // The frame of the other site refuses access and is left out.
    EXPECT_EQ(links("/page"), lines({Url("/one"), Url("/two?x=1&y=2"), Url("/in-frame"), noLinks}));
    EXPECT_EQ(links("/no-links"), lines({noLinks}));
    EXPECT_EQ(links("/one-link"), lines({Url("/only")}));
    EXPECT_EQ(links("/frameset"), lines({Url("/only"), Url("/in-frame")}));
}

TEST_F(DocumentToolsTest, SourceAndTextAreTheDocumentElementsAsOneEntry)
{
    Load("/page");
    QStringList source{QStringLiteral("old")};
    GetPageSourceHtml(control(), browser->Document(), source);
    ASSERT_EQ(source.size(), 1);
    EXPECT_TRUE(source[0].contains(QLatin1String("<p id=\"text\">Plain words here</p>")));
    EXPECT_TRUE(source[0].startsWith(QLatin1String("<head>")));
    QStringList text;
    GetPageSourceText(control(), browser->Document(), text);
    ASSERT_EQ(text.size(), 1);
    EXPECT_TRUE(text[0].contains(QLatin1String("Plain words here")));
    EXPECT_FALSE(text[0].contains(QLatin1String("<p")));
}

TEST_F(DocumentToolsTest, FillFormSetsTheFieldTheIndexNames)
{
    struct Case {
        const char* field;
        int index;
        bool filled;
        const char* selector; // the element that must hold the value
    };
    const Case cases[] = {
        {"field", -1, true, "input[name=field]"}, // the first INPUT after a BUTTON of that name
        {"field", 0, false, nullptr}, // only the BUTTON
        {"field", 1, true, "input[name=field]"},
        {"field", 7, false, nullptr},
        {"notes", -1, true, "textarea"},
        {"absent", -1, false, nullptr},
    };
    for (const Case& c : cases) {
        Load("/page");
        EXPECT_EQ(FillForm(*browser, QString::fromLatin1(c.field), QStringLiteral("new \"value\""), c.index), c.filled)
            << c.field << " " << c.index;
        if (c.selector)
            EXPECT_EQ(value(QString::fromLatin1(c.selector)), QStringLiteral("new \"value\"")) << c.field;
        else
            EXPECT_EQ(value(QStringLiteral("input[name=field]")), QStringLiteral("old")) << c.field;
        EXPECT_EQ(value(QStringLiteral("input[name=last]")), QStringLiteral("kept"));
    }
}

TEST_F(DocumentToolsTest, CapturesShowTheBlocksWhereThePageHasThem)
{
    Load("/long");
    QTemporaryDir dir;
    const QColor red(255, 0, 0), blue(0, 0, 255), white(255, 255, 255);
    const auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40
            && std::abs(a.blue() - b.blue()) < 40;
    };

    const QString bmp = dir.filePath(QStringLiteral("window.bmp"));
    ASSERT_TRUE(GetScreenCapture(browser->Document(), browser, WindowWidth, WindowHeight, bmp));
    const QImage window(bmp, "BMP");
    ASSERT_EQ(window.size(), QSize(WindowWidth, WindowHeight));
    EXPECT_EQ(window.pixelColor(70, 55), red);
    EXPECT_EQ(window.pixelColor(5, 5), white);
    EXPECT_EQ(window.pixelColor(120, 55), white);

    // Longer than the window: the whole requested height is drawn.
    const QString jpeg = dir.filePath(QStringLiteral("page.jpg"));
    ASSERT_TRUE(GetJpegPageCapture(control(), jpeg, 2000, WindowWidth, 2000, WindowWidth));
    const QImage whole(jpeg, "JPG");
    ASSERT_EQ(whole.size(), QSize(WindowWidth, 2000));
    EXPECT_TRUE(near(whole.pixelColor(70, 55), red));
    EXPECT_TRUE(near(whole.pixelColor(70, BlueTop + 50), blue));
    EXPECT_TRUE(near(whole.pixelColor(70, BlueTop - 50), white));

    // Scaled to half: the blue block moves with it.
    ASSERT_TRUE(GetJpegPageCapture(control(), jpeg, 2000, WindowWidth, 1000, WindowWidth / 2, 90));
    const QImage half(jpeg, "JPG");
    ASSERT_EQ(half.size(), QSize(WindowWidth / 2, 1000));
    EXPECT_TRUE(near(half.pixelColor(35, (BlueTop + 50) / 2), blue));

    // The window itself keeps its size.
    EXPECT_EQ(dynamic_cast<QtWebBrowser*>(control())->view()->size(), QSize(WindowWidth, WindowHeight));

    QLabel thumbnail;
    thumbnail.resize(160, 120);
    GetThumbnail(browser->Application(), &thumbnail);
    ASSERT_EQ(thumbnail.pixmap().size(), QSize(160, 120));
    EXPECT_TRUE(near(thumbnail.pixmap().toImage().pixelColor(28, 22), red));
}

TEST_F(DocumentToolsTest, SavedPicturesStayInTheImagesFolderOfTheChosenFolder)
{
    Load("/page");
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("chosen"));
    ASSERT_TRUE(QDir().mkpath(chosen));
    ScriptedDialogs dialogs;
    dialogs.AnswerText(chosen).Answer(mrCancel); // the box's answer does not stop the downloads
    EXPECT_EQ(SaveAllImages(control(), browser->Document()), 2);
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Calls()[0].Kind, QStringLiteral("SelectDirectory"));
    EXPECT_EQ(dialogs.Calls()[1].Text, QDir(chosen).filePath(QStringLiteral("Images")));
    // .png and .Gif saved; .svg, .jpeg, .gif?x=1 skipped; the missing one failed.
    QStringList saved = QDir(QDir(chosen).filePath(QStringLiteral("Images"))).entryList(QDir::Files);
    saved.sort();
    EXPECT_EQ(saved, QStringList({QStringLiteral("a.png"), QStringLiteral("escape.Gif")}));
    EXPECT_EQ(QDir(chosen).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("Images")});
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("chosen")});
    QFile picture(QDir(chosen).filePath(QStringLiteral("Images/a.png")));
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_EQ(picture.readAll(), QByteArray("picture a.png"));

    dialogs.Clear();
    dialogs.Cancel();
    EXPECT_EQ(SaveAllImages(control(), browser->Document()), 0);
    EXPECT_EQ(dialogs.Calls().size(), 1u);
}

TEST_F(DocumentToolsTest, DownloadFileWritesOnlyWhatArrived)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("file"));
    EXPECT_TRUE(DownloadFile(Url("/pic/a.png"), target));
    EXPECT_TRUE(QFile::exists(target));
    const QString missing = dir.filePath(QStringLiteral("missing"));
    EXPECT_FALSE(DownloadFile(Url("/pic/missing.png"), missing));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("file")});
}

TEST_F(DocumentToolsTest, EveryToolOnAFolderViewOrAPictureDoesNothingAndAnswersFalse)
{
    QTemporaryDir dir;
    const QString shown[] = {dir.path(), Url("/picture.png")};
    for (const QString& address : shown) {
        ASSERT_TRUE(browser->Go(address, 20000));
        ASSERT_TRUE(QTest::qWaitFor([] { return browser->Document() && !browser->Busy(); }, 20000));
        IDispatch* document = browser->Document();
        EXPECT_FALSE(IsHtmlDocument(document)) << address.toStdString();
        ScriptedDialogs dialogs;

        QStringList lines{QStringLiteral("left over")};
        GetPageLinks(control(), lines);
        EXPECT_TRUE(lines.isEmpty());
        lines = QStringList{QStringLiteral("left over")};
        GetPageSourceHtml(control(), document, lines);
        EXPECT_TRUE(lines.isEmpty());
        GetPageSourceText(control(), document, lines);
        EXPECT_TRUE(lines.isEmpty());
        EXPECT_FALSE(FillForm(*browser, QStringLiteral("field"), QStringLiteral("x"), -1));
        const QString capture = dir.filePath(QStringLiteral("capture.bmp"));
        EXPECT_FALSE(GetScreenCapture(document, browser, 100, 100, capture));
        EXPECT_FALSE(GetJpegPageCapture(control(), capture, 100, 100, 100, 100));
        EXPECT_FALSE(QFile::exists(capture));
        Variant out;
        EXPECT_EQ(ExecCommand(document, false, OLECMDID_COPY, 0, Variant(), out), S_FALSE);
        EXPECT_FALSE(SaveAs(document));
        EXPECT_FALSE(ViewPageSourceHtml(document));
        EXPECT_EQ(SaveAllImages(control(), document), 0);
        EXPECT_FALSE(SavePageText(*browser, control(), document));
        EXPECT_FALSE(SetCharacterSet(*browser, document, QStringLiteral("utf-8"), false));
        ShowPageSourceText(control(), document);
        ScrollToTop(control());
        ScrollToBottom(document);
        EXPECT_TRUE(dialogs.Calls().empty()) << address.toStdString();
    }
}

TEST_F(DocumentToolsTest, SearchAddressesCarryTheQueryEncoded)
{
    const QString query = QStringLiteral("fish & chips #1+2 é");
    const QString encoded = QStringLiteral("fish+%26+chips+%231%2B2+%C3%A9");
    EXPECT_EQ(GoogleSearchUrl(query), QStringLiteral("https://www.google.com/search?ie=UTF-8&q=") + encoded);
    EXPECT_EQ(MsnSearchUrl(query),
        QStringLiteral("https://search.msn.com/results.aspx?q=") + encoded
            + QStringLiteral("&FORM=CBPW&first=1&noredir=1"));
    EXPECT_EQ(YahooSearchUrl(query), QStringLiteral("https://search.yahoo.com/bin/search?p=") + encoded);
}

TEST_F(DocumentToolsTest, PageTextIsSavedWhereTheUserChose)
{
    Load("/page");
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    dialogs.AnswerText(dir.filePath(QStringLiteral("text.txt")));
    EXPECT_TRUE(SavePageText(*browser, control(), browser->Document()));
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Web Site Text"));
    EXPECT_EQ(dialogs.Last().Value, QStringLiteral("WebSiteText.txt"));
    QFile text(dir.filePath(QStringLiteral("text.txt")));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(text.readAll().contains("Plain words here"));

    dialogs.Cancel();
    EXPECT_FALSE(SavePageText(*browser, control(), browser->Document()));
}

} // namespace
