// The browser component's document operations on the real engine: loading
// and saving the page through strings, streams and files, the clipboard,
// design mode and the cookie.
#include "DocumentPages.h"
#include "browserhost/DocumentOps.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>

#include <sstream>

namespace {

class DocumentOpsTest : public DocumentPagesTest {
protected:
    static QWebEnginePage* page() { return dynamic_cast<QtWebBrowser*>(browser->DefaultInterface())->page(); }
    // The body's text with non-breaking spaces (as pasting leaves them) made plain.
    static QString bodyText()
    {
        return RunScript(page(), QStringLiteral("document.body.innerText")).toString().replace(QChar(0xA0), u' ');
    }
};

TEST_F(DocumentOpsTest, SavingFromABlankBrowserAnswersOneAndLeavesTheOutputAlone)
{
    QWidget otherForm;
    auto* blank = new TSextant(&otherForm);
    QStringList lines{QStringLiteral("kept")};
    std::ostringstream stream;
    QTemporaryDir dir;
    EXPECT_EQ(SaveToStrings(*blank, lines), S_FALSE);
    EXPECT_EQ(lines, QStringList{QStringLiteral("kept")});
    EXPECT_EQ(SaveToStream(*blank, stream), S_FALSE);
    EXPECT_TRUE(stream.str().empty());
    EXPECT_EQ(SaveToFile(*blank, dir.filePath(QStringLiteral("page.html"))), S_FALSE);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("page.html"))));
    EXPECT_FALSE(IsDesignMode(*blank));
    EXPECT_TRUE(GetCookie(*blank).isEmpty());
}

TEST_F(DocumentOpsTest, LoadedLinesComeBackThroughStringsStreamsAndFiles)
{
    Load("/no-links");
    ASSERT_EQ(
        LoadFromStrings(*browser, {QStringLiteral("<p>first para</p>"), QStringLiteral("<p>second para</p>")}), S_OK);
    EXPECT_EQ(RunScript(page(), QStringLiteral("document.querySelectorAll('p').length")).toInt(), 2);

    QStringList lines;
    ASSERT_EQ(SaveToStrings(*browser, lines), S_OK);
    const QString saved = lines.join(u'\n');
    EXPECT_TRUE(saved.contains(QLatin1String("<p>first para</p>"))) << saved.toStdString();
    EXPECT_TRUE(saved.contains(QLatin1String("<p>second para</p>")));

    std::istringstream input("<html><body><p>from a stream \xC3\xA9</p></body></html>");
    input.seekg(10); // the load starts from the stream's beginning
    ASSERT_EQ(LoadFromStream(*browser, input), S_OK);
    std::ostringstream output;
    ASSERT_EQ(SaveToStream(*browser, output), S_OK);
    EXPECT_NE(output.str().find("<p>from a stream \xC3\xA9</p>"), std::string::npos) << output.str();

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.html"));
    ASSERT_EQ(SaveToFile(*browser, file), S_OK);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(written.readAll()).contains(QStringLiteral("from a stream é")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("page.html")});
}

TEST_F(DocumentOpsTest, LoadingIntoABrowserWithoutADocumentLoadsTheBlankPageFirst)
{
    QWidget otherForm;
    otherForm.resize(200, 200);
    auto* fresh = new TSextant(&otherForm);
    fresh->setGeometry(0, 0, 200, 200);
    otherForm.show();
    ASSERT_EQ(LoadFromStrings(*fresh, {QStringLiteral("<p>fresh words</p>")}), S_OK);
    QStringList lines;
    ASSERT_EQ(SaveToStrings(*fresh, lines), S_OK);
    EXPECT_TRUE(lines.join(u'\n').contains(QLatin1String("fresh words")));
}

TEST_F(DocumentOpsTest, DesignModeSwitchesOnAndOff)
{
    Load("/no-links");
    EXPECT_FALSE(IsDesignMode(*browser));
    SetDesignMode(*browser, true);
    EXPECT_TRUE(IsDesignMode(*browser));
    EXPECT_EQ(RunScript(page(), QStringLiteral("document.designMode")).toString(), QStringLiteral("on"));
    SetDesignMode(*browser, false);
    EXPECT_FALSE(IsDesignMode(*browser));
}

TEST_F(DocumentOpsTest, CookieIsThePagesOwn)
{
    Load("/page");
    EXPECT_EQ(GetCookie(*browser), QStringLiteral("flavour=mint"));
    ASSERT_TRUE(browser->Go(QString::fromStdString(OtherSite("/no-links")), 20000));
    EXPECT_EQ(GetCookie(*browser), QString());
}

TEST_F(DocumentOpsTest, CopiedPageReachesTheClipboardAsHtmlAndTextAndPastesBack)
{
    // The user works in the browser's window.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    Load("/no-links");
    ASSERT_EQ(LoadFromStrings(*browser, {QStringLiteral("<p><b>Copied</b> words</p>")}), S_OK);
    QApplication::clipboard()->clear();
    ASSERT_TRUE(SelectAll(*browser));
    ASSERT_TRUE(Copy(*browser));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QApplication::clipboard()->text().contains(QLatin1String("Copied words")); }, 10000));
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasHtml());
    EXPECT_TRUE(copied->html().contains(QRegularExpression(QStringLiteral("<b[^>]*>Copied</b>"))))
        << copied->html().toStdString();

    // Into an editable field.
    Load("/editable");
    RunScript(page(), QStringLiteral("document.getElementById('box').focus()"));
    ASSERT_TRUE(Paste(*browser));
    EXPECT_TRUE(QTest::qWaitFor(
        [] {
            return RunScript(page(), QStringLiteral("document.getElementById('box').value")).toString()
                == QLatin1String("Copied words");
        },
        10000));

    // Into a page in design mode, in place of its selected text.
    ASSERT_EQ(LoadFromStrings(*browser, {QStringLiteral("<p>old</p>")}), S_OK);
    SetDesignMode(*browser, true);
    ASSERT_TRUE(SelectAll(*browser));
    ASSERT_TRUE(Paste(*browser));
    EXPECT_TRUE(QTest::qWaitFor([] { return bodyText().contains(QLatin1String("Copied words")); }, 10000))
        << bodyText().toStdString();
    EXPECT_EQ(RunScript(page(), QStringLiteral("document.querySelectorAll('b').length")).toInt(), 1);
    SetDesignMode(*browser, false);
}

TEST_F(DocumentOpsTest, CommandsOfAnUnknownGroupOrWithoutAPageAreRefused)
{
    Load("/no-links");
    Variant out;
    EXPECT_EQ(ExecGroupCommand(*browser, 2, OLECMDID_COPY, Variant(), out), E_INVALIDARG);
    QWidget otherForm;
    auto* blank = new TSextant(&otherForm);
    EXPECT_EQ(ExecGroupCommand(*blank, StandardCommandGroup, OLECMDID_COPY, Variant(), out), E_UNEXPECTED);
    EXPECT_FALSE(Copy(*blank));
}

} // namespace
