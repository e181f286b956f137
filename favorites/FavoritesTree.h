#pragma once
// TFavoritesTree: the user's favorites folder as a tree. A "Tools" branch
// holds the favorites commands (organize, add, import, export) and a
// "Favorites" branch mirrors the folder: sub-folders as folder nodes, read
// when first opened, and internet shortcuts (".url" files) as item nodes
// titled by their file names without the extension. Double-clicking a
// shortcut opens its address in the browser (Sextant) and raises
// OnNavigate. The tree follows changes made elsewhere (the Add dialog, an
// import, a file manager) by watching the folders it shows.
#include "favorites/FavoritesViewCommon.h"

#include <QFlags>
#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <functional>

class TSextant;
class QMenu;

// What a node stands for; kept in the node.
enum TNodeType {
    ntRoot = 0, // the "Favorites" node: the favorites folder
    ntItem = 1, // a shortcut file
    ntEmptyFolder = 2, // a folder not yet read
    ntFolder = 3, // a folder read
    ntOrganizeFavorites = 4,
    ntAddToFavorites = 5,
    ntImportFavorites = 6,
    ntExportFavorites = 7,
    ntTools = 8,
};

// Which nodes are built. foShowRoot: the Tools node and its commands;
// foShowItems: the shortcut nodes (without it, folders only).
enum TFavoriteOption {
    foShowRoot = 0x1,
    foShowItems = 0x2,
    foShowOrganize = 0x4,
    foShowAdd = 0x8,
    foShowImport = 0x10,
    foShowExport = 0x20,
};
Q_DECLARE_FLAGS(TFavoriteOptions, TFavoriteOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFavoriteOptions)
constexpr TFavoriteOptions AllFavoriteOptions
    = TFavoriteOptions(foShowRoot | foShowItems | foShowOrganize | foShowAdd | foShowImport | foShowExport);

// Node captions.
struct TFavoritesTreeLocalization {
    QString NodeOrganiseFavorites = QStringLiteral("Organize favorites");
    QString NodeAddToFavorites = QStringLiteral("Add To favorites");
    QString NodeImportFavorites = QStringLiteral("Import favorites");
    QString NodeExportFavorites = QStringLiteral("Export favorites");
    QString NodeTools = QStringLiteral("Tools");
    QString NodeFavorites = QStringLiteral("Favorites");
    QString TextLinks = QStringLiteral("Links");
    QString TextImported = QStringLiteral("Imported");
};

// Raised when a shortcut node is opened (double click). Url: the address
// the shortcut file holds, empty when the file cannot be read. Unhandled:
// nothing more than the browser opening it (when Sextant is set).
using TFavoritesNavigateEvent = std::function<void(QObject* Sender, const QString& Url)>;
// aNode: the node concerned; aNodeType: its kind.
using TFavoritesNodeEvent = std::function<void(QObject* Sender, QTreeWidgetItem* aNode, TNodeType aNodeType)>;
// Runs a bookmark importer or exporter (its Execute).
using TFavoritesCommand = std::function<void()>;

class TCustomFavoritesTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TCustomFavoritesTree(QWidget* parent = nullptr);

    // Setting the options rebuilds the tree.
    TFavoriteOptions Options() const { return options_; }
    void SetOptions(TFavoriteOptions options);

    TPopupMenuMode PopupMenuMode = pmm_System;
    // The component's pop-up menu, shown on right click with pmm_PopupMenu.
    QPointer<QMenu> PopupMenu;
    // The browser that opens chosen favorites and supplies the page to add.
    QPointer<TSextant> Sextant;
    // Run by the Import and Export nodes; empty: a "Hint" box says that none
    // is assigned.
    TFavoritesCommand ImportFavorites;
    TFavoritesCommand ExportFavorites;
    TFavoritesTreeLocalization Localization;

    // Raised when a shortcut node is opened by double click, with the address
    // its file holds (empty when it cannot be read), before Sextant (when
    // set) opens it too. Unhandled: only Sextant opens it.
    TFavoritesNavigateEvent OnNavigate;
    // Raised after each node is added, the node filled in (its path is
    // GetNodePath). Unhandled: nothing.
    TFavoritesNodeEvent OnNodeAdded;
    // Raised on double click when the node's shortcut file or folder has
    // gone, just before the node is deleted. Unhandled: the node is deleted
    // all the same.
    TFavoritesNodeEvent OnNodeMissing;
    // Kept for forms that assign it; never raised.
    std::function<void(QObject* Sender)> OnFavoritesChanged;
    // Raised by OrganizeFavorites to show the dialog that organizes the
    // folder (owner: the window the dialog belongs to; folder:
    // FavoritesPath). The tree is rebuilt afterwards. Unhandled: the folder
    // is opened in the desktop's file manager.
    std::function<void(QWidget* owner, const QString& folder)> OnOrganizeDialog;

    // The favorites folder, ending with "/".
    QString FavoritesPath() const { return favoritesPath_; }
    QTreeWidgetItem* ToolsNode() const { return tools_; }
    QTreeWidgetItem* FavoritesNode() const { return favorites_; }
    // The Favorites node's row among all rows above it: the Tools node's
    // commands + 1, or 0 when there is no Tools node.
    int FavoritesIndex() const { return favoritesIndex_; }
    // The generic folder icon (SystemImageList), -1 until a sub-folder was seen.
    int FolderIconIndex() const { return folderIcon_; }

    static TNodeType NodeType(const QTreeWidgetItem* node);
    // The node's icon in SystemImageList; -1 for none.
    static int NodeIconIndex(const QTreeWidgetItem* node);

    // Deletes every node and builds the Tools and Favorites branches again.
    void RebuildTree();
    // Reads the node's folder: sub-folders first, then (with foShowItems)
    // the shortcuts, each in the shell's order.
    void AddFolderItems(QTreeWidgetItem* node);
    // Adds a child of parent (a top-level node for none) and raises
    // OnNodeAdded. path: the file or folder a shortcut or folder node
    // stands for; empty makes it from the parent's path and the text.
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& text, TNodeType kind, const QString& path = {});
    // The favorites folder for none and the Favorites node; the file of a
    // shortcut node; the folder (ending "/") of a folder node; empty for the
    // commands.
    QString GetNodePath(const QTreeWidgetItem* node) const;
    // The address of the node's shortcut file; empty when it cannot be read.
    QString GetNodeUrl(const QTreeWidgetItem* node) const;
    void OrganizeFavorites();
    // Adds the browser's page (its title and address) to the favorites.
    void AddToFavorites();
    // What a double click on the node does.
    void OpenNode(QTreeWidgetItem* node);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool nodeIsMissing(const QTreeWidgetItem* node) const;
    void showHint(const QString& text);
    void giveFolderIconsToBranches();
    void watchReadFolders();
    void followDiskChanges();

    TFavoriteOptions options_ = AllFavoriteOptions;
    QString favoritesPath_;
    QTreeWidgetItem* tools_ = nullptr;
    QTreeWidgetItem* favorites_ = nullptr;
    int favoritesIndex_ = 0;
    int folderIcon_ = -1;
    FolderWatch* watch_;
};

class TFavoritesTree : public TCustomFavoritesTree {
    Q_OBJECT
public:
    using TCustomFavoritesTree::TCustomFavoritesTree;
};
