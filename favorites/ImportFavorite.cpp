#include "favorites/ImportFavorite.h"

#include "browserhost/Sextant.h"
#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/Dialogs.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStatusBar>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

const QString LfCr = QStringLiteral("\n\r");

bool isControl(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; }

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
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QStringList lines;
    ReadBookmarkLines(buffer, [&](const QString& line) { lines << line; });
    return lines;
}

BookmarkParser::BookmarkParser() : names_{QString()} {}

void BookmarkParser::AddLine(const QString& rawLine)
{
    const QString line = rawLine.trimmed();
    if (line.contains(QLatin1String("</DL>"))) {
        depth_ = std::max(depth_ - 1, 0);
        return;
    }
    const bool anchor = line.contains(QLatin1String("HREF="), Qt::CaseInsensitive);
    if (line.contains(QLatin1String("http://")) || line.contains(QLatin1String("https://"))) {
        std::optional<TUrlRec> favorite = favoriteOfLine(line);
        if (favorite && std::any_of(favorite->Url.begin(), favorite->Url.end(), isControl)) {
            skip(QStringLiteral("its address holds a line break or control character"), favorite->Url);
        } else if (favorite) {
            const int level = std::min(depth_, kMaxBookmarkDepth);
            favorite->Folder = names_.mid(1, level);
            favorite->Level = level;
            records_.push_back(std::move(*favorite));
        } else if (anchor) {
            skipAnchor(line);
        }
    } else if (anchor) {
        skipAnchor(line);
    } else if (line.contains(QLatin1String("<H3"))) {
        ++depth_;
        // Deeper folders are not made: what they hold goes into the
        // deepest folder allowed.
        if (depth_ > kMaxBookmarkDepth)
            return;
        const QString name = folderNameOfLine(line);
        if (depth_ < names_.size())
            names_[depth_] = name;
        else
            names_ << name;
        records_.push_back({names_.mid(1, depth_), QString(), QString(), depth_});
    }
}

// An anchor to another kind of address (javascript:, file:), or one whose
// address does not end on its line; a description that only names an
// address is no anchor at all.
void BookmarkParser::skipAnchor(const QString& line)
{
    const qsizetype quote = line.indexOf(QLatin1Char('"'));
    const qsizetype end = quote < 0 ? -1 : line.indexOf(QLatin1Char('"'), quote + 1);
    if (end < 0)
        skip(QStringLiteral("its address does not end on its line"), quote < 0 ? line : line.mid(quote + 1));
    else
        skip(QStringLiteral("not a web address"), DecodeHtmlEntities(line.mid(quote + 1, end - quote - 1)));
}

void BookmarkParser::skip(const QString& why, const QString& address)
{
    QString shown = address.left(200);
    for (QChar& c : shown)
        if (isControl(c))
            c = QLatin1Char(' ');
    skipped_ << why + QLatin1String(": ") + shown;
}

TUrlRecs ParseBookmarks(const QStringList& lines, int* skipped)
{
    BookmarkParser parser;
    for (const QString& line : lines)
        parser.AddLine(line);
    if (skipped)
        *skipped = int(parser.Skipped().size());
    return parser.TakeRecords();
}

bool ReadBookmarkLines(QIODevice& in, const std::function<void(const QString&)>& line)
{
    constexpr qint64 kSniff = 64 * 1024;
    constexpr qint64 kChunk = 1024 * 1024;
    QStringDecoder decoder = QStringDecoder::decoderForHtml(in.peek(kSniff));
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    QString pending;
    bool afterCr = false; // the last chunk ended in CR: a LF first in this one belongs to it
    for (;;) {
        const QByteArray bytes = in.read(kChunk);
        if (bytes.isEmpty()) {
            if (!in.atEnd())
                return false;
            break;
        }
        const QString text = decoder.decode(bytes);
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c != u'\n' && c != u'\r')
                continue;
            if (c == u'\n' && i == 0 && afterCr && pending.isEmpty()) {
                start = 1;
                afterCr = false;
                continue;
            }
            pending += QStringView(text).mid(start, i - start);
            line(pending);
            pending.clear();
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
        afterCr = !text.isEmpty() && text.back() == u'\r' && start == text.size();
        pending += QStringView(text).mid(start);
    }
    pending += decoder.decode(QByteArray());
    if (!pending.isEmpty())
        line(pending);
    return true;
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
    skippedLinks_.clear();
    if (!CheckValues())
        return false;
    QFile file(CurrentFile());
    if (!file.open(QIODevice::ReadOnly))
        return fail(withChangeIt(Localization.FavFileNotExistInPath), 105);
    // Read line by line: a file of hundreds of megabytes is never held whole.
    BookmarkParser parser;
    if (!ReadBookmarkLines(file, [&](const QString& line) { parser.AddLine(line); }))
        return fail(withChangeIt(Localization.FavFileNotExistInPath), 105);
    skippedLinks_ = parser.Skipped();
    TUrlRecs records = parser.TakeRecords();
    SortUrlRecs(records);
    ImportRun run;
    const QString target = makeTargetFolder(FavoritesRoot(FavoritesPath).trimmed(), run);
    if (target.isEmpty())
        return fail(withChangeIt(Localization.TargetSubFolderInvalid), 104);
    if (!createFavorites(target, records, run)) {
        run.undo();
        importedCount_ = 0;
        return fail(Localization.ImportFailed, 106);
    }
    skippedCount_ = int(skippedLinks_.size());
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

void ImportRun::undo()
{
    for (auto file = files.rbegin(); file != files.rend(); ++file)
        QFile::remove(*file);
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        QDir().rmdir(*folder);
}

bool ImportRun::makeFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makeFolder(parent))
        return false;
    if (!QDir().mkdir(path))
        return QFileInfo(path).isDir();
    folders << path;
    return true;
}

// The sub-folder that receives the favorites, created when missing; empty
// without a favorites root or when it cannot be made.
QString TImportFavorite::makeTargetFolder(const QString& root, ImportRun& run) const
{
    if (root.isEmpty())
        return {};
    const QString target = JoinPath(root, TargetSubFolder);
    return run.makeFolder(target) ? target : QString();
}

bool TImportFavorite::createFavorites(const QString& target, const TUrlRecs& records, ImportRun& run)
{
    // A path too long for the file system puts the folder's contents into
    // the deepest of its folders that fits, as the depth limit does.
    QStringList lastParts, lastKept; // sorted records of one folder come together
    const auto folderOf = [&](const QStringList& parts) {
        if (parts == lastParts)
            return lastKept;
        QStringList kept = parts;
        while (!kept.isEmpty() && JoinPath(target, kept).toUtf8().size() > kMaxBookmarkFolderPath)
            kept.removeLast();
        lastParts = parts;
        lastKept = kept;
        return kept;
    };
    // The next number to try per file name, so that many favorites of one
    // title take linear time.
    QHash<QString, int> nextNumber;
    QSet<QString> created;
    for (const TUrlRec& record : records) {
        const QStringList parts = folderOf(record.Folder);
        const QString folder = JoinPath(target, parts);
        if (!run.makeFolder(folder))
            return false;
        if (record.Title.isEmpty())
            continue;
        const QString first = JoinPath(folder, ShortcutFileName(record.Title, QStringLiteral(".url")));
        QString file = first;
        if (created.contains(file)) {
            int& n = nextNumber[first];
            if (n < 2)
                n = 2;
            do
                file = JoinPath(folder, numberedName(record.Title, n++));
            while (created.contains(file));
        }
        if (!WriteInternetShortcutUrl(file, record.Url))
            return false;
        created.insert(file);
        run.files << file;
        ++importedCount_;
    }
    return true;
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
