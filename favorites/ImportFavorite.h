#pragma once
// TImportFavorite: reads a bookmark HTML file (ours or another browser's)
// and creates the favorites it lists in one sub-folder of the favorites
// folder.
#include "favorites/BookmarkRecords.h"

#include <QObject>
#include <QPointer>
#include <QString>

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
};

// The records of a bookmark file's lines, in file order: folders from
// "<H3" lines, favorites from lines holding an http:// or https:// address
// (the text between the first two double quotes, entities decoded; lines
// whose address does not start with either are counted in skipped). Names
// are cleaned and made safe file names.
TUrlRecs ParseBookmarks(const QStringList& lines, int* skipped = nullptr);
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
    // sub-folder cannot be made (OnError says which).
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
    // Favorites created and bookmark lines left out by the last Execute.
    int ImportedCount() const { return importedCount_; }
    int SkippedCount() const { return skippedCount_; }

private:
    bool CheckValues();
    bool fail(const QString& message, unsigned char code);
    QString withChangeIt(const QString& message) const;
    QString makeTargetFolder(const QString& root) const;
    void createFavorites(const QString& target, const TUrlRecs& records);
    void complete();

    int importedCount_ = 0;
    int skippedCount_ = 0;
};
