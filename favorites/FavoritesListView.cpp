#include "favorites/FavoritesListView.h"

#include "favorites/ShellListModel.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"
#include "tools/ShellItems.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
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

TCustomFavoritesListView::TCustomFavoritesListView(QWidget* parent)
    : TShellListView(parent), watch_(new FolderWatch(this))
{
    ListModel()->rename = [this](int row, const QString& title) {
        const QFileInfo item(GetParsingName(*CurrentFolder(), ItemAt(row)));
        const QString target = item.dir().filePath(renamedFileName(item, title));
        if (target == item.filePath() || QFileInfo(target).exists() || !QDir().rename(item.filePath(), target))
            return false;
        refreshFromDisk();
        return true;
    };
    connect(watch_, &FolderWatch::Changed, this, &TCustomFavoritesListView::refreshFromDisk);
    Reload();
}

unsigned TCustomFavoritesListView::EnumFlags() const { return SHCONTF_FOLDERS | SHCONTF_NONFOLDERS; }

bool TCustomFavoritesListView::Lists(IShellFolder& folder, LPCITEMIDLIST item) const
{
    return Channels || !isChannel(folder, item);
}

bool TCustomFavoritesListView::Enters(IShellFolder& folder, LPCITEMIDLIST item) const
{
    return IsFolderNotOfType(channelTypeName(), folder, item);
}

int TCustomFavoritesListView::IconFor(int systemIndex) const { return ShortcutIconIndex(systemIndex); }

bool TCustomFavoritesListView::IsUpKey(int key) const
{
    return key == Qt::Key_Backspace || key == Qt::Key_Escape || key == Qt::Key_Home;
}

void TCustomFavoritesListView::Reload()
{
    try {
        ShowTop(CSIDL_FAVORITES);
        SetCaption(QFileInfo(SpecialFolderPath(CSIDL_FAVORITES)).fileName());
    } catch (const std::exception&) {
        // The view stays usable: an empty list until the folder can be read.
        ShowNothing();
        FolderShown();
    }
}

void TCustomFavoritesListView::FolderShown()
{
    const QString shown = CurrentFolderPath();
    watch_->Watch({shown.isEmpty() ? SpecialFolderPath(CSIDL_FAVORITES) : shown});
}

void TCustomFavoritesListView::RenameSelected()
{
    if (currentIndex().isValid())
        edit(currentIndex());
}

QString TCustomFavoritesListView::AddressOf(LPCITEMIDLIST item) const
{
    const UniquePidl absolute = JoinLists(CurrentList(), item);
    const QString type = absolute ? typeNameOf(absolute.get()).left(80) : QString();
    if (type == channelTypeName()) {
        QString name;
        GetLinkTargetDisplayName(*CurrentFolder(), item, name);
        return name;
    }
    const QString path = GetParsingName(*CurrentFolder(), item);
    if (type != internetTypeName()) {
        try {
            return ResolveShellLink(path);
        } catch (const EOleSysError&) {
            return {};
        }
    }
    return ResolveUrl == IniFile ? ReadUrlFromShortcut(path) : ResolveUrlShortcut(path);
}

QString TCustomFavoritesListView::CurrentFolderPath() const
{
    return CurrentList() ? SHGetPathFromIDList(CurrentList()) : QString();
}

void TCustomFavoritesListView::refreshFromDisk() { RefreshShown(); }

// The folder shown has gone: back to the top, recreated when missing.
void TCustomFavoritesListView::Recover() { Reload(); }

void TCustomFavoritesListView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint point;
    if (!ContextMenuPoint(*this, *event, point))
        return;
    const QModelIndex row = event->reason() == QContextMenuEvent::Keyboard ? currentIndex() : indexAt(event->pos());
    QString path;
    if (row.isValid() && CurrentFolder())
        path = GetParsingName(*CurrentFolder(), ItemAt(row.row()));
    ShowFavoritesMenu(*this, PopupMenuMode, PopupMenu, path, point);
}
