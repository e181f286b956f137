#include "platform/shell/ShellFolder.h"

#include "platform/registry/Registry.h"
#include "platform/shell/ContextMenu.h"
#include "platform/shell/HistoryFolder.h"
#include "platform/shell/ShellNames.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// The special folders the desktop lists, in this order.
const int kDesktopChildren[] = {CSIDL_FAVORITES, CSIDL_HISTORY, CSIDL_COOKIES, CSIDL_INTERNET_CACHE, CSIDL_PERSONAL,
    CSIDL_PROFILE, CSIDL_DRIVES, CSIDL_BITBUCKET, CSIDL_INTERNET};

// Where an item list leads.
struct Location {
    enum class Kind { Invalid, Desktop, Virtual, FileSystem, Url, History };
    Kind kind = Kind::Invalid;
    int csidl = -1; // a special folder itself
    QString path; // FileSystem
    QString url; // Url
    THistoryPlace history; // History: the history folder and what lies below it
};

bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QString childPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// One step down from a location. A list from outside cannot leave its
// folder: names with "/" or of "." and ".." lead nowhere.
Location stepInto(const Location& from, LPCITEMIDLIST item)
{
    Location to;
    const std::uint8_t kind = ItemKind(item);
    const QByteArray payload = ItemPayload(item);
    if (from.kind == Location::Kind::Desktop && kind == ITEM_SPECIAL_FOLDER && payload.size() == 2) {
        const int csidl = std::uint8_t(payload[0]) | (std::uint8_t(payload[1]) << 8);
        if (!SpecialFolderExists(csidl))
            return to;
        to.csidl = csidl;
        if (csidl == CSIDL_HISTORY) {
            // The store is the history; its folder on disk only holds it.
            to.kind = Location::Kind::History;
            to.history = HistoryRootPlace();
            return to;
        }
        to.path = SpecialFolderPath(csidl);
        to.kind = to.path.isEmpty() ? Location::Kind::Virtual : Location::Kind::FileSystem;
    } else if (from.kind == Location::Kind::FileSystem && (kind == ITEM_FS_FOLDER || kind == ITEM_FS_FILE)) {
        const QString name = QString::fromUtf8(payload);
        if (isPlainFileName(name)) {
            to.kind = Location::Kind::FileSystem;
            to.path = childPath(from.path, name);
        }
    } else if (from.kind == Location::Kind::History) {
        to.history = HistoryStep(from.history, item);
        if (to.history.kind != THistoryPlace::Kind::Invalid)
            to.kind = Location::Kind::History;
    } else if (from.kind == Location::Kind::Virtual && from.csidl == CSIDL_INTERNET && kind == ITEM_URL) {
        to.kind = Location::Kind::Url;
        to.url = QString::fromUtf8(payload);
    }
    return to;
}

Location walk(Location from, LPCITEMIDLIST list)
{
    for (LPCITEMIDLIST item = list; item && ItemByteCount(item) != 0; item = NextItem(item)) {
        if (ItemByteCount(item) < ITEM_PAYLOAD_OFFSET)
            return {};
        from = stepInto(from, item);
        if (from.kind == Location::Kind::Invalid)
            return from;
    }
    return from;
}

Location desktopLocation()
{
    Location desktop;
    desktop.kind = Location::Kind::Desktop;
    return desktop;
}

UniquePidl specialItem(int csidl)
{
    const char payload[2] = {char(csidl & 0xFF), char((csidl >> 8) & 0xFF)};
    return MakeItem(ITEM_SPECIAL_FOLDER, QByteArray(payload, 2));
}

bool isFolder(const Location& at)
{
    return at.kind == Location::Kind::Desktop || at.kind == Location::Kind::Virtual
        || (at.kind == Location::Kind::History && HistoryIsFolder(at.history))
        || (at.kind == Location::Kind::FileSystem && QFileInfo(at.path).isDir());
}

bool exists(const Location& at)
{
    return at.kind != Location::Kind::Invalid
        && (at.kind != Location::Kind::FileSystem || QFileInfo(at.path).exists() || QFileInfo(at.path).isSymLink());
}

bool isShortcut(const Location& at)
{
    return at.kind == Location::Kind::FileSystem && ShortcutKindOf(at.path) != ShortcutKind::None;
}

QString registeredTypeName(const char* key, const char* fallback)
{
    try {
        TRegistry registry(HKEY_CLASSES_ROOT);
        if (registry.OpenKeyReadOnly(QLatin1String(key)) && registry.ValueExists(QString())) {
            const QString name = registry.ReadString(QString());
            if (!name.isEmpty())
                return name;
        }
    } catch (const ERegistryException&) {
        // An unreadable hive reads as the fallback.
    }
    return QLatin1String(fallback);
}

QString typeNameOfFile(const QString& name, bool folder, bool byNameOnly)
{
    QMimeDatabase mimes;
    if (folder)
        return mimes.mimeTypeForName(QStringLiteral("inode/directory")).comment();
    if (QFileInfo(name).suffix().compare(QLatin1String("url"), Qt::CaseInsensitive) == 0)
        return InternetShortcutTypeName();
    return (byNameOnly ? mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension) : mimes.mimeTypeForFile(name))
        .comment();
}

QString typeNameOf(const Location& at)
{
    switch (at.kind) {
    case Location::Kind::FileSystem:
        return typeNameOfFile(at.path, QFileInfo(at.path).isDir(), false);
    case Location::Kind::Url:
        return QMimeDatabase().mimeTypeForName(QStringLiteral("text/html")).comment();
    case Location::Kind::History:
        if (!HistoryIsFolder(at.history))
            return QMimeDatabase().mimeTypeForName(QStringLiteral("text/html")).comment();
        return QStringLiteral("System Folder");
    case Location::Kind::Desktop:
    case Location::Kind::Virtual:
        return QStringLiteral("System Folder");
    case Location::Kind::Invalid:
        break;
    }
    return {};
}

unsigned attributesOf(const Location& at)
{
    switch (at.kind) {
    case Location::Kind::Desktop:
    case Location::Kind::Virtual:
        return SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
    case Location::Kind::Url:
        return SFGAO_CANCOPY;
    case Location::Kind::History:
        return HistoryIsFolder(at.history) ? SFGAO_FOLDER | SFGAO_HASSUBFOLDER : SFGAO_CANCOPY;
    case Location::Kind::Invalid:
        return 0;
    case Location::Kind::FileSystem:
        break;
    }
    const QFileInfo info(at.path);
    unsigned attributes = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_HASPROPSHEET;
    if (at.csidl < 0)
        attributes |= SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE;
    if (info.isDir()) {
        attributes |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
        if (!QDir(at.path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty())
            attributes |= SFGAO_HASSUBFOLDER;
    } else {
        attributes |= SFGAO_STREAM;
    }
    if (isShortcut(at))
        attributes |= SFGAO_LINK;
    if (!info.isWritable())
        attributes |= SFGAO_READONLY;
    if (info.fileName().startsWith(QLatin1Char('.')))
        attributes |= SFGAO_HIDDEN;
    return attributes;
}

QString normalName(const Location& at)
{
    switch (at.kind) {
    case Location::Kind::Desktop:
        return SpecialFolderDisplayName(CSIDL_DESKTOP);
    case Location::Kind::Virtual:
        return SpecialFolderDisplayName(at.csidl);
    case Location::Kind::Url:
        return at.url;
    case Location::Kind::History:
        return HistoryDisplayName(at.history);
    case Location::Kind::FileSystem:
        if (at.csidl >= 0)
            return SpecialFolderDisplayName(at.csidl);
        return isShortcut(at) ? QFileInfo(at.path).completeBaseName() : QFileInfo(at.path).fileName();
    case Location::Kind::Invalid:
        break;
    }
    return {};
}

QString parsingName(const Location& at)
{
    switch (at.kind) {
    case Location::Kind::FileSystem:
        return at.path;
    case Location::Kind::Url:
        return at.url;
    case Location::Kind::Virtual:
        return QStringLiteral("::") + QString::number(at.csidl);
    case Location::Kind::History:
        if (at.history.kind == THistoryPlace::Kind::Root)
            return QStringLiteral("::") + QString::number(CSIDL_HISTORY);
        return HistoryIsFolder(at.history) ? HistoryDisplayName(at.history) : HistoryParsingName(at.history);
    case Location::Kind::Desktop:
    case Location::Kind::Invalid:
        break;
    }
    return {};
}

void wideName(const QString& text, STRRET& name)
{
    name.uType = STRRET_WSTR;
    name.pOleStr = text.toStdU16String();
}

// The three forms of STRRET all occur: an item's own bytes where they are
// its name, the fixed buffer for paths that fit it, the wide text otherwise.
void fillName(const Location& at, LPCITEMIDLIST item, unsigned flags, STRRET& name)
{
    const bool forParsing = flags & SHGDN_FORPARSING;
    const QString text = forParsing ? parsingName(at) : normalName(at);
    const bool oneItem = ItemByteCount(NextItem(item)) == 0;
    const QByteArray ownBytes = ItemPayload(item);
    if (!forParsing && oneItem && at.csidl < 0 && !ownBytes.isEmpty() && text == QString::fromUtf8(ownBytes)) {
        name.uType = STRRET_OFFSET;
        name.uOffset = ITEM_PAYLOAD_OFFSET;
        return;
    }
    const QByteArray local = text.toUtf8();
    if (forParsing && local.size() < qsizetype(sizeof name.cStr)) {
        name.uType = STRRET_CSTR;
        std::memset(name.cStr, 0, sizeof name.cStr);
        std::memcpy(name.cStr, local.constData(), std::size_t(local.size()));
        return;
    }
    wideName(text, name);
}

QString tipOf(const Location& at)
{
    if (at.kind == Location::Kind::FileSystem && at.csidl < 0)
        return normalName(at) + QLatin1Char('\n') + (isShortcut(at) ? ShortcutTarget(at.path) : at.path);
    if (at.kind == Location::Kind::Url)
        return at.url;
    if (at.kind == Location::Kind::History)
        return HistoryTip(at.history);
    return normalName(at);
}

int iconIndexOf(const Location& at)
{
    SystemImageList& icons = SystemImageList::instance();
    switch (at.kind) {
    case Location::Kind::Desktop:
        return icons.indexOfSpecialFolder(CSIDL_DESKTOP);
    case Location::Kind::Virtual:
        return icons.indexOfSpecialFolder(at.csidl);
    case Location::Kind::Url:
        return icons.indexOfFileType(QStringLiteral("*.htm"));
    case Location::Kind::History:
        return HistoryIconIndex(at.history);
    case Location::Kind::FileSystem:
        if (at.csidl >= 0)
            return icons.indexOfSpecialFolder(at.csidl);
        // A shortcut shows what it leads to: a page.
        return isShortcut(at) ? icons.indexOfFileType(QStringLiteral("*.htm")) : icons.indexOfPath(at.path);
    case Location::Kind::Invalid:
        break;
    }
    return -1;
}

// A shortcut file read as a link (either kind of shortcut file) or as an
// internet shortcut (the INI form only).
class ShortcutObject final : public IShellLinkA, public IUniformResourceLocatorA, public IPersistFile {
public:
    explicit ShortcutObject(bool asLink) : asLink_(asLink) {}

    HRESULT Load(const QString& fileName, DWORD) override
    {
        if (!QFileInfo(fileName).isFile())
            return E_FAIL;
        target_ = asLink_ ? ShortcutTarget(fileName) : ReadInternetShortcutUrl(fileName);
        return S_OK;
    }
    HRESULT Save(const QString& fileName, bool) override
    {
        return WriteInternetShortcutUrl(fileName, target_) ? S_OK : E_FAIL;
    }
    HRESULT GetURL(QString& url) override
    {
        url = target_;
        return target_.isEmpty() ? S_FALSE : S_OK;
    }
    HRESULT SetURL(const QString& url, DWORD) override
    {
        target_ = url;
        return S_OK;
    }
    HRESULT GetIDList(UniquePidl& target) override { return SHParseDisplayName(target_, target); }
    HRESULT Resolve(QWidget*, DWORD) override { return target_.isEmpty() ? E_FAIL : S_OK; }
    HRESULT GetPath(QString& path, int maxChars, DWORD) override
    {
        const QUrl url(target_);
        path = url.isLocalFile() ? url.toLocalFile() : target_;
        path.truncate(std::max(0, maxChars - 1));
        return path.isEmpty() ? S_FALSE : S_OK;
    }

private:
    bool asLink_;
    QString target_;
};

class QueryInfo final : public IQueryInfo {
public:
    explicit QueryInfo(QString tip) : tip_(std::move(tip)) {}
    HRESULT GetInfoTip(DWORD, QString& tip) override
    {
        tip = tip_;
        return S_OK;
    }

private:
    QString tip_;
};

class NamespaceFolder final : public IShellFolder, public IPersistFolder2 {
public:
    NamespaceFolder(Location at, UniquePidl absolute) : at_(std::move(at)), absolute_(std::move(absolute)) {}

    HRESULT GetCurFolder(UniquePidl& list) override
    {
        list = JoinLists(absolute_.get(), nullptr);
        return list ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT EnumObjects(unsigned flags, std::vector<UniquePidl>& items) override
    {
        items.clear();
        if (at_.kind == Location::Kind::Desktop) {
            if (flags & SHCONTF_FOLDERS)
                for (const int csidl : kDesktopChildren)
                    if (SpecialFolderExists(csidl))
                        items.push_back(specialItem(csidl));
            return S_OK;
        }
        if (at_.kind == Location::Kind::History) {
            std::vector<UniquePidl> children;
            const HRESULT result = HistoryChildren(at_.history, children);
            if (FAILED(result))
                return result;
            for (UniquePidl& child : children) {
                const bool folder = HistoryIsFolder(HistoryStep(at_.history, child.get()));
                if ((flags & (folder ? SHCONTF_FOLDERS : SHCONTF_NONFOLDERS)) != 0)
                    items.push_back(std::move(child));
            }
            return S_OK;
        }
        if (at_.kind != Location::Kind::FileSystem)
            return S_OK;
        QDir::Filters filters = QDir::NoDotAndDotDot | QDir::System;
        if (flags & SHCONTF_FOLDERS)
            filters |= QDir::Dirs;
        if (flags & SHCONTF_NONFOLDERS)
            filters |= QDir::Files;
        if (flags & SHCONTF_INCLUDEHIDDEN)
            filters |= QDir::Hidden;
        QFileInfoList entries = QDir(at_.path).entryInfoList(filters, QDir::NoSort);
        SortAsShell(entries);
        for (const QFileInfo& entry : entries)
            if (UniquePidl item = MakeItem(entry.isDir() ? ITEM_FS_FOLDER : ITEM_FS_FILE, entry.fileName().toUtf8()))
                items.push_back(std::move(item));
        return S_OK;
    }

    HRESULT BindToObject(LPCITEMIDLIST relative, std::shared_ptr<IShellFolder>& folder) override
    {
        const Location to = walk(at_, relative);
        if (!exists(to) || !isFolder(to))
            return E_INVALIDARG;
        UniquePidl absolute = JoinLists(absolute_.get(), relative);
        if (!absolute)
            return E_OUTOFMEMORY;
        folder = std::make_shared<NamespaceFolder>(to, std::move(absolute));
        return S_OK;
    }

    HRESULT GetAttributesOf(unsigned count, const LPCITEMIDLIST* items, unsigned& attributes) override
    {
        unsigned common = count ? ~0u : 0u;
        for (unsigned i = 0; i < count; ++i) {
            const Location item = walk(at_, items[i]);
            if (!exists(item))
                return E_INVALIDARG;
            common &= attributesOf(item);
        }
        attributes &= common;
        return S_OK;
    }

    HRESULT GetDisplayNameOf(LPCITEMIDLIST item, unsigned flags, STRRET& name) override
    {
        const Location at = walk(at_, item);
        if (at.kind == Location::Kind::Invalid || IsEmptyList(item))
            return E_INVALIDARG;
        fillName(at, item, flags, name);
        return S_OK;
    }

    HRESULT GetUIObjectOf(QWidget* owner, unsigned count, const LPCITEMIDLIST* items, const GUID& riid,
        std::shared_ptr<IShellObject>& object) override
    {
        std::vector<Location> chosen;
        for (unsigned i = 0; i < count; ++i) {
            chosen.push_back(walk(at_, items[i]));
            if (!exists(chosen.back()))
                return E_INVALIDARG;
        }
        if (chosen.empty())
            return E_INVALIDARG;
        if (riid == IID_IContextMenu) {
            QStringList paths;
            for (const Location& at : chosen) {
                if (at.kind != Location::Kind::FileSystem)
                    return E_NOINTERFACE;
                paths << at.path;
            }
            object = CreateFileContextMenu(owner, paths);
            return S_OK;
        }
        if (count != 1)
            return E_NOINTERFACE;
        if (riid == IID_IQueryInfo) {
            object = std::make_shared<QueryInfo>(tipOf(chosen.front()));
            return S_OK;
        }
        if (riid == IID_IShellLinkA && isShortcut(chosen.front())) {
            auto link = std::make_shared<ShortcutObject>(true);
            link->Load(chosen.front().path, 0);
            object = std::static_pointer_cast<IShellLinkA>(link);
            return S_OK;
        }
        return E_NOINTERFACE;
    }

private:
    Location at_;
    UniquePidl absolute_;
};

// The favorites are reached below their own special folder, so that their
// lists start as the favorites views' lists do.
UniquePidl listOfPath(const QFileInfo& info)
{
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    const bool underFavorites = path == favorites || path.startsWith(favorites + QLatin1Char('/'));
    UniquePidl list = specialItem(underFavorites ? CSIDL_FAVORITES : CSIDL_DRIVES);
    const QStringList names
        = path.mid(underFavorites ? favorites.size() : 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < names.size() && list; ++i) {
        const bool file = i == names.size() - 1 && !info.isDir();
        UniquePidl item = MakeItem(file ? ITEM_FS_FILE : ITEM_FS_FOLDER, names[i].toUtf8());
        list = item ? JoinLists(list.get(), item.get()) : nullptr;
    }
    return list;
}

} // namespace

EOleSysError::EOleSysError(const QString& message, HRESULT errorCode)
    : std::runtime_error(message.toStdString()), ErrorCode(errorCode)
{}

HRESULT SHGetDesktopFolder(std::shared_ptr<IShellFolder>& desktop)
{
    UniquePidl root = JoinLists(nullptr, nullptr);
    if (!root)
        return E_OUTOFMEMORY;
    desktop = std::make_shared<NamespaceFolder>(desktopLocation(), std::move(root));
    return S_OK;
}

HRESULT SHGetSpecialFolderLocation(QWidget*, int csidl, UniquePidl& list)
{
    if (!SpecialFolderExists(csidl))
        return E_INVALIDARG;
    list = specialItem(csidl);
    return list ? S_OK : E_OUTOFMEMORY;
}

HRESULT SHParseDisplayName(const QString& name, UniquePidl& list)
{
    list.reset();
    if (name.isEmpty())
        return E_INVALIDARG;
    const QUrl url(name);
    const bool isAddress = !QDir::isAbsolutePath(name) && url.isValid() && url.scheme().size() > 1;
    if (isAddress && !url.isLocalFile()) {
        UniquePidl internet = specialItem(CSIDL_INTERNET);
        UniquePidl address = MakeItem(ITEM_URL, name.toUtf8());
        list = internet && address ? JoinLists(internet.get(), address.get()) : nullptr;
        return list ? S_OK : E_OUTOFMEMORY;
    }
    const QString path = isAddress ? url.toLocalFile() : name;
    const QFileInfo info(path);
    if (!QDir::isAbsolutePath(path) || !info.exists())
        return E_INVALIDARG;
    list = listOfPath(info);
    return list ? S_OK : E_OUTOFMEMORY;
}

QString SHGetPathFromIDList(LPCITEMIDLIST list)
{
    const Location at = walk(desktopLocation(), list);
    return at.kind == Location::Kind::FileSystem ? at.path : QString();
}

std::uintptr_t SHGetFileInfo(const QString& path, DWORD fileAttributes, SHFILEINFO& info, unsigned flags)
{
    if (!(flags & SHGFI_USEFILEATTRIBUTES)) {
        UniquePidl list;
        if (FAILED(SHParseDisplayName(QFileInfo(path).absoluteFilePath(), list)))
            return 0;
        return SHGetFileInfo(list.get(), fileAttributes, info, flags | SHGFI_PIDL);
    }
    const bool folder = fileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    SystemImageList& icons = SystemImageList::instance();
    const int icon = folder ? icons.indexOfFolder() : icons.indexOfFileType(path);
    if (flags & SHGFI_TYPENAME)
        info.szTypeName = typeNameOfFile(path, folder, true).left(79);
    if (flags & SHGFI_DISPLAYNAME)
        info.szDisplayName = QFileInfo(path).fileName().left(259);
    if (flags & SHGFI_ATTRIBUTES)
        info.dwAttributes = folder ? SFGAO_FOLDER | SFGAO_FILESYSTEM : SFGAO_FILESYSTEM | SFGAO_STREAM;
    if (flags & (SHGFI_SYSICONINDEX | SHGFI_ICON))
        info.iIcon = icon;
    if (flags & SHGFI_ICON)
        info.hIcon = icons.icon(icon);
    return flags & SHGFI_SYSICONINDEX ? reinterpret_cast<std::uintptr_t>(&icons) : 1;
}

std::uintptr_t SHGetFileInfo(LPCITEMIDLIST list, DWORD, SHFILEINFO& info, unsigned flags)
{
    const Location at = walk(desktopLocation(), list);
    if (!exists(at))
        return 0;
    SystemImageList& icons = SystemImageList::instance();
    if (flags & SHGFI_TYPENAME)
        info.szTypeName = typeNameOf(at).left(79);
    if (flags & SHGFI_DISPLAYNAME)
        info.szDisplayName = normalName(at).left(259);
    if (flags & SHGFI_ATTRIBUTES)
        info.dwAttributes = attributesOf(at);
    if (flags & (SHGFI_SYSICONINDEX | SHGFI_ICON))
        info.iIcon = iconIndexOf(at);
    if (flags & SHGFI_ICON)
        info.hIcon = icons.icon(info.iIcon);
    return flags & SHGFI_SYSICONINDEX ? reinterpret_cast<std::uintptr_t>(&icons) : 1;
}

QString InternetShortcutTypeName() { return registeredTypeName("InternetShortcut", "Internet Shortcut"); }

QString ChannelShortcutTypeName() { return registeredTypeName("ChannelShortcut", "Channel Shortcut"); }

HRESULT CreateShellObject(const GUID& clsid, const GUID& riid, std::shared_ptr<IShellObject>& object)
{
    object.reset();
    if (clsid != CLSID_InternetShortcut && clsid != CLSID_ShellLink)
        return REGDB_E_CLASSNOTREG;
    auto shortcut = std::make_shared<ShortcutObject>(clsid == CLSID_ShellLink);
    if (riid == IID_IPersistFile)
        object = std::static_pointer_cast<IPersistFile>(shortcut);
    else if (riid == IID_IShellLinkA && clsid == CLSID_ShellLink)
        object = std::static_pointer_cast<IShellLinkA>(shortcut);
    else if (riid == IID_IUniformResourceLocatorA && clsid == CLSID_InternetShortcut)
        object = std::static_pointer_cast<IUniformResourceLocatorA>(shortcut);
    return object ? S_OK : E_NOINTERFACE;
}
