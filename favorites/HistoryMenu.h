#pragma once
// THistoryMenu: a "History" menu in the main menu over the history folder
// (platform/shell/HistoryFolder.h): the time groups at its top, each a
// sub-menu of sites filled when it first opens, each site a sub-menu of its
// pages. A page's address is its item's hint (tool tip and status tip);
// choosing it raises OnURLSelected and opens it in Sextant, and the menu is
// rebuilt once the click has returned (sub-menus closed and unfilled
// again). A group or site without pages, and a history that cannot be read,
// show one disabled " (Empty) " item. The top items are rebuilt when the
// menu opens after the history or the day changed. Stands on TShellMenu;
// each menu has its own records and tags.
#include "favorites/ShellMenu.h"

#include <QMenuBar>
#include <QPointer>
#include <QString>

#include <functional>

class HistoryWatch;
class TSextant;

class THistoryMenu : public TShellMenu {
    Q_OBJECT
public:
    explicit THistoryMenu(QObject* parent = nullptr);

    QPointer<TSextant> Sextant;
    QPointer<QMenuBar> MainMenu;
    // 1-based place in MainMenu, clamped to 1 .. its items + 1.
    int MenuPosition = 1;
    // The history folder's class name at creation (HistoryClassName).
    QString Caption;
    // Raised when a page is chosen, before Sextant opens it. Sender: the
    // chosen item; Url: the page's address (empty when the page has no
    // tip). Assigned or not, Sextant (when set) then opens the address.
    std::function<void(QObject* Sender, QString Url)> OnURLSelected;

    // Makes the top menu (in MainMenu at MenuPosition when set) and fills
    // its top level. Returns the top menu.
    QMenu* CreateMenu();

    // The longest caption shown; a longer title is cut and ends in "...".
    static constexpr int MaxCaption = 100;

protected:
    QString EntryCaption(IShellFolder& folder, LPCITEMIDLIST relative) override;
    void EntryCreated(IShellFolder& folder, TShellMenuRecord& record) override;
    QString EmptyCaption() const override;
    bool EmptyOnFailure() const override { return true; }
    void ItemChosen(QAction* item, const TShellMenuRecord& record) override;

private:
    HistoryWatch* watch_;
};
