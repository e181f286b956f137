#include "favorites/ShellMenu.h"

#include "favorites/FavoritesViewCommon.h"
#include "favorites/ItemCaptions.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/SystemImageList.h"
#include "tools/ShellItems.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace {
// The hidden child that makes an unfilled folder open as a sub-menu.
const char* const PlaceholderName = "shellMenuPlaceholder";
} // namespace

TShellMenu::TShellMenu(QObject* parent)
    : QObject(parent), EnumFlags(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS), watch_(new FolderWatch(this))
{
    connect(watch_, &FolderWatch::Changed, this, &TShellMenu::MarkStale);
}

TShellMenu::~TShellMenu()
{
    records_.clear();
    delete top_.data();
}

QMenu* TShellMenu::CreateTopMenu(QMenuBar* mainMenu, int position, const QString& caption, LPCITEMIDLIST root)
{
    delete top_.data();
    records_.clear();
    commandItems_.clear();
    root_ = JoinLists(root, nullptr);
    top_ = new QMenu(caption, mainMenu);
    connect(top_, &QMenu::aboutToShow, this, &TShellMenu::topAboutToShow);
    if (mainMenu) {
        const QList<QAction*> bar = mainMenu->actions();
        const int clamped = std::clamp(position, 1, int(bar.size()) + 1);
        if (clamped > bar.size())
            mainMenu->addMenu(top_);
        else
            mainMenu->insertMenu(bar[clamped - 1], top_);
    }
    AddCommandItems(top_);
    commandItems_ = top_->actions();
    rebuildNow();
    return top_;
}

void TShellMenu::RebuildMenu()
{
    if (!top_)
        return;
    if (clicking_ > 0) {
        // Queued only once the click's handler has returned (endClick): a
        // handler that waits in an event loop of its own (a message box, a
        // page load) would otherwise run the rebuild inside the click.
        rebuildPending_ = true;
        return;
    }
    rebuildNow();
}

void TShellMenu::endClick()
{
    if (--clicking_ > 0 || !rebuildPending_)
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!rebuildPending_ || clicking_ > 0)
                return;
            rebuildPending_ = false;
            rebuildNow();
        },
        Qt::QueuedConnection);
}

void TShellMenu::MarkStale() { stale_ = true; }

void TShellMenu::clearEntries()
{
    // Sub-menus are children of the menu above them; deleting one takes its
    // own sub-menus and its entry in the parent with it.
    for (QMenu* submenu : top_->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        delete submenu;
    for (QAction* item : top_->actions()) {
        if (!commandItems_.contains(item)) {
            top_->removeAction(item);
            delete item;
        }
    }
    records_.clear();
}

void TShellMenu::rebuildNow()
{
    if (!top_)
        return;
    stale_ = false;
    clearEntries();
    watched_.clear();
    AddFolderItems(top_, root_.get());
}

void TShellMenu::topAboutToShow()
{
    if (stale_ && Enabled)
        rebuildNow();
}

bool TShellMenu::AddFolderItems(QMenu* parent, LPCITEMIDLIST folderList)
{
    std::shared_ptr<IShellFolder> desktop;
    HRESULT result = SHGetDesktopFolder(desktop);
    std::shared_ptr<IShellFolder> folder = desktop;
    if (SUCCEEDED(result) && !IsEmptyList(folderList))
        result = desktop->BindToObject(folderList, folder);
    if (FAILED(result) || !folder) {
        ShellFailure(TShellMenuFailure::BindFolder, FAILED(result) ? result : E_FAIL);
        if (EmptyOnFailure())
            parent->addAction(EmptyCaption())->setEnabled(false);
        return false;
    }
    std::vector<UniquePidl> items;
    result = folder->EnumObjects(EnumFlags, items);
    if (FAILED(result)) {
        ShellFailure(TShellMenuFailure::EnumObjects, result);
        if (EmptyOnFailure())
            parent->addAction(EmptyCaption())->setEnabled(false);
        return false;
    }
    const QString path = SHGetPathFromIDList(folderList);
    if (!path.isEmpty() && !watched_.contains(path)) {
        watched_.append(path);
        watch_->Watch(watched_);
    }

    bool any = false;
    for (UniquePidl& item : items) {
        if (!AcceptItem(*folder, item.get()))
            continue;
        any = true;
        auto record = std::make_unique<TShellMenuRecord>();
        record->Absolute = JoinLists(folderList, item.get());
        record->IsFolder = IsFolderEntry(*folder, item.get());
        const QString caption = EntryCaption(*folder, item.get());
        record->Relative = std::move(item);
        const int tag = int(records_.size());
        if (record->IsFolder) {
            auto* submenu = new QMenu(caption, parent);
            auto* placeholder = submenu->addAction(QString());
            placeholder->setObjectName(QLatin1String(PlaceholderName));
            placeholder->setVisible(false);
            connect(submenu, &QMenu::aboutToShow, this, [this, submenu] { fillFolderOf(submenu); });
            record->Item = parent->addMenu(submenu);
        } else {
            record->Item = parent->addAction(caption);
            QAction* entry = record->Item;
            connect(entry, &QAction::triggered, this, [this, entry] { entryTriggered(entry); });
        }
        record->Item->setData(tag);
        const int icon = EntryIcon(*record);
        if (icon >= 0)
            record->Item->setIcon(SystemImageList::instance().icon(icon));
        records_.push_back(std::move(record));
        EntryCreated(*folder, *records_.back());
    }
    if (!any)
        parent->addAction(EmptyCaption())->setEnabled(false);
    return true;
}

void TShellMenu::fillFolderOf(QMenu* submenu)
{
    if (!Enabled)
        return;
    QAction* entry = submenu->menuAction();
    const int tag = entry->data().isValid() ? entry->data().toInt() : -1;
    if (tag < 0 || tag >= int(records_.size()))
        return;
    TShellMenuRecord& record = *records_[size_t(tag)];
    if (!record.IsFolder || record.Filled || record.Item != entry)
        return;
    record.Filled = true;
    for (QAction* child : submenu->actions()) {
        if (child->objectName() == QLatin1String(PlaceholderName)) {
            submenu->removeAction(child);
            delete child;
        }
    }
    // The record list grows while the folder is listed; copy the list first.
    const UniquePidl folder = JoinLists(record.Absolute.get(), nullptr);
    AddFolderItems(submenu, folder.get());
}

void TShellMenu::entryTriggered(QAction* item)
{
    if (!Enabled)
        return;
    const TShellMenuRecord* record = RecordOf(item);
    if (!record || record->IsFolder)
        return;
    ++clicking_;
    ItemChosen(item, *record);
    endClick();
}

const TShellMenu::TShellMenuRecord* TShellMenu::Record(int index) const
{
    return index >= 0 && index < int(records_.size()) ? records_[size_t(index)].get() : nullptr;
}

const TShellMenu::TShellMenuRecord* TShellMenu::RecordOf(const QAction* item) const
{
    if (!item || !item->data().isValid())
        return nullptr;
    const TShellMenuRecord* record = Record(item->data().toInt());
    return record && record->Item == item ? record : nullptr;
}

QAction* TShellMenu::AddCommand(QMenu* menu, const QString& caption, std::function<void()> run)
{
    QAction* item = menu->addAction(caption);
    connect(item, &QAction::triggered, this, [this, run = std::move(run)] {
        ++clicking_;
        run();
        endClick();
    });
    return item;
}

void TShellMenu::AddCommandItems(QMenu*) {}

bool TShellMenu::AcceptItem(IShellFolder&, LPCITEMIDLIST) { return true; }

bool TShellMenu::IsFolderEntry(IShellFolder& folder, LPCITEMIDLIST relative) { return IsFolderItem(folder, relative); }

QString TShellMenu::EntryCaption(IShellFolder& folder, LPCITEMIDLIST relative)
{
    return LiteralCaption(GetDisplayName(folder, relative));
}

int TShellMenu::EntryIcon(const TShellMenuRecord& record) { return GetSmallIconIndex(record.Absolute.get()); }

void TShellMenu::EntryCreated(IShellFolder&, TShellMenuRecord&) {}

QString TShellMenu::EmptyCaption() const { return QStringLiteral(" (empty) "); }

void TShellMenu::ShellFailure(TShellMenuFailure, HRESULT) {}
