#pragma once
// The freedesktop trash of the user: $XDG_DATA_HOME/Trash, whose files/
// folder holds what was deleted and whose info/ folder holds, for each, a
// <name>.trashinfo telling where it came from and when, so that file
// managers can show and restore it.
#include <QString>

// The trash folder ($XDG_DATA_HOME/Trash, ~/.local/share/Trash by default).
QString TrashFolder();

// Moves the file or folder into the trash under a name not used there yet
// (the original name, else "name.2.ext", "name.3.ext", ...), writing its
// .trashinfo first. False with the reason in error when it cannot (a
// missing file, a trash folder that cannot be made, a file that cannot be
// moved); the file is then where it was and no info is left behind.
bool MoveToTrash(const QString& path, QString* error = nullptr);
