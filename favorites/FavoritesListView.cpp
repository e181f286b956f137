#include "favorites/FavoritesListView.h"

#include "browserhost/Sextant.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"
#include "tools/ShellItems.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <exception>
#include <vector>

namespace {

// Looked up once, for every list view of the process.
const QString& channelTypeName()
{
    static const QString name = ChannelShortcutTypeName();
    return name;
}

const QString& internetTypeName()
{
    static const QString name = InternetShortcutTypeName();
    return name;
}

// The shell gives every ".url" file the internet-shortcut type name, so only
// other items need asking (a type-name lookup reads the registry).
bool isChannel(IShellFolder& folder, LPCITEMIDLIST item)
{
    const bool internetShortcut = ItemKind(item) == ITEM_FS_FILE
        && QString::fromUtf8(ItemPayload(item)).endsWith(QLatin1String(".url"), Qt::CaseInsensitive);
    if (internetShortcut && internetTypeName() != channelTypeName())
        return false;
    return ItemTypeNameIs(channelTypeName(), folder, item);
}

QString typeNameOf(LPCITEMIDLIST absolute)
{
    SHFILEINFO info;
    return SHGetFileInfo(absolute, 0, info, SHGFI_TYPENAME | SHGFI_PIDL) ? info.szTypeName : QString();
}

// The new file name of a renamed item: a folder or shortcut stays one.
QString renamedFileName(const QFileInfo& item, const QString& title)
{
    if (item.isDir())
        return ShortcutFileName(title, QString());
    if (ShortcutKindOf(item.filePath()) == ShortcutKind::InternetShortcut)
        return ShortcutFileName(title, QStringLiteral(".url"));
    const QString suffix = item.suffix();
    return ShortcutFileName(title, suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

} // namespace

struct FavoriteRecord {
    UniquePidl item; // relative to the folder shown
    QString name;
    int icon = -1;
    bool iconRead = false;
};

class FavoritesListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    std::vector<FavoriteRecord> records;
    LPCITEMIDLIST folderList = nullptr; // the folder shown, absolute
    QString caption;
    // Renames the item at the row; false leaves it as it was.
    std::function<bool(int row, const QString& title)> rename;

    void Replace(std::vector<FavoriteRecord> replacement, LPCITEMIDLIST folder)
    {
        beginResetModel();
        records = std::move(replacement);
        folderList = folder;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(records.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(records.size()))
            return {};
        const FavoriteRecord& record = records[size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::ToolTipRole:
            return record.name;
        case Qt::DecorationRole:
            return SystemImageList::instance().icon(iconOf(index.row()));
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        return section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole ? QVariant(caption)
                                                                                        : QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags);
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        return role == Qt::EditRole && index.isValid() && rename && rename(index.row(), value.toString());
    }

    // Icons are read only for rows that are drawn, the first time they are.
    int iconOf(int row) const
    {
        FavoriteRecord& record = const_cast<FavoriteRecord&>(records[size_t(row)]);
        if (!record.iconRead) {
            const UniquePidl absolute = JoinLists(folderList, record.item.get());
            record.icon = ShortcutIconIndex(absolute ? GetSmallIconIndex(absolute.get()) : -1);
            record.iconRead = true;
        }
        return record.icon;
    }

    // The first item from start on whose name begins with the text, without
    // regard to case; on past the end to the first item only with
    // Qt::MatchWrap. Each item is looked at once at most.
    QModelIndexList match(
        const QModelIndex& start, int role, const QVariant& value, int hits, Qt::MatchFlags flags) const override
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
};

TCustomFavoritesListView::TCustomFavoritesListView(QWidget* parent)
    : QTreeView(parent), model_(new FavoritesListModel(this)), watch_(new FolderWatch(this))
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
    model_->rename = [this](int row, const QString& title) {
        const QFileInfo item(GetParsingName(*currentFolder_, model_->records[size_t(row)].item.get()));
        const QString target = item.dir().filePath(renamedFileName(item, title));
        if (target == item.filePath() || QFileInfo(target).exists() || !QDir().rename(item.filePath(), target))
            return false;
        refreshFromDisk();
        return true;
    };
    connect(watch_, &FolderWatch::Changed, this, &TCustomFavoritesListView::refreshFromDisk);
    Reload();
}

void TCustomFavoritesListView::Reload()
{
    try {
        UniquePidl favorites;
        HRESULT result = SHGetSpecialFolderLocation(this, CSIDL_FAVORITES, favorites);
        if (FAILED(result))
            throw EOleSysError(QStringLiteral("The favorites folder cannot be found."), result);
        result = SHGetDesktopFolder(desktop_);
        if (FAILED(result))
            throw EOleSysError(QStringLiteral("The desktop folder cannot be opened."), result);
        favoritesList_ = std::move(favorites);
        model_->caption = QFileInfo(GetParsingName(*desktop_, favoritesList_.get())).fileName();
        BrowseFolder(favoritesList_.get());
        levels_ = 0;
    } catch (const std::exception&) {
        // The view stays usable: an empty list until the folder can be read.
        model_->Replace({}, nullptr);
        currentFolder_.reset();
        currentList_.reset();
        levels_ = 0;
        watch_->Watch({SpecialFolderPath(CSIDL_FAVORITES)});
    }
}

void TCustomFavoritesListView::BrowseFolder(LPCITEMIDLIST list)
{
    if (!desktop_)
        throw EOleSysError(QStringLiteral("The desktop folder cannot be opened."), E_FAIL);
    std::shared_ptr<IShellFolder> folder = desktop_;
    HRESULT result = IsEmptyList(list) ? S_OK : desktop_->BindToObject(list, folder);
    if (FAILED(result))
        throw EOleSysError(QStringLiteral("The folder cannot be opened."), result);
    std::vector<UniquePidl> items;
    result = folder->EnumObjects(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items);
    if (FAILED(result))
        throw EOleSysError(QStringLiteral("The folder cannot be listed."), result);
    UniquePidl shown(CopyPidl(list));
    // The shell lists the folder in its own order already.
    std::vector<FavoriteRecord> records;
    records.reserve(items.size());
    for (UniquePidl& item : items) {
        if (!Channels && isChannel(*folder, item.get()))
            continue;
        QString name = GetDisplayName(*folder, item.get());
        records.push_back(FavoriteRecord{std::move(item), std::move(name)});
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
    watch_->Watch({CurrentFolderPath()});
}

bool TCustomFavoritesListView::GoUp()
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

void TCustomFavoritesListView::RenameSelected()
{
    if (currentIndex().isValid())
        edit(currentIndex());
}

QString TCustomFavoritesListView::addressOf(LPCITEMIDLIST item) const
{
    const UniquePidl absolute = JoinLists(currentList_.get(), item);
    const QString type = absolute ? typeNameOf(absolute.get()).left(80) : QString();
    if (type == channelTypeName()) {
        QString name;
        GetLinkTargetDisplayName(*currentFolder_, item, name);
        return name;
    }
    const QString path = GetParsingName(*currentFolder_, item);
    if (type != internetTypeName()) {
        try {
            return ResolveShellLink(path);
        } catch (const EOleSysError&) {
            return {};
        }
    }
    return ResolveUrl == IniFile ? ReadUrlFromShortcut(path) : ResolveUrlShortcut(path);
}

void TCustomFavoritesListView::OpenFocusedItem()
{
    const QModelIndex focused = currentIndex();
    if (!focused.isValid() || !currentFolder_)
        return;
    LPCITEMIDLIST item = model_->records[size_t(focused.row())].item.get();
    if (IsFolderNotOfType(channelTypeName(), *currentFolder_, item)) {
        const UniquePidl folder = JoinLists(currentList_.get(), item);
        BrowseFolder(folder.get());
        ++levels_;
        return;
    }
    const QString url = addressOf(item);
    if (OnURLSelected)
        OnURLSelected(this, url);
    else if (Sextant)
        Sextant->Go(url);
}

QString TCustomFavoritesListView::CurrentFolderPath() const
{
    return currentList_ ? SHGetPathFromIDList(currentList_.get()) : QString();
}

QStringList TCustomFavoritesListView::ItemNames() const
{
    QStringList names;
    for (const FavoriteRecord& record : model_->records)
        names.append(record.name);
    return names;
}

void TCustomFavoritesListView::refreshFromDisk()
{
    const QString focused = currentIndex().isValid() ? model_->records[size_t(currentIndex().row())].name : QString();
    try {
        if (!currentList_)
            throw EOleSysError(QStringLiteral("No folder is shown."), E_FAIL);
        const UniquePidl shown(CopyPidl(currentList_.get()));
        BrowseFolder(shown.get());
    } catch (const std::exception&) {
        // The folder shown has gone: back to the top, recreated when missing.
        Reload();
    }
    const QStringList names = ItemNames();
    const int row = names.indexOf(focused);
    if (row >= 0)
        setCurrentIndex(model_->index(row));
}

void TCustomFavoritesListView::keyPressEvent(QKeyEvent* event)
{
    try {
        switch (event->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Escape:
        case Qt::Key_Home:
            GoUp();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (state() != QAbstractItemView::EditingState) {
                OpenFocusedItem();
                return;
            }
            break;
        default:
            break;
        }
    } catch (const std::exception&) {
        // The folder went while being opened: show what is there now.
        refreshFromDisk();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TCustomFavoritesListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    try {
        OpenFocusedItem();
    } catch (const std::exception&) {
        refreshFromDisk();
    }
}

void TCustomFavoritesListView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint point;
    if (!ContextMenuPoint(*this, *event, point))
        return;
    const QModelIndex row = event->reason() == QContextMenuEvent::Keyboard ? currentIndex() : indexAt(event->pos());
    QString path;
    if (row.isValid() && currentFolder_)
        path = GetParsingName(*currentFolder_, model_->records[size_t(row.row())].item.get());
    ShowFavoritesMenu(*this, PopupMenuMode, PopupMenu, path, point);
}

void TCustomFavoritesListView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    setColumnWidth(0, width() - 4);
}
