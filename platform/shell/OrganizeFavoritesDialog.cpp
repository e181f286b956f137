#include "platform/shell/OrganizeFavoritesDialog.h"

#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/Trash.h"
#include "platform/ui/Dialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int PathRole = Qt::UserRole;

// Whether path, with every link resolved, is folder or lies below it.
bool liesIn(const QString& path, const QString& folder)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    const QString top = QFileInfo(folder).canonicalFilePath();
    return !resolved.isEmpty() && !top.isEmpty()
        && (resolved == top || resolved.startsWith(top.endsWith(QLatin1Char('/')) ? top : top + QLatin1Char('/')));
}

bool entryExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// What the user knows an entry by: a folder's name, a shortcut's name
// without its extension.
QString shownName(const QFileInfo& entry) { return entry.isDir() ? entry.fileName() : entry.completeBaseName(); }

// The extension an entry keeps when renamed.
QString keptExtension(const QFileInfo& entry)
{
    return entry.isDir() || entry.suffix().isEmpty() ? QString() : QLatin1Char('.') + entry.suffix();
}

QPushButton* addButton(QDialogButtonBox* box, const QString& caption, const char* name)
{
    auto* button = box->addButton(caption, QDialogButtonBox::ActionRole);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TOrganizeFavoritesDialog::TOrganizeFavoritesDialog(
    const QString& favoritesFolder, FavoriteNameMaker safeName, QWidget* owner)
    : QDialog(owner), root_(QDir::cleanPath(favoritesFolder)), safeName_(std::move(safeName))
{
    // Paths in the tree start from the resolved folder, so that they compare
    // equal to the resolved targets of a move.
    if (const QString resolved = QFileInfo(root_).canonicalFilePath(); !resolved.isEmpty())
        root_ = resolved;
    setWindowTitle(QStringLiteral("Organize Favorites"));
    setObjectName(QStringLiteral("OrganizeFavoritesDialog"));
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("tvFavorites"));
    tree_->setHeaderHidden(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    auto* create = addButton(buttons, QStringLiteral("Create Folder"), "btnCreateFolder");
    rename_ = addButton(buttons, QStringLiteral("Rename"), "btnRename");
    move_ = addButton(buttons, QStringLiteral("Move to Folder..."), "btnMoveToFolder");
    delete_ = addButton(buttons, QStringLiteral("Delete"), "btnDelete");
    auto* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btnClose"));

    auto* help = new QLabel(QStringLiteral("To create a new folder, click the Create Folder button. To rename or "
                                           "delete an item, select the item and click Rename or Delete."),
        this);
    help->setWordWrap(true);
    auto* side = new QVBoxLayout;
    side->addWidget(help);
    side->addWidget(buttons, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(tree_, 1);
    resize(560, 380);

    connect(create, &QPushButton::clicked, this, &TOrganizeFavoritesDialog::CreateFolder);
    connect(rename_, &QPushButton::clicked, this, &TOrganizeFavoritesDialog::RenameSelected);
    connect(move_, &QPushButton::clicked, this, &TOrganizeFavoritesDialog::MoveSelected);
    connect(delete_, &QPushButton::clicked, this, &TOrganizeFavoritesDialog::DeleteSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &TOrganizeFavoritesDialog::updateButtons);
    Reload();
}

void TOrganizeFavoritesDialog::Reload()
{
    const QString selected = SelectedPath();
    tree_->clear();
    addFolder(nullptr, root_);
    tree_->expandAll();
    if (selected.isEmpty() || !SelectPath(selected))
        updateButtons();
}

// Folders first, then shortcuts, each by name. Links are left out, so the
// tree never reaches beyond the folder.
void TOrganizeFavoritesDialog::addFolder(QTreeWidgetItem* parent, const QString& folder)
{
    const QDir dir(folder);
    const auto sorting = QDir::Name | QDir::IgnoreCase;
    const auto add = [&](const QFileInfo& entry, QStyle::StandardPixmap icon) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
        item->setText(0, shownName(entry));
        item->setIcon(0, style()->standardIcon(icon));
        item->setData(0, PathRole, entry.filePath());
        return item;
    };
    for (const QFileInfo& sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, sorting))
        addFolder(add(sub, QStyle::SP_DirIcon), sub.filePath());
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files | QDir::NoSymLinks, sorting)) {
        if (ShortcutKindOf(file.filePath()) != ShortcutKind::None)
            add(file, QStyle::SP_FileLinkIcon);
    }
}

QString TOrganizeFavoritesDialog::SelectedPath() const
{
    const auto selected = tree_->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(0, PathRole).toString();
}

QTreeWidgetItem* TOrganizeFavoritesDialog::findItem(const QString& path) const
{
    const QString wanted = QDir::cleanPath(path);
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if ((*it)->data(0, PathRole).toString() == wanted)
            return *it;
    }
    return nullptr;
}

bool TOrganizeFavoritesDialog::SelectPath(const QString& path)
{
    QTreeWidgetItem* item = findItem(path);
    if (!item)
        return false;
    tree_->setCurrentItem(item);
    item->setSelected(true);
    updateButtons();
    return true;
}

void TOrganizeFavoritesDialog::updateButtons()
{
    const bool any = !SelectedPath().isEmpty();
    for (QPushButton* button : {rename_, move_, delete_})
        button->setEnabled(any);
}

bool TOrganizeFavoritesDialog::refuse(const QString& why)
{
    Dialogs().MessageDlg(why, mtError, mbOK);
    return false;
}

QString TOrganizeFavoritesDialog::newEntryName(const QString& typed, const QString& extension)
{
    const QString name = safeName_(typed.trimmed(), extension);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QChar(0))) {
        refuse(QStringLiteral("\"%1\" cannot be used as a name.").arg(typed));
        return {};
    }
    return name;
}

bool TOrganizeFavoritesDialog::moveEntry(const QString& from, const QString& to)
{
    if (!liesIn(QFileInfo(to).path(), root_))
        return refuse(QStringLiteral("Favorites stay inside \"%1\".").arg(root_));
    if (entryExists(to))
        return refuse(QStringLiteral("\"%1\" already exists in that folder.").arg(shownName(QFileInfo(to))));
    if (!QDir().rename(from, to))
        return refuse(QStringLiteral("\"%1\" could not be moved or renamed.").arg(shownName(QFileInfo(from))));
    Reload();
    SelectPath(to);
    return true;
}

bool TOrganizeFavoritesDialog::CreateFolder()
{
    const QFileInfo selected(SelectedPath());
    const QString parent = selected.fileName().isEmpty() ? root_
        : selected.isDir()                               ? selected.filePath()
                                                         : selected.path();
    QString typed = QStringLiteral("New Folder");
    if (!Dialogs().InputQuery(QStringLiteral("Create Folder"), QStringLiteral("Name:"), typed, this))
        return false;
    const QString name = newEntryName(typed, QString());
    if (name.isEmpty())
        return false;
    const QString folder = parent + QLatin1Char('/') + name;
    if (!liesIn(parent, root_))
        return refuse(QStringLiteral("Favorites stay inside \"%1\".").arg(root_));
    if (entryExists(folder))
        return refuse(QStringLiteral("\"%1\" already exists in that folder.").arg(name));
    if (!QDir().mkdir(folder))
        return refuse(QStringLiteral("The folder \"%1\" could not be made.").arg(name));
    Reload();
    SelectPath(folder);
    return true;
}

bool TOrganizeFavoritesDialog::RenameSelected()
{
    const QFileInfo entry(SelectedPath());
    if (entry.fileName().isEmpty())
        return false;
    QString typed = shownName(entry);
    if (!Dialogs().InputQuery(QStringLiteral("Rename"), QStringLiteral("Name:"), typed, this))
        return false;
    const QString name = newEntryName(typed, keptExtension(entry));
    if (name.isEmpty() || name == entry.fileName())
        return false;
    return moveEntry(entry.filePath(), entry.path() + QLatin1Char('/') + name);
}

bool TOrganizeFavoritesDialog::MoveSelected()
{
    const QFileInfo entry(SelectedPath());
    if (entry.fileName().isEmpty())
        return false;
    QString target = root_;
    if (!Dialogs().SelectDirectory(QStringLiteral("Move to Folder"), target, this))
        return false;
    if (!liesIn(target, root_))
        return refuse(QStringLiteral("Favorites stay inside \"%1\".").arg(root_));
    if (entry.isDir() && liesIn(target, entry.filePath()))
        return refuse(QStringLiteral("A folder cannot be moved into itself."));
    if (QFileInfo(target).canonicalFilePath() == QFileInfo(entry.path()).canonicalFilePath())
        return false;
    return moveEntry(entry.filePath(), QFileInfo(target).canonicalFilePath() + QLatin1Char('/') + entry.fileName());
}

bool TOrganizeFavoritesDialog::DeleteSelected()
{
    const QFileInfo entry(SelectedPath());
    if (entry.fileName().isEmpty())
        return false;
    if (Dialogs().MessageDlg(QStringLiteral("Are you sure you want to move \"%1\" to the trash?").arg(shownName(entry)),
            mtConfirmation, mbYesNo)
        != mrYes)
        return false;
    QString error;
    if (!MoveToTrash(entry.filePath(), &error))
        return refuse(QStringLiteral("\"%1\" could not be deleted: %2").arg(shownName(entry), error));
    Reload();
    return true;
}

void DoOrganizeFavDlg(QWidget* owner, const QString& favoritesFolder, FavoriteNameMaker safeName)
{
    TOrganizeFavoritesDialog dialog(favoritesFolder, std::move(safeName), owner);
    dialog.exec();
}
