#pragma once
// The programs the desktop registers for a file type: freedesktop desktop
// entries (applications/*.desktop under $XDG_DATA_HOME and $XDG_DATA_DIRS)
// and the MIME associations of mimeapps.list ($XDG_CONFIG_HOME,
// $XDG_CONFIG_DIRS, and the applications folders).
#include <QString>
#include <QStringList>
#include <vector>

struct DesktopApp {
    QString id; // the desktop file id, "org.gnome.gedit.desktop"
    QString name; // Name=
    QString exec; // Exec=, with the desktop-entry escapes undone
    QString icon; // Icon=
    QString file; // the desktop file's path
    bool terminal = false; // Terminal=true: a program that runs in a terminal
};

// The programs for a MIME type (or one of the types it is a kind of): the
// default program first (Default Applications), then the added
// associations, then every other entry naming the type in MimeType=, each
// once. Removed associations, hidden entries (Hidden=true, NoDisplay=true
// only when not associated), entries without Exec and entries of another
// Type than Application are left out.
std::vector<DesktopApp> AppsForMimeType(const QString& mimeType);

// The argument lists that start the program for the files, by the
// desktop-entry rules: Exec is split at blanks outside double quotes
// (inside them \", \`, \$ and \\ stand for the character); %f and %u take
// one file (the program then starts once per file), %F and %U all files,
// each as one argument; %i gives --icon and the icon, %c the name, %k the
// desktop file, %% a "%"; the deprecated codes vanish. A file never becomes
// more than one argument and is never read as a command. Empty when Exec is
// empty or its quoting is broken.
std::vector<QStringList> ExecArguments(const DesktopApp& app, const QStringList& files);
