// The menu commands that read and change the user's browser settings and
// reach the system: working offline, favorites, history, the home page, the
// folders the browser uses, the machine, the registered client programs and
// the About box.
#include "app/unitZarnWeb.h"

#include "browserhost/Sextant.h"
#include "favorites/ExportFavorite.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ImportFavorite.h"
#include "platform/inet/ProcessProxy.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Dialogs.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentTools.h"
#include "tools/OrganizeFavorites.h"
#include "tools/WebActions.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QUrl>

namespace {
const QString FixedHomePage = QStringLiteral("https://www.google.com/");
const QString MaskedPicture
    = QStringLiteral("https://www.google.com/images/branding/googlelogo/1x/googlelogo_color_272x92dp.png");

// Starts a registered program; says so when none could be started, since
// nothing else would show that the command did anything.
void startProgram(bool (*open)())
{
    if (!open())
        MessageDlg(QStringLiteral("The program could not be started. Choose one for this kind of client in the "
                                  "desktop's default applications."),
            mtError, mbOK);
}

bool openMailClient() { return OpenClientProgram(QStringLiteral("Mail")); }
} // namespace

void TfrmMain::bindSettingsCommands()
{
    const auto bind = [this](const char* path, auto command) {
        connect(MenuItem(QString::fromUtf8(path)), &QAction::triggered, this, command);
    };

    // The check mark shows the offline state whenever the menu opens, so it
    // follows changes made elsewhere (the browser's Offline property).
    QAction* offline = MenuItem(QStringLiteral("&File|Work Offline"));
    connect(MenuItem(QStringLiteral("&File"))->menu(), &QMenu::aboutToShow, offline,
        [offline] { offline->setChecked(ProcessOffline()); });
    connect(offline, &QAction::triggered, this, [offline] {
        if (ProcessOffline())
            WorkOnline();
        else
            WorkOffline();
        offline->setChecked(ProcessOffline());
    });

    bind("Navigation|Go Dowload Masked", [this] {
        StopIfBusy();
        const QString desktop = GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
        if (desktop.isEmpty()) {
            MessageDlg(QStringLiteral("There is no desktop folder to save the picture in."), mtError, mbOK);
            return;
        }
        DownloadFileWithMessage(MaskedPicture, desktop + QStringLiteral("/google-image.gif"), true);
    });
    bind("Navigation|Go With Query Details", [this] {
        const QString title = QStringLiteral("Browser Demo");
        const QString url = InputBox(title, QStringLiteral("Please enter the url"), QString());
        const QString query = InputBox(title, QStringLiteral("Please enter the Query"), QString());
        GoWithQueryDetails(*Sextant1, url, query);
    });

    bind("&Tools|Sextant Functions|Get Default Web Browser From Resistry",
        [] { ShowMessage(QStringLiteral("Current Default Web Browser is: ") + GetDefaultBrowserName()); });
    bind("&Tools|Sextant Functions|Create A ShortCut On Your Desktop", [this] { CreateDesktopShortcut(*Sextant1); });
    bind("&Tools|Sextant Functions|Check Online Status", [] {
        if (CheckOnlineStatus())
            MessageDlg(QStringLiteral("Connected to the internet!"), mtInformation, mbOK);
        else
            MessageDlg(
                QStringLiteral("It looks like if you are not connected to the internet!"), mtWarning, mbOKCancel);
    });
    bind("&Tools|Sextant Functions|Get Host And IP", [] {
        QString host, address, error;
        if (GetIPAndHostName(host, address, error))
            MessageDlg(QStringLiteral("PC Host Name: ") + host + QStringLiteral("\n\rYour Internal IP: ") + address,
                mtInformation, mbOK);
        else
            MessageDlg(error, mtError, mbOK);
    });
    bind("&Tools|Sextant Functions|Get Special Folder Path",
        [] { ShowMessage(QStringLiteral("Your Desktop Path is: ") + GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY)); });

    bind("&Tools|Favorites Tools|Show Organize Favorites", [this] {
        ShowOrganizeFavorites(this);
        RebuildActiveView();
    });
    ExportFavorite1 = new TExportFavorite(this);
    ExportFavorite1->SuccessMessage = QStringLiteral("Your favorites have been exported to successfully!");
    ImportFavorite1 = new TImportFavorite(this);
    ImportFavorite1->SuccessMessage = QStringLiteral("Your favorites have been ");
    // A failed export or import says why instead of doing nothing visible.
    const auto showFailure
        = [](QObject*, const QString& message, unsigned char) { MessageDlg(message, mtError, mbOK); };
    ExportFavorite1->OnError = showFailure;
    ImportFavorite1->OnError = showFailure;
    const auto exportFavorites = [this] {
        if (ExportFavorite1->Execute())
            Sextant1->Navigate(QUrl::fromLocalFile(ExportFavorite1->TargetFile()).toString().toStdU16String());
    };
    const auto importFavorites = [this] {
        const bool imported = ImportFavorite1->Execute();
        RebuildActiveView();
        if (imported)
            ShowOrganizeFavorites(this);
    };
    bind("&Tools|Favorites Tools|Export Favorites", exportFavorites);
    bind("&Tools|Favorites Tools|Import Favorites", importFavorites);
    FavoritesTree1->ExportFavorites = [this] { ExportFavorite1->Execute(); };
    FavoritesTree1->ImportFavorites = [this] { ImportFavorite1->Execute(); };
    bind("&Tools|Favorites Tools|Add To Favorites", [this] {
        AddToFavorites(
            QString::fromStdU16String(Sextant1->LocationURL()), QString::fromStdU16String(Sextant1->LocationName()));
        RebuildActiveView();
    });
    bind("&Tools|Favorites Tools|Get Favorites Path", [] { ShowMessage(GetHistoryPath()); });

    bind("&Tools|History Tools|Get History Path", [] { ShowMessage(GetHistoryPath()); });
    bind("&Tools|History Tools|Delete History", [] {
        if (!DeleteHistory())
            MessageDlg(QStringLiteral("The history could not be cleared."), mtError, mbOK);
    });
    bind("&Tools|History Tools|Clear Address Bar ( Typed URL's)", [] { ClearTypedUrls(); });

    bind("&Tools|Cache Tools|Get Cached File Path", [this] {
        const QString cached = GetCachedPath(IEAddress1->currentText());
        ShowMessage(cached.isEmpty() ? QStringLiteral("The address is not in the cache.") : cached);
    });
    bind("&Tools|Cache Tools|Clear Cache", [] { ShowMessage(CacheClearedText(ClearCache())); });

    bind("&Tools|Mail Tools|Open Yahoo Mail", [this] { OpenYahooMail(*Sextant1); });
    bind("&Tools|Mail Tools|Open Google Mail", [this] { OpenGoogleMail(*Sextant1); });
    bind("&Tools|Mail Tools|Open Hotmail Mail", [this] { OpenHotmail(*Sextant1); });
    bind("&Tools|Mail Tools|Open Outlook", [] { startProgram(&openMailClient); });
    bind("&Tools|Mail Tools|Open Outlook Express", [] { startProgram(&openMailClient); });
    bind("&Tools|Mail Tools|Open Address Book", [] { startProgram(&OpenAddressBook); });

    bind("&Tools|Home Page|Get IE Home Page", [this] { ShowMessage(Sextant1->GetIEHomePage()); });
    bind("&Tools|Home Page|Set IE New Home Page", [] { SetNewHomePage(FixedHomePage); });
    bind("&Tools|Cookies|Get Cookies Path", [] { ShowMessage(GetCookiesPath()); });

    bind("&Tools|Show / Open|Show Internet Explorer Version", [] { ShowIEVersionInfo(); });
    bind("&Tools|Show / Open|Show Internet &Options...", [this] { ShowInternetOptions(Sextant1->Document()); });
    bind("&Tools|Show / Open|Open News Client", [] { startProgram(&OpenNewsClient); });
    bind("&Tools|Show / Open|Open Calender", [] { startProgram(&OpenCalendar); });
    bind("&Tools|Show / Open|Open Net Meeting", [] { startProgram(&OpenNetMeeting); });
    bind("&Tools|Show / Open|Open Folders (Explore)",
        [] { ProgramLauncher().openWithDesktop(QUrl::fromLocalFile(QCoreApplication::applicationDirPath())); });
}
