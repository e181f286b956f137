#pragma once
// TShellMenu: a menu of a shell folder's items (platform/shell/ShellFolder.h)
// whose sub-menus are filled the first time they open. The favorites menu and
// the history menu stand on it; they add their command items, choose which
// items to show and how, and say what choosing an item does.
//
// Shape: a top menu (inserted into a main menu bar at a clamped 1-based
// position, or left free) holds whatever AddCommandItems adds, then one item
// per item of the root folder in the order the folder enumerates them (the
// shell's own order: folders first, then by name). A folder item is a
// sub-menu holding one hidden placeholder until it is first opened; opening
// it fills it with that folder's items the same way. A folder with no item
// to show gets one disabled item with EmptyCaption().
//
// Records: every folder or item entry gets a record, in creation order; an
// entry's QAction carries its record's index as data (its "tag"). Records
// and their entries live until the next rebuild.
//
// Rebuilding (RebuildMenu) deletes every folder and item entry and lists the
// root folder again; the command items are made once, by CreateTopMenu, and
// stay (so an open reference to one, or its click, is never cut short). Asked for while an entry's click is being
// delivered (from ItemChosen, or anything it calls), the rebuild waits until the click has returned, so that Qt never
// deletes the entry it is still delivering to. Asked for again before it ran, it still runs once.
//
// Following changes: the file-system folders the menu has listed are watched
// (a burst of changes counts once); after a change, and after MarkStale, the
// next opening of the top menu rebuilds it first. Virtual folders (no path)
// are not watched; their owner calls MarkStale.
//
// Used on the user-interface thread only.
#include "platform/com/ComTypes.h"
#include "platform/shell/ItemIdList.h"

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class FolderWatch;
class IShellFolder;
class QAction;
class QMenuBar;

class TShellMenu : public QObject {
    Q_OBJECT

public:
    // One folder or item entry of the menu.
    struct TShellMenuRecord {
        UniquePidl Relative; // relative to the folder that listed it
        UniquePidl Absolute; // the folder's absolute list + Relative
        bool IsFolder = false; // shown as a sub-menu
        bool Filled = false; // a folder whose sub-menu has been filled
        QAction* Item = nullptr; // the entry (a sub-menu's menu action)
    };

    // What failed while listing a folder.
    enum class TShellMenuFailure {
        BindFolder, // the desktop could not bind to the folder's list
        EnumObjects, // the folder could not be enumerated
    };

    explicit TShellMenu(QObject* parent = nullptr);
    // Deletes the top menu (and with it every entry).
    ~TShellMenu() override;

    // false: the menu fills nothing and chooses nothing (entries stay as
    // they are; a click does nothing). true by default.
    bool Enabled = true;
    // SHCONTF_ flags for every enumeration; folders and non-folders by
    // default.
    unsigned EnumFlags;

    // Makes the top menu titled caption over the root folder (an absolute
    // list, copied; empty is the desktop) and fills its top level. When
    // mainMenu is set the top menu goes into it at position, clamped to
    // 1 .. (number of the bar's items + 1); otherwise it stands alone (for a
    // pop-up). A second call replaces the first top menu. Returns the top
    // menu.
    QMenu* CreateTopMenu(QMenuBar* mainMenu, int position, const QString& caption, LPCITEMIDLIST root);
    // The top menu; null before CreateTopMenu.
    QMenu* TopMenu() const { return top_; }
    // The root folder's absolute list; null before CreateTopMenu.
    LPCITEMIDLIST RootFolder() const { return root_.get(); }

    // Deletes every folder and item entry and the records, then lists the
    // root folder again (the command items stay). Deferred while a
    // click is being delivered (see above). Nothing before CreateTopMenu.
    void RebuildMenu();
    // The next opening of the top menu rebuilds it first.
    void MarkStale();
    bool IsStale() const { return stale_; }

    // Lists the folder (absolute list) under parent: one entry per item the
    // folder enumerates and AcceptItem takes, or the disabled EmptyCaption()
    // entry when none. A failure raises ShellFailure, adds nothing and gives
    // false. Derived menus call it from AddCommandItems when they want a
    // second folder; the core calls it for the root and for each folder
    // opened.
    bool AddFolderItems(QMenu* parent, LPCITEMIDLIST folder);

    // The record with the index (an entry's tag); null out of range.
    const TShellMenuRecord* Record(int index) const;
    // The record of an entry; null for a command item or a stale entry.
    const TShellMenuRecord* RecordOf(const QAction* item) const;
    int RecordCount() const { return int(records_.size()); }

protected:
    // Adds a command item to menu whose click runs run, counted as a click
    // being delivered (a RebuildMenu from run waits until it has returned).
    QAction* AddCommand(QMenu* menu, const QString& caption, std::function<void()> run);

    // Adds the command items at the start of the top menu (empty). Called
    // once by CreateTopMenu, before the root folder is listed.
    virtual void AddCommandItems(QMenu* top);
    // Whether an enumerated item gets an entry (every item by default).
    // folder is the folder that listed it, relative its list there.
    virtual bool AcceptItem(IShellFolder& folder, LPCITEMIDLIST relative);
    // Whether the item is shown as a sub-menu (the folder's attributes say
    // it is a folder, by default).
    virtual bool IsFolderEntry(IShellFolder& folder, LPCITEMIDLIST relative);
    // The entry's caption as shown, "&" already escaped (the item's display
    // name, escaped, by default).
    virtual QString EntryCaption(IShellFolder& folder, LPCITEMIDLIST relative);
    // The entry's icon index in SystemImageList; -1 for none (the item's
    // small system icon by default).
    virtual int EntryIcon(const TShellMenuRecord& record);
    // Called once the entry of a record exists (a place to set its tooltip
    // or status tip); nothing by default.
    virtual void EntryCreated(IShellFolder& folder, TShellMenuRecord& record);
    // The disabled entry of a folder without items (" (empty) " by default).
    virtual QString EmptyCaption() const;
    // A non-folder entry was clicked: what choosing it does. Runs inside the
    // click; a RebuildMenu from here waits until the click has returned.
    virtual void ItemChosen(QAction* item, const TShellMenuRecord& record) = 0;
    // A folder could not be listed (result: the shell's result code). Not
    // raised for the placeholder's removal or an empty folder; nothing by
    // default.
    virtual void ShellFailure(TShellMenuFailure failure, HRESULT result);
    // Whether a folder that could not be listed shows the disabled
    // EmptyCaption() entry as an empty one does (false by default: nothing).
    virtual bool EmptyOnFailure() const { return false; }

private:
    void rebuildNow();
    // The end of a click's handler: a rebuild asked for in it is queued now.
    void endClick();
    void clearEntries();
    void fillFolderOf(QMenu* submenu);
    void entryTriggered(QAction* item);
    void topAboutToShow();

    QPointer<QMenu> top_;
    UniquePidl root_;
    std::vector<std::unique_ptr<TShellMenuRecord>> records_;
    FolderWatch* watch_ = nullptr;
    QStringList watched_;
    QList<QAction*> commandItems_;
    bool stale_ = false;
    int clicking_ = 0;
    bool rebuildPending_ = false;
};
