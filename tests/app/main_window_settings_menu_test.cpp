// The settings and system commands of the main window's menus, triggered as
// the user would: working offline, what the informational items show, the
// settings they change, favorites added and organized, and the registered
// programs started without a shell.
#include "ScriptedDialogs.h"
#include "TempHome.h"
#include "app/unitZarnWeb.h"
#include "browserhost/Sextant.h"
#include "favorites/ExportFavorite.h"
#include "favorites/ImportFavorite.h"
#include "platform/inet/ProcessProxy.h"
#include "platform/inet/UrlHistory.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/shell/OrganizeFavoritesDialog.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Application.h"
#include "tools/BrowserSettings.h"

#include "FakeWebBrowser.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace {

class RecordingLauncher : public IProgramLauncher {
public:
    RecordingLauncher() { SetProgramLauncher(this); }
    ~RecordingLauncher() override { SetProgramLauncher(nullptr); }
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        started << (QStringList{program} + arguments).join(' ');
        return starts;
    }
    bool openWithDesktop(const QUrl& url) override
    {
        started << url.toString();
        return starts;
    }
    QStringList started;
    bool starts = true;
};

void writeString(HKEY root, const QString& key, const QString& name, const QString& value)
{
    TRegistry reg(root);
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(name, value);
}

class MainWindowSettingsMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureProfileDefaults();
        window = std::make_unique<TfrmMain>();
        SetApplicationMainForm(window.get());
        for (FakeWebBrowser* control : factory.created) {
            if (control->window()->parentWidget() == window->Sextant1)
                main = control;
        }
        ASSERT_TRUE(main);
    }
    void TearDown() override
    {
        window.reset();
        SetApplicationMainForm(nullptr);
        SetProcessOffline(false);
    }
    void trigger(TMenuCommand command)
    {
        QAction* item = window->MenuItem(command);
        ASSERT_TRUE(item) << int(command);
        item->trigger();
    }

    TempHome home;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    FakeWebBrowserFactory factory;
    std::unique_ptr<TfrmMain> window;
    FakeWebBrowser* main = nullptr;
};

TEST_F(MainWindowSettingsMenu, WorkOfflineSwitchesBothWaysAndItsCheckMarkFollowsTheState)
{
    QAction* offline = window->MenuItem(TMenuCommand::WorkOffline);
    ASSERT_TRUE(offline->isCheckable());
    offline->trigger();
    EXPECT_TRUE(ProcessOffline());
    EXPECT_TRUE(offline->isChecked());
    offline->trigger();
    EXPECT_FALSE(ProcessOffline());
    EXPECT_FALSE(offline->isChecked());

    SetProcessOffline(true);
    emit window->MenuItem(TMenuCommand::FileMenu)->menu()->aboutToShow();
    EXPECT_TRUE(offline->isChecked()) << "set elsewhere, shown when the menu opens";
}

TEST_F(MainWindowSettingsMenu, InformationItemsShowWhatTheSettingsHold)
{
    writeString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main", "Start Page", "http://home.test/");
    const struct {
        TMenuCommand item;
        QString shown;
    } cases[] = {
        {TMenuCommand::GetDefaultBrowser, "Current Default Web Browser is: " + GetDefaultBrowserName()},
        {TMenuCommand::GetSpecialFolderPath, "Your Desktop Path is: " + SpecialFolderPath(CSIDL_DESKTOPDIRECTORY)},
        {TMenuCommand::GetHistoryPath, GetHistoryPath()},
        {TMenuCommand::GetFavoritesPath, GetHistoryPath()},
        {TMenuCommand::GetCookiesPath, GetCookiesPath()},
        {TMenuCommand::GetHomePage, "http://home.test/"},
    };
    for (const auto& c : cases) {
        trigger(c.item);
        EXPECT_EQ(dialogs.Last().Text, c.shown) << int(c.item);
    }
    EXPECT_TRUE(GetHistoryPath().startsWith(home.path())) << "the profile's folders, not the desktop's";
}

TEST_F(MainWindowSettingsMenu, SettingsItemsChangeTheStoredSettings)
{
    const QString typed = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    writeString(HKEY_CURRENT_USER, typed, "url1", "http://typed.test/");
    ASSERT_TRUE(TUrlHistory().AddVisit("http://visited.test/", "Visited"));

    trigger(TMenuCommand::SetNewHomePage);
    trigger(TMenuCommand::ClearTypedUrls);
    trigger(TMenuCommand::DeleteHistory);

    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Microsoft\\Internet Explorer\\Main"));
    EXPECT_EQ(reg.ReadString("Start Page"), "https://www.google.com/");
    EXPECT_FALSE(reg.KeyExists(typed));
    EXPECT_EQ(TUrlHistory().Count(), 0);
    EXPECT_TRUE(dialogs.Calls().empty()) << dialogs.Texts().join('\n').toStdString();
}

TEST_F(MainWindowSettingsMenu, FavoritesAreAddedFromThePageAndOrganizedInTheirFolder)
{
    main->locationURL = u"http://a.test/";
    main->locationName = u"../News";
    dialogs.Accept();
    trigger(TMenuCommand::AddToFavorites);
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    EXPECT_TRUE(QFileInfo::exists(favorites + "/_News.url"));

    QString organized;
    QTimer::singleShot(0, [&] {
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<TOrganizeFavoritesDialog*>(shown); dialog && dialog->isVisible()) {
                organized = dialog->SelectPath(favorites + "/_News.url") ? "shows the favorite" : "misses it";
                dialog->findChild<QPushButton*>("btnClose")->click();
            }
        }
    });
    trigger(TMenuCommand::ShowOrganizeFavorites);
    EXPECT_EQ(organized, "shows the favorite");
}

TEST_F(MainWindowSettingsMenu, FavoritesExportedToAChosenFileAreShownAndImportedBackIntoTheirOwnFolder)
{
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    QFile shortcut(favorites + "/Fish & Chips.url");
    ASSERT_TRUE(shortcut.open(QIODevice::WriteOnly));
    shortcut.write("[InternetShortcut]\r\nURL=https://fish.test/?a=1&b=2\r\n");
    shortcut.close();

    dialogs.Cancel();
    trigger(TMenuCommand::ExportFavorites);
    EXPECT_EQ(dialogs.Last().Kind, "SaveDialog");
    EXPECT_EQ(dialogs.Calls().size(), 1u) << "a cancelled choice says nothing more";

    WideString shown;
    main->onNavigate = [&](FakeWebBrowser&, const WideString& url) { shown = url; };
    const QString exported = home.path("chosen/bookmarks.htm");
    ASSERT_TRUE(QDir().mkpath(home.path("chosen")));
    dialogs.AnswerText(exported);
    trigger(TMenuCommand::ExportFavorites);
    ASSERT_TRUE(QFileInfo::exists(exported)) << dialogs.Texts().join('\n').toStdString();
    EXPECT_EQ(shown, QUrl::fromLocalFile(exported).toString().toStdU16String()) << "shown after export";

    QString organized;
    QTimer::singleShot(0, [&] {
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<TOrganizeFavoritesDialog*>(shown); dialog && dialog->isVisible()) {
                organized = "shown";
                dialog->findChild<QPushButton*>("btnClose")->click();
            }
        }
    });
    dialogs.AnswerText(exported);
    trigger(TMenuCommand::ImportFavorites);
    EXPECT_EQ(organized, "shown") << "the organizer follows a successful import";
    const QString imported = favorites + "/Imported Bookmarks/Fish & Chips.url";
    EXPECT_EQ(ReadInternetShortcutUrl(imported), "https://fish.test/?a=1&b=2");

    dialogs.Clear();
    dialogs.AnswerText(exported).Answer(mrNo);
    trigger(TMenuCommand::ExportFavorites);
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Last().Type, mtConfirmation) << "an existing file is replaced only when the user agrees";

    dialogs.AnswerText(home.path("chosen/book.txt"));
    trigger(TMenuCommand::ExportFavorites);
    EXPECT_EQ(dialogs.Last().Type, mtError) << "a failed export says why";
}

TEST_F(MainWindowSettingsMenu, RegisteredProgramsStartWithoutAShellAndAFailedStartIsSaid)
{
    for (const char* kind : {"Mail", "News", "Calendar", "Contacts", "Internet Call"}) {
        const QString key = QStringLiteral("Software\\Clients\\") + kind;
        writeString(HKEY_LOCAL_MACHINE, key, "", "App");
        writeString(HKEY_LOCAL_MACHINE, key + "\\App\\shell\\open\\command", "",
            QStringLiteral("\"/opt/%1 app/run\" --%1 %u").arg(QString(kind).remove(' ').toLower()));
    }
    const struct {
        TMenuCommand item;
        const char* started;
    } cases[] = {
        {TMenuCommand::OpenOutlook, "/opt/mail app/run --mail"},
        {TMenuCommand::OpenOutlookExpress, "/opt/mail app/run --mail"},
        {TMenuCommand::OpenAddressBook, "/opt/contacts app/run --contacts"},
        {TMenuCommand::OpenNewsClient, "/opt/news app/run --news"},
        {TMenuCommand::OpenCalendar, "/opt/calendar app/run --calendar"},
        {TMenuCommand::OpenNetMeeting, "/opt/internetcall app/run --internetcall"},
    };
    for (const auto& c : cases) {
        launcher.started.clear();
        trigger(c.item);
        EXPECT_EQ(launcher.started, QStringList{c.started}) << int(c.item);
    }
    EXPECT_TRUE(dialogs.Calls().empty());

    launcher.starts = false;
    trigger(TMenuCommand::OpenCalendar);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Last().Type, mtError);
}

TEST_F(MainWindowSettingsMenu, APictureIsNeverSavedOutsideADesktopFolder)
{
    // A desktop folder that cannot be made: its parent is a file.
    QFile blocker(home.path("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QFile dirs(home.path(".config/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"$HOME/blocker/Desktop\"\n");
    dirs.close();
    SetProcessOffline(true); // no transfer may reach the network

    trigger(TMenuCommand::GoDownloadMasked);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Last().Type, mtError);
    EXPECT_FALSE(QFileInfo::exists("/google-image.gif"));
    EXPECT_FALSE(QFileInfo::exists(home.path("blocker/Desktop")));
}

} // namespace
