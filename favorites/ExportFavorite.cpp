#include "favorites/ExportFavorite.h"

#include "browserhost/Sextant.h"
#include "platform/files/SafeFile.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {

const QString LfCr = QStringLiteral("\n\r");

// Appends lines ended by CR LF, each made of its parts; an int part is an
// indent of four blanks per level.
class HtmlLines {
public:
    explicit HtmlLines(std::size_t expectedLines) { text_.reserve(qsizetype(expectedLines) * 96); }

    template <typename... Parts> void add(const Parts&... parts)
    {
        (append(parts), ...);
        text_ += QLatin1String("\r\n");
    }
    QByteArray utf8() const { return text_.toUtf8(); }

private:
    void append(int level) { text_.resize(text_.size() + 4 * std::max(level, 0), QLatin1Char(' ')); }
    template <typename Text> void append(const Text& text) { text_ += text; }

    QString text_;
};

void addBody(HtmlLines& html, const TUrlRecs& records)
{
    std::optional<int> lastFolderLevel;
    for (const TUrlRec& record : records) {
        if (!record.Title.isEmpty()) {
            html.add(record.Level, QLatin1String("<DT><A HREF=\""), EscapeHtml(record.Url), QLatin1String("\">"),
                EscapeHtml(record.Title), QLatin1String("</A><BR>"));
            continue;
        }
        // Closes the folders open at the new folder's level and deeper.
        for (int level = lastFolderLevel.value_or(-1); lastFolderLevel && level >= record.Level; --level) {
            html.add(level, QLatin1String("</DL><P>"));
            html.add();
        }
        html.add();
        html.add(record.Level, QLatin1String("<DT><H3>"), EscapeHtml(record.Folder.value(record.Folder.size() - 1)),
            QLatin1String("</H3>"));
        html.add(record.Level, QLatin1String("<DL><P>"));
        lastFolderLevel = record.Level;
    }
}

} // namespace

TExportFavorite::TExportFavorite(QObject* owner) : QObject(owner), TargetPath(SpecialFolderPath(CSIDL_PERSONAL)) {}

QString TExportFavorite::About() const
{
    return QStringLiteral("TExportFavorite: writes the favorites folder into one bookmark HTML file");
}

QString TExportFavorite::TargetFile() const { return JoinPath(TargetPath, TargetFileName); }

QByteArray TExportFavorite::BookmarkHtml(const TUrlRecs& sortedRecords) const
{
    HtmlLines html(sortedRecords.size() + 16);
    html.add(QLatin1String("<!-- Made with "), ApplicationTitle(), QLatin1String(" -->"));
    html.add(QLatin1String("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"));
    html.add();
    html.add(QLatin1String("<TITLE>"), EscapeHtml(Localization.HTMLTitle), QLatin1String("</TITLE>"));
    html.add(QLatin1String("<H1>"), EscapeHtml(Localization.HTMLTitle), QLatin1String("</H1>"));
    html.add();
    html.add(QLatin1String("<DL><P>"));
    addBody(html, sortedRecords);
    html.add();
    html.add(QLatin1String("</DL><P>"));
    return html.utf8();
}

bool TExportFavorite::Execute()
{
    if (!Enabled)
        return false;
    exportedCount_ = 0;
    skippedLinks_.clear();
    const QString root = FavoritesRoot(FavoritesPath).trimmed();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return fail(Localization.FavoritesPathInvalid, 104);
    if (!CheckValues())
        return false;
    TUrlRecs records = ScanFavoritesFolder(root, true, &skippedLinks_);
    SortUrlRecs(records);
    if (!writeFile(BookmarkHtml(records)))
        return fail(withChangeIt(Localization.TargetFileNameInvalid), 102);
    exportedCount_
        = int(std::count_if(records.begin(), records.end(), [](const TUrlRec& r) { return !r.Title.isEmpty(); }));
    complete();
    return true;
}

bool TExportFavorite::CheckValues()
{
    if (TargetPath.isEmpty() || !QFileInfo(TargetPath).isDir())
        return fail(withChangeIt(Localization.TargetPathInvalid), 101);
    if (TargetFileName.isEmpty())
        return fail(withChangeIt(Localization.TargetFileNameInvalid), 102);
    if (TargetFileName.indexOf(QLatin1String("htm"), 1) < 0)
        return fail(withChangeIt(Localization.TargetFileNameExtInvalid) + QLatin1String("\"*.htm\""), 103);
    if (FavoritesPath.trimmed().isEmpty())
        return fail(withChangeIt(Localization.FavoritesPathInvalid), 104);
    if (SuccessMessage.trimmed().isEmpty())
        return fail(withChangeIt(Localization.NoSuccessMessage), 105);
    return true;
}

bool TExportFavorite::fail(const QString& message, unsigned char code)
{
    if (OnError)
        OnError(this, message, code);
    return false;
}

QString TExportFavorite::withChangeIt(const QString& message) const
{
    return message + LfCr + Localization.ChangeItMessage;
}

bool TExportFavorite::writeFile(const QByteArray& html)
{
    SafeFileWriter writer(QFile::encodeName(TargetFile()).toStdString());
    return writer.Open() && writer.Write(html.constData(), std::size_t(html.size())) && writer.Commit();
}

void TExportFavorite::complete()
{
    QString message = SuccessMessage;
    if (const qsizetype at = message.indexOf(QLatin1String("%s")); at >= 0)
        message.replace(at, 2, TargetFile());
    if (OnSuccess)
        OnSuccess(this, message);
    if (StatusBar)
        StatusBar->showMessage(message);
    if (ExploreFavFileOnComplete)
        ProgramLauncher().openWithDesktop(QUrl::fromLocalFile(TargetPath));
    if (NavigateOnComplete) {
        if (Sextant)
            Sextant->Go(TargetFile());
        else
            MessageDlg(QStringLiteral("Please assign a WebBrowser before using this feature."), mtError, mbOK);
    }
}
