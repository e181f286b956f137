#include "favorites/ShellListView.h"

#include "browserhost/Sextant.h"
#include "favorites/ShellListModel.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/SystemImageList.h"
#include "tools/ShellItems.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include <exception>

QVariant ShellListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(records.size()))
        return {};
    const ShellListRecord& record = records[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return record.name;
    case Qt::ToolTipRole:
        return tip ? tip(index.row()) : record.name;
    case Qt::DecorationRole:
        return SystemImageList::instance().icon(iconOf(index.row()));
    default:
        return {};
    }
}

QVariant ShellListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole ? QVariant(caption) : QVariant();
}

Qt::ItemFlags ShellListModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | (index.isValid() && rename ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

bool ShellListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    return role == Qt::EditRole && index.isValid() && rename && rename(index.row(), value.toString());
}

int ShellListModel::iconOf(int row) const
{
    ShellListRecord& record = const_cast<ShellListRecord&>(records[size_t(row)]);
    if (!record.iconRead) {
        const UniquePidl absolute = JoinLists(folderList, record.item.get());
        const int system = absolute ? GetSmallIconIndex(absolute.get()) : -1;
        record.icon = iconFor ? iconFor(system) : system;
        record.iconRead = true;
    }
    return record.icon;
}

QModelIndexList ShellListModel::match(
    const QModelIndex& start, int role, const QVariant& value, int hits, Qt::MatchFlags flags) const
{
    if (role != Qt::DisplayRole || hits != 1)
        return QAbstractListModel::match(start, role, value, hits, flags);
    const QString text = value.toString().toUpper();
    const int count = int(records.size());
    int row = start.isValid() ? start.row() : 0;
    for (int examined = 0; examined < count; ++examined, ++row) {
        if (row >= count) {
            if (!(flags & Qt::MatchWrap))
                break;
            row = 0;
        }
        if (records[size_t(row)].name.toUpper().startsWith(text))
            return {index(row)};
    }
    return {};
}

void ShellListModel::Replace(std::vector<ShellListRecord> replacement, LPCITEMIDLIST folder)
{
    beginResetModel();
    records = std::move(replacement);
    folderList = folder;
    endResetModel();
}

TShellListView::TShellListView(QWidget* parent) : QTreeView(parent), model_(new ShellListModel(this))
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    resize(200, 300);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    setIconSize(SystemImageList::imageSize(SystemImageList::ImageSize::Small));
    setModel(model_);
    model_->iconFor = [this](int system) { return IconFor(system); };
}

void TShellListView::SetCaption(const QString& caption)
{
    model_->caption = caption;
    emit model_->headerDataChanged(Qt::Horizontal, 0, 0);
}

void TShellListView::ShowTop(int csidl)
{
    UniquePidl top;
    HRESULT result = SHGetSpecialFolderLocation(this, csidl, top);
    if (FAILED(result))
        throw EOleSysError(QStringLiteral("The folder cannot be found."), result);
    ShowTopList(top.get());
}

void TShellListView::ShowTopList(LPCITEMIDLIST top)
{
    const HRESULT result = SHGetDesktopFolder(desktop_);
    if (FAILED(result))
        throw EOleSysError(QStringLiteral("The desktop folder cannot be opened."), result);
    topList_ = JoinLists(top, nullptr);
    BrowseFolder(topList_.get());
    levels_ = 0;
}

void TShellListView::ShowNothing()
{
    model_->Replace({}, nullptr);
    currentFolder_.reset();
    currentList_.reset();
    levels_ = 0;
}

void TShellListView::BrowseFolder(LPCITEMIDLIST list)
{
    if (!desktop_)
        throw EOleSysError(QStringLiteral("The desktop folder cannot be opened."), E_FAIL);
    std::shared_ptr<IShellFolder> folder = desktop_;
    HRESULT result = IsEmptyList(list) ? S_OK : desktop_->BindToObject(list, folder);
    if (FAILED(result))
        throw EOleSysError(QStringLiteral("The folder cannot be opened."), result);
    std::vector<UniquePidl> items;
    result = folder->EnumObjects(EnumFlags(), items);
    if (FAILED(result))
        throw EOleSysError(QStringLiteral("The folder cannot be listed."), result);
    UniquePidl shown(CopyPidl(list));
    // The shell lists the folder in its own order already.
    std::vector<ShellListRecord> records;
    records.reserve(items.size());
    for (UniquePidl& item : items) {
        if (!Lists(*folder, item.get()))
            continue;
        QString name = GetDisplayName(*folder, item.get());
        records.push_back(ShellListRecord{std::move(item), std::move(name)});
    }
    model_->Replace(std::move(records), shown.get());
    currentList_ = std::move(shown);
    currentFolder_ = std::move(folder);
    setColumnWidth(0, width() - 4);
    if (model_->rowCount() > 0) {
        const QModelIndex first = model_->index(0);
        setCurrentIndex(first);
        scrollTo(first);
    }
    FolderShown();
}

bool TShellListView::GoUp()
{
    if (currentList_ && levels_ > 0) {
        const UniquePidl up(CopyPidl(currentList_.get()));
        StripLastPidlItem(up.get());
        if (!IsEmptyList(up.get())) {
            BrowseFolder(up.get());
            --levels_;
            return true;
        }
    }
    QApplication::beep();
    return false;
}

bool TShellListView::Enters(IShellFolder& folder, LPCITEMIDLIST item) const { return IsFolderItem(folder, item); }

void TShellListView::OpenFocusedItem()
{
    const QModelIndex focused = currentIndex();
    if (!focused.isValid() || !currentFolder_)
        return;
    LPCITEMIDLIST item = ItemAt(focused.row());
    if (Enters(*currentFolder_, item)) {
        const UniquePidl folder = JoinLists(currentList_.get(), item);
        BrowseFolder(folder.get());
        ++levels_;
        return;
    }
    const QString url = AddressOf(item);
    if (OnURLSelected)
        OnURLSelected(this, url);
    else if (Sextant)
        Sextant->Go(url);
}

LPCITEMIDLIST TShellListView::ItemAt(int row) const { return model_->records[size_t(row)].item.get(); }

QStringList TShellListView::ItemNames() const
{
    QStringList names;
    for (const ShellListRecord& record : model_->records)
        names.append(record.name);
    return names;
}

void TShellListView::RefreshShown()
{
    const QString focused = currentIndex().isValid() ? model_->records[size_t(currentIndex().row())].name : QString();
    const int levels = levels_;
    try {
        if (!currentList_)
            throw EOleSysError(QStringLiteral("No folder is shown."), E_FAIL);
        const UniquePidl shown(CopyPidl(currentList_.get()));
        BrowseFolder(shown.get());
        levels_ = levels;
    } catch (const std::exception&) {
        Recover();
    }
    const int row = ItemNames().indexOf(focused);
    if (row >= 0)
        setCurrentIndex(model_->index(row));
}

void TShellListView::keyPressEvent(QKeyEvent* event)
{
    try {
        if (IsUpKey(event->key())) {
            GoUp();
            return;
        }
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            && state() != QAbstractItemView::EditingState) {
            OpenFocusedItem();
            return;
        }
    } catch (const std::exception&) {
        // The folder went while being opened: show what is there now.
        Recover();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TShellListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    try {
        OpenFocusedItem();
    } catch (const std::exception&) {
        Recover();
    }
}

void TShellListView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    setColumnWidth(0, width() - 4);
}
