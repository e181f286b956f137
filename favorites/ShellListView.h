#pragma once
// TShellListView: the core of the one-column list views that browse a shell
// folder level by level (the favorites and the history list views). It
// lists a folder as a virtual list whose icons are read when their rows are
// first drawn, enters folders on double click or Enter, hands the address
// of anything else to OnURLSelected (or opens it in Sextant), goes up one
// level by key with a beep at the top, and selects by typed text (the first
// name from the focused row on that begins with it, without regard to case,
// each row looked at once). What a view lists and how it reads an address
// is its own.
#include "platform/shell/ItemIdList.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTreeView>

#include <functional>
#include <memory>

class IShellFolder;
class ShellListModel;
class TSextant;

// Raised when an item that is not a folder is opened. Url: its address
// (empty when it cannot be read). Unhandled: the address is opened in
// Sextant when it is set.
using TUrlSelectedEvent = std::function<void(QObject* Sender, QString Url)>;

class TShellListView : public QTreeView {
    Q_OBJECT
public:
    QPointer<TSextant> Sextant;
    // Raised when an item that is not a folder is opened, with its address.
    // Handled: the handler opens it, Sextant does not. Unhandled: Sextant
    // opens it when set.
    TUrlSelectedEvent OnURLSelected;

    // Shows the folder named by the absolute list. Raises EOleSysError when
    // the shell cannot bind or list it; the list is then unchanged.
    void BrowseFolder(LPCITEMIDLIST list);
    // One level up; false (and a beep) at the top level. Raises EOleSysError
    // when the folder above cannot be listed.
    bool GoUp();
    // What a double click or Enter does to the focused item: a folder is
    // entered (EOleSysError when it cannot be listed), anything else has its
    // address handed on.
    void OpenFocusedItem();

    int LevelsEntered() const { return levels_; }
    // The shell names of the items shown, in order.
    QStringList ItemNames() const;

protected:
    explicit TShellListView(QWidget* parent);

    // What EnumObjects is asked for (SHCONTF_ flags).
    virtual unsigned EnumFlags() const = 0;
    // Whether an enumerated item is listed.
    virtual bool Lists(IShellFolder& /*folder*/, LPCITEMIDLIST /*item*/) const { return true; }
    // Whether the item (relative to the folder shown) is entered rather than
    // handed on.
    virtual bool Enters(IShellFolder& folder, LPCITEMIDLIST item) const;
    // The address handed on for an item of the folder shown.
    virtual QString AddressOf(LPCITEMIDLIST item) const = 0;
    // The icon shown for an item whose system icon is systemIndex.
    virtual int IconFor(int systemIndex) const { return systemIndex; }
    // Whether the key goes up one level.
    virtual bool IsUpKey(int key) const = 0;
    // Called after a folder was listed (BrowseFolder).
    virtual void FolderShown() {}
    // Called when opening or going up failed because the folder changed
    // under the view: show what is there now.
    virtual void Recover() = 0;

    // The desktop folder and the view's top folder; a failure is raised as
    // EOleSysError and leaves the list empty.
    void ShowTop(int csidl);
    // The same with a top folder named by its absolute list (copied).
    void ShowTopList(LPCITEMIDLIST top);
    // An empty list (a top folder that cannot be read).
    void ShowNothing();
    void SetCaption(const QString& caption);
    // Lists the folder shown again, keeping the focused name where it is
    // still listed; back to the top when the folder has gone.
    void RefreshShown();

    LPCITEMIDLIST CurrentList() const { return currentList_.get(); }
    LPCITEMIDLIST TopList() const { return topList_.get(); }
    IShellFolder* CurrentFolder() const { return currentFolder_.get(); }
    // The item at the row, relative to the folder shown.
    LPCITEMIDLIST ItemAt(int row) const;
    ShellListModel* ListModel() const { return model_; }
    void SetLevels(int levels) { levels_ = levels; }

    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::shared_ptr<IShellFolder> desktop_;
    UniquePidl topList_;
    UniquePidl currentList_;
    std::shared_ptr<IShellFolder> currentFolder_;
    ShellListModel* model_;
    int levels_ = 0;
};
