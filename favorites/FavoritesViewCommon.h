#pragma once
// What the favorites tree and list view share: the right-click rule, the
// shortcut icon rule and the watch on the folders they show.
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

class QAbstractItemView;
class QContextMenuEvent;
class QFileSystemWatcher;
class QMenu;
class QModelIndex;
class QTimer;

// What a right click on a favorites view shows: the shell's menu of the
// item, or the view's own pop-up menu.
enum TPopupMenuMode { pmm_System, pmm_PopupMenu };

// Where the context menu of a view goes, in screen coordinates: the centre
// of the focused row when the menu key was used, else the mouse position.
// False when the menu key was used with no focused row (no menu then).
bool ContextMenuPoint(const QAbstractItemView& view, const QContextMenuEvent& event, QPoint& point);

// Shows the pop-up menu at the point for the view, or with pmm_System the
// shell's menu of the file or folder at path (nothing for an empty path),
// and puts the view's current row back afterwards. Shell failures are
// swallowed: the user simply gets no menu.
void ShowFavoritesMenu(
    QAbstractItemView& view, TPopupMenuMode mode, QMenu* popupMenu, const QString& path, const QPoint& point);

// The icon of a shortcut: its type's icon, or the web page's ("*.htm") when
// the shell knows nothing better than the generic document.
int ShortcutIconIndex(int systemIndex);

// Watches folders and tells once per burst of changes: a save that writes a
// temporary file and renames it, or an import of hundreds of files, is one
// change for the view.
class FolderWatch : public QObject {
    Q_OBJECT
public:
    explicit FolderWatch(QObject* parent = nullptr);
    // Replaces the folders watched (missing ones are skipped).
    void Watch(const QStringList& folders);

signals:
    // Some watched folder changed; raised after the burst settled.
    void Changed();

private:
    QFileSystemWatcher* watcher_;
    QTimer* settle_;
};
