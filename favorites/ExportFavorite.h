#pragma once
// TExportFavorite: writes every favorite of the favorites folder tree into
// one bookmark HTML file that other browsers import.
#include "favorites/BookmarkRecords.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QStatusBar;
class TSextant;

// Exporter message texts.
struct TExportFavoriteLocalization {
    QString TargetPathInvalid = QStringLiteral("The target path is invalid.");
    QString TargetFileNameInvalid = QStringLiteral("The target file name is invalid.");
    QString TargetFileNameExtInvalid
        = QStringLiteral("The target file name extension is invalid. It must be \"*.htm\".");
    QString FavoritesPathInvalid = QStringLiteral("The Favorites Path is invalid.");
    QString NoSuccessMessage = QStringLiteral("You must enter a SuccessMessage or turn off messages.");
    QString ChangeItMessage = QStringLiteral("Please change it.");
    QString HTMLTitle = QStringLiteral("Exported Favorites");
};

class TExportFavorite : public QObject {
public:
    explicit TExportFavorite(QObject* owner = nullptr);

    // Writes the bookmark file TargetPath/TargetFileName (UTF-8, through a
    // temporary name) from the favorites root. True on success; false when
    // disabled or when a check, the root or the writing fails (OnError says
    // which).
    bool Execute();

    QString About() const;
    void SetAbout(const QString&) {}
    bool Enabled = true;
    // After success, the desktop shows TargetPath.
    bool ExploreFavFileOnComplete = false;
    QString FavoritesPath = QStringLiteral("Auto");
    // After success, Sextant opens the written file.
    bool NavigateOnComplete = false;
    QPointer<QStatusBar> StatusBar;
    // Formatted with the file's full path in place of "%s".
    QString SuccessMessage = QStringLiteral("Your favorites have been successfully exported to %s");
    QString TargetFileName = QStringLiteral("newbook.htm");
    QString TargetPath; // the user's documents folder
    QPointer<TSextant> Sextant;
    TExportFavoriteLocalization Localization;

    // Raised once for the first failure, before Execute returns false.
    // Unhandled: the failure is only the result.
    TFavoriteErrorEvent OnError;
    // Raised after the file was written, with the formatted SuccessMessage.
    // Unhandled: nothing (the status bar still shows the text).
    TFavoriteSuccessEvent OnSuccess;

    // The full path of the file Execute writes.
    QString TargetFile() const;
    // Favorites written by the last successful Execute.
    int ExportedCount() const { return exportedCount_; }
    // The symbolic links the last Execute did not follow ("path: why"): those
    // that lead out of the favorites folder, nowhere, or to a folder already
    // written.
    const QStringList& SkippedLinks() const { return skippedLinks_; }

private:
    // The bookmark file's text for sorted records: the header naming
    // HTMLTitle, the body, lines ended by CR LF.
    QByteArray BookmarkHtml(const TUrlRecs& sortedRecords) const;
    bool CheckValues();
    bool fail(const QString& message, unsigned char code);
    QString withChangeIt(const QString& message) const;
    bool writeFile(const QByteArray& html);
    void complete();

    int exportedCount_ = 0;
    QStringList skippedLinks_;
};
