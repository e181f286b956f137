#pragma once
// The shell namespace: folders reached through IShellFolder and items named
// by item identifier lists (ItemIdList.h), over this system's places. The
// desktop is the root; its children are the special folders (the favorites
// first), each a file-system folder or a virtual one; below a file-system
// folder lie its files and folders. The internet folder holds addresses (the
// targets of internet shortcuts).
//
// Objects handed out here live in std::shared_ptr; an object's other
// interfaces are reached with std::dynamic_pointer_cast, standing where
// QueryInterface stood. Used on the user-interface thread.
#include "platform/com/ComTypes.h"
#include "platform/shell/ItemIdList.h"

#include <QIcon>
#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

class QWidget;

// Attributes (GetAttributesOf, SHGFI_ATTRIBUTES).
constexpr unsigned SFGAO_CANCOPY = 0x1;
constexpr unsigned SFGAO_CANMOVE = 0x2;
constexpr unsigned SFGAO_CANRENAME = 0x10;
constexpr unsigned SFGAO_CANDELETE = 0x20;
constexpr unsigned SFGAO_HASPROPSHEET = 0x40;
constexpr unsigned SFGAO_LINK = 0x10000;
constexpr unsigned SFGAO_READONLY = 0x40000;
constexpr unsigned SFGAO_HIDDEN = 0x80000;
constexpr unsigned SFGAO_STREAM = 0x400000;
constexpr unsigned SFGAO_FILESYSANCESTOR = 0x10000000;
constexpr unsigned SFGAO_FOLDER = 0x20000000;
constexpr unsigned SFGAO_FILESYSTEM = 0x40000000;
constexpr unsigned SFGAO_HASSUBFOLDER = 0x80000000;

// Display-name kinds (GetDisplayNameOf).
constexpr unsigned SHGDN_NORMAL = 0;
constexpr unsigned SHGDN_INFOLDER = 0x1;
constexpr unsigned SHGDN_FORPARSING = 0x8000;

// What EnumObjects lists.
constexpr unsigned SHCONTF_FOLDERS = 0x20;
constexpr unsigned SHCONTF_NONFOLDERS = 0x40;
constexpr unsigned SHCONTF_INCLUDEHIDDEN = 0x80;

constexpr HRESULT REGDB_E_CLASSNOTREG = makeHResult(0x80040154);

// A text handed back by GetDisplayNameOf in one of three forms.
constexpr unsigned STRRET_WSTR = 0; // pOleStr holds the text
constexpr unsigned STRRET_OFFSET = 1; // the text is the item's bytes from uOffset to its end
constexpr unsigned STRRET_CSTR = 2; // cStr holds the text, zero-terminated
struct STRRET {
    unsigned uType = STRRET_WSTR;
    std::u16string pOleStr;
    unsigned uOffset = 0;
    char cStr[260] = {};
};

inline const GUID IID_IShellFolder = *GUID::parse("{000214E6-0000-0000-C000-000000000046}");
inline const GUID IID_IContextMenu = *GUID::parse("{000214E4-0000-0000-C000-000000000046}");
inline const GUID IID_IContextMenu2 = *GUID::parse("{000214F4-0000-0000-C000-000000000046}");
inline const GUID IID_IContextMenu3 = *GUID::parse("{BCFCE0A0-EC17-11D0-8D10-00A0C90F2719}");
inline const GUID IID_IQueryInfo = *GUID::parse("{00021500-0000-0000-C000-000000000046}");
inline const GUID IID_IShellLinkA = *GUID::parse("{000214EE-0000-0000-C000-000000000046}");
inline const GUID IID_IPersistFile = *GUID::parse("{0000010B-0000-0000-C000-000000000046}");
inline const GUID IID_IUniformResourceLocatorA = *GUID::parse("{FBF23B80-E3F0-101B-8488-00AA003E56F8}");
inline const GUID CLSID_ShellLink = *GUID::parse("{00021401-0000-0000-C000-000000000046}");
inline const GUID CLSID_InternetShortcut = *GUID::parse("{FBF23B40-E3F0-101B-8488-00AA003E56F8}");

// Raised where a shell failure is the caller's to handle.
class EOleSysError : public std::runtime_error {
public:
    EOleSysError(const QString& message, HRESULT errorCode);
    HRESULT ErrorCode;
};

// The common base of every object the shell hands out.
class IShellObject {
public:
    virtual ~IShellObject() = default;
};

class IShellFolder : public virtual IShellObject {
public:
    // The folder's children as one-item lists in the shell's order
    // (SortAsShell in ShellNames.h: folders first, then by name without
    // regard to case, numbers by value). flags: SHCONTF_FOLDERS, SHCONTF_NONFOLDERS,
    // SHCONTF_INCLUDEHIDDEN (names starting with ".").
    virtual HRESULT EnumObjects(unsigned flags, std::vector<UniquePidl>& items) = 0;
    // The folder an item list relative to this one names; E_INVALIDARG for
    // a list this folder does not know or an item that is not a folder.
    virtual HRESULT BindToObject(LPCITEMIDLIST relative, std::shared_ptr<IShellFolder>& folder) = 0;
    // In: the attributes asked for; out: those of them all the items have.
    virtual HRESULT GetAttributesOf(unsigned count, const LPCITEMIDLIST* items, unsigned& attributes) = 0;
    // The name of an item (its list relative to this folder); SHGDN_NORMAL
    // hides the extension of shortcut files; SHGDN_FORPARSING gives the
    // file-system path or the address. STRRET_OFFSET only for a one-item
    // list, whose bytes then hold the name.
    virtual HRESULT GetDisplayNameOf(LPCITEMIDLIST item, unsigned flags, STRRET& name) = 0;
    // An object for the items: IID_IQueryInfo and IID_IShellLinkA for one
    // item (the link for a shortcut file only), IID_IContextMenu for one or
    // more file-system items. E_NOINTERFACE otherwise. owner: the window that
    // owns what the object shows.
    virtual HRESULT GetUIObjectOf(QWidget* owner, unsigned count, const LPCITEMIDLIST* items, const GUID& riid,
        std::shared_ptr<IShellObject>& object)
        = 0;
};

// Which folder a folder object is.
class IPersistFolder2 : public virtual IShellObject {
public:
    // The folder's absolute item list (empty for the desktop).
    virtual HRESULT GetCurFolder(UniquePidl& list) = 0;
};

class IQueryInfo : public virtual IShellObject {
public:
    // The item's tip: its name, then on a second line its address (a
    // shortcut or an address) or its path (a file or folder). A virtual
    // folder's tip is its name alone.
    virtual HRESULT GetInfoTip(DWORD flags, QString& tip) = 0;
};

class IPersistFile : public virtual IShellObject {
public:
    virtual HRESULT Load(const QString& fileName, DWORD mode) = 0;
    virtual HRESULT Save(const QString& fileName, bool remember) = 0;
};

constexpr DWORD SLR_NO_UI = 0x1;
constexpr DWORD SLR_NOUPDATE = 0x8;
constexpr DWORD SLGP_SHORTPATH = 0x1;
constexpr DWORD SLGP_UNCPRIORITY = 0x2;

// A shortcut file (".url" or a ".desktop" link) seen as a shell link.
class IShellLinkA : public virtual IShellObject {
public:
    // The target as an absolute item list (a file-system path or an
    // address under the internet folder).
    virtual HRESULT GetIDList(UniquePidl& target) = 0;
    // S_OK when the loaded shortcut names a target; E_FAIL otherwise.
    virtual HRESULT Resolve(QWidget* owner, DWORD flags) = 0;
    // The target's local path (a file: address becomes its path); another
    // address is given as it is, so that the caller can still open it.
    // S_FALSE with an empty path when there is no target. Cut to
    // maxChars - 1 characters.
    virtual HRESULT GetPath(QString& path, int maxChars, DWORD flags) = 0;
};

class IUniformResourceLocatorA : public virtual IShellObject {
public:
    virtual HRESULT GetURL(QString& url) = 0;
    virtual HRESULT SetURL(const QString& url, DWORD flags) = 0;
};

// The desktop folder, the root of the namespace.
HRESULT SHGetDesktopFolder(std::shared_ptr<IShellFolder>& desktop);

// The special folder's absolute list (one item); E_INVALIDARG for a folder
// the shell does not know (SpecialFolderExists).
HRESULT SHGetSpecialFolderLocation(QWidget* owner, int csidl, UniquePidl& list);

// The absolute list of a file-system path (absolute, or a file: address)
// or of an address: a path inside the favorites folder is named below the
// favorites, any other below My Computer (the file-system root); an address
// with a scheme lies below the internet folder. E_INVALIDARG for an empty
// name, a relative path and a missing file.
HRESULT SHParseDisplayName(const QString& name, UniquePidl& list);

// The file-system path of an absolute list; empty for a virtual item.
QString SHGetPathFromIDList(LPCITEMIDLIST list);

// SHGetFileInfo flags.
constexpr unsigned SHGFI_LARGEICON = 0x0;
constexpr unsigned SHGFI_SMALLICON = 0x1;
constexpr unsigned SHGFI_PIDL = 0x8;
constexpr unsigned SHGFI_USEFILEATTRIBUTES = 0x10;
constexpr unsigned SHGFI_ICON = 0x100;
constexpr unsigned SHGFI_DISPLAYNAME = 0x200;
constexpr unsigned SHGFI_TYPENAME = 0x400;
constexpr unsigned SHGFI_ATTRIBUTES = 0x800;
constexpr unsigned SHGFI_SYSICONINDEX = 0x4000;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

struct SHFILEINFO {
    QIcon hIcon; // SHGFI_ICON: the icon at the asked size
    int iIcon = -1; // SHGFI_SYSICONINDEX or SHGFI_ICON: index in SystemImageList
    unsigned dwAttributes = 0; // SHGFI_ATTRIBUTES: SFGAO_ flags
    QString szDisplayName; // SHGFI_DISPLAYNAME, at most 259 characters
    QString szTypeName; // SHGFI_TYPENAME, at most 79 characters
};

// What the shell knows of an item named by a path (with
// SHGFI_USEFILEATTRIBUTES: by its name and fileAttributes alone, without
// looking at the disk) or by an absolute item list (the overload with
// SHGFI_PIDL). With SHGFI_SYSICONINDEX the result is the icon list's handle
// (never 0); otherwise 1 on success. 0 when the item does not exist.
std::uintptr_t SHGetFileInfo(const QString& path, DWORD fileAttributes, SHFILEINFO& info, unsigned flags);
std::uintptr_t SHGetFileInfo(LPCITEMIDLIST list, DWORD fileAttributes, SHFILEINFO& info, unsigned flags);

// The type name of internet shortcuts: the default value of the classes
// root's InternetShortcut key, or "Internet Shortcut" when it cannot be
// read. The type name of every ".url" file is this text.
QString InternetShortcutTypeName();
// The type name of channel shortcuts, read the same way from
// ChannelShortcut ("Channel Shortcut").
QString ChannelShortcutTypeName();

// Creates a shell object by its class (CLSID_InternetShortcut,
// CLSID_ShellLink) offering the interface: S_OK, REGDB_E_CLASSNOTREG for
// another class, E_NOINTERFACE for an interface the class does not offer.
HRESULT CreateShellObject(const GUID& clsid, const GUID& riid, std::shared_ptr<IShellObject>& object);
