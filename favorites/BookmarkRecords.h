#pragma once
// What bookmark export and import share: the records both collect, the
// order in which they are written, the favorites root they work on, the
// escaping of bookmark HTML and the one way paths are joined.
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QObject;

// A folder (empty Title) or a favorite found in the favorites folder or a
// bookmark file.
struct TUrlRec {
    // The folder's path below the favorites root, one name per part (a name
    // may hold a backslash on this system); empty at the root.
    QStringList Folder;
    QString Title;
    QString Url;
    int Level = 0; // nesting depth: 1 for the root's own items
};
using TUrlRecs = std::vector<TUrlRec>;

// The favorites root: favoritesPath unless it is "Auto"; with "Auto" the
// value "Favorites" of the user's Shell Folders key, or the profile's
// Favorites folder (created when missing) while a fresh profile has no such
// value yet.
QString FavoritesRoot(const QString& favoritesPath);

// Joins a folder and a name with one "/" (none added after a folder that
// ends with one). Every composed path of export and import goes through it,
// so the path that is checked is the path that is used.
QString JoinPath(const QString& folder, const QString& name);
QString JoinPath(const QString& folder, const QStringList& parts);

// Orders records by folder, comparing folder paths part by part (so each
// folder's sub-folders follow it directly and a folder record comes before
// the records inside it), then by title; names compare by their characters'
// codes (upper case before lower case).
bool UrlRecLess(const TUrlRec& a, const TUrlRec& b);
void SortUrlRecs(TUrlRecs& records);

// The folders and ".url" favorites below root in the shell's listing order
// (folders first), each folder's contents right after it when recursive.
// A favorite's address is its shortcut's URL, "no path" when the shortcut
// has none or cannot be read. A symbolic link (to a folder or a favorite) is
// followed only when it ends inside root; a folder reached a second time (a
// link loop, two links to one folder) is left out. Each link or folder left
// out is added to skippedLinks, when given, as "path/below/root: why".
TUrlRecs ScanFavoritesFolder(const QString& root, bool recursive, QStringList* skippedLinks = nullptr);

// Bookmark HTML text: "&", "<", ">" and '"' as entities, and back (named
// entities of those four, "&apos;", "&nbsp;" and numeric ones; anything else
// is kept as it stands).
QString EscapeHtml(const QString& text);
QString DecodeHtmlEntities(const QString& text);

// The error event of both bookmark components: ErrorMsg is the message
// (localized text, often followed by a line feed, a carriage return and the
// "change it" text), ErrorCode 101 to 105.
using TFavoriteErrorEvent = std::function<void(QObject* Sender, const QString& ErrorMsg, unsigned char ErrorCode)>;
using TFavoriteSuccessEvent = std::function<void(QObject* Sender, const QString& Msg)>;
