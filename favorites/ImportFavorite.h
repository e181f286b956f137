#pragma once
// TImportFavorite: reads a bookmark HTML file (ours or another browser's)
// and creates the favorites it lists in one sub-folder of the favorites
// folder.
#include "favorites/BookmarkRecords.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

class QStatusBar;
class TSextant;

// Importer message texts.
struct TImportFavoriteLocalization {
    QString CurrentPathInvalid = QStringLiteral("The favorites file path is invalid.");
    QString CurrentFileNameInvalid = QStringLiteral("The Current file name is invalid.");
    QString TargetFileNameExtInvalid = QStringLiteral("The target file name extention is invalid.");
    QString TargetSubFolderInvalid = QStringLiteral("You must specify a proper sub folder name.");
    QString FavFileNotExistInPath = QStringLiteral("The specified favorite file does not exist in the current path.");
    QString NoSuccessMessage = QStringLiteral("You must enter a SuccessMessage or turn off messages.");
    QString ChangeItMessage = QStringLiteral("Please change it.");
    QString ImportFailed = QStringLiteral("The favorites could not be written; nothing of this import was kept.");
};

// What one import made, so that a failed import takes it all back.
struct ImportRun {
    QStringList folders; // in the order made
    QStringList files;
    // Makes the folder and its missing parents, noting each one made.
    bool makeFolder(const QString& path);
    // Removes the files and then the folders made, newest first.
    void undo();
};

// Folders nest at most this deep; what deeper folders hold goes into the
// deepest one allowed, so that a file of thousands of nested (or unclosed)
// folders neither makes them all nor holds their every path.
constexpr int kMaxBookmarkDepth = 64;
// Folder paths longer than this (in bytes) are cut the same way, so that no
// file of the import fails for the length of its path.
constexpr int kMaxBookmarkFolderPath = 3000;

// Turns the lines of a bookmark file, one at a time, into records in file
// order: folders from "<H3" lines, favorites from lines holding an http:// or
// https:// address (the text between the first two double quotes, entities
// decoded). Names are cleaned and made safe file names. Every anchor left
// out (another scheme such as javascript: or file:, an address holding a
// line break, one that does not end on its line) is listed in Skipped() as
// "why: address".
class BookmarkParser {
public:
    BookmarkParser();
    void AddLine(const QString& line);
    const QStringList& Skipped() const { return skipped_; }
    TUrlRecs TakeRecords() { return std::move(records_); }

private:
    void skip(const QString& why, const QString& address);
    void skipAnchor(const QString& line);

    TUrlRecs records_;
    QStringList names_; // the folder name of each level, level 0 empty
    int depth_ = 0; // nesting in the file, also beyond the deepest folder made
    QStringList skipped_;
};

// The records of a bookmark file's lines (BookmarkParser); skipped, when
// given, receives the number of anchors left out.
TUrlRecs ParseBookmarks(const QStringList& lines, int* skipped = nullptr);
// Hands each line of a bookmark file to line as it is read, decoded by its
// byte-order mark or the charset declared in its first 64 KiB, else as UTF-8
// (invalid sequences become U+FFFD); CR, LF and CR LF end lines. False when
// reading fails.
bool ReadBookmarkLines(QIODevice& in, const std::function<void(const QString&)>& line);
// A title or folder name from a bookmark file as a name of a file or folder
// inside the target: '"', '\', '*', '/', ':', '<', '>', '?' and '|' become
// "-", then the shell's safe-name rule applies (never empty, "." or "..").
QString CleanBookmarkName(const QString& name);
// The lines of a bookmark file's bytes, decoded by its byte-order mark or
// declared charset, else as UTF-8 (invalid sequences become U+FFFD).
QStringList BookmarkFileLines(const QByteArray& bytes);

class TImportFavorite : public QObject {
public:
    explicit TImportFavorite(QObject* owner = nullptr);

    // Creates the favorites of CurrentFilePath/CurrentFileName under the
    // favorites root's TargetSubFolder. True on success; false when
    // disabled, when a check fails, when the root is unknown or the
    // sub-folder cannot be made, or when a folder or favorite cannot be
    // written (code 106: every file and folder the import made is removed
    // again). OnError says which.
    bool Execute();

    QString About() const;
    void SetAbout(const QString&) {}
    QString CurrentFileName = QStringLiteral("newbook.htm");
    QString CurrentFilePath; // the user's documents folder
    bool Enabled = true;
    QString FavoritesPath = QStringLiteral("Auto");
    // After success, WebBrowser opens the bookmark file.
    bool NarigateOnComplete = false;
    bool ShowSuccessMessage = true;
    QPointer<QStatusBar> StatusBar;
    QString SuccessMessage = QStringLiteral("The bookmarks have been imported into your favorites successfully!\n\rYou "
                                            "can find them in your favorites as a sub folder.");
    // A folder below the favorites root; "/" separates sub-folders, and no
    // part may be empty, "." or "..".
    QString TargetSubFolder = QStringLiteral("Imported Bookmarks");
    QPointer<TSextant> WebBrowser;
    TImportFavoriteLocalization Localization;

    // Raised once for the first failure, before Execute returns false.
    // Unhandled: the failure is only the result.
    TFavoriteErrorEvent OnError;

    // The bookmark file Execute reads.
    QString CurrentFile() const;
    // Favorites created and bookmark anchors left out by the last Execute.
    int ImportedCount() const { return importedCount_; }
    int SkippedCount() const { return skippedCount_; }
    // Each anchor left out, as "why: address".
    const QStringList& SkippedLinks() const { return skippedLinks_; }

private:
    bool CheckValues();
    bool fail(const QString& message, unsigned char code);
    QString withChangeIt(const QString& message) const;
    QString makeTargetFolder(const QString& root, ImportRun& run) const;
    bool createFavorites(const QString& target, const TUrlRecs& records, ImportRun& run);
    void complete();

    int importedCount_ = 0;
    int skippedCount_ = 0;
    QStringList skippedLinks_;
};
