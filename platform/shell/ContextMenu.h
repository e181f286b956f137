#pragma once
// The shell's context menu of file-system items: the commands a file manager
// offers for them, carried out on the files themselves.
#include "platform/com/ComTypes.h"
#include "platform/shell/ShellFolder.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QMenu;
class QWidget;

constexpr unsigned CMF_NORMAL = 0x0;
constexpr unsigned CMF_DEFAULTONLY = 0x1;
constexpr unsigned CMF_EXPLORE = 0x4;
constexpr int SW_SHOWNORMAL = 1;

// What InvokeCommand is asked to carry out.
struct CMINVOKECOMMANDINFO {
    DWORD cbSize = 36;
    DWORD fMask = 0;
    QWidget* hwnd = nullptr; // owns the boxes the command shows
    // The command as its offset from the first command number given to
    // QueryContextMenu; -1 to name it by verb instead.
    int verbOffset = -1;
    // The command by name: "open", "cut", "copy", "delete", "rename",
    // "properties".
    QString verb;
    int nShow = SW_SHOWNORMAL;
};

class IContextMenu : public virtual IShellObject {
public:
    // Inserts the commands into the menu at the position, numbered from
    // idCmdFirst (kept in each command's QAction::data()), no number above
    // idCmdLast. With CMF_DEFAULTONLY only the default command (Open). The
    // result's code (the low 16 bits, success severity) is the highest
    // offset used plus one; E_FAIL when the numbers do not suffice.
    virtual HRESULT QueryContextMenu(
        QMenu* menu, unsigned indexMenu, unsigned idCmdFirst, unsigned idCmdLast, unsigned flags)
        = 0;
    // Carries out a command: S_OK when it was done; E_INVALIDARG for a
    // command the menu does not have; E_FAIL when it failed (the user was
    // told why) or was cancelled.
    virtual HRESULT InvokeCommand(const CMINVOKECOMMANDINFO& info) = 0;
};

// The context menu of the files and folders at the paths:
//   Open          the desktop's default program; a shortcut file's address
//                 goes to the shortcut opener (below)
//   Open With     a sub-menu of the programs registered for the first
//                 item's type (DesktopApps.h), started with the files
//   Cut, Copy     the files on the clipboard (FileClipboard.h)
//   Delete        into the trash (Trash.h)
//   Rename        asks for the new name (Dialogs().InputQuery); a
//                 shortcut keeps its extension
//   Properties    name, type, location, size, modification time and a
//                 shortcut's address in a box
// Special folders themselves cannot be cut, deleted or renamed; Rename
// takes one item. Programs start through ProgramLauncher().
std::shared_ptr<IContextMenu> CreateFileContextMenu(QWidget* owner, const QStringList& paths);

// Raised when Open is chosen on a shortcut file (".url", a ".desktop"
// link). address: the shortcut's target. The handler returns whether it
// opened the address. When nobody handles it, this program is started with
// the address as its one argument, an address starting with "-" (it would
// read as an option) being refused.
using ShortcutOpener = std::function<bool(const QString& address)>;
// Sets the handler; an empty function removes it.
void SetShortcutOpener(ShortcutOpener opener);
