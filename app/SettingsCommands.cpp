// The menu commands that read and change the user's browser settings and
// reach the system: working offline, favorites, history, the home page, the
// folders the browser uses, the machine, the registered client programs and
// the About box.
#include "app/unitZarnWeb.h"

#include "browserhost/DocumentOps.h"
#include "browserhost/Sextant.h"
#include "favorites/ExportFavorite.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ImportFavorite.h"
#include "platform/inet/ProcessProxy.h"
#include "platform/inet/UrlCache.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Dialogs.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentTools.h"
#include "tools/OrganizeFavorites.h"
#include "tools/WebActions.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
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

const QString BookmarkFilter = QStringLiteral("Bookmark files|*.htm;*.html");

// A folder the file dialogs can open: the given one when it exists, else the
// user's home (a fresh profile has no documents folder yet).
QString existingFolder(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

// The page engine keeps the pages it shows in a cache of its own that has no
// files to name, so the page on screen goes into the download cache as the
// browser holds it. Its local copy; empty when the page could not be kept.
QString cacheShownPage(TSextant& browser, const QString& address)
{
    const QUrl url(address);
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return {};
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("page.html"));
    try {
        if (!folder.isValid() || SaveToFile(browser, saved) != S_OK)
            return {};
    } catch (const EOleException&) {
        return {};
    }
    TUrlCache cache;
    return cache.Store(address, saved) ? GetCachedPath(address) : QString();
}
} // namespace

bool TfrmMain::chooseExportFile()
{
    TFileDialogOptions options;
    options.Title = QStringLiteral("Export Favorites");
    options.Filter = BookmarkFilter;
    options.DefaultExt = QStringLiteral("htm");
    options.InitialDir = existingFolder(ExportFavorite1->TargetPath);
    options.FileName = QDir(options.InitialDir).filePath(ExportFavorite1->TargetFileName);
    options.Owner = this;
    if (!Dialogs().SaveDialog(options))
        return false;
    const QFileInfo chosen(options.FileName);
    if (chosen.exists()
        && MessageDlg(chosen.fileName() + QStringLiteral(" already exists.\nDo you want to replace it?"),
               mtConfirmation, mbYesNo)
            != mrYes)
        return false;
    ExportFavorite1->TargetPath = chosen.absolutePath();
    ExportFavorite1->TargetFileName = chosen.fileName();
    return true;
}

bool TfrmMain::chooseImportFile()
{
    TFileDialogOptions options;
    options.Title = QStringLiteral("Import Favorites");
    options.Filter = BookmarkFilter;
    options.InitialDir = existingFolder(ImportFavorite1->CurrentFilePath);
    options.Owner = this;
    if (!Dialogs().OpenDialog(options))
        return false;
    const QFileInfo chosen(options.FileName);
    ImportFavorite1->CurrentFilePath = chosen.absolutePath();
    ImportFavorite1->CurrentFileName = chosen.fileName();
    return true;
}

void TfrmMain::exportFavorites()
{
    if (chooseExportFile() && ExportFavorite1->Execute())
        Sextant1->Navigate(QUrl::fromLocalFile(ExportFavorite1->TargetFile()).toString().toStdU16String());
}

void TfrmMain::importFavorites()
{
    if (!chooseImportFile())
        return;
    const bool imported = ImportFavorite1->Execute();
    RebuildActiveView();
    if (imported)
        ShowOrganizeFavorites(this);
}

void TfrmMain::bindSettingsCommands()
{
    const auto bind = [this](TMenuCommand command, auto handler) { OnMenuCommand(command, handler); };

    // The check mark shows the offline state whenever the menu opens, so it
    // follows changes made elsewhere (the browser's Offline property).
    QAction* offline = MenuItem(TMenuCommand::WorkOffline);
    connect(MenuItem(TMenuCommand::FileMenu)->menu(), &QMenu::aboutToShow, offline,
        [offline] { offline->setChecked(ProcessOffline()); });
    bind(TMenuCommand::WorkOffline, [offline] {
        if (ProcessOffline())
            WorkOnline();
        else
            WorkOffline();
        offline->setChecked(ProcessOffline());
    });

    bind(TMenuCommand::GoDownloadMasked, [this] {
        StopIfBusy();
        const QString desktop = GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
        if (desktop.isEmpty()) {
            MessageDlg(QStringLiteral("There is no desktop folder to save the picture in."), mtError, mbOK);
            return;
        }
        DownloadFileWithMessage(MaskedPicture, desktop + QStringLiteral("/google-image.gif"), true);
    });
    bind(TMenuCommand::GoWithQueryDetails, [this] {
        const QString title = QStringLiteral("Browser Demo");
        const QString url = InputBox(title, QStringLiteral("Please enter the url"), QString());
        const QString query = InputBox(title, QStringLiteral("Please enter the Query"), QString());
        GoWithQueryDetails(*Sextant1, url, query);
    });

    bind(TMenuCommand::GetDefaultBrowser,
        [] { ShowMessage(QStringLiteral("Current Default Web Browser is: ") + GetDefaultBrowserName()); });
    bind(TMenuCommand::CreateDesktopShortcut, [this] { CreateDesktopShortcut(*Sextant1); });
    bind(TMenuCommand::CheckOnlineStatus, [] {
        if (CheckOnlineStatus())
            MessageDlg(QStringLiteral("Connected to the internet!"), mtInformation, mbOK);
        else
            MessageDlg(
                QStringLiteral("It looks like if you are not connected to the internet!"), mtWarning, mbOKCancel);
    });
    bind(TMenuCommand::GetHostAndIP, [] {
        QString host, address, error;
        if (GetIPAndHostName(host, address, error))
            MessageDlg(QStringLiteral("PC Host Name: ") + host + QStringLiteral("\n\rYour Internal IP: ") + address,
                mtInformation, mbOK);
        else
            MessageDlg(error, mtError, mbOK);
    });
    bind(TMenuCommand::GetSpecialFolderPath,
        [] { ShowMessage(QStringLiteral("Your Desktop Path is: ") + GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY)); });

    bind(TMenuCommand::ShowOrganizeFavorites, [this] {
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
    bind(TMenuCommand::ExportFavorites, [this] { exportFavorites(); });
    bind(TMenuCommand::ImportFavorites, [this] { importFavorites(); });
    bind(TMenuCommand::ShowImportExportWizard, [this] {
        switch (Dialogs().MessageBox(QStringLiteral("Import favorites from a bookmark file, or export your favorites "
                                                    "to one that other browsers import?"),
            QStringLiteral("Import / Export Wizard"), MB_YESNOCANCEL | MB_ICONQUESTION, this,
            {QStringLiteral("Import..."), QStringLiteral("Export..."), QStringLiteral("Cancel")})) {
        case IDYES:
            importFavorites();
            break;
        case IDNO:
            exportFavorites();
            break;
        default:
            break;
        }
    });
    FavoritesTree1->ExportFavorites = [this] {
        if (chooseExportFile())
            ExportFavorite1->Execute();
    };
    FavoritesTree1->ImportFavorites = [this] {
        if (chooseImportFile())
            ImportFavorite1->Execute();
    };
    bind(TMenuCommand::AddToFavorites, [this] {
        AddToFavorites(
            QString::fromStdU16String(Sextant1->LocationURL()), QString::fromStdU16String(Sextant1->LocationName()));
        RebuildActiveView();
    });
    bind(TMenuCommand::GetFavoritesPath, [] { ShowMessage(GetHistoryPath()); });

    bind(TMenuCommand::GetHistoryPath, [] { ShowMessage(GetHistoryPath()); });
    bind(TMenuCommand::DeleteHistory, [] {
        if (!DeleteHistory())
            MessageDlg(QStringLiteral("The history could not be cleared."), mtError, mbOK);
    });
    bind(TMenuCommand::ClearTypedUrls, [] { ClearTypedUrls(); });

    bind(TMenuCommand::GetCachedFilePath, [this] {
        const QString address = IEAddress1->currentText().trimmed();
        QString cached = GetCachedPath(address);
        if (cached.isEmpty() && address == QString::fromStdU16String(Sextant1->LocationURL()))
            cached = cacheShownPage(*Sextant1, address);
        ShowMessage(cached.isEmpty() ? QStringLiteral("The address is not in the cache.") : cached);
    });
    bind(TMenuCommand::ClearCache, [] { ShowMessage(CacheClearedText(ClearCache())); });

    bind(TMenuCommand::SendPageInMail, [this] {
        Sextant1->SendPageInMail(this, QStringLiteral("Site.html"),
            {.Subject = QStringLiteral("Check this site"), .Body = QStringLiteral("With regards")});
    });
    bind(TMenuCommand::SendUrlInMail, [this] { Sextant1->SendUrlInMail(); });
    bind(TMenuCommand::CreateNewMail, [this] {
        if (!Sextant1->CreateNewMail())
            MessageDlg(QStringLiteral("No mail program could open a new message. Choose one for e-mail in the "
                                      "desktop's default applications."),
                mtError, mbOK);
    });
    bind(TMenuCommand::OpenYahooMail, [this] { OpenYahooMail(*Sextant1); });
    bind(TMenuCommand::OpenGoogleMail, [this] { OpenGoogleMail(*Sextant1); });
    bind(TMenuCommand::OpenHotmail, [this] { OpenHotmail(*Sextant1); });
    bind(TMenuCommand::OpenOutlook, [] { startProgram(&openMailClient); });
    bind(TMenuCommand::OpenOutlookExpress, [] { startProgram(&openMailClient); });
    bind(TMenuCommand::OpenAddressBook, [] { startProgram(&OpenAddressBook); });

    bind(TMenuCommand::GetHomePage, [this] { ShowMessage(Sextant1->GetIEHomePage()); });
    bind(TMenuCommand::SetNewHomePage, [] { SetNewHomePage(FixedHomePage); });
    bind(TMenuCommand::GetCookiesPath, [] { ShowMessage(GetCookiesPath()); });

    bind(TMenuCommand::ShowVersion, [] { ShowIEVersionInfo(); });
    bind(TMenuCommand::ShowInternetOptions, [this] { ShowInternetOptions(Sextant1->Document()); });
    bind(TMenuCommand::OpenNewsClient, [] { startProgram(&OpenNewsClient); });
    bind(TMenuCommand::OpenCalendar, [] { startProgram(&OpenCalendar); });
    bind(TMenuCommand::OpenNetMeeting, [] { startProgram(&OpenNetMeeting); });
    bind(TMenuCommand::OpenFolders,
        [] { ProgramLauncher().openWithDesktop(QUrl::fromLocalFile(QCoreApplication::applicationDirPath())); });
}
