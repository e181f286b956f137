#pragma once
// Files on the clipboard in the forms file managers read: text/uri-list
// (every program), x-special/gnome-copied-files (GNOME and most others:
// "copy" or "cut", then one file: address a line), the KDE cut mark and
// the paths as plain text.
#include <QStringList>

class QMimeData;

// The clipboard data for the files; cut marks them to be moved where they
// are pasted.
QMimeData* FileClipboardData(const QStringList& paths, bool cut);

// Puts the files on the application's clipboard.
void PutFilesOnClipboard(const QStringList& paths, bool cut);
