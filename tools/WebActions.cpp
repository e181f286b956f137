#include "tools/WebActions.h"

#include "browserhost/Sextant.h"
#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Dialogs.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentTools.h"
#include "tools/SystemTools.h"

#include <QFileInfo>

void OpenHotmail(TSextant& browser) { NavigateToUrl(browser, QStringLiteral("https://login.live.com/cgi-bin/login")); }

void OpenGoogleMail(TSextant& browser) { NavigateToUrl(browser, QStringLiteral("https://mail.google.com/mail/")); }

void OpenYahooMail(TSextant& browser) { NavigateToUrl(browser, QStringLiteral("https://mail.yahoo.com/")); }

bool DownloadFileWithMessage(const QString& source, const QString& target, bool showMessage)
{
    const bool downloaded = DownloadFile(source, target);
    if (!showMessage)
        return downloaded;
    if (downloaded)
        Dialogs().MessageBox(QStringLiteral("Downloading: ") + source + QStringLiteral("\n\rTo: ") + target
                + QStringLiteral("\n\rwas successfully finished."),
            QStringLiteral("Download successful."), MB_OK);
    else
        Dialogs().MessageBox(QStringLiteral("An error ocurred while downloading the file.") + source,
            QStringLiteral("Downloading Error!!"), MB_OK | MB_ICONERROR);
    return downloaded;
}

void GoWithQueryDetails(TSextant& browser, const QString& address, const QString& query)
{
    const QByteArray post = QByteArrayLiteral("version=current&name=myname\r\n");
    OleVariant flags(0), target{WideString()};
    OleVariant postData(Variant::Bytes(post.begin(), post.end()));
    OleVariant headers(u"Content-Type:application/x-www-form-urlencoded\r\n");
    browser.Navigate((address + query).toStdU16String(), flags, target, postData, headers);
}

namespace {

// Whether a shortcut may be written to file: a new one always, an existing
// one when the user agrees to replace it.
bool mayWriteShortcut(const QString& file)
{
    return !QFileInfo::exists(file)
        || Dialogs().MessageDlg(QStringLiteral("The shortcut \"") + QFileInfo(file).completeBaseName()
                   + QStringLiteral("\" already exists. Do you want to replace it?"),
               mtConfirmation, mbYesNo)
        == mrYes;
}

} // namespace

bool AddToFavorites(const QString& address, const QString& title)
{
    if (address.trimmed().isEmpty() || title.trimmed().isEmpty())
        return false;
    QString name = QFileInfo(ShortcutFileName(title, QStringLiteral(".url"))).completeBaseName();
    if (!Dialogs().InputQuery(QStringLiteral("Add Favorite"), QStringLiteral("Name:"), name))
        return false;
    const QString folder = GetSpecialFolderPath(CSIDL_FAVORITES);
    if (folder.isEmpty())
        return false;
    const QString file = folder + QLatin1Char('/') + ShortcutFileName(name, QStringLiteral(".url"));
    return mayWriteShortcut(file) && WriteInternetShortcutUrl(file, address);
}

bool CreateDesktopShortcut(TSextant& browser)
{
    const QString url = QString::fromStdU16String(browser.LocationURL());
    QString title = QString::fromStdU16String(browser.LocationName());
    if (url.trimmed().isEmpty())
        return false;
    if (title.trimmed().isEmpty())
        title = url;
    const QString folder = GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
    if (folder.isEmpty())
        return false;
    const QString file = folder + QLatin1Char('/') + ShortcutFileName(title, QStringLiteral(".desktop"));
    return mayWriteShortcut(file) && WriteDesktopLink(file, title, url);
}

void ShowIEVersionInfo()
{
    const QString version = GetIEFileVersion();
    Dialogs().MessageBox(QStringLiteral("ZarnWeb web browser\nPage engine version: ")
            + (version.isEmpty() ? QStringLiteral("unknown") : version),
        QStringLiteral("About ZarnWeb"), MB_OK | MB_ICONINFORMATION);
}
