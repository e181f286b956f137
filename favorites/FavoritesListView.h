#pragma once
// TFavoritesListView: the user's favorites folder as a one-column list that
// browses it level by level through the shell namespace. Double click or
// Enter opens a folder, or hands a shortcut's address to OnURLSelected (or
// opens it in the browser, Sextant); Backspace, Escape and Home go up one
// level. Icons are read when their rows are first drawn, so a large folder
// fills at once. The list follows changes made elsewhere by watching the
// folder it shows.
#include "favorites/FavoritesViewCommon.h"
#include "platform/shell/ItemIdList.h"

#include <QPointer>
#include <QString>
#include <QTreeView>
#include <functional>
#include <memory>

class FavoritesListModel;
class IShellFolder;
class QMenu;
class TSextant;

// How a shortcut's address is read: through the shell's internet shortcut
// object, or straight from the file's InternetShortcut section.
enum TResolveUrl { IntShCut, IniFile };

// Raised when an item that is not a folder is opened. Url: its address (a
// channel's target name or a link's target path for those kinds); empty
// when the shortcut cannot be read. Unhandled: the address is opened in
// Sextant when it is set.
using TUrlSelectedEvent = std::function<void(QObject* Sender, QString Url)>;

class TCustomFavoritesListView : public QTreeView {
    Q_OBJECT
public:
    // Shows the favorites folder (created when missing). A folder that
    // cannot be read leaves the list empty; nothing is raised to the form.
    explicit TCustomFavoritesListView(QWidget* parent = nullptr);

    TResolveUrl ResolveUrl = IntShCut;
    // List channel shortcuts too.
    bool Channels = false;
    QPointer<TSextant> Sextant;
    TPopupMenuMode PopupMenuMode = pmm_System;
    // The component's pop-up menu, shown on right click with pmm_PopupMenu.
    QPointer<QMenu> PopupMenu;
    // Raised when a favorite (not a folder) is opened, with its address
    // (empty when its shortcut cannot be read). Handled: the handler opens
    // it, Sextant does not. Unhandled: Sextant opens it when set.
    TUrlSelectedEvent OnURLSelected;

    // Shows the favorites folder again from its top level; never raises (an
    // unreadable folder leaves the list empty).
    void Reload();
    // Shows the folder named by the absolute list. Raises EOleSysError when
    // the shell cannot bind or list it; the list is then unchanged.
    void BrowseFolder(LPCITEMIDLIST list);
    // One level up; false (and a beep) at the top level. Raises EOleSysError
    // when the folder above cannot be listed.
    bool GoUp();
    // Starts editing the focused item's name; the file is renamed when the
    // edit is accepted.
    void RenameSelected();
    // What a double click or Enter does to the focused item: a folder is
    // entered (EOleSysError when it cannot be listed), anything else has its
    // address handed on.
    void OpenFocusedItem();

    int LevelsEntered() const { return levels_; }
    // The file-system folder shown; empty when none.
    QString CurrentFolderPath() const;
    // The shell names of the items shown, in order.
    QStringList ItemNames() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString addressOf(LPCITEMIDLIST item) const;
    void refreshFromDisk();

    std::shared_ptr<IShellFolder> desktop_;
    UniquePidl favoritesList_;
    UniquePidl currentList_;
    std::shared_ptr<IShellFolder> currentFolder_;
    FavoritesListModel* model_;
    FolderWatch* watch_;
    int levels_ = 0;
};

class TFavoritesListView : public TCustomFavoritesListView {
    Q_OBJECT
public:
    using TCustomFavoritesListView::TCustomFavoritesListView;
};
