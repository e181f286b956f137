#pragma once
// TFavoritesListView: the user's favorites folder as a one-column list that
// browses it level by level through the shell namespace. Double click or
// Enter opens a folder, or hands a shortcut's address to OnURLSelected (or
// opens it in the browser, Sextant); Backspace, Escape and Home go up one
// level. Icons are read when their rows are first drawn, so a large folder
// fills at once. The list follows changes made elsewhere by watching the
// folder it shows.
#include "favorites/FavoritesViewCommon.h"
#include "favorites/ShellListView.h"

#include <QPointer>
#include <QString>

class QMenu;

// How a shortcut's address is read: through the shell's internet shortcut
// object, or straight from the file's InternetShortcut section.
enum TResolveUrl { IntShCut, IniFile };

// Opening a channel hands on its target's name, a shell link its target's
// path, an internet shortcut its address (OnURLSelected, ShellListView.h).
class TCustomFavoritesListView : public TShellListView {
    Q_OBJECT
public:
    // Shows the favorites folder (created when missing). A folder that
    // cannot be read leaves the list empty; nothing is raised to the form.
    explicit TCustomFavoritesListView(QWidget* parent = nullptr);

    TResolveUrl ResolveUrl = IntShCut;
    // List channel shortcuts too.
    bool Channels = false;
    TPopupMenuMode PopupMenuMode = pmm_System;
    // The component's pop-up menu, shown on right click with pmm_PopupMenu.
    QPointer<QMenu> PopupMenu;

    // Shows the favorites folder again from its top level; never raises (an
    // unreadable folder leaves the list empty).
    void Reload();
    // Starts editing the focused item's name; the file is renamed when the
    // edit is accepted.
    void RenameSelected();
    // The file-system folder shown; empty when none.
    QString CurrentFolderPath() const;

protected:
    unsigned EnumFlags() const override;
    bool Lists(IShellFolder& folder, LPCITEMIDLIST item) const override;
    bool Enters(IShellFolder& folder, LPCITEMIDLIST item) const override;
    QString AddressOf(LPCITEMIDLIST item) const override;
    int IconFor(int systemIndex) const override;
    bool IsUpKey(int key) const override;
    void Recover() override;
    void FolderShown() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void refreshFromDisk();

    FolderWatch* watch_;
};

class TFavoritesListView : public TCustomFavoritesListView {
    Q_OBJECT
public:
    using TCustomFavoritesListView::TCustomFavoritesListView;
};
