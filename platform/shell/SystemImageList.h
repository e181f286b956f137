#pragma once
// The one process-wide icon list, standing where the system image list
// stood: every icon the shell hands out is an index into it, shared by all
// views, menus and boxes of the program, so the same kind of item gets the
// same index everywhere. Indices are stable for the life of the process;
// an icon is added the first time its kind is asked for and never removed.
// Index 0 is the generic document (an item of unknown type); -1 means no
// icon. Icons come from the desktop's icon theme (QMimeDatabase icon names,
// QIcon::fromTheme) with Qt's own file icons as fallback, each in a small
// (16 x 16) and a large (32 x 32) image. Used on the user-interface thread
// only.
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <vector>

class SystemImageList {
public:
    enum class ImageSize { Small, Large };

    // The list of the process, created on first use; needs a QGuiApplication.
    static SystemImageList& instance();

    static QSize imageSize(ImageSize size); // 16 x 16 or 32 x 32

    // An existing path: a special folder's own icon, a folder's icon, or the
    // icon of the file's type (by name and content). -1 for a missing path.
    int indexOfPath(const QString& path);
    // A file type taken by its name alone, without looking at the disk, as
    // for a file of that name: "*.htm", ".htm", "report.docx"; a name
    // without an extension gives the generic document.
    int indexOfFileType(const QString& fileName);
    // The generic closed folder.
    int indexOfFolder();
    // The special folder's icon; -1 when the folder is not known
    // (SpecialFolderExists).
    int indexOfSpecialFolder(int csidl);
    // Adds an icon of the caller's own (a site icon) and returns its new
    // index; a null icon is not added and gives -1.
    int addIcon(const QIcon& icon);

    int count() const;
    // The icon at the index; a null icon for an index out of range.
    QIcon icon(int index) const;
    // The icon drawn at the small or large size; a null pixmap for an index
    // out of range.
    QPixmap pixmap(int index, ImageSize size) const;

private:
    SystemImageList();
    int indexOfThemed(const QString& key, const QStringList& themeNames, const QIcon& fallback);

    std::vector<QIcon> icons_;
    QHash<QString, int> indexOfKey_; // "mime:text/html", "folder", "special:6"
};
