#include "favorites/FavoritesViewCommon.h"

#include "favorites/ShellContextMenu.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/SystemImageList.h"
#include "tools/ShellItems.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMenu>
#include <QPersistentModelIndex>
#include <QTimer>

#include <exception>

namespace {

// Long enough to take a rename after a write, or a file manager's copy of a
// folder, as one change; short enough that the view seems to follow at once.
constexpr int kSettleMs = 150;

bool showShellMenu(const QString& path, const QPoint& point, QWidget* owner)
{
    UniquePidl absolute;
    std::shared_ptr<IShellFolder> desktop;
    std::shared_ptr<IShellFolder> parent;
    if (FAILED(SHParseDisplayName(path, absolute)) || FAILED(SHGetDesktopFolder(desktop)))
        return false;
    const UniquePidl item = LastItemOf(absolute.get());
    const UniquePidl parentList(CopyPidl(absolute.get()));
    if (!item || !parentList)
        return false;
    StripLastPidlItem(parentList.get());
    if (IsEmptyList(parentList.get()))
        parent = desktop;
    else if (FAILED(desktop->BindToObject(parentList.get(), parent)))
        return false;
    LPCITEMIDLIST items[] = {item.get()};
    return ShowShellContextMenu(*parent, items, 1, point, owner);
}

} // namespace

bool ContextMenuPoint(const QAbstractItemView& view, const QContextMenuEvent& event, QPoint& point)
{
    if (event.reason() != QContextMenuEvent::Keyboard) {
        point = event.globalPos();
        return true;
    }
    const QModelIndex focused = view.currentIndex();
    if (!focused.isValid())
        return false;
    point = view.viewport()->mapToGlobal(view.visualRect(focused).center());
    return true;
}

void ShowFavoritesMenu(
    QAbstractItemView& view, TPopupMenuMode mode, QMenu* popupMenu, const QString& path, const QPoint& point)
{
    const QPersistentModelIndex earlier = view.currentIndex();
    if (mode == pmm_PopupMenu) {
        if (popupMenu)
            popupMenu->exec(point);
    } else if (!path.isEmpty()) {
        try {
            showShellMenu(path, point, &view);
        } catch (const std::exception&) {
            // A shell failure only means no menu.
        }
    }
    if (earlier.isValid())
        view.setCurrentIndex(earlier);
}

int ShortcutIconIndex(int systemIndex)
{
    return systemIndex > 0 ? systemIndex : SystemImageList::instance().indexOfFileType(QStringLiteral("*.htm"));
}

FolderWatch::FolderWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(settle_, &QTimer::timeout, this, &FolderWatch::Changed);
}

void FolderWatch::Watch(const QStringList& folders)
{
    const QStringList watched = watcher_->directories();
    if (!watched.isEmpty())
        watcher_->removePaths(watched);
    QStringList existing;
    for (const QString& folder : folders) {
        if (QFileInfo(folder).isDir())
            existing.append(folder);
    }
    if (!existing.isEmpty())
        watcher_->addPaths(existing);
}
