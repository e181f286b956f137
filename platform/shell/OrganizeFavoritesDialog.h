#pragma once
// The organize-favorites dialog: the favorites folder as a tree of its
// folders and shortcuts, with "Create Folder", "Rename", "Move to
// Folder...", "Delete" and "Close". Every command acts on the files at once.
// Nothing it does ever leaves the favorites folder: new names are made safe
// file names and checked once more, targets are checked after resolving
// links, symbolic links are neither shown nor followed, and a folder is
// never moved into itself. Deleting moves to the desktop's trash.
//
// Questions (names, the target folder, confirmation) and error reports go
// through Dialogs(), so that a test can answer them; the buttons carry the
// object names btnCreateFolder, btnRename, btnMoveToFolder, btnDelete and
// btnClose, the tree tvFavorites.
#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Makes a name the user typed into a file name for the favorites folder:
// name plus extension (".url" for a shortcut, empty for a folder), with
// nothing in it that could name another folder.
using FavoriteNameMaker = std::function<QString(const QString& name, const QString& extension)>;

class TOrganizeFavoritesDialog : public QDialog {
    Q_OBJECT

public:
    TOrganizeFavoritesDialog(const QString& favoritesFolder, FavoriteNameMaker safeName, QWidget* owner = nullptr);

    // The path of the selected folder or shortcut; empty when none is.
    QString SelectedPath() const;
    // Selects the item of path; False when the tree has none.
    bool SelectPath(const QString& path);
    // Reads the folder again, keeping the selection when its item remains.
    void Reload();

    // The buttons' commands; each is True when it changed the files.
    // A new folder goes into the selected folder, else beside the selected
    // shortcut, else at the top.
    bool CreateFolder();
    bool RenameSelected();
    bool MoveSelected();
    bool DeleteSelected();

private:
    QTreeWidget* tree_ = nullptr;
    QPushButton* rename_ = nullptr;
    QPushButton* move_ = nullptr;
    QPushButton* delete_ = nullptr;
    QString root_;
    FavoriteNameMaker safeName_;

    void addFolder(QTreeWidgetItem* parent, const QString& folder);
    QTreeWidgetItem* findItem(const QString& path) const;
    void updateButtons();
    // The safe name for what the user typed, or an empty text after telling
    // the user why there is none.
    QString newEntryName(const QString& typed, const QString& extension);
    // Moves or renames from into to; reports a failure.
    bool moveEntry(const QString& from, const QString& to);
    bool refuse(const QString& why);
};

// Shows the dialog over owner for the favorites folder until it is closed.
void DoOrganizeFavDlg(QWidget* owner, const QString& favoritesFolder, FavoriteNameMaker safeName);
