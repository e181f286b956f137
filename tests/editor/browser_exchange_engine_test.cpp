// The editor and the real page engine: the text previewed as a page of its
// own, the page's code and its rendered text loaded into the editor, the save
// question first, Esc ending a wait for a page that never completes, and the
// messages without a browser.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "ScriptedDialogs.h"
#include "browserhost/Sextant.h"
#include "editor/DodiViveDE.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const char* const PageHtml = "<html><head><title>Q&amp;A ../x</title></head>\n"
                             "<body><p>Hello <b>world</b></p>\n<p>second</p>"
                             "<img src=\"file:///etc/hostname\"></body></html>";

class BrowserExchangeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        auto& s = server->server();
        s.Get("/page", [](const httplib::Request&, httplib::Response& res) { res.set_content(PageHtml, "text/html"); });
        // The page arrives, its picture never does: the page stays loading.
        s.Get("/stalled", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><p>partial</p><img src=\"/never.png\"></body></html>", "text/html");
        });
        s.Get("/never.png", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("image/png", [](size_t, httplib::DataSink&) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                return !stopping.load();
            });
        });
        server->start();
    }
    static void TearDownTestSuite()
    {
        stopping = true;
        delete server;
        server = nullptr;
    }

    void SetUp() override
    {
        form.resize(800, 600);
        browser = new TSextant(&form);
        browser->resize(800, 300);
        editor = new TDodiViveDE(&form);
        editor->move(0, 300);
        editor->SetSextant(browser);
        editor->Loaded();
        form.show();
    }

    // Puts text in the editor as the user's unsaved work.
    void Type(const QString& text)
    {
        editor->setPlainText(text);
        editor->document()->setModified(true);
    }

    QString PageUrl(const char* path) const { return QString::fromStdString(server->url(path)); }
    QWebEnginePage* Page() const { return browser->findChild<QWebEngineView*>()->page(); }

    static inline FixtureServer* server = nullptr;
    static inline std::atomic<bool> stopping{false};
    ScriptedDialogs dialogs;
    QWidget form;
    TSextant* browser = nullptr;
    TDodiViveDE* editor = nullptr;
};

TEST_F(BrowserExchangeTest, PreviewShowsTheTextInAnEmptyPageNotInTheSiteShownBefore)
{
    ASSERT_TRUE(browser->Go(PageUrl("/page"), 20000));
    editor->setPlainText(QStringLiteral("<html><head><title>Mine</title></head><body><p id=x>hi</p></body></html>"));

    ASSERT_TRUE(editor->PreviewInBrowser());
    EXPECT_EQ(QString::fromStdU16String(browser->LocationURL()), QStringLiteral("about:blank"));
    EXPECT_EQ(RunScript(Page(), QStringLiteral("document.getElementById('x').textContent")).toString(), "hi");
    EXPECT_EQ(RunScript(Page(), QStringLiteral("document.title")).toString(), "Mine");
    EXPECT_TRUE(dialogs.Calls().empty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(BrowserExchangeTest, TheLoadsReplaceTheTextWithThePageAndNameItSafely)
{
    struct Case {
        const char* name;
        bool (TDodiViveDE::*load)();
        QStringList mustHold;
        QString mustNotHold;
    };
    const Case cases[] = {
        {"stream", &TDodiViveDE::LoadFromBrowserStream, {"<p>Hello <b>world</b></p>", "<p>second</p>"}, {}},
        {"document", &TDodiViveDE::LoadFromBrowserDocument, {"<p>Hello <b>world</b></p>", "<p>second</p>"}, {}},
        {"clipboard", &TDodiViveDE::LoadFromBrowserClipboard, {"Hello", "world", "second"}, QStringLiteral("<b>")},
    };
    ASSERT_TRUE(browser->Go(PageUrl("/page"), 20000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Type(QStringLiteral("my work"));
        dialogs.Clear();
        dialogs.Answer(mrNo);

        ASSERT_TRUE((editor->*c.load)()) << dialogs.Texts().join('|').toStdString();
        EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Save changes to Untitled?")});
        const QString text = editor->DocumentText();
        for (const QString& part : c.mustHold)
            EXPECT_TRUE(text.contains(part)) << text.toStdString();
        if (!c.mustNotHold.isEmpty())
            EXPECT_FALSE(text.contains(c.mustNotHold)) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("my work")));
        EXPECT_EQ(editor->FileName(), QStringLiteral("Q&A .._x"));
        EXPECT_EQ(editor->SelStart(), editor->LineIndex(1));
        editor->SetFileName(TDodiViveDE::kUntitled);
    }
}

TEST_F(BrowserExchangeTest, CancelAtTheSaveQuestionOrEscDuringTheWaitKeepsTheText)
{
    ASSERT_TRUE(browser->Go(PageUrl("/page"), 20000));
    Type(QStringLiteral("my work"));
    dialogs.Cancel();
    EXPECT_FALSE(editor->LoadFromBrowserStream());
    EXPECT_EQ(editor->DocumentText(), QStringLiteral("my work"));

    browser->Go(PageUrl("/stalled"));
    dialogs.Clear();
    dialogs.Answer(mrNo);
    QTimer::singleShot(500, [this] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(editor, &press);
    });
    EXPECT_FALSE(editor->LoadFromBrowserDocument());
    EXPECT_EQ(editor->DocumentText(), QStringLiteral("my work"));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Save changes to Untitled?")}) << "Esc needs no box";
}

TEST_F(BrowserExchangeTest, WithoutABrowserOrAPageEachSaysSoAndChangesNothing)
{
    struct Case {
        const char* name;
        bool (TDodiViveDE::*operation)();
        QString message;
    };
    const QString assign = QStringLiteral("You must assign a TSextant before using this feature.");
    const Case cases[] = {
        {"preview", &TDodiViveDE::PreviewInBrowser, assign},
        {"stream", &TDodiViveDE::LoadFromBrowserStream, assign},
        {"document", &TDodiViveDE::LoadFromBrowserDocument, assign},
        {"clipboard", &TDodiViveDE::LoadFromBrowserClipboard,
            QStringLiteral("You should Assign A web Browser before using this feature!")},
    };
    editor->setPlainText(QStringLiteral("kept"));
    editor->SetSextant(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.Clear();
        EXPECT_FALSE((editor->*c.operation)());
        EXPECT_EQ(dialogs.Texts(), QStringList{c.message});
        EXPECT_EQ(editor->DocumentText(), QStringLiteral("kept"));
    }

    editor->SetSextant(browser); // never navigated
    dialogs.Clear();
    EXPECT_FALSE(editor->LoadFromBrowserStream());
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("The browser shows no page to load.")});
    EXPECT_EQ(editor->DocumentText(), QStringLiteral("kept"));
}

} // namespace
