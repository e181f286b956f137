#pragma once
// The shell's context menu for items of a shell folder, shown where the user
// right-clicked, with the chosen command carried out.
#include "platform/shell/ShellFolder.h"

#include <QPoint>
#include <functional>

class QAction;
class QMenu;
class QWidget;

// Shows the context menu of the items (lists relative to the folder) at the
// screen point and carries out the command picked. True when a menu was
// shown and either nothing was picked or the picked command succeeded;
// false when the shell could not make the menu (no message is shown) or the
// command failed. The wait cursor is up while the menu is made and while
// the command works.
bool ShowShellContextMenu(
    IShellFolder& folder, const LPCITEMIDLIST* items, unsigned count, const QPoint& point, QWidget* owner);

// Raised to let the user pick from the menu at the point; the result is the
// action picked, or nullptr when the menu was dismissed. Without a tracker
// set, the menu runs modally (QMenu::exec). Tests set one to pick without a
// person.
using ContextMenuTracker = std::function<QAction*(QMenu& menu, const QPoint& point)>;
// Sets the tracker; an empty function restores QMenu::exec.
void SetContextMenuTracker(ContextMenuTracker tracker);
