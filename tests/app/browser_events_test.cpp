// The main window following its browser's notifications: the event log, the
// progress bar, status panels and caption, the navigation commands, the
// secure-lock text, the zone and encryption display and pop-up blocking.
#include "app/unitZarnWeb.h"
#include "browserhost/Sextant.h"
#include "platform/ui/Application.h"

#include "FakeWebBrowser.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// The helpers are public: the tables' event sequences call them.
class BrowserEvents : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(profile.isValid());
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
        window = std::make_unique<TfrmMain>();
        SetApplicationMainForm(window.get());
        for (FakeWebBrowser* created : factory.created)
            if (created->window()->parentWidget() == window->Sextant1)
                control = created;
        ASSERT_TRUE(control);
    }
    void TearDown() override
    {
        window.reset();
        SetApplicationMainForm(nullptr);
    }

    void fire(DISPID id, std::vector<Variant> args) { control->Fire(id, args); }
    // A frame's notifications come with a dispatch other than the control's.
    IDispatch* frame() { return &frameStandIn; }
    void beforeNavigate(IDispatch* disp, const char16_t* url)
    {
        fire(DISPID_BEFORENAVIGATE2,
            {disp, Variant(WideString(url)), Variant(0), Variant(WideString()), Variant(), Variant(WideString()),
                Variant::fromBool(false)});
    }
    void navigateComplete(IDispatch* disp, const char16_t* url)
    {
        if (disp == control)
            control->locationURL = url;
        fire(DISPID_NAVIGATECOMPLETE2, {disp, Variant(WideString(url))});
    }
    void documentComplete(IDispatch* disp, const char16_t* url)
    {
        fire(DISPID_DOCUMENTCOMPLETE, {disp, Variant(WideString(url))});
    }
    void progress(int done, int total) { fire(DISPID_PROGRESSCHANGE, {Variant(done), Variant(total)}); }

    QStringList logLines()
    {
        window->FlushEventLog();
        QStringList lines;
        for (int i = 0; i < window->lvEventLog->count(); ++i)
            lines << window->lvEventLog->item(i)->text();
        return lines;
    }

    QTemporaryDir profile;
    FakeWebBrowserFactory factory;
    std::unique_ptr<TfrmMain> window;
    FakeWebBrowser* control = nullptr;
    struct : IDispatch {
    } frameStandIn;
};

TEST_F(BrowserEvents, TheLogHoldsTheLinesFromTheLastBeforeNavigateOn)
{
    const struct {
        const char* name;
        std::function<void(BrowserEvents&)> events;
        QStringList lines;
    } cases[] = {
        {"a plain page",
            [](BrowserEvents& t) {
                t.beforeNavigate(t.control, u"http://a.test/");
                t.fire(DISPID_DOWNLOADBEGIN, {});
                t.navigateComplete(t.control, u"http://a.test/");
                t.control->locationName = u"Page A ";
                t.fire(DISPID_DOWNLOADCOMPLETE, {});
                t.documentComplete(t.control, u"http://a.test/");
            },
            {"OnBeforeNavigate2 http://a.test/", "OnDownloadBegin", "OnNavigateComplete2 http://a.test/",
                "OnDocumentComplete Page A ", "OnDocumentComplete: http://a.test/"}},
        {"a page with two frames",
            [](BrowserEvents& t) {
                t.beforeNavigate(t.control, u"http://f.test/");
                t.navigateComplete(t.control, u"http://f.test/");
                t.beforeNavigate(t.frame(), u"http://f.test/left.html");
                t.beforeNavigate(t.frame(), u"http://f.test/right.html");
                t.navigateComplete(t.frame(), u"http://f.test/left.html");
                t.navigateComplete(t.frame(), u"http://f.test/right.html");
                t.documentComplete(t.frame(), u"http://f.test/left.html");
                t.documentComplete(t.frame(), u"http://f.test/right.html");
                t.documentComplete(t.control, u"http://f.test/");
            },
            {"OnBeforeNavigate2 http://f.test/right.html", "OnNavigateComplete2 http://f.test/left.html",
                "OnNavigateComplete2 http://f.test/right.html", "OnDocumentComplete: http://f.test/left.html",
                "OnDocumentComplete: http://f.test/right.html", "OnDocumentComplete: http://f.test/"}},
        {"pop-up, visibility and full screen",
            [](BrowserEvents& t) {
                t.beforeNavigate(t.control, u"http://p.test/");
                t.window->tbBlock->setChecked(true);
                t.fire(DISPID_NEWWINDOW2, {static_cast<IDispatch*>(nullptr), Variant::fromBool(false)});
                t.fire(DISPID_ONFULLSCREEN, {Variant::fromBool(false)});
                t.fire(DISPID_ONFULLSCREEN, {Variant::fromBool(true)});
                t.window->Sextant1->OnVisible(t.window->Sextant1, false);
                t.window->Sextant1->OnVisible(t.window->Sextant1, true);
            },
            {"OnBeforeNavigate2 http://p.test/", "OnNewWindow", "OnFullScreen: FullScreen", "OnVisible: Visible"}},
        {"a script error and a dialog",
            [](BrowserEvents& t) {
                t.beforeNavigate(t.control, u"http://s.test/");
                TScriptErrorAction action = eaContinue;
                t.window->Sextant1->OnScriptError(
                    t.window->Sextant1, "3", "7", "5009", "'x' is undefined", "http://s.test/", action);
                EXPECT_EQ(action, eaContinue);
                std::u16string caption;
                bool cancel = false;
                t.window->Sextant1->OnShowDialog(t.window->Sextant1, nullptr, 0, "Alert", caption, cancel);
                EXPECT_FALSE(cancel);
            },
            {"OnBeforeNavigate2 http://s.test/", "OnNavigateError 'x' is undefined  5009", "OnShowDialog"}},
    };
    for (const auto& c : cases) {
        c.events(*this);
        EXPECT_EQ(logLines(), c.lines) << c.name;
    }
}

TEST_F(BrowserEvents, LinesAreAddedTogetherAndWaitingOnesAreDroppedByTheNextNavigation)
{
    beforeNavigate(control, u"http://many.test/");
    for (int i = 0; i < 200; ++i)
        documentComplete(frame(), u"http://many.test/frame.html");
    EXPECT_EQ(window->lvEventLog->count(), 0);
    EXPECT_EQ(logLines().size(), 201);
    EXPECT_EQ(window->lvEventLog->currentRow(), 200);

    window->AddEventLog("from a command");
    beforeNavigate(control, u"http://two.test/");
    EXPECT_EQ(logLines(), QStringList{"OnBeforeNavigate2 http://two.test/"});
    EXPECT_EQ(window->lvEventLog->currentRow(), 0);
    window->AddEventLog("flushed by the event loop");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->lvEventLog->count() == 2; }));
}

TEST_F(BrowserEvents, TheProgressBarShowsPercentagesOfKnownTotals)
{
    const struct {
        int done, total;
        bool shown;
        int position;
    } cases[] = {
        {50, 100, true, 50},
        {0, 0, false, 1},
        {1, 3, true, 33},
        {-1, 100, false, 1},
        {5, 1, false, 1},
        {100, 100, true, 100},
        {2000000000, 2000000000, true, 100},
        {1, 2, true, 50},
        {150, 100, true, 100},
        {2147483647, 3, true, 100},
        {1, 2, true, 50},
        {2147483647, 2147483647, true, 100},
    };
    window->show();
    for (const auto& c : cases) {
        progress(c.done, c.total);
        EXPECT_EQ(window->ProgressBar1->isVisible(), c.shown) << c.done << "/" << c.total;
        EXPECT_EQ(window->ProgressBar1->value(), c.position) << c.done << "/" << c.total;
    }
    progress(50, 100);
    fire(DISPID_DOWNLOADCOMPLETE, {});
    EXPECT_FALSE(window->ProgressBar1->isVisible());
}

TEST_F(BrowserEvents, StatusCaptionAndCommandsFollowTheControl)
{
    fire(DISPID_STATUSTEXTCHANGE, {Variant(WideString(u"http://link.test/"))});
    EXPECT_EQ(window->StatusPanelText(0), "http://link.test/");
    control->locationName = u"Example Domain";
    fire(DISPID_TITLECHANGE, {Variant(WideString(u"Example title"))});
    EXPECT_EQ(window->windowTitle(), "Example Domain - Sextant Component Pack - Mega Demo");
    EXPECT_EQ(window->StatusPanelText(0), "Example title");

    const struct {
        int command;
        bool enable;
        bool busy;
        bool back, forward, stop;
    } cases[] = {
        {CSC_NAVIGATEBACK, true, false, true, false, false},
        {CSC_NAVIGATEFORWARD, true, false, true, true, false},
        {CSC_UPDATECOMMANDS, false, true, true, true, true},
        {CSC_NAVIGATEBACK, false, false, false, true, true},
        {7, true, false, false, true, true},
        {CSC_UPDATECOMMANDS, true, false, false, true, false},
    };
    for (const auto& c : cases) {
        control->busy = c.busy;
        fire(DISPID_COMMANDSTATECHANGE, {Variant(c.command), Variant::fromBool(c.enable)});
        EXPECT_EQ(window->ToolbtnBack->isEnabled(), c.back) << c.command;
        EXPECT_EQ(window->GoBack1->isEnabled(), c.back) << c.command;
        EXPECT_EQ(window->ToolBtnForward->isEnabled(), c.forward) << c.command;
        EXPECT_EQ(window->GoForward1->isEnabled(), c.forward) << c.command;
        EXPECT_EQ(window->ToolBtnStop->isEnabled(), c.stop) << c.command;
        EXPECT_EQ(window->Stop1->isEnabled(), c.stop) << c.command;
    }
}

TEST_F(BrowserEvents, SecureLockValuesNameTheEncryption)
{
    const struct {
        int value;
        const char* level;
    } cases[] = {
        {6, "Secure Level: 128 Bit"},
        {0, "Secure Level: UnSecure"},
        {3, "Secure Level: 40 Bit"},
        {7, "Secure Level: 40 Bit"},
        {-1, "Secure Level: 40 Bit"},
        {1, "Secure Level: Mixed"},
        {5, "Secure Level: Fortezza"},
    };
    for (const auto& c : cases) {
        fire(DISPID_SETSECURELOCKICON, {Variant(c.value)});
        EXPECT_EQ(window->lblLevel->text(), c.level) << c.value;
        EXPECT_EQ(window->SecureLevelText, c.level) << c.value;
        EXPECT_EQ(window->lblLevel->toolTip(), c.level) << c.value;
    }
}

TEST_F(BrowserEvents, TheSecurityPanelShowsTheZoneAndNoEncryptionForPlainPages)
{
    window->show();
    const struct {
        const char16_t* url;
        const char* zone;
    } cases[] = {
        {u"http://www.example.com/", "Internet"},
        {u"http://localhost:8080/", "Local intranet"},
        {u"file:///tmp/page.html", "My Computer"},
    };
    for (const auto& c : cases) {
        beforeNavigate(control, c.url);
        navigateComplete(control, c.url);
        EXPECT_EQ(window->IEAddress1->currentText(), QString::fromStdU16String(c.url));
        EXPECT_EQ(window->StatusPanelText(1), c.zone);
        EXPECT_EQ(window->lblZone->text(), c.zone);
        EXPECT_EQ(window->imgZone->toolTip(), QStringLiteral("The Web Site Security Zone Is ") + c.zone);
        EXPECT_FALSE(window->imgZone->pixmap().isNull());
        EXPECT_FALSE(QApplication::windowIcon().isNull());
        EXPECT_TRUE(window->imgUn->isVisible());
        EXPECT_FALSE(window->ImgSSL->isVisible());
        EXPECT_EQ(window->StatusPanelText(2), "");
        EXPECT_EQ(window->lblSSL->text(), "");
    }
}

TEST_F(BrowserEvents, PopupsOpenInAWindowOfTheirOwnUnlessBlocked)
{
    window->tbBlock->setChecked(true);
    std::vector<Variant> blocked{static_cast<IDispatch*>(nullptr), Variant::fromBool(false)};
    control->Fire(DISPID_NEWWINDOW2, blocked);
    EXPECT_TRUE(blocked[1].toBool());
    const size_t controlsBefore = factory.created.size();

    window->tbBlock->setChecked(false);
    std::vector<Variant> allowed{static_cast<IDispatch*>(nullptr), Variant::fromBool(false)};
    control->Fire(DISPID_NEWWINDOW2, allowed);
    EXPECT_FALSE(allowed[1].toBool());
    ASSERT_EQ(factory.created.size(), controlsBefore + 1);
    FakeWebBrowser* popup = factory.last();
    IDispatch* const* given = allowed[0].get<IDispatch*>();
    ASSERT_TRUE(given && *given);
    EXPECT_EQ(*given, static_cast<IDispatch*>(popup));
    QWidget* popupWindow = popup->window()->window();
    EXPECT_NE(popupWindow, window.get());
    EXPECT_TRUE(popupWindow->isVisible());
    EXPECT_EQ(logLines(), (QStringList{"OnNewWindow", "OnNewWindow"}));
    popupWindow->close();
}

} // namespace
