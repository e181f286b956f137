#include "favorites/FavoritesTree.h"

#include "browserhost/Sextant.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"
#include "platform/ui/Dialogs.h"
#include "tools/ShellItems.h"
#include "tools/WebActions.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>
#include <QUrl>

namespace {

constexpr int kNodeTypeRole = Qt::UserRole;
constexpr int kNodePathRole = Qt::UserRole + 1;
constexpr int kNodeIconRole = Qt::UserRole + 2;

constexpr unsigned kSmallSystemIcon = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;

QString withSlash(const QString& path) { return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'); }

bool isFolderKind(TNodeType kind) { return kind == ntEmptyFolder || kind == ntFolder; }

// With attributes, the icon of any item of that name and kind (nothing is
// read from the disk); without, the icon the shell shows for the item itself,
// the same one the list view shows.
int systemIcon(const QString& name, DWORD attributes = 0)
{
    SHFILEINFO info;
    SHGetFileInfo(name, attributes, info, kSmallSystemIcon | (attributes ? SHGFI_USEFILEATTRIBUTES : 0));
    return info.iIcon;
}

void setNodeIcon(QTreeWidgetItem* node, int index)
{
    node->setData(0, kNodeIconRole, index);
    node->setIcon(0, SystemImageList::instance().icon(index));
}

// The folder's entries of one kind, in the shell's order.
QFileInfoList entriesOf(const QString& folder, QDir::Filters kind, const QStringList& nameFilters = {})
{
    QDir dir(folder);
    dir.setNameFilters(nameFilters);
    dir.setFilter(kind | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    dir.setSorting(QDir::Unsorted);
    QFileInfoList entries = dir.entryInfoList();
    SortAsShell(entries);
    return entries;
}

} // namespace

TCustomFavoritesTree::TCustomFavoritesTree(QWidget* parent)
    : QTreeWidget(parent), favoritesPath_(withSlash(SpecialFolderPath(CSIDL_FAVORITES))), watch_(new FolderWatch(this))
{
    setHeaderHidden(true);
    setColumnCount(1);
    // Double click opens nodes by their kind; a folder read for the first
    // time must stay open.
    setExpandsOnDoubleClick(false);
    connect(watch_, &FolderWatch::Changed, this, &TCustomFavoritesTree::followDiskChanges);
    RebuildTree();
}

void TCustomFavoritesTree::SetOptions(TFavoriteOptions options)
{
    options_ = options;
    RebuildTree();
}

TNodeType TCustomFavoritesTree::NodeType(const QTreeWidgetItem* node)
{
    return static_cast<TNodeType>(node->data(0, kNodeTypeRole).toInt());
}

int TCustomFavoritesTree::NodeIconIndex(const QTreeWidgetItem* node)
{
    const QVariant index = node->data(0, kNodeIconRole);
    return index.isValid() ? index.toInt() : -1;
}

QTreeWidgetItem* TCustomFavoritesTree::AddNode(
    QTreeWidgetItem* parent, const QString& text, TNodeType kind, const QString& path)
{
    auto* node = new QTreeWidgetItem(QStringList(text));
    node->setData(0, kNodeTypeRole, int(kind));
    if (parent)
        parent->addChild(node);
    else
        addTopLevelItem(node);
    QString nodePath = path;
    if (nodePath.isEmpty() && kind == ntItem)
        nodePath = GetNodePath(parent) + text + QStringLiteral(".url");
    else if (nodePath.isEmpty() && isFolderKind(kind))
        nodePath = GetNodePath(parent) + text;
    if (isFolderKind(kind))
        nodePath = withSlash(nodePath);
    if (!nodePath.isEmpty())
        node->setData(0, kNodePathRole, nodePath);
    if (OnNodeAdded)
        OnNodeAdded(this, node, kind);
    return node;
}

void TCustomFavoritesTree::RebuildTree()
{
    setUpdatesEnabled(false);
    clear();
    tools_ = nullptr;
    if (options_ & foShowRoot) {
        tools_ = AddNode(nullptr, Localization.NodeTools, ntTools);
        const std::pair<TFavoriteOption, std::pair<QString, TNodeType>> commands[] = {
            {foShowOrganize, {Localization.NodeOrganiseFavorites, ntOrganizeFavorites}},
            {foShowAdd, {Localization.NodeAddToFavorites, ntAddToFavorites}},
            {foShowImport, {Localization.NodeImportFavorites, ntImportFavorites}},
            {foShowExport, {Localization.NodeExportFavorites, ntExportFavorites}},
        };
        for (const auto& [option, command] : commands) {
            if (options_ & option)
                AddNode(tools_, command.first, command.second);
        }
        tools_->setExpanded(true);
    }
    favorites_ = AddNode(nullptr, Localization.NodeFavorites, ntRoot);
    favoritesIndex_ = tools_ ? tools_->childCount() + 1 : 0;
    AddFolderItems(favorites_);
    favorites_->setExpanded(true);
    setUpdatesEnabled(true);
    watchReadFolders();
}

void TCustomFavoritesTree::AddFolderItems(QTreeWidgetItem* node)
{
    const QString path = GetNodePath(node);
    for (const QFileInfo& folder : entriesOf(path, QDir::Dirs)) {
        QTreeWidgetItem* child = AddNode(node, folder.fileName(), ntEmptyFolder, folder.filePath());
        const int icon = systemIcon(QStringLiteral("*.*"), FILE_ATTRIBUTE_DIRECTORY);
        setNodeIcon(child, icon);
        if (folderIcon_ < 0)
            folderIcon_ = icon;
    }
    if (options_ & foShowItems) {
        for (const QFileInfo& file : entriesOf(path, QDir::Files, {QStringLiteral("*.url")})) {
            QTreeWidgetItem* child = AddNode(node, file.fileName().chopped(4), ntItem, file.filePath());
            setNodeIcon(child, ShortcutIconIndex(systemIcon(file.filePath())));
        }
    }
    if (NodeType(node) == ntEmptyFolder) {
        node->setData(0, kNodeTypeRole, int(ntFolder));
    } else if (NodeType(node) == ntFolder) {
        node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        node->setExpanded(true);
    }
    giveFolderIconsToBranches();
}

void TCustomFavoritesTree::giveFolderIconsToBranches()
{
    if (folderIcon_ < 0)
        return;
    if (tools_) {
        setNodeIcon(tools_, folderIcon_);
        for (int i = 0; i < tools_->childCount(); ++i)
            setNodeIcon(tools_->child(i), folderIcon_);
    }
    if (favorites_)
        setNodeIcon(favorites_, folderIcon_);
}

QString TCustomFavoritesTree::GetNodePath(const QTreeWidgetItem* node) const
{
    if (!node || NodeType(node) == ntRoot)
        return favoritesPath_;
    switch (NodeType(node)) {
    case ntItem:
    case ntEmptyFolder:
    case ntFolder:
        return node->data(0, kNodePathRole).toString();
    case ntTools:
        return GetNodePath(node->parent()) + node->text(0) + QLatin1Char('/');
    default:
        return {};
    }
}

QString TCustomFavoritesTree::GetNodeUrl(const QTreeWidgetItem* node) const
{
    return ResolveUrlShortcut(GetNodePath(node));
}

bool TCustomFavoritesTree::nodeIsMissing(const QTreeWidgetItem* node) const
{
    const QFileInfo target(GetNodePath(node));
    switch (NodeType(node)) {
    case ntItem:
        return !target.isFile();
    case ntEmptyFolder:
    case ntFolder:
        return !target.isDir();
    default:
        return false;
    }
}

void TCustomFavoritesTree::OpenNode(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const TNodeType kind = NodeType(node);
    if (nodeIsMissing(node)) {
        if (OnNodeMissing)
            OnNodeMissing(this, node, kind);
        delete node;
        return;
    }
    switch (kind) {
    case ntItem:
        if (OnNavigate)
            OnNavigate(this, GetNodeUrl(node));
        if (Sextant)
            Sextant->Go(ReadInternetShortcutUrl(GetNodePath(node)));
        break;
    case ntEmptyFolder:
        AddFolderItems(node);
        node->setExpanded(true);
        watchReadFolders();
        break;
    case ntFolder:
        node->setExpanded(!node->isExpanded());
        break;
    case ntOrganizeFavorites:
        OrganizeFavorites();
        break;
    case ntAddToFavorites:
        AddToFavorites();
        break;
    case ntImportFavorites:
        if (!ImportFavorites)
            return showHint(QStringLiteral("Please assign a TImportFavorites component to use this feature\r\n"
                                           "or set Options.foshowImport to False."));
        ImportFavorites();
        RebuildTree();
        break;
    case ntExportFavorites:
        if (!ExportFavorites)
            return showHint(QStringLiteral("Please assign a TExportFavorites component to use this feature\r\n"
                                           "or set Options.foshowExport to False."));
        ExportFavorites();
        break;
    case ntTools:
        node->setExpanded(true);
        expandRecursively(indexFromItem(node));
        break;
    case ntRoot:
        break;
    }
}

void TCustomFavoritesTree::showHint(const QString& text)
{
    Dialogs().MessageBox(text, QStringLiteral("Hint"), MB_OK, this);
}

void TCustomFavoritesTree::OrganizeFavorites()
{
    if (OnOrganizeDialog)
        OnOrganizeDialog(window(), favoritesPath_);
    else
        ProgramLauncher().openWithDesktop(QUrl::fromLocalFile(favoritesPath_));
    RebuildTree();
}

void TCustomFavoritesTree::AddToFavorites()
{
    if (!Sextant)
        return;
    ::AddToFavorites(
        QString::fromStdU16String(Sextant->LocationURL()), QString::fromStdU16String(Sextant->LocationName()));
    RebuildTree();
}

void TCustomFavoritesTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    OpenNode(currentItem());
}

void TCustomFavoritesTree::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        OpenNode(currentItem());
    else
        QTreeWidget::keyPressEvent(event);
}

void TCustomFavoritesTree::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint point;
    if (!ContextMenuPoint(*this, *event, point))
        return;
    QTreeWidgetItem* node = event->reason() == QContextMenuEvent::Keyboard ? currentItem() : itemAt(event->pos());
    const bool fileNode = node && (NodeType(node) == ntItem || isFolderKind(NodeType(node)));
    ShowFavoritesMenu(*this, PopupMenuMode, PopupMenu, fileNode ? GetNodePath(node) : QString(), point);
}

void TCustomFavoritesTree::watchReadFolders()
{
    QStringList folders{favoritesPath_};
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if (NodeType(*it) == ntFolder)
            folders.append(GetNodePath(*it));
    }
    watch_->Watch(folders);
}

void TCustomFavoritesTree::followDiskChanges()
{
    // Rebuilt from the disk, with the folders that were open read and
    // opened again and the same node current.
    QSet<QString> openFolders;
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if (NodeType(*it) == ntFolder && (*it)->isExpanded())
            openFolders.insert(GetNodePath(*it));
    }
    const QString current = currentItem() ? GetNodePath(currentItem()) : QString();
    const TNodeType currentKind = currentItem() ? NodeType(currentItem()) : ntRoot;
    RebuildTree();
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if (NodeType(*it) == ntEmptyFolder && openFolders.contains(GetNodePath(*it))) {
            AddFolderItems(*it);
            (*it)->setExpanded(true);
        }
    }
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if (!current.isEmpty() && NodeType(*it) == currentKind && GetNodePath(*it) == current) {
            setCurrentItem(*it);
            break;
        }
    }
    watchReadFolders();
}
