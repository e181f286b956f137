// The main window on the real engine: start-up with "links.txt", GO (also
// with an address typed without a scheme), Back and Forward, the browser keys
// pressed in the page, the Accessories panel, Up in the Local Folders tab, and
// placement and last page kept between two windows (and not kept when the
// local-machine hive is read-only), the address given at start and shortcuts
// opened from the shell's context menu.
#include "app/unitZarnWeb.h"
#include "browserhost/Sextant.h"
#include "platform/inet/UrlHistory.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/shell/ContextMenu.h"
#include "platform/ui/Application.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"

#include "FixtureServer.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>

namespace {
FixtureServer* server = nullptr;
ScriptedDialogs* dialogs = nullptr;
// Pages the fixture server has served.
std::atomic<int> pagesServed{0};

QString pageUrl(const char* path) { return QString::fromStdString(server->url(path)); }

QString location(TSextant* browser) { return QString::fromStdU16String(browser->LocationURL()); }

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 15000); }

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (HiveWritable(HKEY_LOCAL_MACHINE))
            reg.DeleteKey("\\SOFTWARE\\" + ApplicationTitle());
        dialogs->Clear();
    }

    // A shown window whose first page has loaded.
    static std::unique_ptr<TfrmMain> openWindow()
    {
        auto window = std::make_unique<TfrmMain>();
        SetApplicationMainForm(window.get());
        window->show();
        EXPECT_TRUE(waitUntil([&] { return !location(window->Sextant1).isEmpty(); }));
        EXPECT_TRUE(window->Sextant1->Wait(15000));
        return window;
    }

    // Types an address, presses GO and waits until the browser shows the
    // expected address and is no longer busy.
    static void go(TfrmMain& window, const QString& typed, const QString& expected)
    {
        window.IEAddress1->setEditText(typed);
        window.btnGo->click();
        EXPECT_TRUE(waitUntil([&] { return location(window.Sextant1) == expected && !window.Sextant1->Busy(); }))
            << location(window.Sextant1).toStdString();
    }
};

TEST_F(MainWindow, StartsWithItsLayoutTheLinksListAndTheHomePage)
{
    TfrmMain window;
    EXPECT_EQ(window.windowTitle(), "Sextant Component Pack - Mega Demo");
    EXPECT_EQ(window.LinksList, QStringList({"http://one.test/", "http://two.test/", "http://three.test/", ""}));
    for (QAction* disabled : {window.ToolbtnBack, window.ToolBtnForward, window.ToolBtnStop})
        EXPECT_FALSE(disabled->isEnabled()) << disabled->text().toStdString();
    EXPECT_EQ(window.PageCtrl->currentIndex(), 2);
    EXPECT_EQ(window.PageCtrl->tabText(2), "FavoritesTV");
    EXPECT_TRUE(window.pctrlWB->isTabVisible(1)); // the editor
    for (int tab = 2; tab < 4; ++tab)
        EXPECT_FALSE(window.pctrlWB->isTabVisible(tab)) << tab;

    SetApplicationMainForm(&window);
    window.show();
    EXPECT_FALSE(window.PanelAcc->isVisible());
    ASSERT_TRUE(waitUntil([&] { return location(window.Sextant1) == StartPageUrl(); }))
        << location(window.Sextant1).toStdString();
    EXPECT_TRUE(window.MenuItem(TMenuCommand::GetCookiesPath));
}

TEST_F(MainWindow, GoNavigatesToTheTrimmedAddressAndBackAndForwardFollowTheHistory)
{
    auto window = openWindow();
    go(*window, "  " + pageUrl("/one.html") + " ", pageUrl("/one.html"));
    go(*window, pageUrl("/two.html"), pageUrl("/two.html"));
    go(*window, "   ", pageUrl("/two.html"));
    EXPECT_TRUE(TUrlHistory().Find(pageUrl("/one.html"))) << "the window's browser records its pages";

    ASSERT_TRUE(waitUntil([&] { return window->ToolbtnBack->isEnabled(); }));
    EXPECT_FALSE(window->ToolBtnForward->isEnabled());
    window->ToolbtnBack->trigger();
    EXPECT_TRUE(waitUntil([&] { return location(window->Sextant1) == pageUrl("/one.html"); }));
    ASSERT_TRUE(waitUntil([&] { return window->ToolBtnForward->isEnabled(); }));
    window->ToolBtnForward->trigger();
    EXPECT_TRUE(waitUntil([&] { return location(window->Sextant1) == pageUrl("/two.html"); }));
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindow, GoGivesHttpToAnAddressTypedWithoutAScheme)
{
    auto window = openWindow();
    QString announced;
    window->Sextant1->OnBeforeNavigate2
        = [&](TObject*, IDispatch*, OleVariant& url, OleVariant&, OleVariant&, OleVariant&, OleVariant&, WordBool&) {
              announced = QString::fromStdU16String(url.toWideString());
          };
    go(*window, QStringLiteral("127.0.0.1:%1/one.html").arg(server->port()), pageUrl("/one.html"));
    EXPECT_EQ(announced.toStdString(), pageUrl("/one.html").toStdString());
    EXPECT_EQ(window->IEAddress1->currentText().toStdString(), pageUrl("/one.html").toStdString());
    EXPECT_EQ(window->Sextant1->LocationName(), u"one");
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindow, BrowserKeysPressedInThePageReachTheWindowCommands)
{
    auto window = openWindow();
    go(*window, pageUrl("/one.html"), pageUrl("/one.html"));
    go(*window, pageUrl("/two.html"), pageUrl("/two.html"));
    ASSERT_TRUE(waitUntil([&] { return window->ToolbtnBack->isEnabled(); }));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The engine's widget that takes the page's keys.
    auto focusPage = [&] {
        window->Sextant1->SetFocus();
        EXPECT_TRUE(waitUntil([&] {
            QWidget* focused = QApplication::focusWidget();
            return focused && focused != window->Sextant1 && window->Sextant1->isAncestorOf(focused);
        }));
        return QApplication::focusWidget();
    };

    QTest::keyClick(focusPage(), Qt::Key_L, Qt::ControlModifier);
    QLineEdit* address = window->IEAddress1->lineEdit();
    EXPECT_TRUE(address->hasFocus());
    EXPECT_EQ(address->selectedText(), pageUrl("/two.html"));

    const int served = pagesServed;
    QTest::keyClick(focusPage(), Qt::Key_F5);
    EXPECT_TRUE(waitUntil([&] { return pagesServed > served && !window->Sextant1->Busy(); }));

    QTest::keyClick(focusPage(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return location(window->Sextant1) == pageUrl("/one.html"); }))
        << location(window->Sextant1).toStdString();
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindow, AccessoriesButtonShowsAndHidesTheLeftPanel)
{
    auto window = openWindow();
    window->ToolBtnAccesories->trigger();
    ASSERT_TRUE(window->PanelAcc->isVisible());
    const QWidget* handle = window->SplitterACC->handle(1);
    ASSERT_TRUE(waitUntil([&] { return handle->isVisible() && window->PanelWEB->x() > 0; }));
    EXPECT_LE(window->PanelAcc->geometry().right(), handle->geometry().left());
    EXPECT_LE(handle->geometry().right(), window->PanelWEB->geometry().left());
    window->ToolBtnAccesories->trigger();
    EXPECT_FALSE(window->PanelAcc->isVisible());
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindow, UpInTheLocalFoldersTabGoesToTheParentFolderUntilTheRoot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("a/b")));
    auto window = openWindow();
    window->ToolBtnAccesories->trigger();
    window->PageCtrl->setCurrentIndex(4); // Local Folders
    TSextant* folders = window->Sextant2;
    auto shows = [&](const QString& path) {
        const QString expected = QUrl::fromLocalFile(path).toString();
        EXPECT_TRUE(waitUntil([&] { return location(folders) == expected && !folders->Busy(); }))
            << location(folders).toStdString();
    };
    shows(QStringLiteral("/"));
    folders->Go(dir.filePath(QStringLiteral("a/b")));
    shows(dir.filePath(QStringLiteral("a/b")));
    ASSERT_TRUE(window->sbUp->isEnabled());
    for (const QString& parent : {dir.filePath(QStringLiteral("a")), dir.path()}) {
        window->sbUp->click();
        shows(parent);
    }

    EXPECT_FALSE(TUrlHistory().Find(QUrl::fromLocalFile(dir.filePath(QStringLiteral("a/b"))).toString()))
        << "the Local Folders pane shows files, not visits";

    folders->Go(QStringLiteral("/"));
    shows(QStringLiteral("/"));
    ASSERT_TRUE(window->sbUp->isEnabled()); // there is a folder to go back to
    int navigations = 0;
    folders->OnBeforeNavigate2 = [&](TObject*, IDispatch*, OleVariant&, OleVariant&, OleVariant&, OleVariant&,
                                     OleVariant&, WordBool&) { ++navigations; };
    window->sbUp->click(); // a navigation would have been announced before click returns
    EXPECT_EQ(navigations, 0);
    EXPECT_FALSE(folders->Busy());
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindow, ClosingStoresPlacementAndLastPageForTheNextWindow)
{
    const QRect placement(40, 50, 900, 700);
    {
        auto window = openWindow();
        window->setGeometry(placement);
        go(*window, pageUrl("/one.html"), pageUrl("/one.html"));
        ASSERT_TRUE(window->close());
    }
    auto next = openWindow();
    EXPECT_EQ(next->geometry(), placement);
    EXPECT_EQ(location(next->Sextant1), pageUrl("/one.html"));
    EXPECT_TRUE(dialogs->Calls().empty());
    EXPECT_TRUE(next->close());
}

TEST(StartAddressArgument, IsTheFirstArgumentThatIsNoOption)
{
    const struct {
        QStringList arguments;
        QString address;
    } cases[] = {
        {{"ZarnWeb"}, ""},
        {{"ZarnWeb", "http://site.test/"}, "http://site.test/"},
        {{"ZarnWeb", "--verbose", "site.test", "other.test"}, "site.test"},
        {{"ZarnWeb", "--load-extension=/tmp/x"}, ""},
        {{"ZarnWeb", "-"}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartAddressArgument(c.arguments), c.address) << c.arguments.join(' ').toStdString();
}

TEST_F(MainWindow, OpensTheStartAddressAndShortcutsOpenedFromTheShellMenu)
{
    TfrmMain window;
    window.StartAddress = pageUrl("/one.html");
    SetApplicationMainForm(&window);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return location(window.Sextant1) == pageUrl("/one.html"); }))
        << location(window.Sextant1).toStdString();

    QTemporaryDir folder;
    const QString shortcut = folder.filePath("Two.url");
    QFile file(shortcut);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[InternetShortcut]\nURL=" + pageUrl("/two.html").toUtf8() + "\n");
    file.close();
    const auto menu = CreateFileContextMenu(&window, {shortcut});
    ASSERT_TRUE(menu);
    CMINVOKECOMMANDINFO open;
    open.hwnd = &window;
    open.verb = "open";
    EXPECT_EQ(menu->InvokeCommand(open), S_OK);
    EXPECT_TRUE(waitUntil([&] { return location(window.Sextant1) == pageUrl("/two.html"); }))
        << location(window.Sextant1).toStdString();
    EXPECT_TRUE(dialogs->Calls().empty());
}

TEST_F(MainWindow, ReadOnlyMachineHiveKeepsNothingAndShowsNothing)
{
    const QString hive = HiveFilePath(HKEY_LOCAL_MACHINE);
    TRegistry(HKEY_LOCAL_MACHINE).OpenKey("\\SOFTWARE", true);
    const auto permissions = QFile::permissions(hive);
    QFile::setPermissions(hive, QFile::ReadOwner | QFile::ReadOther);
    {
        auto window = openWindow();
        window->setGeometry(40, 50, 900, 700);
        go(*window, pageUrl("/one.html"), pageUrl("/one.html"));
        EXPECT_TRUE(window->close());
    }
    auto next = openWindow();
    EXPECT_NE(next->geometry(), QRect(40, 50, 900, 700));
    EXPECT_EQ(location(next->Sextant1), StartPageUrl());
    EXPECT_TRUE(dialogs->Calls().empty());
    EXPECT_TRUE(next->close());
    next.reset();
    QFile::setPermissions(hive, permissions);
}
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir profile;
    QTemporaryDir work;
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    QDir::setCurrent(work.path());
    QFile links(work.filePath("links.txt"));
    links.open(QIODevice::WriteOnly);
    links.write("http://one.test/\nhttp://two.test/\nhttp://three.test/\n");
    links.close();

    PrepareWebEngineEnvironment();

    InstallQtWebBrowser();
    QApplication app(argc, argv);
    EnsureProfileDefaults();
    ScriptedDialogs recorded;
    dialogs = &recorded;
    FixtureServer fixture;
    for (const char* page : {"one", "two"}) {
        const std::string html
            = std::string("<html><head><title>") + page + "</title></head><body><p>page " + page + "</p></body></html>";
        fixture.server().Get(
            std::string("/") + page + ".html", [html](const httplib::Request&, httplib::Response& res) {
                ++pagesServed;
                res.set_content(html, "text/html");
            });
    }
    fixture.start();
    server = &fixture;

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
