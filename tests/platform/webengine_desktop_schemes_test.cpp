// Addresses of schemes the engine does not load (mailto:, a made-up scheme)
// reach a program of the desktop only after the user answers Yes to the
// control's question, however they are asked for: a click, a script, a
// frame, a server's redirect or the host's Navigate. The desktop's hand-over
// is recorded (DesktopUrlRecorder), so no real program starts.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "ScriptedDialogs.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString mailAddress = QStringLiteral("mailto:someone@example.com?subject=hi");
const char* const LinksPage = "<html><body style='margin:0'>"
                              "<a href='mailto:someone@example.com?subject=hi' style='display:block;height:100px'>m</a>"
                              "<a href='made-up-scheme:clicked' style='display:block;height:100px'>x</a>"
                              "</body></html>";

// Records the addresses of OnBeforeNavigate2 and cancels those the host
// refuses.
class NavigationSink : public DWebBrowserEvents2 {
public:
    QStringList announced;
    std::function<bool(const QString&)> cancel;

    HRESULT Invoke(DISPID dispId, std::vector<Variant>& args) override
    {
        if (dispId != DISPID_BEFORENAVIGATE2)
            return S_OK;
        const QString url = QString::fromStdU16String(args[1].toWideString());
        announced << url;
        if (cancel && cancel(url))
            args[6] = Variant::fromBool(true);
        return S_OK;
    }
};

class DesktopSchemesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        server->server().Get(
            "/links", [](const httplib::Request&, httplib::Response& res) { res.set_content(LinksPage, "text/html"); });
        server->server().Get("/redirect",
            [](const httplib::Request&, httplib::Response& res) { res.set_redirect("made-up-scheme:redirected"); });
        server->start();
        browser = new QtWebBrowser;
        browser->window()->resize(400, 300);
        browser->window()->show();
    }

    static void TearDownTestSuite()
    {
        delete browser;
        delete server;
    }

    void SetUp() override { browser->Advise(&sink); }
    void TearDown() override
    {
        browser->Advise(nullptr);
        browser->PutProperty(DISPID_SILENT, Variant::fromBool(false));
    }

    static QString url(const char* path) { return QString::fromStdString(server->url(path)); }
    static void runScript(const QString& script) { browser->page()->runJavaScript(script); }
    static void clickAt(int y) { QTest::mouseClick(browser->view()->focusProxy(), Qt::LeftButton, {}, QPoint(50, y)); }
    static void navigate(const QString& address)
    {
        browser->Navigate(address.toStdU16String(), Variant(), Variant(), Variant(), Variant());
    }
    bool waitForQuestions(size_t count)
    {
        return QTest::qWaitFor([&] { return dialogs.Calls().size() == count; }, 20000);
    }

    NavigationSink sink;
    ScriptedDialogs dialogs;
    DesktopUrlRecorder desktop{{QStringLiteral("mailto"), QStringLiteral("made-up-scheme")}};

    static inline FixtureServer* server = nullptr;
    static inline QtWebBrowser* browser = nullptr;
};

TEST_F(DesktopSchemesTest, OnlyYesHandsTheAddressToTheDesktop)
{
    const struct {
        const char* how;
        std::function<void()> ask;
        QString address;
    } requests[] = {
        {"click on a mailto link", [] { clickAt(50); }, mailAddress},
        {"click on a made-up scheme's link", [] { clickAt(150); }, QStringLiteral("made-up-scheme:clicked")},
        {"script to mailto", [] { runScript(QStringLiteral("location.href = 'mailto:script@example.com'")); },
            QStringLiteral("mailto:script@example.com")},
        {"script to a made-up scheme", [] { runScript(QStringLiteral("location.href = 'made-up-scheme:script'")); },
            QStringLiteral("made-up-scheme:script")},
        {"frame of a made-up scheme",
            [] {
                runScript(QStringLiteral("const f = document.createElement('iframe'); f.src = 'made-up-scheme:frame';"
                                         "document.body.appendChild(f);"));
            },
            QStringLiteral("made-up-scheme:frame")},
        {"server redirect", [] { runScript(QStringLiteral("location.href = '/redirect'")); },
            QStringLiteral("made-up-scheme:redirected")},
        {"host's Navigate", [] { navigate(QStringLiteral("made-up-scheme:navigated")); },
            QStringLiteral("made-up-scheme:navigated")},
    };
    for (const auto& request : requests) {
        for (const int answer : {IDNO, IDYES}) {
            SCOPED_TRACE(std::string(request.how) + (answer == IDYES ? ", Yes" : ", No"));
            ASSERT_TRUE(NavigateAndWait(*browser, url("/links")));
            dialogs.Clear();
            desktop.opened.clear();
            sink.announced.clear();
            dialogs.Answer(answer);

            request.ask();
            ASSERT_TRUE(waitForQuestions(1));
            const DialogCall& question = dialogs.Last();
            const QString scheme = QUrl(request.address).scheme();
            EXPECT_EQ(question.Kind, "MessageBox");
            EXPECT_EQ(question.Text.toStdString(),
                QStringLiteral("Open this address with the program for \"%1\" addresses?\n\n%2")
                    .arg(scheme, request.address)
                    .toStdString());
            EXPECT_EQ(question.Type, int(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
            EXPECT_TRUE(sink.announced.contains(request.address));
            // The hand-over follows the answer at once; the engine's own would
            // have come before the question.
            EXPECT_EQ(desktop.opened, answer == IDYES ? QList<QUrl>{QUrl(request.address)} : QList<QUrl>{});

            EXPECT_TRUE(QTest::qWaitFor([] { return !IsBusy(*browser); }, 20000));
            EXPECT_EQ(TextProperty(*browser, DISPID_LOCATIONURL), url("/links"));
        }
    }
}

TEST_F(DesktopSchemesTest, NothingIsAskedWhenTheHostCancelsOrTheControlIsSilent)
{
    ASSERT_TRUE(NavigateAndWait(*browser, url("/links")));
    sink.announced.clear();
    sink.cancel = [](const QString& address) { return address.startsWith(u"mailto:"); };
    clickAt(50);
    navigate(QStringLiteral("mailto:navigated@example.com"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return sink.announced.contains(mailAddress) && sink.announced.contains("mailto:navigated@example.com"); },
        20000));
    sink.cancel = nullptr;

    browser->PutProperty(DISPID_SILENT, Variant::fromBool(true));
    clickAt(150);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sink.announced.contains("made-up-scheme:clicked"); }, 20000));
    browser->PutProperty(DISPID_SILENT, Variant::fromBool(false));

    // The one question is the one asked after them.
    dialogs.Answer(IDNO);
    runScript(QStringLiteral("location.href = 'made-up-scheme:asked'"));
    ASSERT_TRUE(waitForQuestions(1));
    EXPECT_TRUE(dialogs.Last().Text.endsWith(u"\n\nmade-up-scheme:asked"));
    EXPECT_TRUE(desktop.opened.isEmpty());
}

TEST_F(DesktopSchemesTest, AfterNoThePageIsNotAskedAgainUntilTheControlNavigates)
{
    ASSERT_TRUE(NavigateAndWait(*browser, url("/links")));
    sink.announced.clear();
    dialogs.Answer(IDNO);
    clickAt(150);
    ASSERT_TRUE(waitForQuestions(1));
    runScript(QStringLiteral("location.href = 'made-up-scheme:again'"));
    clickAt(50);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return sink.announced.contains("made-up-scheme:again") && sink.announced.contains(mailAddress); },
        20000));

    // Loaded again, the page is asked again; a very long address is cut.
    ASSERT_TRUE(NavigateAndWait(*browser, url("/links")));
    const QString longAddress = QStringLiteral("made-up-scheme:") + QString(1000, u'a');
    runScript(QStringLiteral("location.href = '%1'").arg(longAddress));
    ASSERT_TRUE(waitForQuestions(2));
    EXPECT_TRUE(dialogs.Calls()[0].Text.endsWith(u"\n\nmade-up-scheme:clicked"));
    EXPECT_TRUE(
        dialogs.Calls()[1].Text.endsWith(QStringLiteral("\n\n") + longAddress.left(300) + QStringLiteral("...")));
    EXPECT_TRUE(desktop.opened.isEmpty());
}

} // namespace
