#include "favorites/ShellContextMenu.h"

#include "platform/shell/ContextMenu.h"

#include <QAction>
#include <QApplication>
#include <QCursor>

#include <QMenu>

namespace {

ContextMenuTracker& tracker()
{
    static ContextMenuTracker current;
    return current;
}

QAction* trackMenu(QMenu& menu, const QPoint& point) { return tracker() ? tracker()(menu, point) : menu.exec(point); }

// The wait cursor for the life of the object.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

constexpr unsigned kFirstCommand = 1;
constexpr unsigned kLastCommand = 32767;

} // namespace

bool ShowShellContextMenu(
    IShellFolder& folder, const LPCITEMIDLIST* items, unsigned count, const QPoint& point, QWidget* owner)
{
    std::shared_ptr<IContextMenu> contextMenu;
    QMenu menu(owner);
    {
        WaitCursor waiting;
        std::shared_ptr<IShellObject> object;
        if (FAILED(folder.GetUIObjectOf(owner, count, items, IID_IContextMenu, object)))
            return false;
        contextMenu = std::dynamic_pointer_cast<IContextMenu>(object);
        if (!contextMenu || FAILED(contextMenu->QueryContextMenu(&menu, 0, kFirstCommand, kLastCommand, CMF_EXPLORE)))
            return false;
    }
    // The user picks with the ordinary cursor: the menu is not work.
    QAction* picked = trackMenu(menu, point);
    const int command = picked ? picked->data().toInt() : 0;
    if (command < int(kFirstCommand))
        return true;
    WaitCursor waiting;
    CMINVOKECOMMANDINFO info;
    info.hwnd = owner;
    info.verbOffset = command - int(kFirstCommand);
    info.nShow = SW_SHOWNORMAL;
    return SUCCEEDED(contextMenu->InvokeCommand(info));
}

void SetContextMenuTracker(ContextMenuTracker current) { tracker() = std::move(current); }
