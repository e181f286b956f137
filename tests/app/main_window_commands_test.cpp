// The main window's commands and start-up against scripted browser controls:
// which control calls GO, the toolbar, the browser keys and the first show
// make, and how the buttons follow the control's notifications.
#include "KeyPressRecorder.h"
#include "app/unitZarnWeb.h"
#include "browserhost/Sextant.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Application.h"
#include "tools/FormPlacement.h"

#include "FakeWebBrowser.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <memory>

namespace {
// The control's method calls, without property reads and writes.
std::vector<std::string> methods(const FakeWebBrowser& control)
{
    std::vector<std::string> names;
    for (const auto& call : control.calls)
        if (call.method != "GetProperty" && call.method != "PutProperty")
            names.push_back(call.method);
    return names;
}

std::string keyName(QKeyCombination key) { return QKeySequence(key).toString().toStdString(); }

class MainWindowCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(profile.isValid());
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
        window = std::make_unique<TfrmMain>();
        SetApplicationMainForm(window.get());
        main = controlOf(window->Sextant1);
        folders = controlOf(window->Sextant2);
        ASSERT_TRUE(main && folders);
    }
    void TearDown() override
    {
        window.reset();
        SetApplicationMainForm(nullptr);
    }

    // The control of a browser of the newest window (controls of windows
    // destroyed before are gone).
    FakeWebBrowser* controlOf(TSextant* browser) const
    {
        const size_t count = factory.created.size();
        for (size_t i = count >= 2 ? count - 2 : 0; i < count; ++i)
            if (factory.created[i]->window()->parentWidget() == browser)
                return factory.created[i];
        return nullptr;
    }

    void showWindow()
    {
        window->show();
        main->calls.clear();
        folders->calls.clear();
    }

    // Makes the shown window the active one and gives widget the focus.
    void focus(QWidget* widget)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        widget->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([widget] { return widget->hasFocus(); }));
    }

    void fireCommandState(int command, bool enable)
    {
        std::vector<Variant> args{Variant(std::int32_t(command)), Variant::fromBool(enable)};
        main->Fire(DISPID_COMMANDSTATECHANGE, args);
    }

    QTemporaryDir profile;
    FakeWebBrowserFactory factory;
    std::unique_ptr<TfrmMain> window;
    FakeWebBrowser* main = nullptr;
    FakeWebBrowser* folders = nullptr;
};

TEST_F(MainWindowCommands, ToolbarAndMenusCarryTheirCaptionsInOrder)
{
    QStringList toolbar;
    for (QAction* action : window->MainToolBar->actions())
        if (!action->text().isEmpty())
            toolbar << action->text() + "=" + action->toolTip();
    EXPECT_EQ(toolbar,
        QStringList(
            {"Back=Navigate Back", "Forward=Navigate Forward", " Stop=Stop loading", "Refresh=Refresh Active Tab",
                "Home=Go Home", "Search=Search...", "Accessories=Show Favorites", "Block Popups=Block Popups"}));
    QStringList menus;
    for (QAction* action : window->menuBar()->actions())
        menus << action->text();
    EXPECT_EQ(menus, QStringList({"&File", "&Edit", "&View", "Navigation", "&Tools", "History", "Favorites"}));
}

TEST_F(MainWindowCommands, FirstShowOpensTheLastPageOnlyWhenItIsAWebAddress)
{
    struct Case {
        const char* stored; // nullptr: nothing stored
        const char* expectedCall;
    };
    const Case cases[] = {
        {nullptr, "GoHome"},
        {"about:blank", "GoHome"},
        {"file:///tmp/page.html", "GoHome"},
        {"http://127.0.0.1/page.html", "Navigate"},
    };
    for (const Case& c : cases) {
        TRegistry(HKEY_LOCAL_MACHINE).DeleteKey("\\SOFTWARE\\" + ApplicationTitle());
        if (c.stored) {
            SaveLastVisitedPage(nullptr, c.stored);
        }
        window.reset();
        TfrmMain shown;
        SetApplicationMainForm(&shown);
        shown.show();
        FakeWebBrowser* control = controlOf(shown.Sextant1);
        ASSERT_EQ(methods(*control), std::vector<std::string>{c.expectedCall}) << c.expectedCall;
        for (const auto& call : control->callsOf("Navigate"))
            EXPECT_EQ(fromWide(call.args[0].toWideString()), c.stored);
        EXPECT_TRUE(controlOf(shown.Sextant2)->callsOf("Navigate").empty()) << "nobody has opened Local Folders";
        shown.PageCtrl->setCurrentIndex(4);
        EXPECT_EQ(controlOf(shown.Sextant2)->callsOf("Navigate").size(), 1u) << "Local Folders opens the root";
    }
}

TEST_F(MainWindowCommands, GoSendsTheTrimmedAddressAndIgnoresBlanks)
{
    showWindow();
    window->IEAddress1->setEditText("   ");
    window->btnGo->click();
    EXPECT_TRUE(main->calls.empty());

    main->busy = true;
    window->IEAddress1->setEditText(" \thttp://127.0.0.1/a.html  ");
    window->btnGo->click();
    ASSERT_EQ(methods(*main), (std::vector<std::string>{"Stop", "Navigate2"}));
    EXPECT_EQ(fromWide(main->calls[1].args[0].toWideString()), "http://127.0.0.1/a.html");
}

TEST_F(MainWindowCommands, ToolbarCommandsStopALoadingPageFirst)
{
    showWindow();
    const std::pair<QAction*, const char*> commands[] = {
        {window->ToolbtnBack, "GoBack"},
        {window->ToolBtnForward, "GoForward"},
        {window->ToolBtnRefresh, "Refresh"},
        {window->ToolBtnHome, "GoHome"},
        {window->ToolBtnStop, nullptr},
    };
    for (auto [action, method] : commands) {
        main->calls.clear();
        main->busy = true;
        action->setEnabled(true);
        action->trigger();
        std::vector<std::string> expected{"Stop"};
        if (method)
            expected.push_back(method);
        EXPECT_EQ(methods(*main), expected) << action->text().toStdString();
    }
}

TEST_F(MainWindowCommands, ButtonsAndMenuItemsFollowCommandStates)
{
    showWindow();
    fireCommandState(CSC_NAVIGATEBACK, true);
    EXPECT_TRUE(window->ToolbtnBack->isEnabled());
    EXPECT_TRUE(window->GoBack1->isEnabled());
    EXPECT_FALSE(window->ToolBtnForward->isEnabled());

    fireCommandState(CSC_NAVIGATEFORWARD, true);
    fireCommandState(CSC_NAVIGATEBACK, false);
    EXPECT_TRUE(window->ToolBtnForward->isEnabled());
    EXPECT_TRUE(window->GoForward1->isEnabled());
    EXPECT_FALSE(window->ToolbtnBack->isEnabled());

    main->busy = true;
    fireCommandState(CSC_UPDATECOMMANDS, false);
    EXPECT_TRUE(window->ToolBtnStop->isEnabled());
    EXPECT_TRUE(window->Stop1->isEnabled());
    main->busy = false;
    fireCommandState(CSC_UPDATECOMMANDS, true);
    EXPECT_FALSE(window->ToolBtnStop->isEnabled());
}

TEST_F(MainWindowCommands, LocalFoldersTabSendsTheSecondBrowserToTheRoot)
{
    showWindow();
    window->PageCtrl->setCurrentIndex(0);
    EXPECT_TRUE(folders->calls.empty());
    window->PageCtrl->setCurrentIndex(4);
    ASSERT_EQ(methods(*folders), std::vector<std::string>{"Navigate"});
    EXPECT_EQ(fromWide(folders->calls[0].args[0].toWideString()), "/");
    window->sbRebuildView->click();
    EXPECT_EQ(folders->calls.size(), 2u);
}

TEST_F(MainWindowCommands, ClosingALoadingPageStopsItAndStoresTheAddress)
{
    showWindow();
    main->locationURL = u"http://127.0.0.1/last.html";
    main->busy = true;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(methods(*main), std::vector<std::string>{"Stop"});
    QString address;
    EXPECT_TRUE(GetLastVisitedPage(address));
    EXPECT_EQ(address, "http://127.0.0.1/last.html");
}

TEST_F(MainWindowCommands, BrowserKeysRunTheToolbarCommandsFromThePageAndTheAddressBox)
{
    showWindow();
    main->backEntries = main->forwardEntries = 1;
    fireCommandState(CSC_NAVIGATEBACK, true);
    fireCommandState(CSC_NAVIGATEFORWARD, true);
    struct Case {
        QKeyCombination key;
        bool loading;
        const char* method;
    };
    const Case cases[] = {
        {Qt::ALT | Qt::Key_Left, false, "GoBack"},
        {Qt::ALT | Qt::Key_Right, false, "GoForward"},
        {Qt::Key_F5, false, "Refresh"},
        {Qt::CTRL | Qt::Key_R, false, "Refresh"},
        {Qt::Key_Escape, true, "Stop"},
    };
    QWidget* address = window->IEAddress1->lineEdit();
    for (QWidget* focused : {main->pageWidget(), address}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(focused->objectName().toStdString() + " " + keyName(c.key));
            main->busy = c.loading;
            fireCommandState(CSC_UPDATECOMMANDS, true);
            focus(focused);
            main->calls.clear();
            QTest::keyClick(focused, c.key.key(), c.key.keyboardModifiers());
            EXPECT_EQ(methods(*main), std::vector<std::string>{c.method});
            EXPECT_TRUE(focused->hasFocus());
        }
    }
}

TEST_F(MainWindowCommands, AddressKeysPutTheCaretInTheAddressBoxWithItsTextSelected)
{
    showWindow();
    QLineEdit* address = window->IEAddress1->lineEdit();
    const QKeyCombination keys[] = {Qt::CTRL | Qt::Key_L, Qt::ALT | Qt::Key_D, Qt::Key_F6};
    for (QKeyCombination key : keys) {
        SCOPED_TRACE(keyName(key));
        window->IEAddress1->setEditText("http://127.0.0.1/a.html");
        focus(main->pageWidget());
        QTest::keyClick(main->pageWidget(), key.key(), key.keyboardModifiers());
        EXPECT_TRUE(address->hasFocus());
        EXPECT_EQ(address->selectedText(), "http://127.0.0.1/a.html");
    }
    EXPECT_TRUE(main->calls.empty());
}

TEST_F(MainWindowCommands, KeysNoCommandTakesGoOnToThePage)
{
    showWindow();
    KeyPressRecorder reached;
    main->pageWidget()->installEventFilter(&reached);
    // Back without history, Stop while nothing loads, and a key the window has
    // no command for.
    const QKeyCombination keys[] = {Qt::ALT | Qt::Key_Left, Qt::Key_Escape, Qt::CTRL | Qt::Key_N};
    for (QKeyCombination key : keys) {
        SCOPED_TRACE(keyName(key));
        focus(main->pageWidget());
        reached.keys.clear();
        QTest::keyClick(main->pageWidget(), key.key(), key.keyboardModifiers());
        EXPECT_EQ(std::count(reached.keys.begin(), reached.keys.end(), key.key()), 1);
    }
    EXPECT_TRUE(main->calls.empty());
    main->pageWidget()->removeEventFilter(&reached);
}
} // namespace
