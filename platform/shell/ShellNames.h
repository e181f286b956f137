#pragma once
// Names of items in the user's shell folders: the one rule that makes a
// name from outside (a page title, a bookmark file, a typed folder name) a
// safe file name, and the order in which the shell lists a folder.
#include <QFileInfo>
#include <QString>

// A shortcut's or folder's file name made from a title: "/", "\" and
// control characters become "_", leading dots and blanks go, the extension
// (".url", ".desktop" or none for a folder) is added and the whole is cut
// to 255 bytes keeping it; "Favorite" and the extension when nothing is
// left. The result is never "." or "..", so it always names an item inside
// the folder it is joined to.
QString ShortcutFileName(const QString& title, const QString& extension);

// Whether name a comes before name b in a shell listing: case-insensitive,
// runs of digits compared by value ("Item 2" before "Item 10"); names equal
// that way are ordered by their exact text so the order is total.
bool ShellNameLess(const QString& a, const QString& b);

// Whether entry a comes before entry b in a shell listing: folders first,
// then by ShellNameLess.
bool ShellEntryLess(bool aIsFolder, const QString& a, bool bIsFolder, const QString& b);

// Sorts entries as the shell lists a folder: folders first, then by
// ShellNameLess on the file names.
void SortAsShell(QFileInfoList& entries);
