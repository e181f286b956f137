#include "tools/WebActions.h"

#include "browserhost/Sextant.h"
#include "browserhost/SystemTools.h"
#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Dialogs.h"
#include "platform/urlmon/DownloadToFile.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentTools.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>

#include <algorithm>

void OpenHotmail(TSextant& browser) { NavigateToUrl(browser, QStringLiteral("https://login.live.com/cgi-bin/login")); }

void OpenGoogleMail(TSextant& browser) { NavigateToUrl(browser, QStringLiteral("https://mail.google.com/mail/")); }

void OpenYahooMail(TSextant& browser) { NavigateToUrl(browser, QStringLiteral("https://mail.yahoo.com/")); }

namespace {

// The Stop dialog of a download: how much has arrived, and a Stop button.
// It shows itself once the download has taken more than a moment.
class DownloadProgress : public IBindStatusCallback {
public:
    explicit DownloadProgress(const QString& source)
    {
        dialog_.setWindowTitle(QStringLiteral("Downloading"));
        // The address comes from outside: shown as plain text, and a long
        // one shortened in its middle so that the dialog stays on screen.
        auto* label = new QLabel(&dialog_);
        label->setTextFormat(Qt::PlainText);
        label->setText(
            label->fontMetrics().elidedText(QStringLiteral("Downloading: ") + source, Qt::ElideMiddle, LabelWidthPx));
        dialog_.setLabel(label);
        dialog_.setCancelButtonText(QStringLiteral("Stop"));
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
        dialog_.setRange(0, 0);
        dialog_.setMinimumDuration(ShowAfterMs);
    }

    // False once the user asked to stop; keeps the dialog answering.
    bool keepGoing()
    {
        QCoreApplication::processEvents();
        return !dialog_.wasCanceled();
    }

    HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, const std::u16string&) override
    {
        if (statusCode == BINDSTATUS_DOWNLOADINGDATA || statusCode == BINDSTATUS_ENDDOWNLOADDATA) {
            dialog_.setMaximum(static_cast<int>(progressMax / 1024));
            dialog_.setValue(static_cast<int>(std::min(progress, progressMax ? progressMax : progress) / 1024));
        }
        return S_OK;
    }

private:
    static constexpr int ShowAfterMs = 500;
    static constexpr int LabelWidthPx = 560;
    QProgressDialog dialog_;
};

} // namespace

bool DownloadFileWithMessage(const QString& source, const QString& target, bool showMessage)
{
    if (!showMessage)
        return DownloadFile(source, target);
    HRESULT result = E_FAIL;
    try {
        DownloadProgress progress(source);
        result = DownloadUrlToFile(
            source.toStdU16String(), target.toStdU16String(), {}, &progress, [&] { return progress.keepGoing(); });
    } catch (const std::exception&) {
        result = E_FAIL;
    }
    if (result == E_ABORT)
        return false; // stopped by the user, who needs no box to say so
    if (result == S_OK)
        Dialogs().MessageBox(QStringLiteral("Downloading: ") + source + QStringLiteral("\n\rTo: ") + target
                + QStringLiteral("\n\rwas successfully finished."),
            QStringLiteral("Download successful."), MB_OK);
    else
        Dialogs().MessageBox(QStringLiteral("An error ocurred while downloading the file.") + source,
            QStringLiteral("Downloading Error!!"), MB_OK | MB_ICONERROR);
    return result == S_OK;
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
