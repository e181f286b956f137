#include "tools/ShellItems.h"

#include "platform/shell/ShortcutFiles.h"

#include <QApplication>

#include <cstring>
#include <limits>

namespace {

std::uint8_t* bytesOf(LPITEMIDLIST list) { return reinterpret_cast<std::uint8_t*>(list); }

QString nameOf(IShellFolder& folder, LPCITEMIDLIST item, unsigned flags)
{
    STRRET name;
    if (FAILED(folder.GetDisplayNameOf(item, flags, name)))
        return {};
    return StrRetToString(item, name);
}

template <class Interface>
std::shared_ptr<Interface> uiObjectOf(IShellFolder& folder, LPCITEMIDLIST item, const GUID& riid)
{
    std::shared_ptr<IShellObject> object;
    if (FAILED(folder.GetUIObjectOf(nullptr, 1, &item, riid, object)))
        return nullptr;
    return std::dynamic_pointer_cast<Interface>(object);
}

// The shell answers for absolute lists; a folder that knows where it is
// lets the item be made absolute.
UniquePidl absoluteListOf(IShellFolder& folder, LPCITEMIDLIST item)
{
    UniquePidl folderList;
    auto persist = dynamic_cast<IPersistFolder2*>(&folder);
    if (persist && FAILED(persist->GetCurFolder(folderList)))
        return nullptr;
    return JoinLists(folderList.get(), item);
}

} // namespace

LPITEMIDLIST NextPidlItem(LPCITEMIDLIST item)
{
    return reinterpret_cast<LPITEMIDLIST>(
        const_cast<std::uint8_t*>(reinterpret_cast<const std::uint8_t*>(item)) + ItemByteCount(item));
}

int GetPidlSize(LPCITEMIDLIST list) { return int(ListByteSize(list)); }

LPITEMIDLIST AllocPidl(int size)
{
    IMalloc* malloc = nullptr;
    if (FAILED(SHGetMalloc(&malloc)) || !malloc)
        return nullptr;
    void* block = malloc->Alloc(size);
    if (block)
        std::memset(block, 0, std::size_t(size));
    return static_cast<LPITEMIDLIST>(block);
}

LPITEMIDLIST CopyPidl(LPCITEMIDLIST list)
{
    const int size = GetPidlSize(list);
    LPITEMIDLIST copy = size ? AllocPidl(size) : nullptr;
    if (copy)
        std::memcpy(copy, list, std::size_t(size));
    return copy;
}

LPITEMIDLIST ConcatPidls(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    const int firstSize = first ? GetPidlSize(first) - 2 : 0;
    const int secondSize = GetPidlSize(second);
    LPITEMIDLIST joined = AllocPidl(firstSize + (second ? secondSize : 2));
    if (!joined)
        return nullptr;
    if (firstSize)
        std::memcpy(joined, first, std::size_t(firstSize));
    if (second)
        std::memcpy(bytesOf(joined) + firstSize, second, std::size_t(secondSize));
    return joined;
}

void StripLastPidlItem(LPITEMIDLIST list)
{
    if (IsEmptyList(list))
        return;
    LPITEMIDLIST last = list;
    for (LPITEMIDLIST next = NextPidlItem(list); ItemByteCount(next) != 0; next = NextPidlItem(next))
        last = next;
    SetItemByteCount(last, 0);
}

void FreePidl(LPITEMIDLIST list)
{
    if (!list)
        return;
    IMalloc* malloc = nullptr;
    const HRESULT result = SHGetMalloc(&malloc);
    if (FAILED(result) || !malloc)
        throw EOleSysError(QStringLiteral("The shell allocator cannot be obtained."), FAILED(result) ? result : E_FAIL);
    malloc->Free(list);
}

bool IsFolderItem(IShellFolder& folder, LPCITEMIDLIST item)
{
    unsigned attributes = SFGAO_FOLDER;
    return SUCCEEDED(folder.GetAttributesOf(1, &item, attributes)) && (attributes & SFGAO_FOLDER);
}

bool ItemTypeNameIs(const QString& typeName, IShellFolder& folder, LPCITEMIDLIST item)
{
    const UniquePidl absolute = absoluteListOf(folder, item);
    SHFILEINFO info;
    if (!absolute || !SHGetFileInfo(absolute.get(), 0, info, SHGFI_TYPENAME | SHGFI_PIDL))
        return false;
    return info.szTypeName.left(79) == typeName;
}

bool IsFolderNotOfType(const QString& typeName, IShellFolder& folder, LPCITEMIDLIST item)
{
    return IsFolderItem(folder, item) && !ItemTypeNameIs(typeName, folder, item);
}

int GetSmallIconIndex(LPCITEMIDLIST absolute)
{
    SHFILEINFO info;
    if (!SHGetFileInfo(absolute, 0, info, SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_PIDL | SHGFI_SMALLICON))
        return -1;
    return info.iIcon;
}

QString StrRetToString(LPCITEMIDLIST item, const STRRET& name)
{
    switch (name.uType) {
    case STRRET_WSTR:
        return QString::fromStdU16String(name.pOleStr);
    case STRRET_OFFSET: {
        const std::uint16_t count = item ? ItemByteCount(item) : 0;
        if (name.uOffset >= count)
            return {};
        return QString::fromUtf8(reinterpret_cast<const char*>(item) + name.uOffset, count - name.uOffset);
    }
    case STRRET_CSTR:
        return QString::fromUtf8(name.cStr, qsizetype(strnlen(name.cStr, sizeof name.cStr)));
    default:
        return {};
    }
}

QString GetDisplayName(IShellFolder& folder, LPCITEMIDLIST item) { return nameOf(folder, item, SHGDN_NORMAL); }

QString GetParsingName(IShellFolder& folder, LPCITEMIDLIST item) { return nameOf(folder, item, SHGDN_FORPARSING); }

QString GetInfoTipUrl(IShellFolder& folder, LPCITEMIDLIST item)
{
    const std::shared_ptr<IQueryInfo> info = uiObjectOf<IQueryInfo>(folder, item, IID_IQueryInfo);
    QString tip;
    if (!info || FAILED(info->GetInfoTip(0, tip)))
        return {};
    const qsizetype lineFeed = tip.indexOf(QLatin1Char('\n'));
    return (lineFeed < 0 ? tip : tip.mid(lineFeed + 1)).trimmed();
}

int GetLinkTargetDisplayName(IShellFolder& folder, LPCITEMIDLIST item, QString& name)
{
    const std::shared_ptr<IShellLinkA> link = uiObjectOf<IShellLinkA>(folder, item, IID_IShellLinkA);
    UniquePidl target;
    std::shared_ptr<IShellFolder> desktop;
    if (!link || FAILED(link->GetIDList(target)) || !target || FAILED(SHGetDesktopFolder(desktop)))
        return 1;
    name = GetDisplayName(*desktop, target.get());
    return name.isEmpty() ? 1 : 0;
}

QString ReadUrlFromShortcut(const QString& fileName) { return ReadInternetShortcutUrl(fileName); }

QString ResolveUrlShortcut(const QString& fileName)
{
    std::shared_ptr<IShellObject> object;
    if (FAILED(CreateShellObject(CLSID_InternetShortcut, IID_IUniformResourceLocatorA, object)))
        return {};
    const auto locator = std::dynamic_pointer_cast<IUniformResourceLocatorA>(object);
    const auto file = std::dynamic_pointer_cast<IPersistFile>(object);
    QString url;
    if (!locator || !file || FAILED(file->Load(fileName, 0)) || FAILED(locator->GetURL(url)))
        return {};
    return url;
}

QString ResolveShellLink(const QString& fileName)
{
    std::shared_ptr<IShellObject> object;
    const HRESULT created = CreateShellObject(CLSID_ShellLink, IID_IShellLinkA, object);
    if (FAILED(created))
        throw EOleSysError(QStringLiteral("The shell link object cannot be created."), created);
    const auto link = std::dynamic_pointer_cast<IShellLinkA>(object);
    const auto file = std::dynamic_pointer_cast<IPersistFile>(object);
    if (!link || !file)
        throw EOleSysError(QStringLiteral("The shell link cannot be loaded from a file."), E_NOINTERFACE);
    QString path;
    if (FAILED(file->Load(fileName, 0)) || FAILED(link->Resolve(QApplication::activeWindow(), SLR_NOUPDATE))
        || FAILED(link->GetPath(path, std::numeric_limits<int>::max(), SLGP_UNCPRIORITY)))
        return {};
    return path;
}
