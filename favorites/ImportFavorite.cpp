#include "favorites/ImportFavorite.h"

#include "browserhost/Sextant.h"
#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStatusBar>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

const QString LfCr = QStringLiteral("\n\r");

bool isWebAddress(const QString& url)
{
    return url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

// The favorite of an anchor line: the address between the first two double
// quotes, the title after the first ">" behind the first quote up to the
// next "<". Nothing when the line holds no web address there.
std::optional<TUrlRec> favoriteOfLine(const QString& line)
{
    const qsizetype firstQuote = line.indexOf(QLatin1Char('"'));
    const qsizetype secondQuote = firstQuote < 0 ? -1 : line.indexOf(QLatin1Char('"'), firstQuote + 1);
    if (secondQuote < 0)
        return std::nullopt;
    const QString url = DecodeHtmlEntities(line.mid(firstQuote + 1, secondQuote - firstQuote - 1));
    if (!isWebAddress(url))
        return std::nullopt;
    const qsizetype titleStart = line.indexOf(QLatin1Char('>'), firstQuote) + 1;
    const qsizetype titleEnd = titleStart == 0 ? -1 : line.indexOf(QLatin1Char('<'), titleStart);
    const QString title = titleStart == 0 ? QString() : line.mid(titleStart, titleEnd < 0 ? -1 : titleEnd - titleStart);
    return TUrlRec{{}, CleanBookmarkName(DecodeHtmlEntities(title)), url, 0};
}

// The folder name of an "<H3" line: between the last ">" before the line's
// final character and its closing "</H3>".
QString folderNameOfLine(const QString& line)
{
    const qsizetype start = line.lastIndexOf(QLatin1Char('>'), line.size() - 2) + 1;
    const qsizetype length = line.size() - 5 - start;
    return CleanBookmarkName(DecodeHtmlEntities(length > 0 ? line.mid(start, length) : QString()));
}

// The file name of the n-th favorite of one title in one folder,
// "Title (n).url", cut to fit a file name.
QString numberedName(QString title, int n)
{
    const QString suffix = QStringLiteral(" (%1).url").arg(n);
    while (!title.isEmpty() && (title + suffix).toUtf8().size() > 255) {
        title.chop(1);
        if (!title.isEmpty() && title.back().isHighSurrogate())
            title.chop(1);
    }
    return title + suffix;
}

// Whether a sub-folder name stays below the folder it is joined to.
bool isProperSubFolder(const QString& subFolder)
{
    if (subFolder.isEmpty() || subFolder.startsWith(QLatin1Char('/')))
        return false;
    const QStringList parts = subFolder.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString& part) {
        return part.trimmed().isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
    });
}

} // namespace

QString CleanBookmarkName(const QString& name)
{
    QString cleaned = name;
    for (QChar& c : cleaned) {
        if (QStringView(u"\"\\*/:<>?|").contains(c))
            c = QLatin1Char('-');
    }
    return ShortcutFileName(cleaned, QString());
}

QStringList BookmarkFileLines(const QByteArray& bytes)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

TUrlRecs ParseBookmarks(const QStringList& lines, int* skipped)
{
    TUrlRecs records;
    QStringList names{QString()};
    int level = 0;
    int unusable = 0;
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.contains(QLatin1String("</DL>"))) {
            level = std::max(level - 1, 0);
        } else if (line.contains(QLatin1String("http://")) || line.contains(QLatin1String("https://"))) {
            std::optional<TUrlRec> favorite = favoriteOfLine(line);
            if (!favorite) {
                ++unusable;
                continue;
            }
            favorite->Folder = names.mid(1, level);
            favorite->Level = level;
            records.push_back(std::move(*favorite));
        } else if (line.contains(QLatin1String("<H3"))) {
            ++level;
            const QString name = folderNameOfLine(line);
            if (level < names.size())
                names[level] = name;
            else
                names << name;
            records.push_back({names.mid(1, level), QString(), QString(), level});
        }
    }
    if (skipped)
        *skipped = unusable;
    return records;
}

TImportFavorite::TImportFavorite(QObject* owner) : QObject(owner), CurrentFilePath(SpecialFolderPath(CSIDL_PERSONAL)) {}

QString TImportFavorite::About() const
{
    return QStringLiteral("TImportFavorite: creates favorites from a bookmark HTML file");
}

QString TImportFavorite::CurrentFile() const { return JoinPath(CurrentFilePath, CurrentFileName); }

bool TImportFavorite::Execute()
{
    if (!Enabled)
        return false;
    importedCount_ = skippedCount_ = 0;
    if (!CheckValues())
        return false;
    QFile file(CurrentFile());
    if (!file.open(QIODevice::ReadOnly))
        return fail(withChangeIt(Localization.FavFileNotExistInPath), 105);
    const QStringList lines = BookmarkFileLines(file.readAll());
    const QString target = makeTargetFolder(FavoritesRoot(FavoritesPath).trimmed());
    if (target.isEmpty())
        return fail(withChangeIt(Localization.TargetSubFolderInvalid), 104);
    TUrlRecs records = ParseBookmarks(lines, &skippedCount_);
    SortUrlRecs(records);
    createFavorites(target, records);
    complete();
    return true;
}

bool TImportFavorite::CheckValues()
{
    if (CurrentFilePath.isEmpty())
        return fail(withChangeIt(Localization.CurrentPathInvalid), 101);
    if (CurrentFileName.isEmpty())
        return fail(withChangeIt(Localization.CurrentFileNameInvalid), 102);
    if (CurrentFileName.indexOf(QLatin1String("htm"), 1) < 0)
        return fail(withChangeIt(Localization.TargetFileNameExtInvalid) + QLatin1String("\"*.htm\""), 103);
    if (!isProperSubFolder(TargetSubFolder))
        return fail(withChangeIt(Localization.TargetSubFolderInvalid), 104);
    if (SuccessMessage.isEmpty())
        return fail(withChangeIt(Localization.NoSuccessMessage), 105);
    if (!QFileInfo(CurrentFile()).isFile())
        return fail(withChangeIt(Localization.FavFileNotExistInPath), 105);
    return true;
}

bool TImportFavorite::fail(const QString& message, unsigned char code)
{
    if (OnError)
        OnError(this, message, code);
    return false;
}

QString TImportFavorite::withChangeIt(const QString& message) const
{
    return message + LfCr + Localization.ChangeItMessage;
}

// The sub-folder that receives the favorites, created when missing; empty
// without a favorites root or when it cannot be made.
QString TImportFavorite::makeTargetFolder(const QString& root) const
{
    if (root.isEmpty())
        return {};
    const QString target = JoinPath(root, TargetSubFolder);
    QDir().mkpath(target);
    return QFileInfo(target).isDir() ? target : QString();
}

void TImportFavorite::createFavorites(const QString& target, const TUrlRecs& records)
{
    QSet<QString> created;
    for (const TUrlRec& record : records) {
        const QString folder = JoinPath(target, record.Folder);
        if (record.Title.isEmpty()) {
            QDir().mkpath(folder);
            continue;
        }
        QString file = JoinPath(folder, ShortcutFileName(record.Title, QStringLiteral(".url")));
        for (int n = 2; created.contains(file); ++n)
            file = JoinPath(folder, numberedName(record.Title, n));
        if (WriteInternetShortcutUrl(file, record.Url)) {
            created.insert(file);
            ++importedCount_;
        } else {
            ++skippedCount_;
        }
    }
}

void TImportFavorite::complete()
{
    if (ShowSuccessMessage)
        MessageDlg(SuccessMessage, mtInformation, mbOK);
    if (StatusBar)
        StatusBar->showMessage(SuccessMessage);
    if (NarigateOnComplete) {
        if (WebBrowser)
            WebBrowser->Go(CurrentFile());
        else
            MessageDlg(QStringLiteral("Please assign a WebBrowser before using this feature."), mtError, mbOK);
    }
}
